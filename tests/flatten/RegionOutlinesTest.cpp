#include <flatten/RegionOutlines.h>

#include <gtest/gtest.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using Corvel::GroupRegionsByStack;
using MavBlend::BlendMode;

struct RegionOutlinesTest : PageFixture, ::testing::Test {};

// The inks of a group's stack, bottom first, as initials: "CM" is cyan under magenta.
std::string StackInks(const Corvel::RegionGroup& group) {
  std::string inks;
  for (int i = 0; i < group.fill->NElements(); ++i) {
    const auto& attribute =
        static_cast<const DocumentGraph::ElementAttribute&>(*group.fill->GetElement(i).Attribute());
    const auto& flat = static_cast<const MavPaint::FlatPaint&>(*attribute.Paint());
    inks += flat.GetColor().GetEntries().front().name.front();
  }
  return inks;
}

TEST_F(RegionOutlinesTest, OverlapGivesThreeStacksTopmostFirst) {
  Add(content, FilledRectangle(Box(10000, 10000, 40000, 40000), Flat({{"Cyan", 1.0f}})));
  Add(content, FilledRectangle(Box(30000, 30000, 40000, 40000), Flat({{"Magenta", 1.0f}}),
                               Blend(BlendMode::Multiply, 0.5f)));
  const auto environment = Prepare();
  const auto groups = GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(StackInks(groups[0]), "M");
  EXPECT_EQ(StackInks(groups[1]), "CM");
  EXPECT_EQ(StackInks(groups[2]), "C");
  const double overlap = 20000.0 * 20000.0;
  EXPECT_NEAR(Area(*Corvel::MakeCompound(GraphOf(environment), groups[1].regions)), overlap, 1);
  EXPECT_NEAR(Area(*Corvel::MakeCompound(GraphOf(environment), groups[2].regions)),
              40000.0 * 40000.0 - overlap, 1);
}

TEST_F(RegionOutlinesTest, SharedStacksGroupSeparateRegionsAndMergeNeighbours) {
  // Three equal squares: two touching (one outline, no border between) and one apart.
  for (double x : {10000.0, 20000.0, 60000.0}) {
    Add(content, FilledRectangle(Box(x, 10000, 10000, 10000), Flat({{"Spot", 0.4f}}),
                                 Blend(BlendMode::Normal, 0.5f)));
  }
  const auto environment = Prepare();
  const auto groups = GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].regions.size(), 3u);
  const auto outline = Corvel::MakeCompound(GraphOf(environment), groups[0].regions);
  ASSERT_EQ(outline->GetSubpaths().size(), 2u);
  EXPECT_NEAR(Area(*outline), 3 * 1e8, 1);
  const auto box = outline->GetBoundingBox();
  EXPECT_NEAR(box.x, 10000, 1e-6);
  EXPECT_NEAR(box.Right(), 70000, 1e-6);
}

TEST_F(RegionOutlinesTest, CircleOutlineKeepsItsCurves) {
  Add(content, FilledEllipse({50000, 50000}, 20000, 20000, Flat({{"Black", 1.0f}}),
                             Blend(BlendMode::Multiply, 0.8f)));
  const auto environment = Prepare();
  const auto groups = GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 1u);
  const auto outline = Corvel::MakeRegionCompound(GraphOf(environment), groups[0].regions[0]);
  ASSERT_EQ(outline->GetSubpaths().size(), 1u);
  const auto& segments = outline->GetSubpaths()[0].GetSegments();
  EXPECT_LE(segments.size(), 5u);
  EXPECT_TRUE(std::any_of(segments.begin(), segments.end(),
                          [](const auto& s) { return s.IsCubic(); }));
  const auto expected = Vexl::MakeEllipse({50000, 50000}, 20000, 20000);
  EXPECT_NEAR(Area(*outline), Area(*expected), 50.0);
}

TEST_F(RegionOutlinesTest, NothingCoveredGivesNoGroups) {
  auto& hidden = Add(content, MakeLayer("off", false));
  Add(hidden, FilledRectangle(Box(0, 0, 1000, 1000), Flat({{"Cyan", 1.0f}})));
  const auto environment = Prepare();
  EXPECT_TRUE(GroupRegionsByStack(GraphOf(environment)).empty());
  EXPECT_TRUE(Corvel::MakeCompound(GraphOf(environment), {})->GetSubpaths().empty());
}

}  // namespace
