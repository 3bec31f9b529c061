#include <vexl/StrokeInternal.h>

#include <algorithm>

#include <vexl/Measure.h>

namespace Vexl::Stroking {

namespace {

// A control point closer to the end point than this fraction of the control polygon gives no
// usable direction: its difference is rounding noise.
constexpr double kCoincidentFraction = 1e-12;

Point Lerp(Point p, Point q, double t) { return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}; }

// The first of the differences that is longer than the noise floor, as a unit vector.
Point FirstDirection(std::initializer_list<Point> candidates, double noise) {
  for (Point d : candidates) {
    if (Length(d) > noise) return Unit(d);
  }
  const Point last = *(candidates.end() - 1);
  return Length(last) > 0 ? Unit(last) : Point{1, 0};
}

// Subpath with its segments in reverse order, cubics mirrored.
Subpath Reversed(const Subpath& loop) {
  const auto& segments = loop.GetSegments();
  Subpath result(loop.GetEnd(), true);
  result.Reserve(segments.size());
  for (std::size_t i = segments.size(); i-- > 0;) {
    const Point to = i == 0 ? loop.GetStart() : segments[i - 1].end;
    if (segments[i].IsCubic()) {
      result.CubicTo(segments[i].control2, segments[i].control1, to);
    } else {
      result.LineTo(to);
    }
  }
  return result;
}

}  // namespace

Point Curve::Evaluate(double t) const {
  if (!isCubic) return Lerp(p0, p3, t);
  const double s = 1 - t;
  const double b0 = s * s * s, b1 = 3 * s * s * t, b2 = 3 * s * t * t, b3 = t * t * t;
  return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
          b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

Point Curve::Derivative(double t) const {
  if (!isCubic) return Sub(p3, p0);
  const double s = 1 - t;
  const Point a = Sub(p1, p0), b = Sub(p2, p1), c = Sub(p3, p2);
  return Scale(Add(Add(Scale(a, s * s), Scale(b, 2 * s * t)), Scale(c, t * t)), 3);
}

Point Curve::SecondDerivative(double t) const {
  if (!isCubic) return {};
  const Point u = Sub(Sub(p2, p1), Sub(p1, p0)), v = Sub(Sub(p3, p2), Sub(p2, p1));
  return Scale(Add(Scale(u, 1 - t), Scale(v, t)), 6);
}

Curve Curve::Part(double t0, double t1) const {
  const Point from = t0 == 0 ? p0 : Evaluate(t0);
  const Point to = t1 == 1 ? p3 : Evaluate(t1);
  if (!isCubic) return Line(from, to);
  // The derivative scaled to the sub-interval gives the inner control points exactly.
  const double span = (t1 - t0) / 3;
  return Cubic(from, Add(from, Scale(Derivative(t0), span)), Sub(to, Scale(Derivative(t1), span)),
               to);
}

double Curve::PolygonLength() const {
  if (!isCubic) return Length(Sub(p3, p0));
  return Length(Sub(p1, p0)) + Length(Sub(p2, p1)) + Length(Sub(p3, p2));
}

Point Curve::StartTangent() const {
  const double noise = kCoincidentFraction * PolygonLength();
  if (!isCubic) return FirstDirection({Sub(p3, p0)}, noise);
  return FirstDirection({Sub(p1, p0), Sub(p2, p0), Sub(p3, p0)}, noise);
}

Point Curve::EndTangent() const {
  const double noise = kCoincidentFraction * PolygonLength();
  if (!isCubic) return FirstDirection({Sub(p3, p0)}, noise);
  return FirstDirection({Sub(p3, p2), Sub(p3, p1), Sub(p3, p0)}, noise);
}

void LoopSink::CurveTo(const Curve& curve) {
  if (curve.isCubic) {
    CubicTo(curve.p1, curve.p2, curve.p3);
  } else {
    LineTo(curve.p3);
  }
}

void LoopSink::Close() {
  const double area = SignedArea(current_);
  if (std::fabs(area) <= negligibleArea_) return;
  loops_.push_back(area > 0 ? std::move(current_) : Reversed(current_));
}

void LoopSink::Polygon(std::initializer_list<Point> points) {
  Start(*points.begin());
  for (auto p = points.begin() + 1; p != points.end(); ++p) LineTo(*p);
  Close();
}

}  // namespace Vexl::Stroking
