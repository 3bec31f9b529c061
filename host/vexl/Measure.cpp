#include <vexl/Measure.h>
#include <vexl/SegmentInternal.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace Vexl {

namespace {

// Bisection steps on one monotone piece of a cubic: after 64 halvings the parameter interval is
// below double resolution, so only a probe on the curve itself can get this far.
constexpr int kMaxBisections = 64;
// A hard limit on chords per cubic so that a tiny tolerance or a non-finite coordinate fails
// loudly instead of exhausting memory.
constexpr double kMaxChordsPerCubic = 1 << 22;
// Wang's bound for a cubic: n(n-1)/8 with n = 3.
constexpr double kWangFactor = 0.75;

Point Minus(Point p, Point q) { return {p.x - q.x, p.y - q.y}; }
double Cross(Point p, Point q) { return p.x * q.y - p.y * q.x; }

// Green's theorem, ½∮(x dy − y dx), over one cubic with coordinates relative to the origin.
double CubicAreaTerm(Point p0, Point p1, Point p2, Point p3) {
  return (6 * Cross(p0, p1) + 3 * Cross(p0, p2) + Cross(p0, p3) + 3 * Cross(p1, p2) +
          3 * Cross(p1, p3) + 6 * Cross(p2, p3)) /
         20;
}

// +1 or −1 when the segment a → b crosses the ray from p towards +x going up or down. Half-open
// in y, so a vertex on the ray counts once.
int LineWinding(Point a, Point b, Point p) {
  if (a.y <= p.y) {
    if (b.y > p.y && Cross(Minus(b, a), Minus(p, a)) > 0) return 1;
  } else if (b.y <= p.y && Cross(Minus(b, a), Minus(p, a)) < 0) {
    return -1;
  }
  return 0;
}

// Whether a piece of the cubic that is monotone in x and y, and whose y range holds p.y, meets
// the horizontal line through p to the right of p. Bisection keeps the crossing between lo and
// hi; since x is monotone too, it stops as soon as both ends lie on one side of p.
bool CrossesRightOf(Point start, const Segment& cubic, double lo, double hi, Point low, Point high,
                    Point p, bool upward) {
  double xLow = low.x, xHigh = high.x;
  for (int step = 0; step < kMaxBisections; ++step) {
    if (std::min(xLow, xHigh) > p.x) return true;
    if (std::max(xLow, xHigh) <= p.x) return false;
    const double middle = 0.5 * (lo + hi);
    const Point m = Cubic::Evaluate(start, cubic, middle);
    if ((m.y <= p.y) == upward) {
      lo = middle;
      xLow = m.x;
    } else {
      hi = middle;
      xHigh = m.x;
    }
  }
  return 0.5 * (xLow + xHigh) > p.x;
}

int CubicWinding(Point start, const Segment& cubic, Point p) {
  const auto [minY, maxY] = std::minmax({start.y, cubic.control1.y, cubic.control2.y, cubic.end.y});
  const double maxX = std::max({start.x, cubic.control1.x, cubic.control2.x, cubic.end.x});
  // The curve lies in its control polygon's hull: rule out most cubics without solving anything.
  if (p.y < minY || p.y >= maxY || maxX <= p.x) return 0;
  const Cubic::MonotoneSplits splits = Cubic::SplitMonotone(start, cubic);
  int winding = 0;
  Point low = start;
  for (std::size_t i = 1; i < splits.count; ++i) {
    const Point high = Cubic::Evaluate(start, cubic, splits.t[i]);
    const bool upward = low.y <= p.y && p.y < high.y;
    const bool downward = high.y <= p.y && p.y < low.y;
    if ((upward || downward) &&
        CrossesRightOf(start, cubic, splits.t[i - 1], splits.t[i], low, high, p, upward)) {
      winding += upward ? 1 : -1;
    }
    low = high;
  }
  return winding;
}

int SubpathWinding(const Subpath& subpath, Point p) {
  int winding = 0;
  Point current = subpath.GetStart();
  for (const Segment& segment : subpath.GetSegments()) {
    winding += segment.IsCubic() ? CubicWinding(current, segment, p)
                                 : LineWinding(current, segment.end, p);
    current = segment.end;
  }
  return winding + LineWinding(current, subpath.GetStart(), p);
}

int ChordCount(Point p0, const Segment& cubic, double tolerance) {
  const Point second0 = {p0.x - 2 * cubic.control1.x + cubic.control2.x,
                         p0.y - 2 * cubic.control1.y + cubic.control2.y};
  const Point second1 = {cubic.control1.x - 2 * cubic.control2.x + cubic.end.x,
                         cubic.control1.y - 2 * cubic.control2.y + cubic.end.y};
  const double largest =
      std::max(std::hypot(second0.x, second0.y), std::hypot(second1.x, second1.y));
  const double chords = std::ceil(std::sqrt(kWangFactor * largest / tolerance));
  if (!(chords <= kMaxChordsPerCubic)) {
    throw std::invalid_argument("MakePolyline: a cubic would need " + std::to_string(chords) +
                                " chords at tolerance " + std::to_string(tolerance) + " (limit " +
                                std::to_string(kMaxChordsPerCubic) +
                                "); its coordinates are not finite or the tolerance is too small");
  }
  return std::max(1, static_cast<int>(chords));
}

}  // namespace

