#pragma once
// Private parts of the stroke outliner: plane vectors, the lines and cubics being stroked, the
// pen, and the collector of closed loops. Everything here works in the space where the pen is
// round (the path's own space, or the page for a hairline); millipoints there, y up.

#include <vexl/Compound.h>
#include <vexl/Stroke.h>

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace Vexl::Stroking {

inline Point Add(Point p, Point q) { return {p.x + q.x, p.y + q.y}; }
inline Point Sub(Point p, Point q) { return {p.x - q.x, p.y - q.y}; }
inline Point Scale(Point p, double s) { return {p.x * s, p.y * s}; }
inline double Dot(Point p, Point q) { return p.x * q.x + p.y * q.y; }
inline double Cross(Point p, Point q) { return p.x * q.y - p.y * q.x; }
// Plain root of squares, not std::hypot: several times faster, and stroke coordinates are far
// from the range where the squares would overflow.
inline double Length(Point p) { return std::sqrt(p.x * p.x + p.y * p.y); }
// The direction turned a quarter counter-clockwise: the left normal of a tangent.
inline Point Perp(Point p) { return {-p.y, p.x}; }
inline Point Unit(Point p) { return Scale(p, 1 / Length(p)); }
// The signed angle (radians, counter-clockwise positive) that turns unit `from` into unit `to`.
inline double TurnAngle(Point from, Point to) { return std::atan2(Cross(from, to), Dot(from, to)); }

// A line (p0 → p3; p1 and p2 unused) or a cubic Bézier (p0, p1, p2, p3) to stroke.
struct Curve {
  Point p0, p1, p2, p3;
  bool isCubic = false;

  static Curve Line(Point from, Point to) { return {from, {}, {}, to, false}; }
  static Curve Cubic(Point p0, Point p1, Point p2, Point p3) { return {p0, p1, p2, p3, true}; }
  Point Evaluate(double t) const;
  // B'(t); for a line the chord.
  Point Derivative(double t) const;
  Point SecondDerivative(double t) const;
  // The part between parameters t0 < t1 (de Casteljau), end points kept exact at 0 and 1.
  Curve Part(double t0, double t1) const;
  // Unit tangents at the ends, taken from the nearest control point that is not on top of the
  // end point, so that coincident control points still give the curve's direction.
  Point StartTangent() const;
  Point EndTangent() const;
  // Length of the control polygon: an upper bound of the arc length.
  double PolygonLength() const;
};

// One connected run of curves to stroke: a whole subpath or one dash. No curve has zero length.
struct Run {
  std::vector<Curve> curves;
  bool closed = false;
};

// What a zero-length piece paints (a dot with round caps, a square with square caps), with the
// direction the square is aligned to.
struct Mark {
  Point at;
  Point direction;
};

// The pen in stroking space: half the line width, caps, joins, and the tolerance there.
struct Pen {
  double half = 0;
  CapStyle cap = CapStyle::Butt;
  JoinStyle join = JoinStyle::Miter;
  double miterLimit = 10;
  double tolerance = 1;
};

// Collects closed loops and turns each one counter-clockwise, so that their union under the
// nonzero rule is the painted area; loops with no area are dropped. Every loop it is given must be
// simple (not self-crossing), or its negative lobes would cancel other pieces.
class LoopSink {
 public:
  explicit LoopSink(double negligibleArea) : negligibleArea_(negligibleArea) {}
  void Start(Point p) { current_ = Subpath(p, true); }
  void LineTo(Point p) { current_.LineTo(p); }
  void CubicTo(Point c1, Point c2, Point p) { current_.CubicTo(c1, c2, p); }
  void CurveTo(const Curve& curve);
  void Close();
  void Polygon(std::initializer_list<Point> points);
  std::vector<Subpath> Take() { return std::move(loops_); }

 private:
  double negligibleArea_;
  Subpath current_;
  std::vector<Subpath> loops_;
};

// Joins and caps (StrokeJoin.cpp). Tangents are unit vectors along the path.
void AddJoin(LoopSink& sink, Point at, Point in, Point out, const Pen& pen, JoinStyle join);
void AddCap(LoopSink& sink, Point at, Point outward, const Pen& pen);
void AddDot(LoopSink& sink, const Mark& dot, const Pen& pen);

// The body of one line or cubic: the area its normal segments of half length pen.half sweep, with
// round joins where a cubic turns back on itself (StrokeOffset.cpp).
void AddBody(LoopSink& sink, const Curve& curve, const Pen& pen);

// The dashes of a run (StrokeDash.cpp): open runs, and dots for dashes of zero length. `dashes`
// has a positive sum; the phase is any finite number.
void DashRun(const Run& run, const std::vector<double>& dashes, double phase,
             std::vector<Run>& pieces, std::vector<Mark>& dots);
// Whether the pattern is on at distance 0 (a degenerate subpath is painted only then).
bool DashStartsOn(const std::vector<double>& dashes, double phase);

}  // namespace Vexl::Stroking
