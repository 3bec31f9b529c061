#include <flatten/FlattenedResult.h>

#include <gtest/gtest.h>

#include "FlattenTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

using CorvelTest::kSquare;

struct FlattenedResultTest : PageFixture, ::testing::Test {};

const MavPaint::FlatPaint& FlatPaintOf(const MavDoc::ContentObject& object) {
  return dynamic_cast<const MavPaint::FlatPaint&>(
      *dynamic_cast<const MavDoc::Path&>(object).GetFillPaint());
}

// The outline of a result object: a flat path's own, or the clipping path of a rendered one.
const Vexl::Compound& OutlineOf(const MavDoc::ContentObject& object) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) return *path->GetOutline();
  const auto& group = dynamic_cast<const MavDoc::Group&>(object);
  for (const auto& child : group.GetContent().GetChildren()) {
    if (child.IsClippingObject()) return *dynamic_cast<const MavDoc::Path&>(child).GetOutline();
  }
  throw std::logic_error("A rendered result without a clip");
}

std::shared_ptr<const MavPaint::AxialShadingPaint> CyanRamp(float from, float to) {
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{from},
                                                                          std::vector<float>{to}, 1.0);
  common.mapping["Cyan"].channel = 0;
  return std::make_shared<const MavPaint::AxialShadingPaint>(
      common, Vexl::Point{0, 0}, Vexl::Point{100000, 0}, std::array<double, 2>{0, 1}, std::array<bool, 2>{true, true});
}

TEST_F(FlattenedResultTest, NothingPaintedGivesNothing) {
  EXPECT_TRUE(Corvel::GetFlattenedResult(Prepare(), false, std::nullopt).empty());
}

TEST_F(FlattenedResultTest, AFlatStackBecomesAPathOfItsColourAndBottomHalftone) {
  auto screen = std::make_shared<MavDoc::HalftoneSet>("bottom", 85);
  auto& bottom = Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.4f}, {"Yellow", 0.6f}})));
  bottom.SetHalftoneSet(screen);
  auto& top = Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Magenta", 0.5f}, {"Black", 0.3f}}),
                                           Blend(BlendMode::Multiply)));
  top.SetHalftoneSet(std::make_shared<MavDoc::HalftoneSet>("top", 200));
  const auto result = Corvel::GetFlattenedResult(Prepare(), false, std::nullopt);
  ASSERT_EQ(result.size(), 1u);
  const auto& path = dynamic_cast<const MavDoc::Path&>(*result[0]);
  // Multiply: t_b + t_s − t_b t_s per ink: C .6, M .7, Y .6, K .3, in print order.
  const auto& colour = FlatPaintOf(path).GetColor();
  ASSERT_EQ(colour.Size(), 4u);
  const std::pair<std::string, float> expected[] = {{"Cyan", 0.6f}, {"Magenta", 0.7f}, {"Yellow", 0.6f}, {"Black", 0.3f}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(colour.GetEntries()[i].name, expected[i].first);
    EXPECT_NEAR(colour.GetEntries()[i].value, expected[i].second, 1e-5);
  }
  EXPECT_EQ(FlatPaintOf(path).GetProfile(), nullptr);
  EXPECT_EQ(path.GetHalftoneSet(), screen);
  EXPECT_NEAR(Area(*path.GetOutline()), 50000.0 * 50000.0, 1);
  EXPECT_TRUE(path.GetTransformation().IsIdentity());
  EXPECT_EQ(path.GetParent(), nullptr);
  EXPECT_EQ(path.GetStrokePaint(), nullptr);
}

TEST_F(FlattenedResultTest, AShadingThatInksNothingBecomesAnEmptyPathNotAGap) {
  Add(content, FilledRectangle(kSquare, CyanRamp(0, 0), Blend(BlendMode::Multiply, 0.5f)));
  const auto result = Corvel::GetFlattenedResult(Prepare(), false, std::nullopt);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_TRUE(FlatPaintOf(*result[0]).GetColor().Empty());
  EXPECT_NEAR(Area(OutlineOf(*result[0])), 50000.0 * 50000.0, 1);
}

