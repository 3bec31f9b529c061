#include <vexl/StrokeInternal.h>
#include <vexl/SegmentInternal.h>

#include <algorithm>
#include <array>
#include <numbers>

// Bodies of lines and cubics. A cubic is cut at its inflections and cusps, so that each piece
// turns one way, and then halved until each half is "regular" (the pen's half width is below the
// radius of curvature on the inner side) or "tight". A regular piece becomes one loop: the left
// offset, a line across the end, the right offset backwards, a line across the start. Each offset
// is a single cubic through the exact offset end points along the exact end tangents, with handle
// lengths chosen so that its midpoint is the exact offset midpoint; where the end tangents are
// near parallel the handles come from derivative matching, O' = B'·(1 − d·κ), scaled to bring the
// midpoint closest (both are among the methods compared by Elber, Lee & Kim, "Comparing offset
// curve approximation methods", IEEE CG&A 1997). The error is measured both ways at seven sample
// parameters (approximation points against the offset distance, exact offset points against the
// approximation) and the piece is halved while it exceeds the tolerance. On a tight piece the inner offset folds back (a swallowtail), so the inner half is
// taken as the fan of its end normals instead: where they cross within the pen, a triangle beyond
// the crossing, else the chord between the inner offset's ends. The exact inner offset may reach
// beyond that chord; the reach is measured at the sample parameters and the piece is halved while
// it exceeds the tolerance.

