#include <gtest/gtest.h>
#include <vexl/Geometry.h>

#include <numbers>
#include <random>
#include <stdexcept>
#include <string>

#include "VexlTestSupport.h"

namespace Vexl {
namespace {

using Testing::kRandomCases;

constexpr unsigned kSeed = 1729;

// Entries in [-3, 3] with |det| >= 0.1 keep the condition number below ~100, so round trips lose
// at most a few digits; translations reach page sizes in millipoints.
Transformation RandomTransformation(std::mt19937& rng) {
  std::uniform_real_distribution<double> linear(-3, 3), shift(-1e6, 1e6);
  Transformation t;
  do {
    t.a = linear(rng);
    t.b = linear(rng);
    t.c = linear(rng);
    t.d = linear(rng);
  } while (std::abs(t.Determinant()) < 0.1);
  t.tx = shift(rng);
  t.ty = shift(rng);
  return t;
}

void ExpectInverseThrows(const Transformation& t) {
  try {
    (void)t.Inverse();
    ADD_FAILURE() << "no exception for determinant " << t.Determinant();
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(),
                 "Determinant of transformation matrix is zero, can not calculate inverse");
  }
}

TEST(Transformation, InverseRoundTripsRandomMapsAndPoints) {
  SCOPED_TRACE("seed " + std::to_string(kSeed));
  std::mt19937 rng(kSeed);
  for (int i = 0; i < kRandomCases; ++i) {
    const Transformation t = RandomTransformation(rng);
    const Transformation product = t * t.Inverse();
    EXPECT_NEAR(product.a, 1, 1e-12);
    EXPECT_NEAR(product.b, 0, 1e-12);
    EXPECT_NEAR(product.c, 0, 1e-12);
    EXPECT_NEAR(product.d, 1, 1e-12);
    EXPECT_NEAR(product.tx, 0, 1e-7);
    EXPECT_NEAR(product.ty, 0, 1e-7);
    const Point p = Testing::RandomPoint(rng, -1e6, 1e6);
    const Point back = t.Inverse().Apply(t.Apply(p));
    EXPECT_NEAR(back.x, p.x, 1e-7);
    EXPECT_NEAR(back.y, p.y, 1e-7);
  }
}

TEST(Transformation, ProductAppliesFirstThenSecond) {
  const Transformation first = Transformation::Translation(10, 0);
  const Transformation second = Transformation::Scaling(2, 3);
  const Point p = (first * second).Apply({1, 1});
  EXPECT_EQ(p, (Point{22, 3}));
  EXPECT_EQ((second * first).Apply({1, 1}), (Point{12, 3}));

  SCOPED_TRACE("seed " + std::to_string(kSeed));
  std::mt19937 rng(kSeed + 1);
  for (int i = 0; i < kRandomCases; ++i) {
    const Transformation t1 = RandomTransformation(rng), t2 = RandomTransformation(rng);
    const Point q = Testing::RandomPoint(rng, -1e4, 1e4);
    const Point composed = (t1 * t2).Apply(q), stepwise = t2.Apply(t1.Apply(q));
    EXPECT_NEAR(composed.x, stepwise.x, 1e-6);
    EXPECT_NEAR(composed.y, stepwise.y, 1e-6);
  }
}

TEST(Transformation, SingularInverseThrowsWithMessage) {
  ExpectInverseThrows({1, 2, 2, 4, 5, 6});
  ExpectInverseThrows({0, 0, 0, 0, 0, 0});
  // The determinant is not zero, but its reciprocal overflows.
  ExpectInverseThrows({1e-320, 0, 0, 1, 0, 0});
  EXPECT_NO_THROW((void)Transformation({1e-300, 0, 0, 1, 0, 0}).Inverse());
}

TEST(Rectangle, UnionIgnoresNullAndCoversBoth) {
  const Rectangle box{10, 20, 30, 40, true};
  EXPECT_EQ(Union(Rectangle::Null(), box), box);
  EXPECT_EQ(Union(box, Rectangle::Null()), box);
  EXPECT_TRUE(Union(Rectangle::Null(), Rectangle::Null()).IsNull());
  EXPECT_EQ(Union(box, Rectangle{-5, 50, 10, 100}), (Rectangle{-5, 20, 45, 130, true}));
}

TEST(Rectangle, TransformBoxBoundsRotatedCorners) {
  const Rectangle box{0, 0, 10, 20};
  const Rectangle turned = TransformBox(box, Transformation::Rotation(std::numbers::pi / 2));
  EXPECT_NEAR(turned.x, -20, 1e-12);
  EXPECT_NEAR(turned.y, 0, 1e-12);
  EXPECT_NEAR(turned.width, 20, 1e-12);
  EXPECT_NEAR(turned.height, 10, 1e-12);
  const Rectangle diamond = TransformBox(box, Transformation::Rotation(std::numbers::pi / 4));
  EXPECT_NEAR(diamond.width, 30 / std::numbers::sqrt2, 1e-9);
  EXPECT_NEAR(diamond.height, 30 / std::numbers::sqrt2, 1e-9);
  EXPECT_EQ(TransformBox(box, Transformation::Translation(5, -5)), (Rectangle{5, -5, 10, 20}));
  EXPECT_TRUE(TransformBox(Rectangle::Null(), Transformation::Scaling(2, 2)).IsNull());
}

}  // namespace
}  // namespace Vexl
