#include <values/Function.h>

#include <cmath>

#include <gtest/gtest.h>

namespace {

using namespace MavPaint;

TEST(ExponentialFunction, InterpolatesWithExponentAndClipsToDomain) {
  ExponentialFunction linear({0.0f, 1.0f}, {1.0f, 0.0f}, 1.0);
  EXPECT_FLOAT_EQ(linear.Evaluate({0.25})[0], 0.25f);
  EXPECT_FLOAT_EQ(linear.Evaluate({0.25})[1], 0.75f);
  EXPECT_FLOAT_EQ(linear.Evaluate({-3})[0], 0.0f);
  EXPECT_FLOAT_EQ(linear.Evaluate({7})[0], 1.0f);

  ExponentialFunction square({0.0f}, {1.0f}, 2.0);
  EXPECT_FLOAT_EQ(square.Evaluate({0.5})[0], 0.25f);
}

TEST(ExponentialFunction, ZeroChannelTestSeesBothEnds) {
  ExponentialFunction f({0.0f, 0.0f, 0.3f}, {0.0f, 0.5f, 0.0f}, 1.0);
  EXPECT_TRUE(f.IsZeroOnDomain(0));
  EXPECT_FALSE(f.IsZeroOnDomain(1));
  EXPECT_FALSE(f.IsZeroOnDomain(2));
  EXPECT_TRUE(f.IsZeroOnDomain(9));  // a channel the function lacks puts no ink
}

TEST(StitchingFunction, PicksSubfunctionAndEncodesInput) {
  auto up = std::make_shared<const ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 1.0);
  // Two halves: the first rises 0 → 1, the second (encoded backwards) falls 1 → 0.
  StitchingFunction f({up, up}, {0.5}, {0, 1, 1, 0});
  EXPECT_FLOAT_EQ(f.Evaluate({0.25})[0], 0.5f);
  EXPECT_FLOAT_EQ(f.Evaluate({0.5})[0], 1.0f);
  EXPECT_FLOAT_EQ(f.Evaluate({0.75})[0], 0.5f);
  EXPECT_FLOAT_EQ(f.Evaluate({1.0})[0], 0.0f);
  EXPECT_THROW(StitchingFunction({up}, {0.5}, {0, 1}), std::invalid_argument);
}

TEST(SampledFunction, InterpolatesLinearlyAndBilinearly) {
  SampledFunction oneInput({{0, 1}}, {3}, {0.0f, 1.0f, 0.5f}, 1);
  EXPECT_FLOAT_EQ(oneInput.Evaluate({0.25})[0], 0.5f);
  EXPECT_FLOAT_EQ(oneInput.Evaluate({0.75})[0], 0.75f);
  EXPECT_FLOAT_EQ(oneInput.Evaluate({1.0})[0], 0.5f);

  // 2 × 2 samples, first input fastest: f(0,0)=0 f(1,0)=1 f(0,1)=0 f(1,1)=1 → f = x.
  SampledFunction twoInputs({{0, 1}, {0, 1}}, {2, 2}, {0, 1, 0, 1}, 1);
  EXPECT_FLOAT_EQ(twoInputs.Evaluate({0.3, 0.8})[0], 0.3f);
  EXPECT_THROW(SampledFunction({{0, 1}}, {3}, {0.0f, 1.0f}, 1), std::invalid_argument);
}

TEST(Function, ValueEquality) {
  auto a = std::make_shared<const ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 1.0);
  auto b = std::make_shared<const ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 1.0);
  auto c = std::make_shared<const ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 2.0);
  EXPECT_TRUE(FunctionsEqual(a, b));
  EXPECT_FALSE(FunctionsEqual(a, c));
  EXPECT_FALSE(FunctionsEqual(a, nullptr));
  EXPECT_TRUE(FunctionsEqual(nullptr, nullptr));
}

}  // namespace
