// The preview picture drawn over a blank page without Ghostscript: how much each mark covers
// adds up to the area the report measures, and the legend band holds a line per category.
#include <cli/PreviewImage.h>
#include <gtest/gtest.h>

#include <random>

namespace {

using namespace CorvelCli;

constexpr double kPreviewPoint = 1000;

// A white page of `widthInPoints` × `heightInPoints` at `resolution`.
CorvelOracle::GrayRender BlankPage(double widthInPoints, double heightInPoints, double resolution) {
  CorvelOracle::GrayRender page;
  page.width = static_cast<int>(std::lround(widthInPoints * resolution / 72));
  page.height = static_cast<int>(std::lround(heightInPoints * resolution / 72));
  page.gray.assign(std::size_t(page.width) * page.height, 255);
  return page;
}

AreaShape Ellipse(double x, double y, double rx, double ry) {
  return {MakeFilledOutline(*Vexl::MakeEllipse({x * kPreviewPoint, y * kPreviewPoint}, rx * kPreviewPoint, ry * kPreviewPoint),
                            Vexl::Transformation::Identity(), Vexl::FillRule::NonZero),
          {}};
}

TEST(PreviewImage, MarkedCoverageAddsUpToTheMeasuredArea) {
  const unsigned seed = 4242;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> centre(40, 160), radius(3, 40);
  const double resolution = 72;
  const Vexl::Rectangle box{0, 0, 200 * kPreviewPoint, 200 * kPreviewPoint};
  for (int round = 0; round < 5; ++round) {
    PreviewAreas areas;
    for (int i = 0; i < 1 + round * 2; ++i)
      areas.involved.push_back(
          Ellipse(centre(random), centre(random), radius(random), radius(random)));
    const auto summary = MeasureAreas(areas, box);
    const auto layers = PreviewLayers(areas, summary);
    const auto image =
        ComposePreview(BlankPage(200, 200, resolution), {box, 0, resolution}, layers);
    // Over white, the red channel falls from 255 towards the mark's red as the coverage rises.
    const Rgb mark = layers.front().colour;
    double covered = 0;
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 200; ++x) {
        const double red = image.rgb[(std::size_t(y) * image.width + x) * 3];
        covered += (255 - red) / (kMarkOpacity * (255 - mark.r));
      }
    }
    EXPECT_NEAR(covered, summary.involved, 0.01 * summary.involved + 2)
        << "seed " << seed << ", round " << round;
  }
}

TEST(PreviewImage, TheLegendBandHoldsALinePerCategoryWithItsSwatchAndText) {
  PreviewAreas areas;
  areas.rasterized.push_back({300, {}});
  areas.rasterized.push_back({1200, {}});
  const auto layers = PreviewLayers(areas, MeasureAreas(areas, {0, 0, 100 * kPreviewPoint, 100 * kPreviewPoint}));
  ASSERT_EQ(layers.size(), 5u);
  EXPECT_EQ(layers[1].label, "rasterised at 300 ppi");
  EXPECT_EQ(layers[2].label, "rasterised at 1200 ppi");
  EXPECT_NE(layers[1].colour, layers[2].colour);
  const auto image =
      ComposePreview(BlankPage(100, 100, 72), {{0, 0, 100 * kPreviewPoint, 100 * kPreviewPoint}, 0, 72}, layers);
  // The band is wider than this small page, to hold the longest line.
  EXPECT_GT(image.width, 100);
  ASSERT_EQ(image.height, 100 + 2 * kLegendMargin + 5 * kLegendLineHeight);
  for (std::size_t i = 0; i < layers.size(); ++i) {
    const int top = 100 + kLegendMargin + int(i) * kLegendLineHeight;
    const auto* swatch =
        &image.rgb[(std::size_t(top + kSwatchHeight / 2) * image.width + kLegendMargin + 2) * 3];
    EXPECT_EQ((Rgb{swatch[0], swatch[1], swatch[2]}), layers[i].colour) << layers[i].label;
    int black = 0;
    for (int y = top; y < top + kSwatchHeight; ++y)
      for (int x = kLegendMargin + kSwatchWidth; x < image.width; ++x)
        black += image.rgb[(std::size_t(y) * image.width + x) * 3] == 0;
    EXPECT_GT(black, 100) << layers[i].label;
  }
}

}  // namespace
