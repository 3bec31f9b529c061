#include <flatten/FillProperties.h>

#include <gtest/gtest.h>

#include <flatten/RegionOutlines.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

struct FillPropertiesTest : PageFixture, ::testing::Test {};

std::shared_ptr<const MavImg::PaintedPicture> OnePixel() {
  MavImg::PictureBuffer::Factory buffer(1, 1, 1, 8);
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  mapping["Cyan"].channel = 0;
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), mapping, std::vector<MavImg::ChannelInfo>{}, nullptr, std::nullopt,
      nullptr, Vexl::Transformation::Identity());
  return MavImg::PaintedPicture::Factory(nullptr, MavImg::PictureData::Factory(nullptr, source).Get(),
                                         false)
      .Get();
}

TEST_F(FillPropertiesTest, BottomElementDecidesObjectAndHalftone) {
  auto coarse = std::make_shared<MavDoc::HalftoneSet>("coarse", 60);
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, 0.5f), true, false));
  auto& inner = Add(group, TransparencyGroup(nullptr, false, true));
  auto& bottom = Add(inner, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  bottom.SetHalftoneSet(coarse);
  auto& top = Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Magenta", 1.0f}})));
  top.SetHalftoneSet(std::make_shared<MavDoc::HalftoneSet>("fine", 200));
  const auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 1u);
  const Tessel::TFill& fill = *groups[0].fill;
  EXPECT_EQ(Corvel::FindObjectForSelection(fill.GetTopGroup()), &bottom);
  const auto halftone = Corvel::GetFillHalftoneSet(&fill);
  ASSERT_TRUE(halftone.has_value());
  EXPECT_EQ(*halftone, coarse);
  EXPECT_TRUE(Corvel::IsFlatFill(fill));
}

TEST_F(FillPropertiesTest, MissingHalftoneIsAValueHoldingNull) {
  Add(content, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}}),
                               Blend(BlendMode::Screen, 1)));
  const auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  ASSERT_EQ(groups.size(), 1u);
  const auto halftone = Corvel::GetFillHalftoneSet(groups[0].fill);
  ASSERT_TRUE(halftone.has_value());
  EXPECT_EQ(*halftone, nullptr);
}

TEST_F(FillPropertiesTest, PicturesAndShadingsAreNotFlat) {
  auto& image = Add(content, std::make_unique<MavDoc::Image>(OnePixel()));
  image.SetTransformation(Vexl::Transformation::Scaling(20, 20), 0);
  Add(content, FilledRectangle(Box(15000, 15000, 10000, 10000), Flat({{"Cyan", 1.0f}}),
                               Blend(BlendMode::Multiply, 0.5f)));
  const auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  int flat = 0;
  for (const auto& group : groups) flat += Corvel::IsFlatFill(*group.fill) ? 1 : 0;
  EXPECT_EQ(groups.size(), 3u);  // rectangle alone, over the image, image alone
  EXPECT_EQ(flat, 1);
}

}  // namespace
