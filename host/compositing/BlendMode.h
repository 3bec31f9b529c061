#pragma once
// The sixteen blend modes of ISO 32000-1 §11.3.5 and their classification.

#include <string_view>

namespace Composite {

// Blend modes in the order of ISO 32000-1 Tables 136 and 137: the separable modes first
// (Normal to Exclusion), then the non-separable ones (Hue to Luminosity). The obsolete
// "Compatible" is not a member; callers map it to Normal.
enum class BlendMode {
  Normal,
  Multiply,
  Screen,
  Overlay,
  Darken,
  Lighten,
  ColorDodge,
  ColorBurn,
  HardLight,
  SoftLight,
  Difference,
  Exclusion,
  Hue,
  Saturation,
  Color,
  Luminosity,
};

inline constexpr int kBlendModeCount = 16;

// True for the modes with B(1, 1) = 1 (Normal through SoftLight). Only these act on spot
// separations; under the others, spots are composited with Normal (ISO 32000-1 §11.7.4.2).
bool IsWhitePreserving(BlendMode mode);

// True for Normal through Exclusion, which act on each separation independently.
bool IsSeparable(BlendMode mode);

// The mode's PDF name ("Normal", "ColorDodge", ...), for messages.
std::string_view ToString(BlendMode mode);

}  // namespace Composite