namespace Vexl::Stroking {

namespace {

// Halvings of one piece. Only the pieces round a (near) cusp go deep, one or two per level.
constexpr int kMaxDepth = 24;
// A piece whose control polygon is shorter than this fraction of the tolerance is a corner: all of
// it lies within that distance of its start, so it is stroked as a point where the tangent turns.
constexpr double kCornerFraction = 0.25;
// A regular piece turns at most a quarter turn: beyond it one cubic rarely fits its offset.
constexpr double kMaxPieceTurning = std::numbers::pi / 2;
// Error samples at t = i / kSamples.
constexpr int kSamples = 8;
// Control points within this fraction of the tolerance of the chord's line make a straight cubic:
// replacing it with its collinear lines moves nothing by more than that.
constexpr double kStraightFraction = 0.01;
// Inflection parameters closer than this to an end split off nothing.
constexpr double kEndParameter = 1e-9;
// A negative discriminant this small (relative) is a double root: a cusp lost to rounding.
constexpr double kDoubleRootFraction = 1e-9;
// Below this sine between the end tangents the midpoint equations are ill-conditioned.
constexpr double kSolveSine = 0.05;
// Newton steps of a foot-point search, and the parameter step at which it has converged (far
// below any tolerance on a curve of page size).
constexpr int kFootSteps = 4;
constexpr double kFootResolution = 1e-9;
// A derivative shorter than this fraction of the control polygon is a cusp: no direction.
constexpr double kStallFraction = 1e-9;

struct Offset {
  Curve curve;
  double error = 0;
};

Curve Reversed(const Curve& c) { return {c.p3, c.p2, c.p1, c.p0, c.isCubic}; }
double Stall(const Curve& c) { return kStallFraction * 3 * c.PolygonLength(); }

void LineBody(LoopSink& sink, Point from, Point to, const Pen& pen) {
  const Point n = Scale(Perp(Unit(Sub(to, from))), pen.half);
  sink.Polygon({Add(from, n), Sub(from, n), Sub(to, n), Add(to, n)});
}

// The parameter near `t` where `curve` comes closest to q (Newton on (B(t) − q)·B'(t) = 0).
double Foot(const Curve& curve, Point q, double t) {
  for (int step = 0; step < kFootSteps; ++step) {
    const Point r = Sub(curve.Evaluate(t), q), d1 = curve.Derivative(t);
    const double slope = Dot(d1, d1) + Dot(r, curve.SecondDerivative(t));
    if (!(slope > 0)) break;
    const double next = std::clamp(t - Dot(r, d1) / slope, 0.0, 1.0);
    if (std::fabs(next - t) < kFootResolution) return next;
    t = next;
  }
  return t;
}

// How far `approx` strays from the offset of `c` by `distance` (left positive), sampled both ways:
// approximation points against the offset distance, exact offset points against the approximation.
double OffsetError(const Curve& c, const Curve& approx, double distance, double tolerance) {
  double error = 0;
  // The middle first: it is where a bad fit strays most, and any miss settles the answer.
  for (int i : {4, 2, 6, 1, 3, 5, 7}) {
    if (error > tolerance) break;
    const double t = static_cast<double>(i) / kSamples;
    const Point a = approx.Evaluate(t);
    const double reach = Length(Sub(a, c.Evaluate(Foot(c, a, t))));
    error = std::max(error, std::fabs(reach - std::fabs(distance)));
    const Point d1 = c.Derivative(t);
    if (Length(d1) <= Stall(c)) continue;
    const Point exact = Add(c.Evaluate(t), Scale(Perp(Unit(d1)), distance));
    error = std::max(error, Length(Sub(exact, approx.Evaluate(Foot(approx, exact, t)))));
  }
  return error;
}

// The offset handle length from derivative matching, O'(0) = B'(0)·(1 − distance·κ(0)); negative
// when the handle is too short to give a curvature.
double MatchedHandle(Point handle, Point d1, Point d2, double distance, double stall) {
  const double length = Length(handle), speed = Length(d1);
  if (length <= stall || speed <= stall) return -1;
  return std::max(0.0, length * (1 - distance * Cross(d1, d2) / (speed * speed * speed)));
}

Offset FitOffset(const Curve& c, double distance, double tolerance) {
  const Point t0 = c.StartTangent(), t1 = c.EndTangent();
  const Point q0 = Add(c.p0, Scale(Perp(t0), distance)), q3 = Add(c.p3, Scale(Perp(t1), distance));
  const Point d1 = c.Derivative(0.5);
  const Point normal = Perp(Length(d1) > Stall(c) ? Unit(d1) : Unit(Add(t0, t1)));
  const Point middle = Add(c.Evaluate(0.5), Scale(normal, distance));
  // Bézier midpoint: (q0 + q3)/2 + 3/8·(a·t0 − b·t1) must equal the offset midpoint.
  const Point target = Scale(Sub(middle, Scale(Add(q0, q3), 0.5)), 8.0 / 3.0);
  const double sine = Cross(t0, t1);
  double a = -1, b = -1;
  if (std::fabs(sine) > kSolveSine) {
    a = Cross(target, t1) / sine;
    b = Cross(target, t0) / sine;
  }
  if (!(a >= 0 && b >= 0)) {
    a = MatchedHandle(Sub(c.p1, c.p0), c.Derivative(0), c.SecondDerivative(0), distance, Stall(c));
    b = MatchedHandle(Sub(c.p3, c.p2), c.Derivative(1), c.SecondDerivative(1), distance, Stall(c));
    if (a < 0 || b < 0) a = b = Length(Sub(q3, q0)) / 3;
    // The common scale that brings the midpoint closest to the exact one.
    const Point v = Sub(Scale(t0, a), Scale(t1, b));
    const double scale = Dot(v, v) > 0 ? Dot(target, v) / Dot(v, v) : 1;
    if (scale > 0 && std::isfinite(scale)) a *= scale, b *= scale;
  }
  const Curve approx = Curve::Cubic(q0, Add(q0, Scale(t0, a)), Sub(q3, Scale(t1, b)), q3);
  return {approx, OffsetError(c, approx, distance, tolerance)};
}

// The angle the tangent sweeps along a piece that turns one way, summed over quarters so that
// more than a half turn is counted right.
double Turning(const Curve& c) {
  std::array<Point, 5> tangents{c.StartTangent(), {}, {}, {}, c.EndTangent()};
  for (int i = 1; i < 4; ++i) {
    const Point d1 = c.Derivative(i / 4.0);
    tangents[i] = Length(d1) > Stall(c) ? Unit(d1) : tangents[i - 1];
  }
  double turning = 0;
  for (int i = 0; i < 4; ++i) turning += std::fabs(TurnAngle(tangents[i], tangents[i + 1]));
  return turning;
}

// Whether the half width reaches the radius of curvature anywhere (sampled), or the piece stalls.
bool IsTight(const Curve& c, double half) {
  for (int i = 0; i <= kSamples; ++i) {
    const double t = static_cast<double>(i) / kSamples;
    const Point d1 = c.Derivative(t);
    const double speed = Length(d1);
    if (speed <= Stall(c)) return true;
    if (half * std::fabs(Cross(d1, c.SecondDerivative(t))) >= speed * speed * speed) return true;
  }
  return false;
}

// How far the exact inner offset (signed distance `inner`) reaches beyond the chord between its
// end points, on the side away from the curve: what the fan of a tight piece leaves out.
double ChordExcess(const Curve& c, double inner, double tolerance) {
  const Point i0 = Add(c.p0, Scale(Perp(c.StartTangent()), inner));
  const Point i1 = Add(c.p3, Scale(Perp(c.EndTangent()), inner));
  const Point chord = Sub(i1, i0);
  // With no chord to speak of the fan is a sliver; halving settles it.
  if (!(Length(chord) > tolerance)) return 0;
  Point away = Perp(Unit(chord));
  if (Dot(away, Sub(c.Evaluate(0.5), i0)) > 0) away = Scale(away, -1);
  double excess = 0;
  for (int i = 1; i < kSamples && excess <= tolerance; ++i) {
    const double t = static_cast<double>(i) / kSamples;
    const Point d1 = c.Derivative(t);
    if (Length(d1) <= Stall(c)) continue;
    const Point exact = Add(c.Evaluate(t), Scale(Perp(Unit(d1)), inner));
    excess = std::max(excess, Dot(Sub(exact, i0), away));
  }
  return excess;
}

// A tight piece: the regular outer half plus the fan of the inner end normals. Where the end
// normals do not cross within the pen, the inner side is closed by the chord between the inner
// offset's ends, which only a piece too small to halve may use (returns false otherwise).
bool TightBody(LoopSink& sink, const Curve& c, const Curve& outer, double inner, bool mayUseChord) {
  const Point n0 = Scale(Perp(c.StartTangent()), inner), n1 = Scale(Perp(c.EndTangent()), inner);
  const double half = std::fabs(inner);
  const Point i0 = Add(c.p0, n0), i1 = Add(c.p3, n1);
  // Where the end normals cross: p0 + s0·n0/half = p3 + s1·n1/half.
  const Point w = Sub(c.p3, c.p0);
  const double sine = Cross(n0, n1);
  const double s0 = sine != 0 ? Cross(w, n1) / sine * half : -1;
  const double s1 = sine != 0 ? Cross(w, n0) / sine * half : -1;
  const bool crossWithin = s0 >= 0 && s0 <= half && s1 >= 0 && s1 <= half;
  if (!crossWithin && !mayUseChord) return false;
  sink.Start(outer.p0);
  sink.CurveTo(outer);
  if (crossWithin) {
    const Point crossing = Add(c.p0, Scale(n0, s0 / half));
    sink.LineTo(crossing);
    sink.Close();
    sink.Polygon({crossing, i1, i0});
    return true;
  }
  sink.LineTo(i1);
  sink.LineTo(i0);
  sink.Close();
  return true;
}

// A piece too short to matter that may still turn a lot (round a near cusp): a line along its
// chord with round joins from and to its end tangents, as at a cusp.
void CornerBody(LoopSink& sink, const Curve& c, const Pen& pen) {
  const Point chord = Sub(c.p3, c.p0);
  if (!(Length(chord) > 0)) return AddJoin(sink, c.p0, c.StartTangent(), c.EndTangent(), pen, JoinStyle::Round);
  AddJoin(sink, c.p0, c.StartTangent(), Unit(chord), pen, JoinStyle::Round);
  LineBody(sink, c.p0, c.p3, pen);
  AddJoin(sink, c.p3, Unit(chord), c.EndTangent(), pen, JoinStyle::Round);
}

void ConvexBody(LoopSink& sink, const Curve& c, const Pen& pen, int depth) {
  if (c.PolygonLength() <= kCornerFraction * pen.tolerance) return CornerBody(sink, c, pen);
  const bool canSplit = depth < kMaxDepth;
  const auto split = [&] {
    ConvexBody(sink, c.Part(0, 0.5), pen, depth + 1);
    ConvexBody(sink, c.Part(0.5, 1), pen, depth + 1);
  };
  const double turning = Turning(c);
  if (canSplit && turning > kMaxPieceTurning) return split();
  if (!IsTight(c, pen.half)) {
    const Offset left = FitOffset(c, pen.half, pen.tolerance);
    const Offset right = FitOffset(c, -pen.half, pen.tolerance);
    if (canSplit && std::max(left.error, right.error) > pen.tolerance) return split();
    sink.Start(left.curve.p0);
    sink.CurveTo(left.curve);
    sink.LineTo(right.curve.p3);
    sink.CurveTo(Reversed(right.curve));
    sink.Close();
    return;
  }
  // The centre of curvature lies left when the curve turns counter-clockwise.
  const double turnSign = Cross(c.Derivative(0.5), c.SecondDerivative(0.5)) >= 0 ? 1 : -1;
  const double inner = turnSign * pen.half;
  const Offset outer = FitOffset(c, -inner, pen.tolerance);
  if (canSplit && (outer.error > pen.tolerance || ChordExcess(c, inner, pen.tolerance) > pen.tolerance)) {
    return split();
  }
  if (!TightBody(sink, c, outer.curve, inner, !canSplit)) split();
}

// Parameters in (0, 1) where cross(B', B'') changes sign or touches zero: inflections and cusps.
std::vector<double> ConvexSplits(const Curve& c) {
  const Point a = Sub(c.p1, c.p0), b = Sub(c.p2, c.p1), d = Sub(c.p3, c.p2);
  const Point u = Sub(b, a), v = Add(Sub(a, Scale(b, 2)), d);
  // cross(B'/3, B''/6) = cross(u, v)·t² + cross(a, v)·t + cross(a, u).
  const double qa = Cross(u, v), qb = Cross(a, v), qc = Cross(a, u);
  std::vector<double> roots;
  if (qa == 0) {
    if (qb != 0) roots.push_back(-qc / qb);
  } else {
    const double discriminant = qb * qb - 4 * qa * qc;
    if (discriminant >= 0) {
      const double q = -0.5 * (qb + std::copysign(std::sqrt(discriminant), qb));
      roots.push_back(q / qa);
      if (q != 0) roots.push_back(qc / q);
    } else if (-discriminant <= kDoubleRootFraction * std::max(qb * qb, std::fabs(4 * qa * qc))) {
      roots.push_back(-qb / (2 * qa));
    }
  }
  std::vector<double> splits{0};
  std::sort(roots.begin(), roots.end());
  for (double t : roots) {
    if (t > kEndParameter && t < 1 - kEndParameter && t > splits.back()) splits.push_back(t);
  }
  splits.push_back(1);
  return splits;
}

// The direction of the line a straight cubic runs along, or nothing if it is not straight.
bool StraightDirection(const Curve& c, double slack, Point& direction) {
  Point far = Sub(c.p3, c.p0);
  for (Point p : {c.p1, c.p2}) {
    if (Length(Sub(p, c.p0)) > Length(far)) far = Sub(p, c.p0);
  }
  if (!(Length(far) > 0)) return false;
  direction = Unit(far);
  for (Point p : {c.p1, c.p2, c.p3}) {
    if (std::fabs(Cross(Sub(p, c.p0), direction)) > slack) return false;
  }
  return true;
}

// A straight cubic may run back and forth along its line: lines between its turning points, with
// a round join where it turns back (the limit of a curve turning through a half turn).
void StraightBody(LoopSink& sink, const Curve& c, Point direction, const Pen& pen) {
  const auto along = [&](Point p) { return Dot(Sub(p, c.p0), direction); };
  const Vexl::Cubic::Roots roots = Vexl::Cubic::DerivativeRoots(0, along(c.p1), along(c.p2), along(c.p3));
  std::vector<double> ts(roots.t.begin(), roots.t.begin() + roots.count);
  std::sort(ts.begin(), ts.end());
  std::vector<Point> points{c.p0};
  for (double t : ts) points.push_back(c.Evaluate(t));
  points.push_back(c.p3);
  Point previous{};
  bool hasPrevious = false;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const Point step = Sub(points[i + 1], points[i]);
    if (!(Length(step) > 0)) continue;
    if (hasPrevious) AddJoin(sink, points[i], previous, Unit(step), pen, JoinStyle::Round);
    LineBody(sink, points[i], points[i + 1], pen);
    previous = Unit(step);
    hasPrevious = true;
  }
}

}  // namespace

void AddBody(LoopSink& sink, const Curve& curve, const Pen& pen) {
  if (!curve.isCubic) return LineBody(sink, curve.p0, curve.p3, pen);
  Point direction;
  if (StraightDirection(curve, kStraightFraction * pen.tolerance, direction)) {
    return StraightBody(sink, curve, direction, pen);
  }
  const std::vector<double> splits = ConvexSplits(curve);
  Curve previous;
  for (std::size_t i = 0; i + 1 < splits.size(); ++i) {
    const Curve part = curve.Part(splits[i], splits[i + 1]);
    // Tangents agree at an inflection; at a cusp the curve turns back, as a round join does.
    if (i > 0) AddJoin(sink, part.p0, previous.EndTangent(), part.StartTangent(), pen, JoinStyle::Round);
    ConvexBody(sink, part, pen, 0);
    previous = part;
  }
}

}  // namespace Vexl::Stroking
