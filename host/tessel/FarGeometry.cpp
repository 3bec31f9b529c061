#include <tessel/FarGeometryInternal.h>

#include <algorithm>
#include <cmath>

namespace TesselFixed::Internal {

namespace {

using Vexl::Point;

// Whether the four points lie wholly beyond one side of the box: the curve they control cannot
// enter it, and a chord between its ends folds onto the same edge.
bool BeyondOneSide(const Point (&p)[4], const Vexl::Rectangle& box) {
  const auto all = [&](auto beyond) { return std::all_of(std::begin(p), std::end(p), beyond); };
  return all([&](Point q) { return q.x < box.Left(); }) || all([&](Point q) { return q.x > box.Right(); }) ||
         all([&](Point q) { return q.y < box.Bottom(); }) || all([&](Point q) { return q.y > box.Top(); });
}

std::vector<Point> Polygon(const Vexl::Subpath& subpath, const Vexl::Rectangle& box, double tolerance,
                           int maxChords) {
  std::vector<Point> points{subpath.GetStart()};
  for (const Vexl::Segment& s : subpath.GetSegments()) {
    const Point p[4] = {points.back(), s.control1, s.control2, s.end};
    if (s.IsCubic() && !BeyondOneSide(p, box)) {
      const double d0 = std::hypot(p[0].x - 2 * p[1].x + p[2].x, p[0].y - 2 * p[1].y + p[2].y);
      const double d1 = std::hypot(p[1].x - 2 * p[2].x + p[3].x, p[1].y - 2 * p[2].y + p[3].y);
      const double wanted = std::ceil(std::sqrt(0.75 * std::max(d0, d1) / tolerance));
      const int n = static_cast<int>(std::clamp(wanted, 1.0, static_cast<double>(maxChords)));
      for (int i = 1; i < n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        points.push_back({a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
                          a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y});
      }
    }
    points.push_back(s.end);
  }
  return points;
}

// One step of Sutherland–Hodgman: keeps the side of a line where `inside` holds.
template <class Inside, class Cross>
std::vector<Point> ClipEdge(const std::vector<Point>& in, Inside inside, Cross cross) {
  std::vector<Point> out;
  out.reserve(in.size() + 4);
  for (std::size_t i = 0; i < in.size(); ++i) {
    const Point a = in[i], b = in[(i + 1) % in.size()];
    const bool ia = inside(a), ib = inside(b);
    if (ia) out.push_back(a);
    if (ia != ib) out.push_back(cross(a, b));
  }
  return out;
}

Point AtX(Point a, Point b, double x) { return {x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; }
Point AtY(Point a, Point b, double y) { return {a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; }

}  // namespace

std::vector<Point> ClipToBox(const Vexl::Subpath& subpath, const Vexl::Rectangle& box, double tolerance,
                             int maxChords) {
  std::vector<Point> points = Polygon(subpath, box, tolerance, maxChords);
  const double l = box.Left(), r = box.Right(), b = box.Bottom(), t = box.Top();
  points = ClipEdge(points, [&](Point p) { return p.x >= l; }, [&](Point p, Point q) { return AtX(p, q, l); });
  points = ClipEdge(points, [&](Point p) { return p.x <= r; }, [&](Point p, Point q) { return AtX(p, q, r); });
  points = ClipEdge(points, [&](Point p) { return p.y >= b; }, [&](Point p, Point q) { return AtY(p, q, b); });
  points = ClipEdge(points, [&](Point p) { return p.y <= t; }, [&](Point p, Point q) { return AtY(p, q, t); });
  if (points.size() < 3) points.clear();
  return points;
}

}  // namespace TesselFixed::Internal
