#include <vexl/StrokeInternal.h>

#include <algorithm>
#include <numbers>

namespace Vexl::Stroking {

namespace {

// A turn whose outer gap (half width × angle) is below this fraction of the tolerance needs no
// join piece: the gap is far below anything the tolerance lets through.
constexpr double kJoinGapFraction = 1e-3;
// A miter whose tip lies farther out than this many half widths (a turn within 1e-6 rad of a full
// reversal) is beveled even under an unbounded miter limit: its tip would be out of any page.
constexpr double kLongestMiter = 1e6;
// Arcs are cut into at most this many cubics per quarter turn, whatever the tolerance.
constexpr int kMaxArcPartsPerQuarter = 64;

Point Rotate(Point p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * p.x - s * p.y, s * p.x + c * p.y};
}

// The radial error of one cubic standing for a circular arc of `angle` radians whose inner control
// points lie at 4/3·tan(angle/4) radii along the end tangents (end points and tangents exact).
double ArcError(double radius, double angle) {
  const double s = std::sin(angle / 4), c = std::cos(angle / 4);
  return radius * 2 * std::pow(s, 6) / (27 * c * c);
}

// Appends the arc of `radius` round `centre` that starts in unit direction `from` and turns by
// `sweep` radians (counter-clockwise positive): as few cubics as keep it within the tolerance.
void ArcTo(LoopSink& sink, Point centre, double radius, Point from, double sweep, double tolerance) {
  const double quarters = std::max(1.0, std::ceil(std::fabs(sweep) / (std::numbers::pi / 2) - 1e-9));
  int parts = static_cast<int>(quarters);
  while (parts < quarters * kMaxArcPartsPerQuarter &&
         ArcError(radius, std::fabs(sweep) / parts) > tolerance) {
    parts *= 2;
  }
  const double step = sweep / parts;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  Point u = from;
  for (int i = 0; i < parts; ++i) {
    const Point v = i + 1 == parts ? Rotate(from, sweep) : Rotate(u, step);
    sink.CubicTo(Add(centre, Scale(Add(u, Scale(Perp(u), k)), radius)),
                 Add(centre, Scale(Sub(v, Scale(Perp(v), k)), radius)),
                 Add(centre, Scale(v, radius)));
    u = v;
  }
}

}  // namespace

void AddJoin(LoopSink& sink, Point at, Point in, Point out, const Pen& pen, JoinStyle join) {
  const double turn = TurnAngle(in, out);
  const double angle = std::fabs(turn);
  if (angle * pen.half <= kJoinGapFraction * pen.tolerance) return;
  // The outer side of the turn, where the bodies of the two pieces leave a notch: the right side
  // of a left turn.
  const double side = turn >= 0 ? -1 : 1;
  const Point outerIn = Scale(Perp(in), side), outerOut = Scale(Perp(out), side);
  const Point a = Add(at, Scale(outerIn, pen.half)), b = Add(at, Scale(outerOut, pen.half));
  if (join == JoinStyle::Round) {
    sink.Start(at);
    sink.LineTo(a);
    ArcTo(sink, at, pen.half, outerIn, turn, pen.tolerance);
    sink.Close();
    return;
  }
  // ISO 32000-1 8.4.3.5: miter length / line width = 1 / sin(φ/2), φ the angle between the
  // segments, which is π minus the turn.
  const double cosHalfTurn = std::cos(angle / 2);
  const double miterRatio = 1 / cosHalfTurn;
  if (join == JoinStyle::Miter && miterRatio <= pen.miterLimit && miterRatio <= kLongestMiter) {
    const Point tip = Add(at, Scale(Unit(Add(outerIn, outerOut)), pen.half * miterRatio));
    sink.Polygon({at, a, tip, b});
    return;
  }
  sink.Polygon({at, a, b});
}

void AddCap(LoopSink& sink, Point at, Point outward, const Pen& pen) {
  const Point side = Scale(Perp(outward), pen.half), ahead = Scale(outward, pen.half);
  if (pen.cap == CapStyle::Square) {
    sink.Polygon({Add(at, side), Sub(at, side), Add(Sub(at, side), ahead), Add(Add(at, side), ahead)});
  } else if (pen.cap == CapStyle::Round) {
    sink.Start(Sub(at, side));
    ArcTo(sink, at, pen.half, Scale(Perp(outward), -1), std::numbers::pi, pen.tolerance);
    sink.Close();
  }
}

void AddDot(LoopSink& sink, const Mark& dot, const Pen& pen) {
  if (pen.cap == CapStyle::Round) {
    sink.Start(Add(dot.at, {pen.half, 0}));
    ArcTo(sink, dot.at, pen.half, {1, 0}, 2 * std::numbers::pi, pen.tolerance);
    sink.Close();
  } else if (pen.cap == CapStyle::Square) {
    const Point along = Scale(dot.direction, pen.half), across = Scale(Perp(dot.direction), pen.half);
    sink.Polygon({Sub(Sub(dot.at, along), across), Sub(Add(dot.at, along), across),
                  Add(Add(dot.at, along), across), Add(Sub(dot.at, along), across)});
  }
}

}  // namespace Vexl::Stroking
