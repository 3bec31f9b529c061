#include <vexl/SegmentInternal.h>

#include <cmath>

namespace Vexl::Cubic {

namespace {

void AddIfInside(Roots& roots, double t) {
  if (t > 0 && t < 1) roots.t[roots.count++] = t;
}

// Every root lies in (0, 1), so the leading 0 stays first.
void InsertSorted(MonotoneSplits& splits, double t) {
  std::size_t i = splits.count++;
  for (; splits.t[i - 1] > t; --i) splits.t[i] = splits.t[i - 1];
  splits.t[i] = t;
}

}  // namespace

Roots DerivativeRoots(double p0, double p1, double p2, double p3) {
  // B'(t) / 3 = a·t² + b·t + c.
  const double a = -p0 + 3 * (p1 - p2) + p3;
  const double b = 2 * (p0 - 2 * p1 + p2);
  const double c = p1 - p0;
  Roots roots;
  if (a == 0) {
    if (b != 0) AddIfInside(roots, -c / b);
    return roots;
  }
  const double discriminant = b * b - 4 * a * c;
  if (discriminant < 0) return roots;
  // The cancellation-free form: q has the sign of b, so b + sign(b)·√D never cancels.
  const double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
  AddIfInside(roots, q / a);
  if (q != 0) {
    const double other = c / q;
    if (roots.count == 0 || other != roots.t[0]) AddIfInside(roots, other);
  }
  return roots;
}

MonotoneSplits SplitMonotone(Point p0, const Segment& cubic) {
  MonotoneSplits splits;
  splits.t[splits.count++] = 0;
  for (const Roots& roots :
       {DerivativeRoots(p0.x, cubic.control1.x, cubic.control2.x, cubic.end.x),
        DerivativeRoots(p0.y, cubic.control1.y, cubic.control2.y, cubic.end.y)}) {
    for (std::size_t i = 0; i < roots.count; ++i) InsertSorted(splits, roots.t[i]);
  }
  splits.t[splits.count++] = 1;
  return splits;
}

}  // namespace Vexl::Cubic
