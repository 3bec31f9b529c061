// Shadings and pictures sampled at known positions, by the picker and by the scan converter
// (one pixel per point over the page, so pixel column X is centred on x = X + .5 pt).

#include <cmath>

#include <gtest/gtest.h>

#include "SamplingTestSupport.h"

namespace {

using namespace SamplingTest;
using namespace MavDoc::Build;

constexpr std::size_t kCyan = 0, kMagenta = 1, kYellow = 2, kBlack = 3;
constexpr std::size_t kColumns = 100;

// The stitched ramp of the hand-checked vector: Cyan 0 → 1 over the first half, then Magenta
// 0 → 1 with t² over the second, along the axis from x = 10 pt to x = 90 pt.
std::shared_ptr<const MavPaint::AxialShadingPaint> StitchedRamp(std::array<bool, 2> extend) {
  using MavPaint::ExponentialFunction;
  auto first = std::make_shared<const ExponentialFunction>(std::vector<float>{0, 0, 0, 0},
                                                           std::vector<float>{1, 0, 0, 0}, 1.0);
  auto second = std::make_shared<const ExponentialFunction>(std::vector<float>{1, 0, 0, 0},
                                                            std::vector<float>{1, 1, 0, 0}, 2.0);
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::StitchingFunction>(
      std::vector<std::shared_ptr<const MavPaint::Function>>{first, second}, std::vector<double>{0.5},
      std::vector<double>{0, 1, 0, 1});
  common.mapping["Cyan"].channel = 0;
  common.mapping["Magenta"].channel = 1;
  common.mapping["Yellow"].channel = 2;
  common.mapping["Black"].channel = 3;
  return std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{10000, 0},
                                                             Vexl::Point{90000, 0}, std::array<double, 2>{0, 1},
                                                             extend);
}

struct Probe {
  double xInPoints;
  float cyan, magenta, yellow;
};

struct AxialShadingPixels : MappedPage, ::testing::Test {
  // A strip 100 × 10 pt: Yellow .3 below, the ramp on top.
  void Paint(std::array<bool, 2> extend) {
    Add(content, FilledRectangle(Box(0, 0, 100000, 10000), Flat({{"Yellow", 0.3f}})));
    Add(content, FilledRectangle(Box(0, 0, 100000, 10000), StitchedRamp(extend)));
    Map();
  }
  void ExpectAt(const std::vector<Probe>& probes) {
    const auto& fill = DeepestFill();
    ASSERT_EQ(fill.NElements(), 2);
    const auto rows = Scan(fill);
    for (const Probe& probe : probes) {
      const auto picked = Pick(fill, {probe.xInPoints * 1000, 5000});
      EXPECT_NEAR(picked[kCyan], probe.cyan, 2e-3) << "x " << probe.xInPoints;
      EXPECT_NEAR(picked[kMagenta], probe.magenta, 2e-3) << "x " << probe.xInPoints;
      EXPECT_NEAR(picked[kYellow], probe.yellow, 2e-3) << "x " << probe.xInPoints;
      const auto column = static_cast<std::size_t>(probe.xInPoints);
      const auto& row = rows[95];
      EXPECT_NEAR(row[kCyan * kColumns + column], probe.cyan * 255, 1.5) << "x " << probe.xInPoints;
      EXPECT_NEAR(row[kMagenta * kColumns + column], probe.magenta * 255, 1.5) << "x " << probe.xInPoints;
      EXPECT_NEAR(row[kYellow * kColumns + column], probe.yellow * 255, 1.5) << "x " << probe.xInPoints;
    }
  }
};

TEST_F(AxialShadingPixels, EndsMiddleAndExtendedStart) {
  Paint({true, false});
  // s = (x − 10) / 80. First half: C = 2s; second half: u = 2s − 1, C 1, M u².
  ExpectAt({{5.5, 0, 0, 0},                 // before the start, extended: the start colour
            {10.5, 0.0125f, 0, 0},          // s = .00625
            {30.5, 0.5125f, 0, 0},          // s = .25625
            {49.5, 0.9875f, 0, 0},          // s = .49375
            {70.5, 1, 0.26265625f, 0},      // u = .5125
            {89.5, 1, 0.97515625f, 0}});    // u = .9875
}

TEST_F(AxialShadingPixels, UnpaintedBeyondTheEndShowsWhatIsBelow) {
  Paint({true, false});
  ExpectAt({{95.5, 0, 0, 0.3f}, {99.5, 0, 0, 0.3f}});
}

