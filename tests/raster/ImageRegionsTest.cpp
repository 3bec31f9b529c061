#include <raster/ImageRegions.h>

#include <gtest/gtest.h>

#include "RasterTestSupport.h"

namespace {

using namespace RasterTest;
using namespace MavDoc::Build;

const Vexl::Transformation kHundredByFifty = Vexl::Transformation::Scaling(100, 50);

// The width of the picture an element paints, or 0 for a paint element.
int PictureWidth(const DocumentGraph::ElementAttribute* element) {
  if (!element || !element->PaintedPicture()) return 0;
  return element->PaintedPicture()->GetPictureData(true)->GetSource()->GetWidth();
}

TEST(ComputeRasterGeometry, ShadingsAloneCoverTheWorkingRectangleAtTheRunResolution) {
  RasterPage page(72000, 72000);
  Add(page.content, FilledRectangle(Box(0, 0, 72000, 72000), Ramp({"Cyan"}, {0}, {1})));
  Add(page.content, FilledRectangle(Box(0, 0, 72000, 72000), Ramp({"Magenta"}, {1}, {0}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  const auto geometry = Corvel::ComputeRasterGeometry(page.Rasterizer(1200), *page.DeepestGroup().fill);
  // 72 pt = 1 inch at 1200 ppi.
  EXPECT_TRUE(geometry.transformation.IsIdentity());
  EXPECT_EQ(geometry.environment.GetWorld(), Box(0, 0, 72000, 72000));
  EXPECT_EQ(geometry.environment.GetColumns(), 1200);
  EXPECT_EQ(geometry.environment.GetRows(), 1200);
}

TEST(ComputeRasterGeometry, AShadingRefinesAPictureGridByAWholeFactor) {
  RasterPage page;
  AddPicture(page, 100, 50, kHundredByFifty);
  Add(page.content, FilledRectangle(Box(0, 0, 100000, 50000), Ramp({"Cyan"}, {0}, {1}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  const auto& fill = *page.DeepestGroup().fill;
  ASSERT_EQ(fill.NElements(), 2);
  const auto geometry = Corvel::ComputeRasterGeometry(page.Rasterizer(1200), fill);
  // The picture shows 100 px over 100 pt: 72 ppi. The shading needs 1200: q = 16.67, k = 17.
  EXPECT_EQ(geometry.transformation, kHundredByFifty);
  EXPECT_EQ(geometry.environment.GetWorld(), Box(0, 0, 1000, 1000));
  EXPECT_EQ(geometry.environment.GetColumns(), 1700);
  EXPECT_EQ(geometry.environment.GetRows(), 850);
}

TEST(ComputeRasterGeometry, FlatArtworkKeepsThePicturesOwnGrid) {
  RasterPage page;
  AddPicture(page, 100, 50, kHundredByFifty);
  Add(page.content, FilledRectangle(Box(0, 0, 100000, 50000), Flat({{"Cyan", 0.5f}}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  const auto geometry = Corvel::ComputeRasterGeometry(page.Rasterizer(1200), *page.DeepestGroup().fill);
  EXPECT_EQ(geometry.transformation, kHundredByFifty);
  EXPECT_EQ(geometry.environment.GetColumns(), 100);
  EXPECT_EQ(geometry.environment.GetRows(), 50);
}

TEST(ComputeRasterGeometry, APictureFinerThanTheGradientResolutionIsCoarsenedToIt) {
  RasterPage page;
  // 400 × 100 px over 100 × 50 pt: 288 ppi across, 144 ppi down.
  AddPicture(page, 400, 100, kHundredByFifty);
  Add(page.content, FilledRectangle(Box(0, 0, 100000, 50000), Flat({{"Cyan", 0.5f}}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  auto rasterizer = page.Rasterizer(1200);
  rasterizer.gradientResolution = 144;
  const auto geometry = Corvel::ComputeRasterGeometry(rasterizer, *page.DeepestGroup().fill);
  EXPECT_EQ(geometry.transformation, kHundredByFifty);
  EXPECT_EQ(geometry.environment.GetColumns(), 200);
  EXPECT_EQ(geometry.environment.GetRows(), 100);
  EXPECT_TRUE(geometry.continuousTone);
}

TEST(ChooseRasterImage, TheFinestPictureGivesTheGrid) {
  RasterPage page;
  AddPicture(page, 40, 20, kHundredByFifty);
  AddPicture(page, 10, 5, kHundredByFifty).SetTransparency(Blend(MavBlend::BlendMode::Multiply));
  page.Map();
  const auto& fill = *page.DeepestGroup().fill;
  ASSERT_EQ(fill.NElements(), 2);
  const auto rasterizer = page.Rasterizer(1200);
  EXPECT_EQ(PictureWidth(Corvel::ChooseRasterImage(rasterizer, fill).imageElement), 40);
  const auto geometry = Corvel::ComputeRasterGeometry(rasterizer, fill);
  EXPECT_EQ(geometry.environment.GetColumns(), 40);
  EXPECT_EQ(geometry.environment.GetRows(), 20);
}

// 3 columns over the 40-column picture's width: edges a third of the way across, between its
// pixels' edges. On its grid they would move by up to 2.5 points.
TEST(ChooseRasterImage, APictureWhoseEdgesMissTheGridAsksForTheGradientResolution) {
  RasterPage page;
  AddPicture(page, 40, 20, kHundredByFifty);
  AddPicture(page, 3, 2, kHundredByFifty).SetTransparency(Blend(MavBlend::BlendMode::Multiply));
  page.Map();
  const auto rasterizer = page.Rasterizer(1200);
  const auto choice = Corvel::ChooseRasterImage(rasterizer, *page.DeepestGroup().fill);
  EXPECT_EQ(PictureWidth(choice.imageElement), 40);
  EXPECT_EQ(choice.otherResolution, rasterizer.gradientResolution);
}

// What an opaque picture hides cannot show: the visible picture gives the grid, on its own.
TEST(ChooseRasterImage, APictureHiddenUnderAnOpaqueOneDoesNotChooseTheGrid) {
  RasterPage page;
  AddPicture(page, 40, 20, kHundredByFifty).SetTransparency(Blend(MavBlend::BlendMode::Multiply));
  AddPicture(page, 3, 2, kHundredByFifty);
  page.Map();
  const auto choice = Corvel::ChooseRasterImage(page.Rasterizer(1200), *page.DeepestGroup().fill);
  EXPECT_EQ(PictureWidth(choice.imageElement), 3);
  EXPECT_FALSE(choice.otherResolution.has_value());
}

TEST(ComputeRasterGeometry, FlatArtworkAloneIsNotContinuousTone) {
  RasterPage page(72000, 72000);
  Add(page.content, FilledRectangle(Box(0, 0, 72000, 72000), Flat({{"Cyan", 1.0f}})));
  Add(page.content, FilledRectangle(Box(0, 0, 72000, 72000), Flat({{"Magenta", 0.5f}}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  EXPECT_FALSE(Corvel::ComputeRasterGeometry(page.Rasterizer(1200), *page.DeepestGroup().fill).continuousTone);
}

TEST(ChooseRasterImage, AOnePixelPictureGivesWayToALargerOne) {
  RasterPage page;
  AddPicture(page, 1, 1, kHundredByFifty);
  AddPicture(page, 4, 2, kHundredByFifty).SetTransparency(Blend(MavBlend::BlendMode::Multiply));
  page.Map();
  const auto& fill = *page.DeepestGroup().fill;
  ASSERT_EQ(fill.NElements(), 2);
  const auto rasterizer = page.Rasterizer(1200);
  const auto choice = Corvel::ChooseRasterImage(rasterizer, fill);
  EXPECT_EQ(PictureWidth(choice.imageElement), 4);
  // The tiny picture has no resolution of its own, so nothing refines the grid.
  EXPECT_FALSE(choice.otherResolution.has_value());
  const auto geometry = Corvel::ComputeRasterGeometry(rasterizer, fill);
  EXPECT_EQ(geometry.environment.GetColumns(), 4);
  EXPECT_EQ(geometry.environment.GetRows(), 2);
}

TEST(ChooseRasterImage, AOnePixelPictureAloneIsUsedButNeverScaled) {
  RasterPage page;
  AddPicture(page, 1, 1, kHundredByFifty);
  Add(page.content, FilledRectangle(Box(0, 0, 100000, 50000), Ramp({"Cyan"}, {0}, {1}),
                                    Blend(MavBlend::BlendMode::Multiply)));
  page.Map();
  const auto& fill = *page.DeepestGroup().fill;
  const auto rasterizer = page.Rasterizer(1200);
  const auto choice = Corvel::ChooseRasterImage(rasterizer, fill);
  EXPECT_EQ(PictureWidth(choice.imageElement), 1);
  ASSERT_TRUE(choice.otherResolution.has_value());
  EXPECT_DOUBLE_EQ(*choice.otherResolution, 1200);
  const auto geometry = Corvel::ComputeRasterGeometry(rasterizer, fill);
  EXPECT_EQ(geometry.transformation, kHundredByFifty);
  EXPECT_EQ(geometry.environment.GetColumns(), 1);
  EXPECT_EQ(geometry.environment.GetRows(), 1);
}

TEST(EffectiveResolution, PicturesTakeTheirPixelsPerInchAlongEachAxis) {
  RasterPage page;
  // 3 × 4 px shown 1 pt wide and 2 pt high: 3·72 = 216 ppi across, 4·72/2 = 144 ppi down.
  AddPicture(page, 3, 4, Vexl::Transformation::Scaling(1, 2));
  // 1 × 4 px shown 10 pt × 2 pt: one column says nothing, so 144 ppi both ways.
  AddPicture(page, 1, 4, Vexl::Transformation::Scaling(10, 2) * Vexl::Transformation::Translation(20000, 0));
  // A shading needs the run's resolution; a flat paint needs none.
  Add(page.content, FilledRectangle(Box(40000, 0, 1000, 1000), Ramp({"Cyan"}, {0}, {1})));
  Add(page.content, FilledRectangle(Box(60000, 0, 1000, 1000), Flat({{"Cyan", 1.0f}})));
  page.Map();
  const auto rasterizer = page.Rasterizer(600);
  std::vector<std::optional<std::pair<double, double>>> found;
  for (const auto& group : page.groups) {
    found.push_back(Corvel::EffectiveResolution(rasterizer, Corvel::AttributeOf(group.fill->GetElement(0))));
  }
  ASSERT_EQ(found.size(), 4u);
  // Groups come top stack first.
  EXPECT_FALSE(found[0].has_value());
  ASSERT_TRUE(found[1].has_value());
  EXPECT_EQ(*found[1], (std::pair<double, double>{600, 600}));
  ASSERT_TRUE(found[2].has_value());
  EXPECT_NEAR(found[2]->first, 144, 1e-9);
  EXPECT_NEAR(found[2]->second, 144, 1e-9);
  ASSERT_TRUE(found[3].has_value());
  EXPECT_NEAR(found[3]->first, 144, 1e-9);
  EXPECT_NEAR(found[3]->second, 216, 1e-9);
}

}  // namespace
