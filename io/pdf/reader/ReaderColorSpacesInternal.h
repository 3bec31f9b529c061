#pragma once
// PDF colour spaces read into colour lists of the document model.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <values/Color.h>
#include <values/Function.h>
#include <values/Paint.h>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

// A colour space as the reader uses it. Process spaces (gray, RGB, CMYK, Lab, calibrated,
// ICC-based) keep their model space and component names; Separation and DeviceN keep their
// colorant names (named entries, no colour space; "None" colorants paint nothing); Indexed
// and Pattern keep their base. Immutable once read.
struct ReaderColorSpace {
  enum class Family { Process, Named, Indexed, Pattern };
  Family family = Family::Process;
  MavColor::ColorSpace space;                    // Process; AllSeparations for Separation /All
  std::vector<std::string> names;                // one per component
  std::vector<std::array<double, 2>> ranges;     // value range of each component
  std::vector<double> initial;                   // the initial colour (ISO 32000-1 §8.6.8)
  bool paintsNothing = false;                    // Separation /None, DeviceN of only /None
  std::shared_ptr<const ReaderColorSpace> base;  // Indexed, Pattern (may be null)
  std::vector<std::uint8_t> palette;             // Indexed: (hival + 1) × base components
  int hival = 0;

  int ComponentCount() const { return static_cast<int>(names.size()); }
};

using ColorSpacePtr = std::shared_ptr<const ReaderColorSpace>;

// Reads a colour space given by name (a device name or a resource of `resources`) or by
// array. Spot colorants are added to the document's separation info in order of first use.
// Throws ReadError for a malformed or unknown space.
ColorSpacePtr ReadColorSpace(ReaderContext& context, QPDFObjectHandle space,
                             QPDFObjectHandle resources);
ColorSpacePtr DeviceGraySpace();
ColorSpacePtr DeviceRGBSpace();
ColorSpacePtr DeviceCMYKSpace();

// The colour of `values` (one per component, clipped to their ranges); Indexed spaces give
// their base colour. Spaces that paint nothing give an empty colour.
MavColor::Color MakeColor(const ReaderColorSpace& space, std::span<const double> values);

// The mapping of channel i onto the separation (or process component) of component i, with
// the process space of the colour space; "None" colorants stay unmapped.
MavPaint::SeparationMapping MakeMapping(const ReaderColorSpace& space);

// The blending space of a transparency group, or monostate (with a warning) when the space
// cannot blend.
MavColor::GroupColorSpace GroupSpaceOf(ReaderContext& context, const ReaderColorSpace& space);

// A simple conversion of a colour of a process space to CMYK (documented in the source),
// for ink appearances only.
std::array<float, 4> ApproximateCmyk(const ReaderColorSpace& space, std::span<const float> values);

}  // namespace CorvelPdf::Detail
