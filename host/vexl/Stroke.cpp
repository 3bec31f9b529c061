#include <vexl/Stroke.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <vexl/Measure.h>

namespace Vexl {

namespace {

// The thinnest printable line: one pixel of a 1200 ppi device, in millipoints.
constexpr double kHairline = 72000.0 / 1200.0;

Point Add(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point Sub(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point Scale(Point a, double s) { return {a.x * s, a.y * s}; }
double Cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
double Length(Point a) { return std::hypot(a.x, a.y); }
Point Normal(Point direction) { return {-direction.y, direction.x}; }

// Collects closed pieces, each made counter-clockwise.
class Pieces {
 public:
  void Polygon(std::vector<Point> points) {
    if (points.size() < 3) return;
    Subpath loop(points.front(), true);
    for (std::size_t i = 1; i < points.size(); ++i) loop.LineTo(points[i]);
    const double area = SignedArea(loop);
    if (area == 0) return;
    if (area < 0) {
      std::reverse(points.begin(), points.end());
      Subpath reversed(points.front(), true);
      for (std::size_t i = 1; i < points.size(); ++i) reversed.LineTo(points[i]);
      loop = reversed;
    }
    subpaths_.push_back(std::move(loop));
  }
  void Disc(Point centre, double radius) {
    const auto disc = MakeEllipse(centre, radius, radius);
    subpaths_.push_back(disc->GetSubpaths().front());
  }
  std::vector<Subpath> Take() { return std::move(subpaths_); }

 private:
  std::vector<Subpath> subpaths_;
};

// One run of points to stroke, open or closed, with at least two distinct points.
struct Run {
  std::vector<Point> points;
  bool closed = false;
};

void Join(Pieces& pieces, Point at, Point in, Point out, const StrokeParameters& pen, double half) {
  const double turn = Cross(in, out);
  if (pen.join == JoinStyle::Round) {
    pieces.Disc(at, half);
    return;
  }
  if (std::fabs(turn) < 1e-12 && in.x * out.x + in.y * out.y > 0) return;  // straight on
  // The outer side of the turn is where the segment bodies leave a notch.
  const double side = turn > 0 ? -1 : 1;
  const Point a = Add(at, Scale(Normal(in), side * half));
  const Point b = Add(at, Scale(Normal(out), side * half));
  const double cosTheta = std::clamp(in.x * out.x + in.y * out.y, -1.0, 1.0);
  const double miterLength = 1 / std::sqrt(std::max(1e-300, (1 + cosTheta) / 2));  // 1/sin(φ/2)
  if (pen.join == JoinStyle::Miter && miterLength <= pen.miterLimit) {
    const Point bisector = Sub(Normal(in), Scale(Normal(out), -1));
    const double l = Length(bisector);
    if (l > 0) {
      const Point tip = Add(at, Scale(bisector, side * half * miterLength / l));
      pieces.Polygon({at, a, tip, b});
      return;
    }
  }
  pieces.Polygon({at, a, b});
}

void Cap(Pieces& pieces, Point at, Point direction, const StrokeParameters& pen, double half) {
  if (pen.cap == CapStyle::Round) {
    pieces.Disc(at, half);
  } else if (pen.cap == CapStyle::Square) {
    const Point n = Scale(Normal(direction), half), d = Scale(direction, half);
    pieces.Polygon({Add(at, n), Sub(at, n), Add(Sub(at, n), d), Add(Add(at, n), d)});
  }
}

void StrokeRun(Pieces& pieces, const Run& run, const StrokeParameters& pen, double half) {
  const auto& p = run.points;
  const std::size_t n = p.size();
  std::vector<Point> directions;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const Point d = Sub(p[i + 1], p[i]);
    directions.push_back(Scale(d, 1 / Length(d)));
    const Point offset = Scale(Normal(directions.back()), half);
    pieces.Polygon({Add(p[i], offset), Sub(p[i], offset), Sub(p[i + 1], offset), Add(p[i + 1], offset)});
  }
  for (std::size_t i = 1; i + 1 < n; ++i) Join(pieces, p[i], directions[i - 1], directions[i], pen, half);
  if (run.closed) {
    Join(pieces, p.front(), directions.back(), directions.front(), pen, half);
    return;
  }
  Cap(pieces, p.front(), Scale(directions.front(), -1), pen, half);
  Cap(pieces, p.back(), directions.back(), pen, half);
}

// The subpath as a run of distinct points (closing it when it is closed).
Run ToRun(const Subpath& subpath, double tolerance) {
  const Subpath polyline = MakePolyline(subpath, tolerance);
  Run run;
  run.closed = subpath.IsClosed();
  auto push = [&](Point q) {
    if (run.points.empty() || !(run.points.back() == q)) run.points.push_back(q);
  };
  push(polyline.GetStart());
  for (const auto& segment : polyline.GetSegments()) push(segment.end);
  if (run.closed && run.points.size() > 1 && run.points.back() == run.points.front()) run.points.pop_back();
  if (run.closed && run.points.size() > 1) run.points.push_back(run.points.front());
  return run;
}

// Cuts a run into its dashes: pieces of length dashes[0], gaps of dashes[1], and so on.
std::vector<Run> Dash(const Run& run, const StrokeParameters& pen) {
  double total = 0;
  for (double d : pen.dashes) total += d;
  const std::size_t count = pen.dashes.size() % 2 ? pen.dashes.size() * 2 : pen.dashes.size();
  auto length = [&](std::size_t k) { return pen.dashes[k % pen.dashes.size()]; };
  const double cycle = pen.dashes.size() % 2 ? 2 * total : total;
  double phase = std::fmod(pen.dashPhase, cycle);
  if (phase < 0) phase += cycle;
  std::size_t k = 0;
  while (phase >= length(k)) phase -= length(k), k = (k + 1) % count;
  double left = length(k) - phase;
  std::vector<Run> dashes;
  Run current;
  if (k % 2 == 0) current.points.push_back(run.points.front());
  for (std::size_t i = 0; i + 1 < run.points.size(); ++i) {
    Point a = run.points[i];
    const Point b = run.points[i + 1];
    double remaining = Length(Sub(b, a));
    while (remaining > left) {
      a = Add(a, Scale(Sub(b, a), left / remaining));
      remaining -= left;
      if (k % 2 == 0) {
        current.points.push_back(a);
        if (current.points.size() > 1) dashes.push_back(std::move(current));
        current = {};
      } else {
        current.points = {a};
      }
      k = (k + 1) % count;
      left = length(k);
    }
    left -= remaining;
    if (k % 2 == 0) current.points.push_back(b);
  }
  if (k % 2 == 0 && current.points.size() > 1) dashes.push_back(std::move(current));
  return dashes;
}

void CheckFinite(const Compound& path, const StrokeParameters& pen) {
  auto finite = [](Point p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  if (!std::isfinite(pen.width) || pen.width < 0 || !std::isfinite(pen.dashPhase)) {
    throw std::invalid_argument("Stroke width must be finite and not negative");
  }
  for (const auto& subpath : path.GetSubpaths()) {
    bool ok = finite(subpath.GetStart());
    for (const auto& s : subpath.GetSegments()) ok = ok && finite(s.control1) && finite(s.control2) && finite(s.end);
    if (!ok) throw std::invalid_argument("Stroked path has coordinates that are not finite");
  }
}

double LargestScale(const Transformation& t) {
  const double p = t.a * t.a + t.b * t.b + t.c * t.c + t.d * t.d;
  const double det = t.Determinant();
  return std::sqrt((p + std::sqrt(std::max(0.0, p * p - 4 * det * det))) / 2);
}

}  // namespace

Compound OutlineStroke(const Compound& path, const StrokeParameters& pen,
                       const Transformation& toPage, double tolerance) {
  CheckFinite(path, pen);
  const double scale = LargestScale(toPage);
  if (!(scale > 0)) return Compound();
  const double half = (pen.width > 0 ? pen.width : kHairline / scale) / 2;
  const double objectTolerance = std::max(tolerance / scale, 1e-6);
  double dashTotal = 0;
  for (double d : pen.dashes) dashTotal += d;
  Pieces pieces;
  for (const auto& subpath : path.GetSubpaths()) {
    Run run = ToRun(subpath, objectTolerance);
    if (run.points.size() < 2) {
      // A zero-length subpath: a dot for round caps, a square for square caps.
      if (pen.cap != CapStyle::Butt) Cap(pieces, run.points.front(), {1, 0}, pen, half);
      if (pen.cap == CapStyle::Square) Cap(pieces, run.points.front(), {-1, 0}, pen, half);
      continue;
    }
    if (pen.dashes.empty() || dashTotal <= 0) {
      StrokeRun(pieces, run, pen, half);
      continue;
    }
    for (const Run& dash : Dash(run, pen)) StrokeRun(pieces, dash, pen, half);
  }
  return Compound(pieces.Take()) * toPage;
}

}  // namespace Vexl
