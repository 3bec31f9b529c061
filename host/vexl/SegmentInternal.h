#pragma once
// Helpers for cubic Bézier segments shared by the bounding box, winding and flattening code. A
// cubic is its start point plus a Segment of kind Cubic; the scalar forms take one coordinate
// (p0..p3: the start, the two control points and the end). Millipoints, y up.

#include <vexl/Compound.h>

#include <array>
#include <cstddef>

namespace Vexl::Cubic {

// The coordinate at parameter t, in Bernstein form: exact at t = 0 and t = 1.
inline double Evaluate(double p0, double p1, double p2, double p3, double t) {
  const double s = 1 - t;
  return s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3;
}

inline Point Evaluate(Point p0, const Segment& cubic, double t) {
  return {Evaluate(p0.x, cubic.control1.x, cubic.control2.x, cubic.end.x, t),
          Evaluate(p0.y, cubic.control1.y, cubic.control2.y, cubic.end.y, t)};
}

// Parameters strictly inside (0, 1) where the coordinate's derivative vanishes: at most two.
struct Roots {
  std::array<double, 2> t{};
  std::size_t count = 0;
};
Roots DerivativeRoots(double p0, double p1, double p2, double p3);

// The parameters 0, 1 and every interior extremum of x or y, sorted: between two neighbours the
// curve is monotone in both coordinates.
struct MonotoneSplits {
  std::array<double, 6> t{};
  std::size_t count = 0;
};
MonotoneSplits SplitMonotone(Point p0, const Segment& cubic);

}  // namespace Vexl::Cubic
