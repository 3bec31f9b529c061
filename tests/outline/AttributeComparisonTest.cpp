#include <outline/AttributeComparison.h>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>

namespace {

using namespace Corvel;
using MavColor::Color;

Color Named(std::initializer_list<std::pair<std::string, float>> entries, bool keepZeros = false) {
  Color color = MavColor::MakeSeparationColor(entries);
  color.keepZeroEntries = keepZeros ? 1 : 0;
  return color;
}

TEST(SameColor, DeviceGrayIsBlackInk) {
  EXPECT_TRUE(SameColor(MavColor::MakeGrayColor(0.25f), Named({{"Black", 0.75f}})));
  EXPECT_FALSE(SameColor(MavColor::MakeGrayColor(0.25f), Named({{"Black", 0.7f}})));
}

TEST(SameColor, ZeroEntriesCountOnlyWhenTheFlagSaysSo) {
  EXPECT_TRUE(SameColor(Named({{"Cyan", 0.5f}, {"Spot", 0.0f}}), Named({{"Cyan", 0.5f}})));
  EXPECT_FALSE(SameColor(Named({{"Cyan", 0.5f}, {"Spot", 0.0f}}, true), Named({{"Cyan", 0.5f}}, true)));
  EXPECT_FALSE(SameColor(Named({{"Cyan", 0.5f}}, true), Named({{"Cyan", 0.5f}})));
}

TEST(SameColor, TenMillionthsApartAreDifferent) {
  EXPECT_FALSE(SameColor(Named({{"Cyan", 0.5f}}), Named({{"Cyan", 0.50001f}})));
  EXPECT_TRUE(SameColor(Named({{"Cyan", 0.5f}}), Named({{"Cyan", 0.500001f}})));
  EXPECT_FALSE(SameColor(MavColor::MakeCMYKColor(0, 0, 0, 1), Named({{"Black", 1.0f}})));
}

struct ElementTest : ::testing::Test {
  MavDoc::Path path{Vexl::MakeRectangle({0, 0, 1, 1, false})};
  DocumentGraph::ElementAttribute Element(std::shared_ptr<const MavPaint::Paint> paint,
                                          std::shared_ptr<const MavBlend::Transparency> t) {
    return DocumentGraph::ElementAttribute(path, std::move(t), false, std::move(paint), nullptr, {},
                                           &path, true);
  }
};

TEST_F(ElementTest, FlatPaintsCompareByColourShadingsByIdentity) {
  using MavDoc::Build::Flat;
  EXPECT_TRUE(SameElementAttribute(Element(Flat({{"Cyan", 0.5f}}), nullptr),
                                   Element(Flat({{"Cyan", 0.500001f}}), nullptr)));
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0}, std::vector<float>{1}, 1.0);
  common.mapping["Cyan"].channel = 0;
  auto ramp = [&] {
    return std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{0, 0},
                                                               Vexl::Point{1, 0});
  };
  const auto shared = ramp();
  EXPECT_TRUE(SameElementAttribute(Element(shared, nullptr), Element(shared, nullptr)));
  EXPECT_FALSE(SameElementAttribute(Element(ramp(), nullptr), Element(ramp(), nullptr)));
}

TEST_F(ElementTest, AlphaIsShapeMattersBelowFullAlpha) {
  using MavDoc::Build::Flat;
  auto t = [](float alpha, bool ais) {
    return MavBlend::Transparency::Factory().SetFillAlpha(alpha).SetAlphaIsShape(ais).Get();
  };
  const auto paint = Flat({{"Cyan", 1.0f}});
  EXPECT_TRUE(SameElementAttribute(Element(paint, t(1, false)), Element(paint, t(1, true))));
  EXPECT_FALSE(SameElementAttribute(Element(paint, t(0.5f, false)), Element(paint, t(0.5f, true))));
}

}  // namespace
