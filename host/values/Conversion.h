#pragma once
// Colour conversion onto separations (inks). With colour management on (ColorManagement.h),
// process colours go through ICC profiles; otherwise, and for what is not managed, every colour becomes
// tints of named inks. Process colours land on "Cyan", "Magenta", "Yellow", "Black":
// gray g as Black 1 − g; RGB as C = 1 − R, M = 1 − G, Y = 1 − B (no black generation). Lab goes
// through the profiles whatever the settings; only when no output profile can be read, through
// sRGB (D50 white adapted to D65 by the Bradford matrix is not applied: Lab is read against its
// own white point) and then as RGB. ICC-based colours are read as their device family. Named
// entries pass through unchanged.

#include <optional>

#include <values/Color.h>

namespace MavColor {

// The colour as named separation tints (no colour space). An all-separations colour keeps its
// space and single entry, since it names every ink at once. `objectIntent`: the rendering intent
// of the colour's object, if it sets one (managed conversions only, see ColorManagement.h).
Color ToSeparations(const Color& color, std::optional<RenderingIntent> objectIntent = {});

// Channel mapping of a picture, converted the same way: each entry maps a picture channel
// linearly onto an ink, range[0] at sample 0 and range[1] at full sample. Gray and RGB
// channels map onto Black / Cyan, Magenta, Yellow with the range reversed. Lab channels map
// onto no ink linearly: throws std::invalid_argument (their pictures convert pixel by pixel
// through the profiles, see MavImg::BufferedPictureSource::GetManagedCMYK).
ColorList<ChannelMappingPolicy> ToSeparations(
    const ColorList<SeparationMappingPolicy>& mapping,
    const std::vector<std::array<double, 2>>& channelRanges);

// Process components of a colour space converted to CMYK tints (C, M, Y, K), for spaces that
// fix process components; `components` holds ProcessComponentCount(space) values.
std::array<float, 4> ProcessToCMYK(const ColorSpace& space, const float* components,
                                   std::optional<RenderingIntent> objectIntent = {});

}  // namespace MavColor
