// The scan converter against the sample picker: over a flat stack every pixel holds the picked
// composite, as bytes with 255 for full ink.

#include <cmath>

#include <gtest/gtest.h>

#include "SamplingTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace SamplingTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

using CorvelTest::kSquare;

struct ScanConverterAgainstPicker : MappedPage, ::testing::Test {
  // Every pixel of every plane is the picked tint × 255, rounded, give or take one step.
  void ExpectEveryPixelMatchesThePicker() {
    Map();
    const auto& fill = DeepestFill();
    const auto picked = Pick(fill);
    const auto rows = Scan(fill);
    int mismatches = 0;
    for (std::size_t y = 0; y < rows.size(); ++y) {
      for (std::size_t c = 0; c < Inks().size(); ++c) {
        const double expected = picked[c] * 255.0;
        for (std::size_t x = 0; x < 100; ++x) {
          if (std::fabs(rows[y][c * 100 + x] - expected) > 1.0 && ++mismatches <= 5) {
            ADD_FAILURE() << Inks()[c] << " at (" << x << ", " << y << "): "
                          << int(rows[y][c * 100 + x]) << " against " << expected;
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
};

TEST_F(ScanConverterAgainstPicker, MultiplyStack) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.4f}, {"Yellow", 0.6f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Magenta", 0.5f}, {"Black", 0.3f}}),
                               Blend(BlendMode::Multiply, 0.6f)));
  ExpectEveryPixelMatchesThePicker();
}

TEST_F(ScanConverterAgainstPicker, SpotUnderDifference) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.3f}, {"Spot1", 0.4f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Spot1", 0.5f}}), Blend(BlendMode::Difference)));
  ExpectEveryPixelMatchesThePicker();
}

TEST_F(ScanConverterAgainstPicker, NonSeparableModeInAKnockoutGroup) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.4f}, {"Black", 0.1f}})));
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, 0.8f), false, true));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}}), Blend(BlendMode::Hue, 0.7f)));
  Add(group, FilledRectangle(kSquare, Flat({{"Yellow", 0.8f}}), Blend(BlendMode::Saturation, 0.5f)));
  ExpectEveryPixelMatchesThePicker();
}

TEST_F(ScanConverterAgainstPicker, LuminosityMaskWithTransfer) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.4f}})));
  auto maskContent = MavDoc::Content::MakeSoftMaskContent(&document);
  Add(*maskContent, FilledRectangle(kSquare, Flat({{"Black", 0.25f}}), Blend(BlendMode::Normal, 0.5f)));
  auto mask = MavBlend::SoftMask::Factory(maskContent)
                  .SetColorSpace(MavColor::DeviceCMYK{})
                  .SetBackdropColor({0, 0, 0, 0.5f})
                  .SetTransferFunction(std::make_shared<const MavPaint::ExponentialFunction>(
                      std::vector<float>{0}, std::vector<float>{1}, 2.0))
                  .Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Magenta", 1.0f}, {"Spot1", 0.3f}}),
                               MavBlend::Transparency::Factory().SetSoftMask(mask).Get()));
  ExpectEveryPixelMatchesThePicker();
}

}  // namespace