TEST_F(AxialShadingPixels, ExtendedEndKeepsTheEndColour) {
  Paint({true, true});
  ExpectAt({{95.5, 1, 1, 0}, {99.5, 1, 1, 0}});
}

TEST_F(AxialShadingPixels, BoxCutsTheExtendedRamp) {
  Add(content, FilledRectangle(Box(0, 0, 100000, 10000), Flat({{"Yellow", 0.3f}})));
  auto common = StitchedRamp({true, true})->GetCommon();
  common.box = Box(20000, 0, 50000, 10000);
  Add(content, FilledRectangle(Box(0, 0, 100000, 10000),
                               std::make_shared<const MavPaint::AxialShadingPaint>(
                                   common, Vexl::Point{10000, 0}, Vexl::Point{90000, 0},
                                   std::array<double, 2>{0, 1}, std::array<bool, 2>{true, true})));
  Map();
  ExpectAt({{10.5, 0, 0, 0.3f}, {30.5, 0.5125f, 0, 0}, {80.5, 0, 0, 0.3f}});
}

TEST_F(AxialShadingPixels, UnextendedStartShowsWhatIsBelow) {
  Paint({false, false});
  ExpectAt({{5.5, 0, 0, 0.3f}, {0.5, 0, 0, 0.3f}, {30.5, 0.5125f, 0, 0}});
}

struct RotatedPicturePixels : MappedPage, ::testing::Test {};

TEST_F(RotatedPicturePixels, SamplesLandWhereTheRotationPutsThem) {
  // 2 columns × 3 rows, Black channel: sample (column, row) = (2·row + column) · 51, i.e. tint
  // (2·row + column) · .2.
  MavImg::PictureBuffer::Factory buffer(2, 3, 1, 8);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 2; ++column) {
      buffer.GetRowPtr(row)[column] = static_cast<std::uint8_t>((2 * row + column) * 51);
    }
  }
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  mapping["Black"].channel = 0;
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), mapping, std::vector<MavImg::ChannelInfo>{MavImg::ChannelInfo("Black", 0, {0, 1})},
      nullptr, std::nullopt, nullptr, Vexl::Transformation::Identity());
  auto data = MavImg::PictureData::Factory(&document, source).Get();
  auto& image = Add(content, std::make_unique<MavDoc::Image>(
                                 MavImg::PaintedPicture::Factory(&document, data, false).Get()));
  // Unit square → 20 × 30 pt, then a quarter turn anticlockwise ((x, y) → (−y, x)), then moved
  // by (50, 10) pt: unit point (u, v) lands at (50 − 30v, 10 + 20u) pt.
  const Vexl::Transformation quarterTurn{0, 1, -1, 0, 0, 0};
  image.SetTransformation(Vexl::Transformation::Scaling(20, 30) * quarterTurn *
                              Vexl::Transformation::Translation(50000, 10000),
                          0);
  Map();
  const auto& fill = DeepestFill();
  ASSERT_EQ(fill.NElements(), 1);
  const auto rows = Scan(fill);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 2; ++column) {
      // Sample centre u = (column + .5) / 2, v = 1 − (row + .5) / 3 lands at
      // x = 20 + 10 (row + .5), y = 10 + 10 (column + .5) pt: rows run left to right, columns
      // bottom to top.
      const double x = 20000 + 10000 * (row + 0.5), y = 10000 + 10000 * (column + 0.5);
      const float expected = 0.2f * float(2 * row + column);
      EXPECT_NEAR(Pick(fill, {x, y})[kBlack], expected, 1e-6) << "row " << row << " column " << column;
      // Pixel (X, Y) is centred on (X + .5, 99.5 − Y) pt.
      const std::size_t pixelX = 25 + 10 * static_cast<std::size_t>(row);
      const std::size_t pixelY = 84 - 10 * static_cast<std::size_t>(column);
      EXPECT_EQ(rows[pixelY][kBlack * kColumns + pixelX], (2 * row + column) * 51)
          << "row " << row << " column " << column;
    }
  }
  // Outside the picture nothing is painted.
  EXPECT_EQ(rows[50][kBlack * kColumns + 10], 0);
  EXPECT_NEAR(Pick(fill, {10000, 50000})[kBlack], 0, 1e-6);
}

}  // namespace
