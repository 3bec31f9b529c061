#include <vexl/Stroke.h>

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include <vexl/Measure.h>

namespace {

using namespace Vexl;

// Area covered under the nonzero rule, counted on a grid of `step` inside `box`: independent of
// how the outline is built.
double CoveredArea(const Compound& c, const Rectangle& box, double step) {
  double area = 0;
  for (double y = box.y + step / 2; y < box.Top(); y += step) {
    for (double x = box.x + step / 2; x < box.Right(); x += step) {
      if (Contains(c, {x, y}, FillRule::NonZero)) area += step * step;
    }
  }
  return area;
}

Compound Line(Point a, Point b) {
  Subpath s(a);
  s.LineTo(b);
  return Compound({s});
}

StrokeParameters Pen(double width, CapStyle cap, JoinStyle join = JoinStyle::Miter) {
  StrokeParameters pen;
  pen.width = width;
  pen.cap = cap;
  pen.join = join;
  return pen;
}

const Rectangle kArea{-100, -100, 400, 400, false};

TEST(Stroke, StraightSegmentAreasFollowTheCap) {
  const auto line = Line({0, 0}, {100, 0});
  const double w = 20;
  EXPECT_NEAR(CoveredArea(OutlineStroke(line, Pen(w, CapStyle::Butt), {}, 0.1), kArea, 0.5), 100 * w, 40);
  EXPECT_NEAR(CoveredArea(OutlineStroke(line, Pen(w, CapStyle::Square), {}, 0.1), kArea, 0.5), 120 * w, 40);
  EXPECT_NEAR(CoveredArea(OutlineStroke(line, Pen(w, CapStyle::Round), {}, 0.1), kArea, 0.5),
              100 * w + std::numbers::pi * 100, 40);
}

TEST(Stroke, CircleGivesARing) {
  const auto circle = MakeEllipse({100, 100}, 80, 80);
  const double w = 10;
  const double ring = std::numbers::pi * (85.0 * 85 - 75.0 * 75);
  EXPECT_NEAR(CoveredArea(OutlineStroke(*circle, Pen(w, CapStyle::Butt), {}, 0.05), kArea, 0.5), ring, ring * 0.01);
}

TEST(Stroke, SharpCornerSwitchesFromMiterToBevelAtTheLimit) {
  // A 60° turn: the miter length is 1/sin(30°) = 2 widths-halves ratio 2.
  Subpath corner({0, 0});
  corner.LineTo({100, 0});
  corner.LineTo({100 - 100 * std::cos(std::numbers::pi / 3), 100 * std::sin(std::numbers::pi / 3)});
  const Compound path({corner});
  StrokeParameters pen = Pen(20, CapStyle::Butt, JoinStyle::Miter);
  pen.miterLimit = 2.1;
  const double mitered = CoveredArea(OutlineStroke(path, pen, {}, 0.1), kArea, 0.5);
  pen.miterLimit = 1.9;
  const double beveled = CoveredArea(OutlineStroke(path, pen, {}, 0.1), kArea, 0.5);
  // The miter tip adds a triangle over the bevel: half-width 10, tip beyond the bevel line.
  EXPECT_GT(mitered - beveled, 50);
  EXPECT_TRUE(Contains(OutlineStroke(path, {20, CapStyle::Butt, JoinStyle::Miter, 2.1, {}, 0}, {}, 0.1),
                       {110, -8}, FillRule::NonZero));
}

TEST(Stroke, DashesPaintTheirShareOfTheLength) {
  StrokeParameters pen = Pen(2, CapStyle::Butt);
  pen.dashes = {30, 20};
  pen.dashPhase = 10;
  // Along 200: dashes cover [0,20], [40,70], [90,120], [140,170], [190,200] = 20+30+30+30+10.
  const auto stroke = OutlineStroke(Line({0, 0}, {200, 0}), pen, {}, 0.1);
  EXPECT_NEAR(CoveredArea(stroke, kArea, 0.25), 120 * 2, 6);
  EXPECT_TRUE(Contains(stroke, {10, 0}, FillRule::NonZero));
  EXPECT_FALSE(Contains(stroke, {30, 0}, FillRule::NonZero));
}

TEST(Stroke, TheScaledPenIsAnEllipse) {
  const auto scale = Transformation::Scaling(2, 1);
  const auto horizontal = OutlineStroke(Line({0, 50}, {50, 50}), Pen(10, CapStyle::Butt), scale, 0.1);
  const auto vertical = OutlineStroke(Line({50, 0}, {50, 50}), Pen(10, CapStyle::Butt), scale, 0.1);
  EXPECT_NEAR(horizontal.GetBoundingBox().height, 10, 1e-6);
  EXPECT_NEAR(vertical.GetBoundingBox().width, 20, 1e-6);
}

TEST(Stroke, ZeroLengthSubpathsGetDotsOrSquares) {
  const Compound dot({Subpath({50, 50})});
  EXPECT_NEAR(CoveredArea(OutlineStroke(dot, Pen(20, CapStyle::Round), {}, 0.1), kArea, 0.25),
              std::numbers::pi * 100, 5);
  EXPECT_NEAR(CoveredArea(OutlineStroke(dot, Pen(20, CapStyle::Square), {}, 0.1), kArea, 0.25), 400, 5);
  EXPECT_TRUE(OutlineStroke(dot, Pen(20, CapStyle::Butt), {}, 0.1).IsEmpty());
}

TEST(Stroke, BadInputIsRefused) {
  EXPECT_THROW(OutlineStroke(Line({0, 0}, {1, 0}), Pen(-1, CapStyle::Butt), {}, 0.1), std::invalid_argument);
  EXPECT_THROW(OutlineStroke(Line({0, 0}, {std::nan(""), 0}), Pen(1, CapStyle::Butt), {}, 0.1),
               std::invalid_argument);
}

}  // namespace