double SignedArea(const Subpath& subpath) {
  // Relative to the start, the closing line back to it adds nothing, and large page coordinates
  // do not cancel in the cross products.
  const Point origin = subpath.GetStart();
  Point current{};
  double area = 0;
  for (const Segment& segment : subpath.GetSegments()) {
    const Point end = Minus(segment.end, origin);
    if (segment.IsCubic()) {
      area += CubicAreaTerm(current, Minus(segment.control1, origin),
                            Minus(segment.control2, origin), end);
    } else {
      area += 0.5 * Cross(current, end);
    }
    current = end;
  }
  return area;
}

double SignedArea(const Compound& compound) {
  double area = 0;
  for (const Subpath& subpath : compound.GetSubpaths()) area += SignedArea(subpath);
  return area;
}

int WindingNumber(const Compound& compound, Point p) {
  int winding = 0;
  for (const Subpath& subpath : compound.GetSubpaths()) winding += SubpathWinding(subpath, p);
  return winding;
}

bool Contains(const Compound& compound, Point p, FillRule rule) {
  const int winding = WindingNumber(compound, p);
  return rule == FillRule::NonZero ? winding != 0 : winding % 2 != 0;
}

Subpath MakePolyline(const Subpath& subpath, double tolerance) {
  if (!(tolerance > 0) || !std::isfinite(tolerance)) {
    throw std::invalid_argument("MakePolyline: tolerance must be positive and finite, got " +
                                std::to_string(tolerance));
  }
  // Wang's formula: n uniform chords keep the chordal deviation within the tolerance. Counting
  // them first lets the result be allocated once; fine tolerances give hundreds of thousands.
  std::vector<int> chords;
  std::size_t total = 0;
  Point current = subpath.GetStart();
  for (const Segment& segment : subpath.GetSegments()) {
    if (segment.IsCubic()) chords.push_back(ChordCount(current, segment, tolerance));
    total += segment.IsCubic() ? static_cast<std::size_t>(chords.back()) : 1;
    current = segment.end;
  }
  Subpath polyline(subpath.GetStart(), subpath.IsClosed());
  polyline.Reserve(total);
  current = subpath.GetStart();
  auto chordCount = chords.begin();
  for (const Segment& segment : subpath.GetSegments()) {
    if (segment.IsCubic()) {
      const int n = *chordCount++;
      for (int i = 1; i < n; ++i) {
        polyline.LineTo(Cubic::Evaluate(current, segment, static_cast<double>(i) / n));
      }
    }
    polyline.LineTo(segment.end);
    current = segment.end;
  }
  return polyline;
}

}  // namespace Vexl
