#include <gtest/gtest.h>
#include <vexl/Compound.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>

#include "VexlTestSupport.h"

namespace Vexl {
namespace {

using Testing::kRandomCases;

constexpr unsigned kCompoundSeed = 4242;
// The four-cubic circle lies outside the true circle by at most 0.027 % of the radius.
constexpr double kKappaRadialError = 2.8e-4;

void ExpectBoxNear(const Rectangle& actual, const Rectangle& expected, double tolerance) {
  EXPECT_NEAR(actual.Left(), expected.Left(), tolerance);
  EXPECT_NEAR(actual.Bottom(), expected.Bottom(), tolerance);
  EXPECT_NEAR(actual.Right(), expected.Right(), tolerance);
  EXPECT_NEAR(actual.Top(), expected.Top(), tolerance);
}

TEST(Compound, EllipseBoundingBoxIsCentrePlusMinusRadii) {
  ExpectBoxNear(MakeEllipse({100, -50}, 300, 200)->GetBoundingBox(), {-200, -250, 600, 400}, 1e-9);
}

TEST(Compound, RotatedEllipseBoundingBoxFollowsTheCurveNotItsControlPoints) {
  const double rx = 3000, ry = 1000, angle = std::numbers::pi / 6;
  const Compound turned = *MakeEllipse({0, 0}, rx, ry) * Transformation::Rotation(angle);
  const double cs = std::cos(angle), sn = std::sin(angle);
  const double halfWidth = std::hypot(rx * cs, ry * sn), halfHeight = std::hypot(rx * sn, ry * cs);
  const Rectangle box = turned.GetBoundingBox();
  EXPECT_NEAR(box.x + box.width / 2, 0, 1e-9);
  EXPECT_NEAR(box.y + box.height / 2, 0, 1e-9);
  EXPECT_GE(box.width / 2, halfWidth * (1 - 1e-12));
  EXPECT_LE(box.width / 2, halfWidth + kKappaRadialError * rx);
  EXPECT_GE(box.height / 2, halfHeight * (1 - 1e-12));
  EXPECT_LE(box.height / 2, halfHeight + kKappaRadialError * rx);
}

TEST(Compound, CubicExtremaBeyondEndPointsBoundTheBox) {
  Subpath arch({0, 0});
  arch.CubicTo({0, 100}, {100, 100}, {100, 0});  // y peaks at 75 for t = 1/2
  ExpectBoxNear(Compound({arch}).GetBoundingBox(), {0, 0, 100, 75}, 1e-12);
  Subpath hook({0, 0});
  hook.CubicTo({-90, 0}, {0, 90}, {0, 90});  // x(t) = -270 t (1-t)^2, least at t = 1/3: -40
  ExpectBoxNear(Compound({hook}).GetBoundingBox(), {-40, 0, 40, 90}, 1e-12);
  Subpath wave({0, 0});
  wave.CubicTo({100, 300}, {200, -300}, {300, 0});  // y(t) = 900 t(1-t)(1-2t): two extrema ±50√3
  const double peak = 50 * std::numbers::sqrt3;
  ExpectBoxNear(Compound({wave}).GetBoundingBox(), {0, -peak, 300, 2 * peak}, 1e-12);
}

TEST(Compound, RandomCubicBoxesHoldEverySampleAndTouchTheSampledExtremes) {
  SCOPED_TRACE("seed " + std::to_string(kCompoundSeed));
  std::mt19937 rng(kCompoundSeed);
  for (int i = 0; i < kRandomCases / 2; ++i) {
    // One open cubic each, so that every interior extremum shows in the box.
    Subpath subpath(Testing::RandomPoint(rng, 0, 1000));
    const Point c1 = Testing::RandomPoint(rng, 0, 1000), c2 = Testing::RandomPoint(rng, 0, 1000);
    subpath.CubicTo(c1, c2, Testing::RandomPoint(rng, 0, 1000));
    const Rectangle box = Compound({subpath}).GetBoundingBox();
    Rectangle sampled = Rectangle::Null();
    for (const Point& p : Testing::DenseOutline(subpath, 4000)) {
      sampled = Union(sampled, {p.x, p.y, 0, 0});
    }
    // Near an extremum a sample misses it by at most |x''|·h²/8, far below 1e-3 here.
    ExpectBoxNear(box, sampled, 1e-3);
    EXPECT_LE(box.Left(), sampled.Left() + 1e-9);
    EXPECT_GE(box.Right(), sampled.Right() - 1e-9);
    EXPECT_LE(box.Bottom(), sampled.Bottom() + 1e-9);
    EXPECT_GE(box.Top(), sampled.Top() - 1e-9);
  }
}

TEST(Compound, EmptyCompoundHasNullBoxAndLonePointHasAPlace) {
  EXPECT_TRUE(Compound().GetBoundingBox().IsNull());
  const Rectangle point = Compound({Subpath({7, 8})}).GetBoundingBox();
  EXPECT_FALSE(point.IsNull());
  EXPECT_EQ(point, (Rectangle{7, 8, 0, 0}));
}

TEST(Compound, AxisAlignedTransformOfBoxEqualsBoxOfTransform) {
  SCOPED_TRACE("seed " + std::to_string(kCompoundSeed));
  std::mt19937 rng(kCompoundSeed + 1);
  std::uniform_real_distribution<double> scale(0.1, 10), shift(-1e5, 1e5);
  std::bernoulli_distribution flip(0.5);
  for (int i = 0; i < kRandomCases / 4; ++i) {
    const Compound compound(
        {Testing::RandomCubicSubpath(rng, 4),
         MakeEllipse(Testing::RandomPoint(rng, 0, 1000), 300, 100)->GetSubpaths()[0]});
    const double sx = scale(rng) * (flip(rng) ? -1 : 1), sy = scale(rng) * (flip(rng) ? -1 : 1);
    const Transformation t =
        Transformation::Scaling(sx, sy) * Transformation::Translation(shift(rng), shift(rng));
    ExpectBoxNear((compound * t).GetBoundingBox(), TransformBox(compound.GetBoundingBox(), t),
                  1e-6);
  }
}

TEST(Compound, TransformMapsEveryPointAndKeepsStructure) {
  const Compound moved = *MakeRectangle({0, 0, 10, 20}) * Transformation::Translation(5, 7);
  EXPECT_EQ(moved, *MakeRectangle({5, 7, 10, 20}));
  Subpath open({0, 0});
  open.CubicTo({1, 2}, {3, 4}, {5, 6});
  Subpath expected({0, 0});
  expected.CubicTo({2, 6}, {6, 12}, {10, 18});
  EXPECT_EQ(open * Transformation::Scaling(2, 3), expected);
  EXPECT_FALSE((open * Transformation::Scaling(2, 3)).IsClosed());
}

TEST(Compound, RectangleIsOneClosedPolylineOverTheBox) {
  const auto rectangle = MakeRectangle({10, 20, 30, 40});
  ASSERT_EQ(rectangle->GetSubpaths().size(), 1u);
  const Subpath& outline = rectangle->GetSubpaths()[0];
  EXPECT_TRUE(outline.IsClosed());
  EXPECT_TRUE(outline.IsPolyline());
  EXPECT_EQ(outline.GetSegments().size(), 3u);
  EXPECT_EQ(rectangle->GetBoundingBox(), (Rectangle{10, 20, 30, 40}));
  EXPECT_TRUE(MakeRectangle(Rectangle::Null())->IsEmpty());
  EXPECT_FALSE(MakeEllipse({0, 0}, 1, 1)->GetSubpaths()[0].IsPolyline());
}

TEST(Compound, EllipseRejectsNegativeOrNonFiniteRadii) {
  EXPECT_THROW(MakeEllipse({0, 0}, -1, 1), std::invalid_argument);
  EXPECT_THROW(MakeEllipse({0, 0}, 1, std::nan("")), std::invalid_argument);
  EXPECT_NO_THROW(MakeEllipse({0, 0}, 0, 0));
}

TEST(CompoundFactory, GetResultHandsOverAndEmptiesTheFactory) {
  CompoundFactory factory;
  factory.AddSubpath(Subpath({1, 1}));
  factory.AddSubpath(Subpath({2, 2}, true));
  EXPECT_EQ(factory.GetResult()->GetSubpaths().size(), 2u);
  EXPECT_TRUE(factory.GetResult()->IsEmpty());
}

}  // namespace
}  // namespace Vexl
