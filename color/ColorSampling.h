#pragma once
// The flat colour of a fill, when it has one.

#include <variant>

#include <color/SeparationSetup.h>
#include <tessel/Fill.h>

namespace Corvel {

// A fill that is not one flat colour (a picture or a shading takes part).
struct NotFlat {};

// Not yet known, not flat, or the fill's colour as named separation tints (no colour space).
using SampledColor = std::variant<std::monostate, NotFlat, MavColor::Color>;

// The fill's colour: sampled once (one point decides, since every element covers the whole
// region), empty inks dropped. With the context's ink-type rule, separations are walked from
// the last printed one down: an opaque ink (ink type 1) hides what prints before it by its
// tint, and a full opaque ink hides it all. Inks that the document does not list count as
// not opaque.
SampledColor SampleFillColor(const SamplingContext& context, const Tessel::TFill* fill);

// A colour list without entries: paints no ink.
SampledColor MakeEmptyColor();

}  // namespace Corvel
