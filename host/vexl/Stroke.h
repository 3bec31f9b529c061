#pragma once
// Stroke outlines: the area a stroked path paints, as a compound to fill with the nonzero rule.

#include <vector>

#include <vexl/Compound.h>

namespace Vexl {

// Same order as the document model's line caps and joins (and PDF's numbers 0, 1, 2).
enum class CapStyle { Butt, Round, Square };
enum class JoinStyle { Miter, Round, Bevel };

// A pen in the path's own space (millipoints): the line width (0: the thinnest line, see
// OutlineStroke), caps, joins, the miter limit (miter length over line width; below 1 counts as
// 1), and a dash pattern of on/off lengths along the path starting `dashPhase` into the pattern
// (none, or all zero: a solid line).
struct StrokeParameters {
  double width = 1000;
  CapStyle cap = CapStyle::Butt;
  JoinStyle join = JoinStyle::Miter;
  double miterLimit = 10;
  std::vector<double> dashes;
  double dashPhase = 0;
};

// The thinnest line, used for width 0: one pixel of a 1200 ppi device, as a round pen on the page
// whatever the path's transformation.
inline constexpr double kHairlineWidthInMillipoints = 72000.0 / 1200.0;

// The area painted by stroking `path` (in its own space) with `pen`, mapped to the page by
// `toPage`. The outline is made where the pen is round, in the path's own space, and then mapped,
// so a non-uniform scale gives an elliptical pen; a width of 0 instead gets a round pen of
// kHairlineWidthInMillipoints on the page (dash lengths stay in the path's space).
//
// The result is a union of closed counter-clockwise loops (segment bodies, joins, caps, dots) that
// may overlap: filled with the nonzero rule it is the painted area. Curves stay curves: offsets are
// cubics, and round joins and caps are cubic arcs, every offset within `toleranceInMillipoints` of
// the exact one on the page.
//
// Closed subpaths join at their start; open ones and dashes get caps. A subpath of no length (a
// bare move, a closed single point, or segments of zero length; ISO 32000-1 8.5.3.2) paints a
// dot with round caps, a square along the path's x axis with square caps, nothing with butt caps;
// so does a dash of zero length, aligned with the path. A cusp inside a curve is joined round
// (the limit of a curve turning back).
// A singular `toPage` paints nothing.
// Throws std::invalid_argument for non-finite coordinates, a negative or non-finite width or
// dash length, a non-finite phase or transformation, a NaN miter limit, or a tolerance that is
// not positive and finite.
Compound OutlineStroke(const Compound& path, const StrokeParameters& pen,
                       const Transformation& toPage, double toleranceInMillipoints);

}  // namespace Vexl
