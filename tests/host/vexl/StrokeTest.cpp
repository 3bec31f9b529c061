#include <vexl/Stroke.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

#include <gtest/gtest.h>

#include <vexl/Measure.h>

#include "VexlTestSupport.h"

namespace Vexl {
namespace {

using std::numbers::pi;

// Every piece closed and counter-clockwise: overlaps then never cancel under the nonzero rule.
void ExpectValidOutline(const Compound& outline) {
  for (const Subpath& loop : outline.GetSubpaths()) {
    EXPECT_TRUE(loop.IsClosed());
    EXPECT_GT(SignedArea(loop), 0);
  }
}

// Area covered under the nonzero rule, counted at the centres of a grid of `step` inside `box`:
// measured without looking at how the outline was built.
double CoveredArea(const Compound& c, const Rectangle& box, double step) {
  double area = 0;
  for (double y = box.y + step / 2; y < box.Top(); y += step) {
    for (double x = box.x + step / 2; x < box.Right(); x += step) {
      if (Contains(c, {x, y}, FillRule::NonZero)) area += step * step;
    }
  }
  return area;
}

Rectangle Around(const Compound& c, double margin) {
  const Rectangle box = c.GetBoundingBox();
  return {box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin};
}

Compound Polyline(std::initializer_list<Point> points, bool closed = false) {
  Subpath s(*points.begin(), closed);
  for (auto p = points.begin() + 1; p != points.end(); ++p) s.LineTo(*p);
  return Compound({s});
}

StrokeParameters Pen(double width, CapStyle cap, JoinStyle join = JoinStyle::Miter) {
  StrokeParameters pen;
  pen.width = width;
  pen.cap = cap;
  pen.join = join;
  return pen;
}

bool Inside(const Compound& c, Point p) { return Contains(c, p, FillRule::NonZero); }

std::size_t SegmentCount(const Compound& c) {
  std::size_t count = 0;
  for (const Subpath& s : c.GetSubpaths()) count += s.GetSegments().size();
  return count;
}

TEST(StrokeOutline, StraightSegmentAreaFollowsTheCap) {
  const Compound line = Polyline({{0, 0}, {100, 0}});
  const double w = 20;
  const double round = 100 * w + pi * 10 * 10;
  // Body and caps do not overlap here, so their summed area is the painted area.
  for (const auto& [cap, expected] : {std::pair{CapStyle::Butt, 100 * w}, {CapStyle::Square, 120 * w},
                                      {CapStyle::Round, round}}) {
    const Compound stroke = OutlineStroke(line, Pen(w, cap), {}, 0.01);
    ExpectValidOutline(stroke);
    EXPECT_NEAR(SignedArea(stroke), expected, 1e-3 * expected);
    EXPECT_NEAR(CoveredArea(stroke, Around(stroke, 1), 0.25), expected, 0.01 * expected);
  }
  EXPECT_TRUE(Inside(OutlineStroke(line, Pen(w, CapStyle::Round), {}, 0.01), {108, 5}));
  EXPECT_FALSE(Inside(OutlineStroke(line, Pen(w, CapStyle::Round), {}, 0.01), {108, 8}));
  EXPECT_TRUE(Inside(OutlineStroke(line, Pen(w, CapStyle::Square), {}, 0.01), {108, 8}));
  EXPECT_FALSE(Inside(OutlineStroke(line, Pen(w, CapStyle::Butt), {}, 0.01), {101, 0}));
}

TEST(StrokeOutline, CircleGivesARingOfFewCubicsAtTheOffsetDistance) {
  const Compound circle = *MakeEllipse({0, 0}, 80, 80);
  const double w = 10, tolerance = 0.05;
  const Compound stroke = OutlineStroke(circle, Pen(w, CapStyle::Butt), {}, tolerance);
  ExpectValidOutline(stroke);
  const double ring = pi * (85.0 * 85 - 75.0 * 75);
  EXPECT_NEAR(SignedArea(stroke), ring, 2e-3 * ring);
  EXPECT_NEAR(CoveredArea(stroke, Around(stroke, 1), 0.5), ring, 0.01 * ring);
  EXPECT_FALSE(Inside(stroke, {0, 0}));
  EXPECT_TRUE(Inside(stroke, {0, 84}));
  EXPECT_FALSE(Inside(stroke, {0, 86}));
  // Both offsets as polylines would need this many chords at the same tolerance.
  const std::size_t polylineChords = 2 * MakePolyline(circle.GetSubpaths()[0], tolerance).GetSegments().size();
  EXPECT_LT(SegmentCount(stroke) * 4, polylineChords);
  // Every point of the offset cubics is half the width away from the circle.
  const std::vector<Point> dense = Testing::DenseOutline(circle.GetSubpaths()[0], 2000);
  for (const Subpath& loop : stroke.GetSubpaths()) {
    Point current = loop.GetStart();
    for (const Segment& s : loop.GetSegments()) {
      for (int i = 0; s.IsCubic() && i <= 16; ++i) {
        const Point p = Testing::DeCasteljau(current, s.control1, s.control2, s.end, i / 16.0);
        EXPECT_NEAR(Testing::DistanceToPolyline(p, dense, true), w / 2, tolerance);
      }
      current = s.end;
    }
  }
}

TEST(StrokeOutline, EllipseOffsetsStayWithinTolerance) {
  const Compound ellipse = *MakeEllipse({0, 0}, 2000, 1000);
  const double w = 400, tolerance = 0.5;
  const Compound stroke = OutlineStroke(ellipse, Pen(w, CapStyle::Butt), {}, tolerance);
  ExpectValidOutline(stroke);
  const std::vector<Point> dense = Testing::DenseOutline(ellipse.GetSubpaths()[0], 4000);
  int cubics = 0;
  for (const Subpath& loop : stroke.GetSubpaths()) {
    Point current = loop.GetStart();
    for (const Segment& s : loop.GetSegments()) {
      for (int i = 0; s.IsCubic() && i <= 32; ++i) {
        const Point p = Testing::DeCasteljau(current, s.control1, s.control2, s.end, i / 32.0);
        ASSERT_NEAR(Testing::DistanceToPolyline(p, dense, true), w / 2, tolerance);
      }
      cubics += s.IsCubic();
      current = s.end;
    }
  }
  EXPECT_LT(cubics, 64);
}

// A 120° turn: the miter is twice the half width long (1 / sin 30°).
TEST(StrokeOutline, SharpCornerSwitchesFromMiterToBevelAtTheLimit) {
  const double h = 10;
  const Compound corner = Polyline({{0, 0}, {100, 0}, {100 - 100 * std::cos(pi / 3), 100 * std::sin(pi / 3)}});
  StrokeParameters pen = Pen(2 * h, CapStyle::Butt, JoinStyle::Miter);
  pen.miterLimit = 2.01;
  const Compound mitered = OutlineStroke(corner, pen, {}, 0.01);
  pen.miterLimit = 1.99;
  const Compound beveled = OutlineStroke(corner, pen, {}, 0.01);
  ExpectValidOutline(mitered);
  ExpectValidOutline(beveled);
  const Rectangle box{-20, -20, 150, 150, false};
  // The miter quadrilateral less the bevel triangle: h²·tan 60° − h²·sin 120° / 2.
  const double tipArea = h * h * (std::tan(pi / 3) - std::sin(2 * pi / 3) / 2);
  EXPECT_NEAR(CoveredArea(mitered, box, 0.2) - CoveredArea(beveled, box, 0.2), tipArea, 3);
  // The miter tip is 2h from the corner along the outer bisector (pointing at −30°).
  const Point tipDirection{std::cos(-pi / 6), std::sin(-pi / 6)};
  const Point nearTip{100 + 1.9 * h * tipDirection.x, 1.9 * h * tipDirection.y};
  EXPECT_TRUE(Inside(mitered, nearTip));
  EXPECT_FALSE(Inside(beveled, nearTip));
  EXPECT_FALSE(Inside(mitered, {100 + 2.1 * h * tipDirection.x, 2.1 * h * tipDirection.y}));
}

TEST(StrokeOutline, RoundJoinIsAnArcAroundTheCorner) {
  const double h = 10;
  const Compound corner = Polyline({{0, 0}, {100, 0}, {100, 100}});
  const Compound round = OutlineStroke(corner, Pen(2 * h, CapStyle::Butt, JoinStyle::Round), {}, 0.01);
  ExpectValidOutline(round);
  const double diagonal = std::sqrt(0.5);
  EXPECT_TRUE(Inside(round, {100 + 9.5 * diagonal, -9.5 * diagonal}));
  EXPECT_FALSE(Inside(round, {100 + 10.5 * diagonal, -10.5 * diagonal}));
  // The inner corner is covered by the bodies; the square outer corner only by a miter.
  EXPECT_TRUE(Inside(round, {95, 5}));
  EXPECT_TRUE(Inside(OutlineStroke(corner, Pen(2 * h, CapStyle::Butt), {}, 0.01), {109, -9}));
  EXPECT_FALSE(Inside(round, {109, -9}));
  const double area = 200 * 2 * h - h * h + pi * h * h / 4;
  EXPECT_NEAR(CoveredArea(round, Around(round, 1), 0.25), area, 0.01 * area);
}

TEST(StrokeOutline, ClosedSubpathsJoinAtTheStartAndHaveNoCaps) {
  const Compound square = Polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  const Compound stroke = OutlineStroke(square, Pen(20, CapStyle::Round, JoinStyle::Miter), {}, 0.01);
  ExpectValidOutline(stroke);
  EXPECT_TRUE(Inside(stroke, {-9, -9}));   // mitered corner at the start
  EXPECT_FALSE(Inside(stroke, {50, 50}));  // the hole
  EXPECT_NEAR(CoveredArea(stroke, Around(stroke, 1), 0.5), 120.0 * 120 - 80.0 * 80, 30);
}

TEST(StrokeOutline, DashesPaintTheirShareOfTheLength) {
  StrokeParameters pen = Pen(1, CapStyle::Butt);
  pen.dashes = {3, 2};
  pen.dashPhase = 1;
  // On [0,2], [4,7], [9,12], [14,17], [19,20]: 12 of 20 units, in five dashes that do not overlap.
  const Compound dashed = OutlineStroke(Polyline({{0, 0}, {20, 0}}), pen, {}, 0.001);
  ExpectValidOutline(dashed);
  EXPECT_EQ(dashed.GetSubpaths().size(), 5u);
  EXPECT_NEAR(SignedArea(dashed), 12, 1e-9);
  EXPECT_TRUE(Inside(dashed, {1, 0.2}));
  EXPECT_FALSE(Inside(dashed, {3, 0.2}));
  EXPECT_TRUE(Inside(dashed, {19.5, 0.2}));
  // A pattern too fine to cut (ten million dashes) strokes solid.
  StrokeParameters fine = Pen(1, CapStyle::Butt);
  fine.dashes = {1e-6, 1e-6};
  EXPECT_NEAR(SignedArea(OutlineStroke(Polyline({{0, 0}, {20, 0}}), fine, {}, 0.001)), 20, 1e-9);
  // Round caps add a full pen disc per dash.
  pen.cap = CapStyle::Round;
  // (The cap arcs may stray by the tolerance: at most their length times it in area.)
  EXPECT_NEAR(SignedArea(OutlineStroke(Polyline({{0, 0}, {20, 0}}), pen, {}, 0.001)), 12 + 5 * pi / 4,
              5 * pi * 0.001);
}

TEST(StrokeOutline, DashesFollowTheArcLengthOfCurvesAndGoRoundClosedPaths) {
  const double r = 1000, w = 20;
  const Compound circle = *MakeEllipse({0, 0}, r, r);
  StrokeParameters pen = Pen(w, CapStyle::Butt);
  const double circumference = 2 * pi * r;
  pen.dashes = {circumference / 16, circumference / 16};
  const Compound dashed = OutlineStroke(circle, pen, {}, 0.1);
  ExpectValidOutline(dashed);
  // Eight dashes covering half the ring, starting at the start point (angle 0), going round.
  EXPECT_NEAR(SignedArea(dashed), circumference / 2 * w, 1e-3 * circumference / 2 * w);
  const auto onRing = [&](double angle) { return Point{r * std::cos(angle), r * std::sin(angle)}; };
  EXPECT_TRUE(Inside(dashed, onRing(pi / 16)));
  EXPECT_FALSE(Inside(dashed, onRing(3 * pi / 16)));
  EXPECT_TRUE(Inside(dashed, onRing(2 * pi - 3 * pi / 16)));
  EXPECT_FALSE(Inside(dashed, onRing(-pi / 16)));
}

TEST(StrokeOutline, NonUniformScaleGivesAnEllipticalPen) {
  const Transformation scale = Transformation::Scaling(2, 1);
  const double w = 10;
  const Compound horizontal = OutlineStroke(Polyline({{0, 50}, {50, 50}}), Pen(w, CapStyle::Butt), scale, 0.1);
  const Compound vertical = OutlineStroke(Polyline({{50, 0}, {50, 50}}), Pen(w, CapStyle::Butt), scale, 0.1);
  EXPECT_NEAR(horizontal.GetBoundingBox().height, w, 1e-9);
  EXPECT_NEAR(vertical.GetBoundingBox().width, 2 * w, 1e-9);
  EXPECT_NEAR(SignedArea(horizontal), 100 * w, 1e-9);
  EXPECT_NEAR(SignedArea(vertical), 50 * 2 * w, 1e-9);
  // A round dot becomes an ellipse of semi-axes w and w/2.
  const Compound dot = OutlineStroke(Compound({Subpath({0, 0}, true)}), Pen(w, CapStyle::Round), scale, 0.01);
  EXPECT_NEAR(SignedArea(dot), pi * w * w / 2, 1e-3 * w * w);
  EXPECT_TRUE(Inside(dot, {9, 0}));
  EXPECT_FALSE(Inside(dot, {0, 5.5}));
}

TEST(StrokeOutline, ZeroWidthIsAHairlineRoundOnThePage) {
  const Transformation squash = Transformation::Scaling(3, 0.01);
  const Compound line = OutlineStroke(Polyline({{0, 0}, {1000, 0}}), Pen(0, CapStyle::Butt), squash, 0.1);
  EXPECT_NEAR(line.GetBoundingBox().height, kHairlineWidthInMillipoints, 1e-9);
  const Compound upright = OutlineStroke(Polyline({{0, 0}, {0, 1000}}), Pen(0, CapStyle::Butt), squash, 0.1);
  EXPECT_NEAR(upright.GetBoundingBox().width, kHairlineWidthInMillipoints, 1e-9);
}

TEST(StrokeOutline, ZeroLengthSubpathsGetDotsOrSquares) {
  const double w = 20;
  for (const Compound& point : {Compound({Subpath({50, 50})}), Compound({Subpath({50, 50}, true)}),
                                Polyline({{50, 50}, {50, 50}, {50, 50}})}) {
    const Compound round = OutlineStroke(point, Pen(w, CapStyle::Round), {}, 0.01);
    ExpectValidOutline(round);
    EXPECT_NEAR(SignedArea(round), pi * 100, 0.1);
    const Compound square = OutlineStroke(point, Pen(w, CapStyle::Square), {}, 0.01);
    EXPECT_NEAR(SignedArea(square), w * w, 1e-9);
    EXPECT_EQ(square.GetBoundingBox(), (Rectangle{40, 40, 20, 20, false}));
    EXPECT_TRUE(OutlineStroke(point, Pen(w, CapStyle::Butt), {}, 0.01).IsEmpty());
  }
  // A zero-length dash is a dot too.
  StrokeParameters pen = Pen(2, CapStyle::Round);
  pen.dashes = {0, 10};
  const Compound dots = OutlineStroke(Polyline({{0, 0}, {35, 0}}), pen, {}, 0.001);
  EXPECT_EQ(dots.GetSubpaths().size(), 4u);
  EXPECT_NEAR(SignedArea(dots), 4 * pi, 4 * 2 * pi * 0.001);
}

TEST(StrokeOutline, ReversalsCuspsAndCoincidentControlPointsStayCovered) {
  const double h = 10;
  const StrokeParameters pen = Pen(2 * h, CapStyle::Butt, JoinStyle::Miter);
  // A line that goes back on itself paints its rectangle, without a miter spike.
  const Compound reversal = OutlineStroke(Polyline({{0, 0}, {100, 0}, {50, 0}}), pen, {}, 0.01);
  ExpectValidOutline(reversal);
  EXPECT_NEAR(CoveredArea(reversal, {-20, -20, 160, 40, false}, 0.25), 100 * 2 * h, 10);
  // A cubic with a cusp at t = ½ (its derivative vanishes there).
  Subpath cusp({0, 0});
  cusp.CubicTo({300, 300}, {0, 300}, {300, 0});
  const Compound cuspStroke = OutlineStroke(Compound({cusp}), pen, {}, 0.05);
  ExpectValidOutline(cuspStroke);
  for (int i = 1; i < 64; ++i) {
    EXPECT_TRUE(Inside(cuspStroke, Testing::DeCasteljau({0, 0}, {300, 300}, {0, 300}, {300, 0}, i / 64.0)))
        << "at t = " << i / 64.0;
  }
  EXPECT_TRUE(Inside(cuspStroke, {150, 225 + 0.9 * h}));
  EXPECT_FALSE(Inside(cuspStroke, {150, 225 + 1.2 * h}));
  // Control points on top of the end points: still a straight stroke of the right area.
  Subpath degenerate({0, 0});
  degenerate.CubicTo({0, 0}, {100, 0}, {100, 0});
  EXPECT_NEAR(SignedArea(OutlineStroke(Compound({degenerate}), pen, {}, 0.01)), 100 * 2 * h, 1e-6);
}

// With round caps and joins the painted area is exactly the set of points within half the width
// of the path, so random paths (cusps, reversals, coincident control points, widths far beyond
// the path's size) can be checked point by point against the distance.
TEST(StrokeOutline, RoundPenPaintsEveryPointWithinHalfTheWidth) {
  constexpr unsigned kSeed = 20261206;
  SCOPED_TRACE(testing::Message() << "seed " << kSeed);
  std::mt19937 rng(kSeed);
  std::uniform_real_distribution<double> width(2, 600), unit(0, 1);
  const double tolerance = 0.5, margin = 1.5;
  for (int trial = 0; trial < Testing::kRandomCases / 8; ++trial) {
    Subpath path(Testing::RandomPoint(rng, 0, 1000));
    for (int i = 0; i < 3; ++i) {
      const Point from = path.GetEnd(), to = Testing::RandomPoint(rng, 0, 1000);
      const double kind = unit(rng);
      if (kind < 0.2) path.LineTo(to);
      else if (kind < 0.3) path.CubicTo(from, to, to);
      else if (kind < 0.4) path.CubicTo(Testing::Lerp(from, to, 1.6), Testing::Lerp(from, to, -0.5), to);
      else if (kind < 0.5) path.LineTo(Testing::Lerp(from, path.GetStart(), 0.5));
      else path.CubicTo(Testing::RandomPoint(rng, 0, 1000), Testing::RandomPoint(rng, 0, 1000), to);
    }
    const double h = width(rng) / 2;
    const Compound stroke = OutlineStroke(Compound({path}), Pen(2 * h, CapStyle::Round, JoinStyle::Round),
                                          {}, tolerance);
    ExpectValidOutline(stroke);
    const std::vector<Point> dense = Testing::DenseOutline(path, 400);
    for (int probe = 0; probe < 300; ++probe) {
      const Point p = Testing::RandomPoint(rng, -h, 1000 + h);
      const double distance = Testing::DistanceToPolyline(p, dense, false);
      if (std::fabs(distance - h) < margin) continue;
      ASSERT_EQ(Inside(stroke, p), distance < h) << "trial " << trial << " at " << p.x << ", " << p.y;
    }
  }
}

TEST(StrokeOutline, NonFiniteInputIsRefused) {
  const Compound line = Polyline({{0, 0}, {100, 0}});
  const Transformation identity;
  EXPECT_THROW(OutlineStroke(line, Pen(-1, CapStyle::Butt), identity, 0.1), std::invalid_argument);
  EXPECT_THROW(OutlineStroke(line, Pen(INFINITY, CapStyle::Butt), identity, 0.1), std::invalid_argument);
  EXPECT_THROW(OutlineStroke(Polyline({{0, 0}, {NAN, 0}}), Pen(1, CapStyle::Butt), identity, 0.1),
               std::invalid_argument);
  EXPECT_THROW(OutlineStroke(line, Pen(1, CapStyle::Butt), {1, 0, 0, INFINITY, 0, 0}, 0.1), std::invalid_argument);
  EXPECT_THROW(OutlineStroke(line, Pen(1, CapStyle::Butt), identity, 0), std::invalid_argument);
  StrokeParameters dashed = Pen(1, CapStyle::Butt);
  dashed.dashes = {1, -1};
  EXPECT_THROW(OutlineStroke(line, dashed, identity, 0.1), std::invalid_argument);
  // A singular map paints nothing; that is no error.
  EXPECT_TRUE(OutlineStroke(line, Pen(1, CapStyle::Butt), Transformation::Scaling(1, 0), 0.1).IsEmpty());
}

}  // namespace
}  // namespace Vexl
