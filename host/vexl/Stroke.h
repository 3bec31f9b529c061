#pragma once
// The area a stroke paints, as a compound to fill with the nonzero rule.

#include <vector>

#include <vexl/Compound.h>

namespace Vexl {

enum class CapStyle { Butt, Round, Square };
enum class JoinStyle { Miter, Round, Bevel };

// A pen in the path's own space (millipoints): width, caps, joins, miter limit, dashes.
struct StrokeParameters {
  double width = 1000;
  CapStyle cap = CapStyle::Butt;
  JoinStyle join = JoinStyle::Miter;
  double miterLimit = 10;
  std::vector<double> dashes;
  double dashPhase = 0;
};

// The painted area of `path` stroked with `pen`, in page space: the outline is made in the
// path's own space, where the pen is round, and mapped by `toPage`, so a non-uniform scale
// gives an elliptical pen. Every piece is a closed counter-clockwise loop (segment bodies,
// joins, caps), so the nonzero rule gives their union: exactly the painted area. Curves are
// flattened within `tolerance` millipoints (page space) before outlining; round joins and caps
// are cubic arcs. A zero width stands for the thinnest printable line, 1/1200 inch on the
// page. Throws std::invalid_argument for non-finite input or a negative width.
Compound OutlineStroke(const Compound& path, const StrokeParameters& pen,
                       const Transformation& toPage, double tolerance);

}  // namespace Vexl
