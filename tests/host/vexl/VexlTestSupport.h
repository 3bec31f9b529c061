#pragma once
// Test-only references for the geometry tests: a de Casteljau evaluator written independently of
// the library's Bernstein form, dense flattening, point-to-polyline distance and seeded random
// curves. Coordinates in millipoints, y up.

#include <vexl/Compound.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace Vexl::Testing {

// The random tests run fewer cases in unoptimised (sanitizer) builds.
#ifdef NDEBUG
constexpr int kRandomCases = 400;
#else
constexpr int kRandomCases = 60;
#endif

inline Point Lerp(Point p, Point q, double t) {
  return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t};
}

inline Point DeCasteljau(Point p0, Point p1, Point p2, Point p3, double t) {
  const Point a = Lerp(p0, p1, t), b = Lerp(p1, p2, t), c = Lerp(p2, p3, t);
  return Lerp(Lerp(a, b, t), Lerp(b, c, t), t);
}

// The subpath's points with every cubic cut into `chordsPerCubic` uniform chords.
inline std::vector<Point> DenseOutline(const Subpath& subpath, int chordsPerCubic) {
  std::vector<Point> points{subpath.GetStart()};
  for (const Segment& s : subpath.GetSegments()) {
    if (s.IsCubic()) {
      const Point p0 = points.back();
      for (int i = 1; i < chordsPerCubic; ++i) {
        points.push_back(
            DeCasteljau(p0, s.control1, s.control2, s.end, double(i) / chordsPerCubic));
      }
    }
    points.push_back(s.end);
  }
  return points;
}

inline double DistanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Distance to the open polyline through `points` (closed when `closed`).
inline double DistanceToPolyline(Point p, const std::vector<Point>& points, bool closed) {
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 1; i < points.size(); ++i) {
    best = std::min(best, DistanceToSegment(p, points[i - 1], points[i]));
  }
  if (closed && !points.empty())
    best = std::min(best, DistanceToSegment(p, points.back(), points[0]));
  if (points.size() == 1) best = std::hypot(p.x - points[0].x, p.y - points[0].y);
  return best;
}

inline Point RandomPoint(std::mt19937& rng, double low, double high) {
  std::uniform_real_distribution<double> coordinate(low, high);
  const double x = coordinate(rng);
  return {x, coordinate(rng)};
}

// A closed subpath of `cubics` random cubics inside [0, 1000]², usually self-intersecting.
inline Subpath RandomCubicSubpath(std::mt19937& rng, int cubics) {
  Subpath subpath(RandomPoint(rng, 0, 1000), true);
  for (int i = 0; i < cubics; ++i) {
    const Point c1 = RandomPoint(rng, 0, 1000), c2 = RandomPoint(rng, 0, 1000);
    const Point end = i + 1 == cubics ? subpath.GetStart() : RandomPoint(rng, 0, 1000);
    subpath.CubicTo(c1, c2, end);
  }
  return subpath;
}

}  // namespace Vexl::Testing
