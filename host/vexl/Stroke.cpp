#include <vexl/Stroke.h>
#include <vexl/StrokeInternal.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Vexl {

namespace {

using Stroking::Curve;
using Stroking::Mark;
using Stroking::LoopSink;
using Stroking::Pen;
using Stroking::Run;

// Segments shorter than this fraction of the tolerance are dropped: their direction is rounding
// noise, and a join along it could throw a miter spike.
constexpr double kNegligibleLengthFraction = 1e-6;
// Loops whose area is below (tolerance × this)² are slivers of no consequence (a bevel at a
// reversal, for one).
constexpr double kNegligibleAreaFraction = 1e-3;
// The tolerance is kept above this fraction of the coordinates' size, where double rounding would
// defeat every error check and the pieces would be halved to the depth limit.
constexpr double kFinestRelativeTolerance = 1e-10;
// A dash pattern that would cut one subpath into more pieces than this is stroked solid: dashes
// that fine print as a lighter solid line, and the count would run away with memory.
constexpr double kMaxDashesPerSubpath = 1e6;

bool IsFinite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void Require(bool condition, const std::string& what) {
  if (!condition) throw std::invalid_argument("OutlineStroke: " + what);
}

void Validate(const Compound& path, const StrokeParameters& pen, const Transformation& toPage,
              double tolerance) {
  Require(std::isfinite(pen.width) && pen.width >= 0,
          "the line width must be finite and not negative, got " + std::to_string(pen.width));
  Require(!std::isnan(pen.miterLimit), "the miter limit is not a number");
  Require(std::isfinite(pen.dashPhase), "the dash phase is not finite");
  for (double dash : pen.dashes) {
    Require(std::isfinite(dash) && dash >= 0,
            "dash lengths must be finite and not negative, got " + std::to_string(dash));
  }
  Require(std::isfinite(tolerance) && tolerance > 0,
          "the tolerance must be positive and finite, got " + std::to_string(tolerance));
  Require(IsFinite({toPage.a, toPage.b}) && IsFinite({toPage.c, toPage.d}) &&
              IsFinite({toPage.tx, toPage.ty}),
          "the transformation is not finite");
  for (const Subpath& subpath : path.GetSubpaths()) {
    bool finite = IsFinite(subpath.GetStart());
    for (const Segment& s : subpath.GetSegments()) {
      finite = finite && IsFinite(s.end) && (!s.IsCubic() || (IsFinite(s.control1) && IsFinite(s.control2)));
    }
    Require(finite, "the stroked path has coordinates that are not finite");
  }
}

// The largest factor by which the linear part stretches a length (its largest singular value).
double LargestScale(const Transformation& t) {
  const double sum = t.a * t.a + t.b * t.b + t.c * t.c + t.d * t.d;
  const double det = t.Determinant();
  return std::sqrt((sum + std::sqrt(std::max(0.0, sum * sum - 4 * det * det))) / 2);
}

// The subpath's lines and cubics, with the closing line of a closed subpath, less the negligible.
Run ToRun(const Subpath& subpath, double negligibleLength) {
  Run run;
  run.closed = subpath.IsClosed();
  Point current = subpath.GetStart();
  const auto add = [&](const Curve& curve) {
    if (curve.PolygonLength() > negligibleLength) run.curves.push_back(curve);
  };
  for (const Segment& s : subpath.GetSegments()) {
    add(s.IsCubic() ? Curve::Cubic(current, s.control1, s.control2, s.end) : Curve::Line(current, s.end));
    current = s.end;
  }
  if (run.closed) add(Curve::Line(current, subpath.GetStart()));
  return run;
}

void DropNegligible(Run& run, double negligibleLength) {
  std::erase_if(run.curves, [&](const Curve& c) { return !(c.PolygonLength() > negligibleLength); });
}

Run Mapped(Run run, const Transformation& t) {
  for (Curve& c : run.curves) {
    c.p0 = t.Apply(c.p0), c.p1 = t.Apply(c.p1), c.p2 = t.Apply(c.p2), c.p3 = t.Apply(c.p3);
  }
  return run;
}

void StrokeRun(LoopSink& sink, const Run& run, const Pen& pen) {
  const auto& curves = run.curves;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    Stroking::AddBody(sink, curves[i], pen);
    if (i > 0) {
      Stroking::AddJoin(sink, curves[i].p0, curves[i - 1].EndTangent(), curves[i].StartTangent(), pen, pen.join);
    }
  }
  if (run.closed) {
    Stroking::AddJoin(sink, curves.front().p0, curves.back().EndTangent(), curves.front().StartTangent(), pen,
                      pen.join);
    return;
  }
  Stroking::AddCap(sink, curves.front().p0, Stroking::Scale(curves.front().StartTangent(), -1), pen);
  Stroking::AddCap(sink, curves.back().p3, curves.back().EndTangent(), pen);
}

