#include <gtest/gtest.h>

#include <flatten/FlattenedResult.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

struct MaskedPictureTest : PageFixture, ::testing::Test {
  // A 2 × 2 one-channel picture: samples row by row, top row first.
  static std::shared_ptr<const MavImg::PaintedPicture> Picture(std::array<std::uint8_t, 4> samples,
                                                               bool withAlpha) {
    MavImg::PictureBuffer::Factory buffer(2, 2, withAlpha ? 2 : 1, 8);
    for (int row = 0; row < 2; ++row) {
      for (int column = 0; column < 2; ++column) {
        std::uint8_t* pixel = buffer.GetRowPtr(row) + column * (withAlpha ? 2 : 1);
        pixel[0] = withAlpha ? 255 : samples[row * 2 + column];
        if (withAlpha) pixel[1] = samples[row * 2 + column];
      }
    }
    MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
    mapping["Black"].channel = 0;
    std::vector<MavImg::ChannelInfo> infos{MavImg::ChannelInfo("Black", 0, {0, 1})};
    if (withAlpha) infos.emplace_back("alpha", MavImg::ChannelInfo::kAlphaChannel, std::array<double, 2>{0, 1});
    auto source = std::make_shared<const MavImg::BufferedPictureSource>(
        buffer.GetResult(), mapping, infos, nullptr, std::nullopt, nullptr,
        Vexl::Transformation::Identity());
    return MavImg::PaintedPicture::Factory(nullptr, MavImg::PictureData::Factory(nullptr, source).Get(),
                                           false)
        .Get();
  }

  // The ink of the flattened result at a page point, by rendering the result's fills again:
  // here simply the picker's value for the original stack covering the point.
  std::vector<std::unique_ptr<MavDoc::ContentObject>> Flatten() {
    auto environment = Prepare();
    return Corvel::GetFlattenedResult(environment, false, std::nullopt);
  }
};

// The black ink of a one-channel (Black) result image at pixel (column, row).
double BlackAt(const MavDoc::ContentObject& object, int column, int row) {
  const auto* group = dynamic_cast<const MavDoc::Group*>(&object);
  if (!group) return -1;
  for (const auto& child : group->GetContent().GetChildren()) {
    if (const auto* image = dynamic_cast<const MavDoc::Image*>(&child)) {
      const auto& source = dynamic_cast<const MavImg::BufferedPictureSource&>(
          *image->GetPaintedPicture()->GetPictureData(true)->GetSource());
      const auto& mapping = source.GetMapping();
      const auto* black = mapping.Find("Black");
      if (!black) return 0;
      return source.GetBuffer()->GetSample(column, row, static_cast<int>(black->channel));
    }
  }
  return -1;
}

TEST_F(MaskedPictureTest, AStencilPaintsOnlyWhereItIsSet) {
  // Stencil 2 × 2 on a 2 × 2 pt square: set top-left and bottom-right.
  auto& stencil = Add(content, std::make_unique<MavDoc::ImageMask>(Picture({255, 0, 0, 255}, false), false));
  stencil.SetFillPaint(Flat({{"Black", 1.0f}}));
  stencil.SetTransparency(Blend(BlendMode::Normal, 0.5f));
  stencil.SetTransformation(Vexl::Transformation::Scaling(2, 2), 0);
  const auto result = Flatten();
  ASSERT_EQ(result.size(), 1u);
  // At 1200 ppi a 1 pt stencil pixel is about 16.7 raster pixels: probe their middles.
  EXPECT_NEAR(BlackAt(*result[0], 8, 8), 0.5, 1.0 / 255);
  EXPECT_NEAR(BlackAt(*result[0], 25, 8), 0.0, 1.0 / 255);
  EXPECT_NEAR(BlackAt(*result[0], 25, 25), 0.5, 1.0 / 255);
}

TEST_F(MaskedPictureTest, APictureCoverageChannelLetsTheBackdropThrough) {
  Add(content, FilledRectangle(Box(0, 0, 2000, 2000), Flat({{"Black", 0.2f}})));
  auto& image = Add(content, std::make_unique<MavDoc::Image>(Picture({255, 0, 0, 128}, true)));
  image.SetTransformation(Vexl::Transformation::Scaling(2, 2), 0);
  const auto result = Flatten();
  ASSERT_EQ(result.size(), 1u);
  // The picture's own 2 × 2 grid is kept.
  EXPECT_NEAR(BlackAt(*result[0], 0, 0), 1.0, 1.0 / 255);  // opaque full black
  EXPECT_NEAR(BlackAt(*result[0], 1, 0), 0.2, 1.0 / 255);  // transparent: the rectangle
  // Half covered: 0.2 + (1 − 0.2) · 128/255.
  EXPECT_NEAR(BlackAt(*result[0], 1, 1), 0.2 + 0.8 * 128.0 / 255, 2.0 / 255);
}

}  // namespace
