#include <color/ColorSampling.h>

#include <gtest/gtest.h>

#include "ColorTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace ColorTest;
using namespace MavDoc::Build;

using CorvelTest::kSquare;

MavDoc::Separation::Entries ThreeInks(int aType, int bType, int cType) {
  return {Ink("A", aType), Ink("B", bType), Ink("C", cType)};
}

// The colour a one-rectangle page of `paint` samples to.
Corvel::SampledColor SampleOneRectangle(InkPage& page, std::shared_ptr<const MavPaint::Paint> paint,
                                        bool inkTypeStacking) {
  Add(page.content, FilledRectangle(kSquare, std::move(paint)));
  const auto& fill = page.MapAndTakeDeepestFill();
  const auto context = Corvel::MakeSamplingContext(page.content, inkTypeStacking, std::nullopt);
  return Corvel::SampleFillColor(context, &fill);
}

Entries ColourOf(const Corvel::SampledColor& sampled) {
  const auto* colour = std::get_if<MavColor::Color>(&sampled);
  if (!colour) {
    ADD_FAILURE() << "not a colour (alternative " << sampled.index() << ")";
    return {};
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(colour->GetColorSpace()));
  return EntriesOf(*colour);
}

constexpr int kNormal = MavDoc::Separation::kNormalInk;
constexpr int kOpaque = MavDoc::Separation::kOpaqueInk;

TEST(SampleFillColor, InksBelowTheThresholdGiveAnEmptyColourNotAFallback) {
  for (bool inkTypes : {false, true}) {
    InkPage page;
    const auto sampled = SampleOneRectangle(page, Flat({{"Cyan", 5e-6f}, {"Black", 9e-6f}}), inkTypes);
    EXPECT_EQ(sampled.index(), 2u);
    EXPECT_EQ(ColourOf(sampled), Entries{}) << "ink types " << inkTypes;
  }
}

TEST(SampleFillColor, ListsInksInPrintOrderWithoutTheInkTypeRule) {
  InkPage page(ThreeInks(kNormal, kNormal, kOpaque));
  const auto sampled = SampleOneRectangle(page, Flat({{"C", 0.6f}, {"A", 0.5f}, {"B", 0.5f}}), false);
  ExpectEntries(ColourOf(sampled), {{"A", 0.5f}, {"B", 0.5f}, {"C", 0.6f}});
}

TEST(SampleFillColor, AnOpaqueInkHidesWhatPrintsBeforeIt) {
  InkPage page(ThreeInks(kNormal, kNormal, kOpaque));
  const auto sampled = SampleOneRectangle(page, Flat({{"A", 0.5f}, {"B", 0.5f}, {"C", 0.6f}}), true);
  // Walked from the last printed ink: C .6 (opaque, leaves 1 − .6 = .4 uncovered), B .5·.4 = .2,
  // A .5·.4 = .2 (B is not opaque and leaves the factor alone).
  ExpectEntries(ColourOf(sampled), {{"C", 0.6f}, {"B", 0.2f}, {"A", 0.2f}});
}

TEST(SampleFillColor, AnOpaqueInkInTheMiddleHidesOnlyTheInksBelowIt) {
  InkPage page(ThreeInks(kNormal, kOpaque, kNormal));
  const auto sampled = SampleOneRectangle(page, Flat({{"A", 0.5f}, {"B", 0.5f}, {"C", 0.6f}}), true);
  // C .6 (not opaque), B .5 unscaled, then A .5·(1 − .5) = .25.
  ExpectEntries(ColourOf(sampled), {{"C", 0.6f}, {"B", 0.5f}, {"A", 0.25f}});
}

TEST(SampleFillColor, AFullOpaqueInkOnTopStandsAlone) {
  InkPage page(ThreeInks(kNormal, kNormal, kOpaque));
  const auto sampled = SampleOneRectangle(page, Flat({{"A", 0.5f}, {"B", 0.5f}, {"C", 1.0f}}), true);
  ExpectEntries(ColourOf(sampled), {{"C", 1.0f}});
}

TEST(SampleFillColor, AnInkTheDocumentLacksIsNotOpaque) {
  InkPage page(ThreeInks(kNormal, kNormal, kOpaque));
  Add(page.content, FilledRectangle(kSquare, Flat({{"Gold", 1.0f}})));
  const auto& fill = page.MapAndTakeDeepestFill();
  const auto context = Corvel::MakeSamplingContext(page.content, true, std::string("Gold"));
  ExpectEntries(ColourOf(Corvel::SampleFillColor(context, &fill)), {{"Gold", 1.0f}});
}

TEST(SampleFillColor, APictureAnywhereInTheStackIsNotFlat) {
  InkPage page;
  Add(page.content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}})));
  auto& image = Add(page.content, std::make_unique<MavDoc::Image>(TwoInkPicture(
                                      page.document, "Magenta", {0, 1}, "Yellow", {0, 1})));
  image.SetTransformation(Vexl::Transformation::Scaling(50, 50) *
                              Vexl::Transformation::Translation(10000, 10000), 0);
  Add(page.content, FilledRectangle(kSquare, Flat({{"Black", 0.5f}}), Blend(MavBlend::BlendMode::Multiply)));
  const auto& fill = page.MapAndTakeDeepestFill();
  ASSERT_EQ(fill.NElements(), 3);
  const auto context = Corvel::MakeSamplingContext(page.content, false, std::nullopt);
  EXPECT_TRUE(std::holds_alternative<Corvel::NotFlat>(Corvel::SampleFillColor(context, &fill)));
}

TEST(SampleFillColor, AShadingIsNotFlat) {
  InkPage page;
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0},
                                                                          std::vector<float>{1}, 1.0);
  common.mapping["Cyan"].channel = 0;
  const auto sampled = SampleOneRectangle(
      page, std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{0, 0}, Vexl::Point{1000, 0}),
      false);
  EXPECT_TRUE(std::holds_alternative<Corvel::NotFlat>(sampled));
}

TEST(MakeEmptyColor, IsAColourWithoutInks) {
  const auto empty = Corvel::MakeEmptyColor();
  ASSERT_EQ(empty.index(), 2u);
  EXPECT_TRUE(std::get<MavColor::Color>(empty).Empty());
  EXPECT_TRUE(std::holds_alternative<std::monostate>(std::get<MavColor::Color>(empty).GetColorSpace()));
}

}  // namespace
