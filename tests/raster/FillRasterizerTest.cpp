#include <raster/FillRasterizer.h>

#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace RasterTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

using CorvelTest::kSquare;
// At 72 ppi one pixel is one point.
constexpr double kPointResolution = 72;

std::optional<std::unique_ptr<MavDoc::ContentObject>> RasterizeDeepest(RasterPage& page, double resolution,
                                                                        bool inkTypeStacking = false) {
  page.Map();
  const auto rasterizer = page.Rasterizer(resolution, inkTypeStacking);
  const auto& group = page.DeepestGroup();
  return rasterizer.RasterizeFill(group.regions, group.fill);
}

const MavColor::Color& FlatColourOf(const MavDoc::ContentObject& object) {
  const auto& path = dynamic_cast<const MavDoc::Path&>(object);
  return dynamic_cast<const MavPaint::FlatPaint&>(*path.GetFillPaint()).GetColor();
}

TEST(RasterizeFill, AFillThatInksNothingGivesNoValue) {
  RasterPage page;
  Add(page.content, FilledRectangle(kSquare, Ramp({"Cyan"}, {0}, {0})));
  EXPECT_FALSE(RasterizeDeepest(page, kPointResolution).has_value());
}

TEST(RasterizeFill, AConstantTileBecomesAFlatPath) {
  RasterPage page;
  Add(page.content, FilledRectangle(kSquare, Flat({{"Cyan", 0.4f}})));
  Add(page.content, FilledRectangle(kSquare, Ramp({"Magenta"}, {0.2f}, {0.2f}), Blend(BlendMode::Multiply)));
  auto result = RasterizeDeepest(page, kPointResolution);
  ASSERT_TRUE(result.has_value());
  ASSERT_NE(dynamic_cast<const MavDoc::Path*>(result->get()), nullptr) << "one job: no group around it";
  const auto& path = dynamic_cast<const MavDoc::Path&>(**result);
  // Multiply keeps Cyan .4 = 102/255 and adds Magenta .2 = 51/255.
  const auto& colour = FlatColourOf(path);
  ASSERT_EQ(colour.Size(), 2u);
  EXPECT_EQ(colour.GetEntries()[0].name, "Cyan");
  EXPECT_NEAR(colour.GetEntries()[0].value, 102.0 / 255, 1e-6);
  EXPECT_EQ(colour.GetEntries()[1].name, "Magenta");
  EXPECT_NEAR(colour.GetEntries()[1].value, 51.0 / 255, 1e-6);
  EXPECT_FALSE(path.IsClippingObject());
  EXPECT_NEAR(Area(*path.GetOutline()), 50000.0 * 50000.0, 1);
}

TEST(RasterizeFill, ATileWithoutInkBecomesAPathWithAnEmptyColour) {
  RasterPage page;
  Add(page.content, FilledRectangle(kSquare, Flat({{"Cyan", 0.4f}})));
  // Opaque and Normal, painting no ink anywhere: the Cyan below is covered.
  Add(page.content, FilledRectangle(kSquare, Ramp({"Cyan"}, {0}, {0})));
  auto result = RasterizeDeepest(page, kPointResolution);
  ASSERT_TRUE(result.has_value());
  ASSERT_NE(dynamic_cast<const MavDoc::Path*>(result->get()), nullptr);
  EXPECT_TRUE(FlatColourOf(**result).Empty());
}

TEST(RasterizeFill, AVaryingInkOverAnEmptyOneBecomesAOneChannelImage) {
  RasterPage page;
  Add(page.content, FilledRectangle(kSquare, Flat({{"Magenta", 0.5f}})));
  // Cyan from 0 at x = 10 pt to 1 at x = 60 pt, covering the Magenta below.
  Add(page.content, FilledRectangle(kSquare, Ramp({"Cyan"}, {0}, {1}, 10000, 60000)));
  auto result = RasterizeDeepest(page, kPointResolution);
  ASSERT_TRUE(result.has_value());
  const auto* group = dynamic_cast<const MavDoc::Group*>(result->get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetFlags(), 511u);
  ASSERT_EQ(group->GetContent().Size(), 2u);
  auto children = group->GetContent().GetChildren().begin();
  const auto& image = dynamic_cast<const MavDoc::Image&>(*children);
  const auto& clip = dynamic_cast<const MavDoc::Path&>(*std::next(children));
  EXPECT_TRUE(clip.IsClippingObject());
  EXPECT_NEAR(Area(*clip.GetOutline()), 50000.0 * 50000.0, 1);

  const auto& source = dynamic_cast<const MavImg::BufferedPictureSource&>(
      *image.GetPaintedPicture()->GetPictureData(true)->GetSource());
  const auto& buffer = *source.GetBuffer();
  EXPECT_EQ(buffer.GetChannels(), 1);
  EXPECT_EQ(buffer.GetColumns(), 50);
  EXPECT_EQ(buffer.GetRows(), 50);
  ASSERT_EQ(source.GetMapping().Size(), 1u);
  EXPECT_EQ(source.GetMapping().GetEntries()[0].name, "Cyan");
  EXPECT_EQ(source.GetMapping().GetEntries()[0].channel, 0u);
  ASSERT_EQ(source.GetChannelInfos().size(), 1u);
  EXPECT_EQ(source.GetChannelInfos()[0].GetName(), "Cyan");
  EXPECT_EQ(source.GetChannelInfos()[0].GetType(), MavImg::ChannelInfo::kSeparationChannel);
  EXPECT_EQ(source.GetChannelInfos()[0].GetRange(), (std::array<double, 2>{0, 1}));
  EXPECT_EQ(source.GetChannelInfos()[0].GetRepresentation(),
            MavDoc::Separation::Find(page.document.GetSeparationInfo(), "Cyan")->GetRepresentation().cmyk);
  // Column i is centred on x = 10.5 + i pt: Cyan (i + .5) / 50.
  for (int column : {0, 10, 25, 49}) {
    EXPECT_NEAR(buffer.GetSample(column, 0, 0), (column + 0.5) / 50, 1.5 / 255) << "column " << column;
    EXPECT_EQ(buffer.GetSample(column, 0, 0), buffer.GetSample(column, 49, 0));
  }
  // The image's unit square lands on the rendered pixels: 10..60 pt both ways.
  const Vexl::Point low = image.GetTransformation().Apply({0, 0});
  const Vexl::Point high = image.GetTransformation().Apply({1000, 1000});
  EXPECT_NEAR(low.x, 10000, 1e-6);
  EXPECT_NEAR(low.y, 10000, 1e-6);
  EXPECT_NEAR(high.x, 60000, 1e-6);
  EXPECT_NEAR(high.y, 60000, 1e-6);
}

