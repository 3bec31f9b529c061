#pragma once
// Colour values: colour spaces, ICC profiles and colour lists of named separations.
//
// A colour list holds the components of its colour space first (process components: as many as
// the space fixes, see ProcessComponentCount), then named entries, one per separation (ink).
// Tints run from 0 (no ink) to 1 (full ink).

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace MavColor {

using Component = float;

// Rendering intents of ICC conversions (ISO 32000-1 §8.6.5.8), numbered as ICC numbers them.
enum class RenderingIntent { Perceptual = 0, RelativeColorimetric = 1, Saturation = 2, AbsoluteColorimetric = 3 };

// An ICC profile, compared by its bytes.
class ICCProfile {
 public:
  ICCProfile(std::vector<std::uint8_t> bytes, int componentCount)
      : bytes_(std::move(bytes)), componentCount_(componentCount) {}
  const std::vector<std::uint8_t>& GetBytes() const { return bytes_; }
  int GetComponentCount() const { return componentCount_; }
  friend bool operator==(const ICCProfile& a, const ICCProfile& b) {
    return a.componentCount_ == b.componentCount_ && a.bytes_ == b.bytes_;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  int componentCount_;
};

// Two profile pointers are equal when both are null or both profiles are equal.
bool operator==(const std::shared_ptr<const ICCProfile>& a,
                const std::shared_ptr<const ICCProfile>& b);

struct AllSeparations {
  friend bool operator==(AllSeparations, AllSeparations) { return true; }
};
struct DeviceGray {
  friend bool operator==(DeviceGray, DeviceGray) { return true; }
};
struct DeviceRGB {
  friend bool operator==(DeviceRGB, DeviceRGB) { return true; }
};
struct DeviceCMYK {
  friend bool operator==(DeviceCMYK, DeviceCMYK) { return true; }
};
struct CalGray {
  std::array<double, 3> whitePoint{0.9505, 1.0, 1.089};
  std::array<double, 3> blackPoint{0, 0, 0};
  double gamma = 1;
  friend bool operator==(const CalGray&, const CalGray&) = default;
};
struct CalRGB {
  std::array<double, 3> whitePoint{0.9505, 1.0, 1.089};
  std::array<double, 3> blackPoint{0, 0, 0};
  std::array<double, 3> gamma{1, 1, 1};
  std::array<double, 9> matrix{1, 0, 0, 0, 1, 0, 0, 0, 1};
  friend bool operator==(const CalRGB&, const CalRGB&) = default;
};
struct Lab {
  std::array<double, 3> whitePoint{0.9505, 1.0, 1.089};
  std::array<double, 3> blackPoint{0, 0, 0};
  std::array<double, 4> range{-100, 100, -100, 100};
  friend bool operator==(const Lab&, const Lab&) = default;
};
// ICC-based spaces carry their profile.
struct ICCGray {
  std::shared_ptr<const ICCProfile> profile;
  friend bool operator==(const ICCGray& a, const ICCGray& b) { return a.profile == b.profile; }
};
struct ICCRGB {
  std::shared_ptr<const ICCProfile> profile;
  friend bool operator==(const ICCRGB& a, const ICCRGB& b) { return a.profile == b.profile; }
};
struct ICCCMYK {
  std::shared_ptr<const ICCProfile> profile;
  friend bool operator==(const ICCCMYK& a, const ICCCMYK& b) { return a.profile == b.profile; }
};
struct ICCThreeComponent {  // any other three-component ICC space (Lab-based profiles and the like)
  std::shared_ptr<const ICCProfile> profile;
  friend bool operator==(const ICCThreeComponent& a, const ICCThreeComponent& b) {
    return a.profile == b.profile;
  }
};
// The four-component (process CMYK) space: device CMYK without a profile, or ICC-based.
// `kind` says where the components come from; `overprintValue` is only significant for
// kind kOverprintKind (a 32-bit overprint mode carried with the colour).
struct FourComponent {
  static constexpr std::uint8_t kDeviceKind = 0;
  static constexpr std::uint8_t kICCKind = 1;
  static constexpr std::uint8_t kOverprintKind = 2;
  std::shared_ptr<const ICCProfile> profile;
  std::uint8_t kind = kDeviceKind;
  std::uint32_t overprintValue = 0;
  friend bool operator==(const FourComponent& a, const FourComponent& b);
};

// The colour space of a colour list. The alternative fixes the number of process components:
// none 0; AllSeparations, DeviceGray, CalGray, ICCGray 1; DeviceRGB, CalRGB, ICCRGB, Lab,
// ICCThreeComponent 3; FourComponent 4.
using ColorSpace = std::variant<std::monostate, AllSeparations, DeviceGray, CalGray, ICCGray,
                                DeviceRGB, CalRGB, ICCRGB, Lab, ICCThreeComponent, FourComponent>;

int ProcessComponentCount(const ColorSpace& space);

// The blending colour space of a transparency group.
using GroupColorSpace = std::variant<std::monostate, DeviceGray, DeviceRGB, DeviceCMYK, CalGray,
                                     CalRGB, ICCGray, ICCRGB, ICCCMYK>;

// The names of the process inks of a four-component space, in component order.
inline const std::array<std::string, 4>& ProcessInkNames() {
  static const std::array<std::string, 4> names{"Cyan", "Magenta", "Yellow", "Black"};
  return names;
}

// Channel index that marks an entry as not mapped.
inline constexpr std::uint64_t kUnmapped = std::numeric_limits<std::uint64_t>::max();

// Entry kinds of a colour list.
struct ColorPolicy {
  struct Entry {
    std::string name;
    Component value = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
};
struct ColorSpacePolicy {
  struct Entry {
    std::string name;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
};
struct SeparationMappingPolicy {
  struct Entry {
    std::string name;
    std::uint64_t channel = kUnmapped;
    bool IsMapped() const { return channel != kUnmapped; }
    friend bool operator==(const Entry&, const Entry&) = default;
  };
};
struct ChannelMappingPolicy {
  struct Entry {
    std::string name;
    std::uint64_t channel = kUnmapped;
    std::array<double, 2> range{0, 1};
    bool IsMapped() const { return channel != kUnmapped; }
    friend bool operator==(const Entry&, const Entry&) = default;
  };
};

// A colour space, its process components and named entries, and two one-byte fields:
// `keepZeroEntries` (named entries of value 0 are significant: an ink at 0 knocks out) and
// `sourceCode` (how the process components came about: 0 as given, 1 converted, 2 from gray).
template <class Policy>
class ColorList {
 public:
  using Entry = typename Policy::Entry;

  ColorList() = default;
  explicit ColorList(ColorSpace space) : space_(std::move(space)) {}

  const ColorSpace& GetColorSpace() const { return space_; }
  void SetColorSpace(ColorSpace space) { space_ = std::move(space); }
  std::size_t ProcessCount() const { return ProcessComponentCount(space_); }

  const std::vector<Entry>& GetEntries() const { return entries_; }
  std::vector<Entry>& GetEntries() { return entries_; }
  std::size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  void Append(Entry entry) { entries_.push_back(std::move(entry)); }

  // The named entries after the process components.
  std::size_t NamedBegin() const { return std::min(ProcessCount(), entries_.size()); }
  std::size_t NamedCount() const { return entries_.size() - NamedBegin(); }

  // The entry of that name, or a new one appended at the end (value 0, unmapped).
  Entry& operator[](const std::string& name) {
    if (Entry* found = Find(name)) return *found;
    Entry entry{};
    entry.name = name;
    entries_.push_back(std::move(entry));
    return entries_.back();
  }
  Entry* Find(const std::string& name) {
    for (auto& e : entries_) {
      if (e.name == name) return &e;
    }
    return nullptr;
  }
  const Entry* Find(const std::string& name) const {
    for (const auto& e : entries_) {
      if (e.name == name) return &e;
    }
    return nullptr;
  }

  std::uint8_t keepZeroEntries = 0;
  std::uint8_t sourceCode = 0;

  friend bool operator==(const ColorList& a, const ColorList& b) {
    return a.space_ == b.space_ && a.entries_ == b.entries_ &&
           a.keepZeroEntries == b.keepZeroEntries && a.sourceCode == b.sourceCode;
  }

 private:
  ColorSpace space_;
  std::vector<Entry> entries_;
};

using Color = ColorList<ColorPolicy>;

// A colour with no colour space and the given named entries.
Color MakeSeparationColor(std::initializer_list<std::pair<std::string, Component>> entries);
// A DeviceCMYK colour ("Cyan", "Magenta", "Yellow", "Black" as process components).
Color MakeCMYKColor(Component c, Component m, Component y, Component k);
// A DeviceGray colour (one process component, 1 = white).
Color MakeGrayColor(Component gray);

}  // namespace MavColor
