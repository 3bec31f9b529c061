#include <compositing/BlendMode.h>

#include <array>
#include <stdexcept>
#include <string>

namespace Composite {

namespace {

constexpr std::array<std::string_view, kBlendModeCount> kNames = {
    "Normal",     "Multiply",   "Screen",    "Overlay",   "Darken",     "Lighten",
    "ColorDodge", "ColorBurn",  "HardLight", "SoftLight", "Difference", "Exclusion",
    "Hue",        "Saturation", "Color",     "Luminosity"};

int IndexOf(BlendMode mode) {
  const int index = static_cast<int>(mode);
  if (index < 0 || index >= kBlendModeCount) {
    throw std::invalid_argument("Composite: blend mode value " + std::to_string(index) +
                                " is not one of the 16 blend modes");
  }
  return index;
}

}  // namespace

bool IsWhitePreserving(BlendMode mode) {
  return IndexOf(mode) <= static_cast<int>(BlendMode::SoftLight);
}

bool IsSeparable(BlendMode mode) { return IndexOf(mode) <= static_cast<int>(BlendMode::Exclusion); }

std::string_view ToString(BlendMode mode) { return kNames[IndexOf(mode)]; }

}  // namespace Composite