TEST_F(FlattenedResultTest, ObjectsComeInTheOrderOfTheStacks) {
  // Three stacks of three different areas: A alone 1500 pt², the overlap 100 pt², the ramp
  // alone 800 pt²; the ramp's stacks are rendered, A's is flat.
  Add(content, FilledRectangle(Box(0, 0, 40000, 40000), Flat({{"Magenta", 0.5f}})));
  Add(content, FilledRectangle(Box(30000, 30000, 30000, 30000), CyanRamp(0, 1), Blend(BlendMode::Multiply)));
  const auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 3u);
  const auto result = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  ASSERT_EQ(result.size(), 3u);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const double area = Area(*Corvel::MakeCompound(GraphOf(environment), groups[i].regions));
    EXPECT_NEAR(Area(OutlineOf(*result[i])), area, 1e3) << "object " << i;
  }
  std::vector<double> areas;
  for (const auto& object : result) areas.push_back(std::round(Area(OutlineOf(*object)) / 1e6));
  EXPECT_EQ(std::count(areas.begin(), areas.end(), 1500.0), 1);
  EXPECT_EQ(std::count(areas.begin(), areas.end(), 100.0), 1);
  EXPECT_EQ(std::count(areas.begin(), areas.end(), 800.0), 1);
}

TEST_F(FlattenedResultTest, TwoCallsGiveEqualButSeparateObjects) {
  Add(content, FilledRectangle(Box(0, 0, 40000, 40000), Flat({{"Magenta", 0.5f}})));
  Add(content, FilledRectangle(Box(20000, 20000, 40000, 40000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Screen, 0.5f)));
  const auto environment = Prepare();
  const auto first = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  const auto second = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  ASSERT_EQ(first.size(), 3u);
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_NE(first[i].get(), second[i].get());
    const auto& a = dynamic_cast<const MavDoc::Path&>(*first[i]);
    const auto& b = dynamic_cast<const MavDoc::Path&>(*second[i]);
    EXPECT_EQ(*a.GetOutline(), *b.GetOutline());
    EXPECT_TRUE(MavPaint::PaintsEqual(a.GetFillPaint(), b.GetFillPaint()));
  }
}

TEST_F(FlattenedResultTest, AGivenSeparationIsSampledEvenWhenTheDocumentLacksIt) {
  Add(content, FilledRectangle(Box(0, 0, 40000, 40000), Flat({{"Gold", 0.7f}})));
  Add(content, FilledRectangle(Box(50000, 0, 40000, 40000), Flat({{"Cyan", 0.7f}})));
  const auto result = Corvel::GetFlattenedResult(Prepare(), false, std::string("Gold"));
  ASSERT_EQ(result.size(), 2u);
  std::vector<std::size_t> sizes;
  for (const auto& object : result) {
    const auto& colour = FlatPaintOf(*object).GetColor();
    sizes.push_back(colour.Size());
    if (colour.Size() == 1) {
      EXPECT_EQ(colour.GetEntries()[0].name, "Gold");
      EXPECT_NEAR(colour.GetEntries()[0].value, 0.7f, 1e-6);
    }
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{0, 1}));
}

TEST_F(FlattenedResultTest, AGroupWithoutOutlineMakesNothing) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 0.5f)));
  const auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 1u);
  const Corvel::RegionGroup noRegions{groups[0].fill, {}};
  const auto sampling = Corvel::MakeSamplingContext(content, false, std::nullopt);
  Corvel::FillRasterizer rasterizer(&GraphOf(environment), &content, environment.GetImpl()->bounds, 1200,
                                    false, std::nullopt);
  EXPECT_EQ(Corvel::CreateRegionObject(noRegions, GraphOf(environment), content, sampling, rasterizer), nullptr);
  EXPECT_EQ(Corvel::MakeFlatPath(GraphOf(environment), noRegions, content, MavColor::Color{}), nullptr);
}

}  // namespace
