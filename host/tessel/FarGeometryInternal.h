#pragma once
// Geometry that reaches beyond the fixed-point range: real pages carry clip paths and artwork
// tens of thousands of points off the page. Inside a box that holds everything the map shows,
// such an outline is kept exactly; what lies outside is folded onto the box's edges, which
// leaves the winding number of every point inside the box unchanged.

#include <vector>

#include <vexl/Compound.h>
#include <vexl/Geometry.h>

namespace TesselFixed::Internal {

// The closed subpath as a polygon clipped to `box` (curves become chords within `tolerance`
// where they matter, at most `maxChords` per curve). Empty when nothing of it is inside.
std::vector<Vexl::Point> ClipToBox(const Vexl::Subpath& subpath, const Vexl::Rectangle& box,
                                   double tolerance, int maxChords);

}  // namespace TesselFixed::Internal
