#include <vexl/Compound.h>
#include <vexl/SegmentInternal.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace Vexl {

namespace {

// Four-cubic circle: the control-point distance (as a fraction of the radius) that puts each
// quarter's midpoint on the circle; the radial error stays below 0.027 %.
constexpr double kEllipseKappa = 0.5522847498;

// Running minimum and maximum of one coordinate.
struct Extent {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
};

// Adds the interior extrema of one coordinate of a cubic; its end points are added by the caller.
void AddCubicExtrema(Extent& extent, double p0, double p1, double p2, double p3) {
  const Cubic::Roots roots = Cubic::DerivativeRoots(p0, p1, p2, p3);
  for (std::size_t i = 0; i < roots.count; ++i) {
    extent.Add(Cubic::Evaluate(p0, p1, p2, p3, roots.t[i]));
  }
}

void AddSubpath(Extent& xs, Extent& ys, const Subpath& subpath) {
  Point current = subpath.GetStart();
  xs.Add(current.x);
  ys.Add(current.y);
  for (const Segment& segment : subpath.GetSegments()) {
    if (segment.IsCubic()) {
      AddCubicExtrema(xs, current.x, segment.control1.x, segment.control2.x, segment.end.x);
      AddCubicExtrema(ys, current.y, segment.control1.y, segment.control2.y, segment.end.y);
    }
    xs.Add(segment.end.x);
    ys.Add(segment.end.y);
    current = segment.end;
  }
}

}  // namespace

bool Subpath::IsPolyline() const {
  return std::none_of(segments_.begin(), segments_.end(),
                      [](const Segment& segment) { return segment.IsCubic(); });
}

Rectangle Compound::GetBoundingBox() const {
  if (subpaths_.empty()) return Rectangle::Null();
  Extent xs, ys;
  for (const Subpath& subpath : subpaths_) AddSubpath(xs, ys, subpath);
  return {xs.low, ys.low, xs.high - xs.low, ys.high - ys.low, false};
}

Subpath operator*(const Subpath& subpath, const Transformation& t) {
  Subpath result(t.Apply(subpath.GetStart()), subpath.IsClosed());
  for (const Segment& segment : subpath.GetSegments()) {
    if (segment.IsCubic()) {
      result.CubicTo(t.Apply(segment.control1), t.Apply(segment.control2), t.Apply(segment.end));
    } else {
      result.LineTo(t.Apply(segment.end));
    }
  }
  return result;
}

Compound operator*(const Compound& compound, const Transformation& t) {
  std::vector<Subpath> subpaths;
  subpaths.reserve(compound.GetSubpaths().size());
  for (const Subpath& subpath : compound.GetSubpaths()) subpaths.push_back(subpath * t);
  return Compound(std::move(subpaths));
}

std::shared_ptr<const Compound> CompoundFactory::GetResult() {
  auto result = std::make_shared<const Compound>(std::move(subpaths_));
  subpaths_.clear();  // a moved-from vector is only guaranteed to be valid, not empty
  return result;
}

std::shared_ptr<const Compound> MakeRectangle(const Rectangle& box) {
  CompoundFactory factory;
  // The bounding box of nothing has no outline.
  if (box.IsNull()) return factory.GetResult();
  Subpath outline({box.Left(), box.Bottom()}, true);
  outline.LineTo({box.Right(), box.Bottom()});
  outline.LineTo({box.Right(), box.Top()});
  outline.LineTo({box.Left(), box.Top()});
  factory.AddSubpath(std::move(outline));
  return factory.GetResult();
}

std::shared_ptr<const Compound> MakeEllipse(Point centre, double radiusX, double radiusY) {
  // A negative radius would silently reverse the promised counter-clockwise orientation.
  if (!(radiusX >= 0) || !(radiusY >= 0) || !std::isfinite(radiusX) || !std::isfinite(radiusY)) {
    throw std::invalid_argument("MakeEllipse: radii must be finite and not negative, got " +
                                std::to_string(radiusX) + " and " + std::to_string(radiusY));
  }
  const double cx = centre.x, cy = centre.y;
  const double kx = kEllipseKappa * radiusX, ky = kEllipseKappa * radiusY;
  Subpath outline({cx + radiusX, cy}, true);
  outline.CubicTo({cx + radiusX, cy + ky}, {cx + kx, cy + radiusY}, {cx, cy + radiusY});
  outline.CubicTo({cx - kx, cy + radiusY}, {cx - radiusX, cy + ky}, {cx - radiusX, cy});
  outline.CubicTo({cx - radiusX, cy - ky}, {cx - kx, cy - radiusY}, {cx, cy - radiusY});
  outline.CubicTo({cx + kx, cy - radiusY}, {cx + radiusX, cy - ky}, {cx + radiusX, cy});
  CompoundFactory factory;
  factory.AddSubpath(std::move(outline));
  return factory.GetResult();
}

}  // namespace Vexl