TEST(RasterizeFill, RegionsThatCoverNoPixelGiveAValueHoldingNull) {
  RasterPage page;
  // Beyond the page's right edge, inside the map's margin.
  Add(page.content, FilledRectangle(Box(100200, 10000, 500, 10000), Ramp({"Cyan"}, {0}, {1})));
  auto result = RasterizeDeepest(page, kPointResolution);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->get(), nullptr);
}

TEST(RasterizeFill, SeveralJobsAreGatheredInOneGroup) {
  RasterPage page;
  Vexl::CompoundFactory twoSquares;
  twoSquares.AddSubpath(Vexl::MakeRectangle(Box(0, 0, 20000, 20000))->GetSubpaths()[0]);
  twoSquares.AddSubpath(Vexl::MakeRectangle(Box(60000, 0, 20000, 20000))->GetSubpaths()[0]);
  auto& path = Add(page.content, std::make_unique<MavDoc::Path>(twoSquares.GetResult()));
  path.SetFillPaint(Ramp({"Cyan"}, {0}, {1}));
  // At 1200 ppi each square is 333 px wide and they lie 667 px apart: two images.
  auto result = RasterizeDeepest(page, 1200);
  ASSERT_TRUE(result.has_value());
  const auto* group = dynamic_cast<const MavDoc::Group*>(result->get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetFlags(), 511u);
  ASSERT_EQ(group->GetContent().Size(), 2u);
  for (const auto& job : group->GetContent().GetChildren()) {
    const auto* jobGroup = dynamic_cast<const MavDoc::Group*>(&job);
    ASSERT_NE(jobGroup, nullptr);
    EXPECT_EQ(jobGroup->GetContent().Size(), 2u);
  }
}

TEST(RasterizeFill, AnOpaqueInkHidesTheInksPrintedBeforeItPerPixel) {
  RasterPage page;
  page.document.AddSeparation({"Opaque", MavDoc::Separation::kOpaqueInk, {}});
  Add(page.content, FilledRectangle(kSquare, Flat({{"Cyan", 0.8f}})));
  Add(page.content, FilledRectangle(kSquare, Ramp({"Opaque"}, {0}, {1}, 10000, 60000), Blend(BlendMode::Multiply)));
  auto result = RasterizeDeepest(page, kPointResolution, true);
  ASSERT_TRUE(result.has_value());
  const auto& group = dynamic_cast<const MavDoc::Group&>(**result);
  const auto& image = dynamic_cast<const MavDoc::Image&>(*group.GetContent().GetChildren().begin());
  const auto& source = dynamic_cast<const MavImg::BufferedPictureSource&>(
      *image.GetPaintedPicture()->GetPictureData(true)->GetSource());
  const auto* cyan = source.GetMapping().Find("Cyan");
  const auto* opaque = source.GetMapping().Find("Opaque");
  ASSERT_TRUE(cyan && opaque);
  const auto& buffer = *source.GetBuffer();
  for (int column : {0, 24, 49}) {
    // Cyan 204 (.8) under the opaque ink v: 204 · (255 − v) / 255, rounded.
    const double v = buffer.GetSample(column, 0, static_cast<int>(opaque->channel)) * 255;
    const double expected = std::round(204 * (255 - v) / 255);
    EXPECT_NEAR(buffer.GetSample(column, 0, static_cast<int>(cyan->channel)) * 255, expected, 0.01)
        << "column " << column;
  }
}

}  // namespace