bool TooManyDashes(const Run& run, const std::vector<double>& dashes) {
  double length = 0, cycle = 0;
  for (const Curve& c : run.curves) length += c.PolygonLength();
  for (double dash : dashes) cycle += dash;
  return length / cycle * static_cast<double>(dashes.size()) > kMaxDashesPerSubpath;
}

// The size of the numbers involved: the largest coordinate or the width.
double Magnitude(const Compound& path, double width) {
  double largest = width;
  const auto add = [&](Point p) { largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)}); };
  for (const Subpath& subpath : path.GetSubpaths()) {
    add(subpath.GetStart());
    for (const Segment& s : subpath.GetSegments()) add(s.end), add(s.control1), add(s.control2);
  }
  return largest;
}

// Where the pen is round: the path's own space, or the page for a hairline.
struct StrokeSpace {
  Pen pen;
  bool hairline = false;
  Transformation toPage;
  double negligibleLength = 0;  // in the path's own space

  Run Map(Run run) const { return hairline ? Mapped(std::move(run), toPage) : run; }
  Mark Map(Mark dot) const {
    if (!hairline) return dot;
    const Point direction = toPage.ApplyLinear(dot.direction);
    return {toPage.Apply(dot.at), Stroking::Length(direction) > 0 ? Stroking::Unit(direction) : Point{1, 0}};
  }
};

void StrokeSubpath(LoopSink& sink, const Subpath& subpath, const StrokeParameters& style,
                   const StrokeSpace& space) {
  Run run = ToRun(subpath, space.negligibleLength);
  const bool dashed = std::any_of(style.dashes.begin(), style.dashes.end(), [](double d) { return d > 0; });
  if (run.curves.empty()) {
    if (!dashed || Stroking::DashStartsOn(style.dashes, style.dashPhase)) {
      Stroking::AddDot(sink, space.Map(Mark{subpath.GetStart(), {1, 0}}), space.pen);
    }
    return;
  }
  if (!dashed || TooManyDashes(run, style.dashes)) return StrokeRun(sink, space.Map(std::move(run)), space.pen);
  std::vector<Run> dashes;
  std::vector<Mark> dots;
  Stroking::DashRun(run, style.dashes, style.dashPhase, dashes, dots);
  for (Run& dash : dashes) {
    DropNegligible(dash, space.negligibleLength);
    if (!dash.curves.empty()) StrokeRun(sink, space.Map(std::move(dash)), space.pen);
  }
  for (const Mark& dot : dots) Stroking::AddDot(sink, space.Map(dot), space.pen);
}

}  // namespace

Compound OutlineStroke(const Compound& path, const StrokeParameters& pen,
                       const Transformation& toPage, double toleranceInMillipoints) {
  Validate(path, pen, toPage, toleranceInMillipoints);
  const double largest = LargestScale(toPage);
  if (!(std::fabs(toPage.Determinant()) > 0) || !(largest > 0)) return Compound();
  StrokeSpace space;
  space.hairline = pen.width == 0;
  space.toPage = toPage;
  // Lengths in the path's space grow by at most `largest` on the page.
  const double pathTolerance =
      std::max(toleranceInMillipoints / largest, kFinestRelativeTolerance * Magnitude(path, pen.width));
  space.negligibleLength = kNegligibleLengthFraction * pathTolerance;
  space.pen = {space.hairline ? kHairlineWidthInMillipoints / 2 : pen.width / 2, pen.cap, pen.join,
               std::max(1.0, pen.miterLimit), space.hairline ? pathTolerance * largest : pathTolerance};
  const double negligibleArea = std::pow(kNegligibleAreaFraction * space.pen.tolerance, 2);
  LoopSink sink(negligibleArea);
  for (const Subpath& subpath : path.GetSubpaths()) StrokeSubpath(sink, subpath, pen, space);
  Compound outline(sink.Take());
  return space.hairline ? outline : outline * toPage;
}

}  // namespace Vexl
