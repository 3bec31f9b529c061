#include <values/Picture.h>

#include <gtest/gtest.h>

namespace {

using namespace MavImg;

TEST(PictureBuffer, RowsHoldInterleavedSamples) {
  PictureBuffer::Factory factory(3, 2, 2, 8);
  factory.GetRowPtr(1)[2 * 2 + 1] = 255;  // column 2, row 1, channel 1
  factory.GetRowPtr(0)[0] = 51;
  auto buffer = factory.GetResult();
  EXPECT_EQ(buffer->GetRowBytes(), 6u);
  EXPECT_DOUBLE_EQ(buffer->GetSample(2, 1, 1), 1.0);
  EXPECT_DOUBLE_EQ(buffer->GetSample(0, 0, 0), 0.2);
  EXPECT_DOUBLE_EQ(buffer->GetSample(1, 1, 0), 0.0);
  EXPECT_THROW(buffer->GetRowPtr(2), std::out_of_range);
  EXPECT_THROW(factory.GetResult(), std::logic_error);
}

TEST(PictureBuffer, SixteenBitSamplesAreBigEndian) {
  PictureBuffer::Factory factory(1, 1, 1, 16);
  factory.GetRowPtr(0)[0] = 0x80;
  factory.GetRowPtr(0)[1] = 0x00;
  EXPECT_NEAR(factory.GetResult()->GetSample(0, 0, 0), 32768.0 / 65535.0, 1e-12);
}

TEST(PictureBuffer, RefusesBadSizes) {
  EXPECT_THROW(PictureBuffer::Factory(0, 1, 1, 8), std::invalid_argument);
  EXPECT_THROW(PictureBuffer::Factory(1, 1, 1, 4), std::invalid_argument);
  EXPECT_THROW(PictureBuffer::Factory(1 << 20, 1 << 20, 4, 8), std::invalid_argument);
}

TEST(PictureBuffer, TakesGivenPixelsOfExactlyItsSize) {
  auto buffer = PictureBuffer::Factory(2, 1, 2, 8, {0, 51, 255, 0}).GetResult();
  EXPECT_DOUBLE_EQ(buffer->GetSample(0, 0, 1), 0.2);
  EXPECT_DOUBLE_EQ(buffer->GetSample(1, 0, 0), 1.0);
  EXPECT_THROW(PictureBuffer::Factory(2, 1, 2, 8, {0, 51, 255}), std::invalid_argument);
}

TEST(BufferedPictureSource, MappingMustStayWithinChannels) {
  PictureBuffer::Factory factory(4, 4, 1, 8);
  auto buffer = factory.GetResult();
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  mapping["Cyan"].channel = 0;
  auto source = std::make_shared<const BufferedPictureSource>(
      buffer, mapping, std::vector<ChannelInfo>{ChannelInfo("Cyan", 0, {0, 1})}, nullptr,
      std::nullopt, nullptr, Vexl::Transformation::Identity());
  EXPECT_EQ(source->GetWidth(), 4);
  mapping["Magenta"].channel = 1;
  EXPECT_THROW(BufferedPictureSource(buffer, mapping, {}, nullptr, std::nullopt, nullptr,
                                     Vexl::Transformation::Identity()),
               std::invalid_argument);
  auto data = PictureData::Factory(nullptr, source).Get();
  auto painted = PaintedPicture::Factory(nullptr, data, false).Get();
  EXPECT_EQ(painted->GetPictureData(true)->GetSource()->GetHeight(), 4);
}

}  // namespace
