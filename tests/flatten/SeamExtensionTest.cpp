// Seam-free pieces on hand-computed pages: a piece painted earlier covers the later pieces it
// meets, never an earlier one, and abutting pieces keep their exact outlines.
#include <gtest/gtest.h>

#include <algorithm>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;

constexpr double kSquareArea = 30000.0 * 30000.0;
constexpr double kOverlapArea = 20000.0 * 20000.0;

struct SeamExtensionTest : PageFixture, ::testing::Test {
  // A cyan square and a magenta square multiplied over its corner: the cyan alone, the
  // overlap and the magenta alone, painted in that order.
  void AddOverlappingSquares() {
    Add(content, FilledRectangle(Box(10000, 10000, 30000, 30000), Flat({{"Cyan", 0.5f}})));
    Add(content, FilledRectangle(Box(20000, 20000, 30000, 30000), Flat({{"Magenta", 0.5f}}),
                                 Blend(MavBlend::BlendMode::Multiply, 0.5f)));
  }
  // The areas of the new paths, smallest first.
  std::vector<double> FlattenedAreas(Corvel::Seams seams) {
    Corvel::FlattenOptions options;
    options.seams = seams;
    const auto inserted = Corvel::FlattenAction(
        content, [](const auto& layer) { return layer->visible; }, true,
        [](const MavDoc::ContentObject&) { return true; }, options);
    std::vector<double> areas;
    for (const auto* object : inserted) {
      const auto* path = dynamic_cast<const MavDoc::Path*>(object);
      EXPECT_NE(path, nullptr);
      if (path) areas.push_back(Area(*path->GetOutline()));
    }
    std::sort(areas.begin(), areas.end());
    return areas;
  }
};

TEST_F(SeamExtensionTest, AbuttingPiecesCoverTheirOwnRegionsOnly) {
  AddOverlappingSquares();
  const auto areas = FlattenedAreas(Corvel::Seams::Abut);
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_NEAR(areas[0], kOverlapArea, 1e3);
  EXPECT_NEAR(areas[1], kSquareArea - kOverlapArea, 1e3);
  EXPECT_NEAR(areas[2], kSquareArea - kOverlapArea, 1e3);
}

// The cyan alone reaches under the overlap (the whole cyan square) and the overlap under the
// magenta alone (the whole magenta square); the magenta alone, painted last, stays as it is.
// The cyan alone does not reach the magenta alone: they meet at two corners only.
TEST_F(SeamExtensionTest, EarlierPiecesCoverTheLaterPiecesTheyMeet) {
  AddOverlappingSquares();
  const auto areas = FlattenedAreas(Corvel::Seams::None);
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_NEAR(areas[0], kSquareArea - kOverlapArea, 1e3);
  EXPECT_NEAR(areas[1], kSquareArea, 1e3);
  EXPECT_NEAR(areas[2], kSquareArea, 1e3);
}

// A yellow panel, a cyan panel 10 points to its right and a multiplied magenta bar across both
// and the gap: yellow alone, yellow under the bar, cyan alone, cyan under the bar and the bar
// alone, painted in that order. The bar alone lies between the two pieces under the bar, both
// painted before it: taken by the yellow-and-bar piece only, its border with the cyan-and-bar
// piece would let the paper through; taken by both, the cyan-and-bar piece's edge shows over
// the yellow-and-bar piece, but with all the magenta of both sides, so nothing there is
// lighter than either side. Each panel alone covers its panel.
TEST_F(SeamExtensionTest, ARegionBetweenTwoEarlierPiecesIsTakenByBothWhenNothingShowsLighter) {
  Add(content, FilledRectangle(Box(0, 0, 20000, 40000), Flat({{"Yellow", 0.5f}})));
  Add(content, FilledRectangle(Box(30000, 0, 20000, 40000), Flat({{"Cyan", 0.5f}})));
  Add(content, FilledRectangle(Box(10000, 10000, 30000, 10000), Flat({{"Magenta", 0.5f}}),
                               Blend(MavBlend::BlendMode::Multiply, 0.5f)));
  const double cell = 10000.0 * 10000.0;
  const auto areas = FlattenedAreas(Corvel::Seams::None);
  ASSERT_EQ(areas.size(), 5u);
  const double expected[] = {cell, 2 * cell, 2 * cell, 8 * cell, 8 * cell};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(areas[i], expected[i], 1e3) << i;
}

}  // namespace
