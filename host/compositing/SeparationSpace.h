#pragma once
// The separations a composite is computed in.

#include <cstddef>
#include <string>
#include <vector>

namespace Composite {

// Which separation index holds each process ink; -1 when the space lacks it.
struct ProcessInks {
  int cyan = -1;
  int magenta = -1;
  int yellow = -1;
  int black = -1;
  friend bool operator==(const ProcessInks&, const ProcessInks&) = default;
};

// An ordered list of separations (inks) and which of them are the process inks. Every colour
// in a composite has one tint per separation, in this order: 0 = no ink, 1 = full ink. The
// other separations are spots, blended only with themselves.
//
// Additive device spaces, used by soft-mask groups, are stored the same way as complemented
// values: DeviceGray as one "Black"-like channel holding 1 − gray, DeviceRGB as three channels
// holding 1 − R, 1 − G, 1 − B in the cyan, magenta and yellow roles. Blending on complemented
// tints is then exactly blending on the additive values (ISO 32000-1 §11.3.4).
// Immutable once built.
class SeparationSpace {
 public:
  SeparationSpace() = default;
  // Throws std::invalid_argument when a process index is out of range or two roles share an
  // index.
  SeparationSpace(std::vector<std::string> names, ProcessInks process);

  // Separations named exactly "Cyan", "Magenta", "Yellow" and "Black" take those roles (the
  // first of each name when repeated); every other separation is a spot.
  static SeparationSpace FromNames(std::vector<std::string> names);
  static SeparationSpace DeviceCmyk();
  // One channel "Gray" in the black role, holding 1 − gray.
  static SeparationSpace DeviceGray();
  // Channels "Red", "Green", "Blue" in the cyan, magenta and yellow roles, holding 1 − value.
  static SeparationSpace DeviceRgb();

  std::size_t Size() const { return names_.size(); }
  const std::vector<std::string>& GetNames() const { return names_; }
  const ProcessInks& GetProcessInks() const { return process_; }
  // True when separation `index` plays none of the four process roles.
  bool IsSpot(std::size_t index) const;
  // True when every separation is a process ink.
  bool HasOnlyProcessInks() const;

  friend bool operator==(const SeparationSpace&, const SeparationSpace&) = default;

 private:
  std::vector<std::string> names_;
  ProcessInks process_;
};

}  // namespace Composite
