#include <color/UsedSeparations.h>

#include <gtest/gtest.h>

#include "ColorTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace ColorTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;
using Strings = std::vector<std::string>;

using CorvelTest::kSquare;

struct UsedSeparations : ::testing::Test {
  UsedSeparations() {
    // Magenta is listed for preview only, so it is not an output separation.
    MavDoc::Separations::List list;
    list.entries = {ListEntry("Cyan"), ListEntry("Magenta", {2, 0, 0}), ListEntry("Yellow"),
                    ListEntry("Black"), ListEntry("Spot")};
    page.content.GetSeparations().SetList(list);
  }

  Strings Collect(const std::optional<std::string>& filter = std::nullopt) {
    const auto& fill = page.MapAndTakeDeepestFill();
    Corvel::UsedSeparationCollector collector(page.content, filter);
    collector.Visit(fill.GetRootComponent());
    return NamesOf(collector.GetUsed());
  }

  static MavColor::Color AllInks(float tint) {
    MavColor::Color colour(MavColor::AllSeparations{});
    colour.Append({"All", tint});
    return colour;
  }

  InkPage page{[] {
    auto info = MavDoc::Separation::ProcessEntries();
    info.push_back(Ink("Spot"));
    return info;
  }()};
};

TEST_F(UsedSeparations, AnAllInksColourAtZeroInksNothing) {
  Add(page.content, FilledRectangle(kSquare, Flat(AllInks(0))));
  EXPECT_EQ(Collect(), Strings{});
}

TEST_F(UsedSeparations, AnAllInksColourInksEveryOutputSeparation) {
  Add(page.content, FilledRectangle(kSquare, Flat(AllInks(0.5f))));
  EXPECT_EQ(Collect(), (Strings{"Cyan", "Yellow", "Black", "Spot"}));
}

TEST_F(UsedSeparations, PaintedInksInOrderOfFirstUse) {
  Add(page.content, FilledRectangle(kSquare, Flat({{"Spot", 0.4f}, {"Cyan", 0}})));
  Add(page.content, FilledRectangle(kSquare, Flat({{"Black", 0.2f}, {"Spot", 1}}), Blend(BlendMode::Multiply)));
  // Cyan at 0 puts no ink; Multiply is white-preserving and adds nothing of its own.
  EXPECT_EQ(Collect(), (Strings{"Spot", "Black"}));
}

TEST_F(UsedSeparations, AModeThatIsNotWhitePreservingAddsTheProcessInksFirst) {
  Add(page.content, FilledRectangle(kSquare, Flat({{"Spot", 0.5f}}), Blend(BlendMode::Difference)));
  EXPECT_EQ(Collect(), (Strings{"Cyan", "Magenta", "Yellow", "Black", "Spot"}));
}

TEST_F(UsedSeparations, AFilterLetsOnlyItsInkThrough) {
  Add(page.content, FilledRectangle(kSquare, Flat({{"Spot", 0.5f}}), Blend(BlendMode::Exclusion)));
  EXPECT_EQ(Collect(std::string("Black")), (Strings{"Black"}));
}

TEST_F(UsedSeparations, AFilterForAnUnusedInkLeavesNothing) {
  Add(page.content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Spot", 0.5f}})));
  EXPECT_EQ(Collect(std::string("Black")), Strings{});
}

TEST_F(UsedSeparations, AWhitePreservingGroupInTheSameSpaceAddsNothing) {
  auto& group = Add(page.content, TransparencyGroup(Blend(BlendMode::Screen, 0.5f), true, true));
  Add(group, FilledRectangle(kSquare, Flat({{"Spot", 0.5f}})));
  EXPECT_EQ(Collect(), (Strings{"Spot"}));
}

TEST_F(UsedSeparations, AGroupThatChangesTheBlendingSpaceAddsTheProcessInks) {
  auto& group = Add(page.content, TransparencyGroup(Blend(BlendMode::Normal), true, false));
  group.SetGroupColorSpace(MavColor::DeviceRGB{});
  Add(group, FilledRectangle(kSquare, Flat({{"Spot", 0.5f}})));
  EXPECT_EQ(Collect(), (Strings{"Cyan", "Magenta", "Yellow", "Black", "Spot"}));
}

TEST_F(UsedSeparations, AGroupModeThatIsNotWhitePreservingAddsTheProcessInks) {
  auto& group = Add(page.content, TransparencyGroup(Blend(BlendMode::Difference), false, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Spot", 0.5f}})));
  EXPECT_EQ(Collect(), (Strings{"Cyan", "Magenta", "Yellow", "Black", "Spot"}));
}

TEST_F(UsedSeparations, APictureChannelWithAnEmptyRangeInksNothing) {
  auto& image = Add(page.content, std::make_unique<MavDoc::Image>(
                                      TwoInkPicture(page.document, "Yellow", {0, 1}, "Spot", {0, 0})));
  image.SetTransformation(Vexl::Transformation::Scaling(50, 50) *
                              Vexl::Transformation::Translation(10000, 10000), 0);
  EXPECT_EQ(Collect(), (Strings{"Yellow"}));
}

TEST_F(UsedSeparations, AShadingChannelInksWhereItsFunctionIsNotZero) {
  MavPaint::ShadingCommon common;
  // Cyan rises, Magenta stays 0, Yellow stays 0 but the background inks it.
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0, 0, 0}, std::vector<float>{1, 0, 0}, 1.0);
  common.mapping["Cyan"].channel = 0;
  common.mapping["Magenta"].channel = 1;
  common.mapping["Yellow"].channel = 2;
  common.background = std::vector<float>{0, 0, 0.5f};
  Add(page.content, FilledRectangle(kSquare, std::make_shared<const MavPaint::AxialShadingPaint>(
                                                 common, Vexl::Point{0, 0}, Vexl::Point{1000, 0})));
  EXPECT_EQ(Collect(), (Strings{"Cyan", "Yellow"}));
}

}  // namespace
