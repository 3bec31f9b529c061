// JPEG 2000 images, encoded losslessly by OpenJPEG while the test runs, read back sample for
// sample.
#include <gtest/gtest.h>
#include <openjpeg.h>

#include "CodecTestImages.h"

namespace {

using namespace CorvelPdfTest;

constexpr int kWidth = 16, kHeight = 12;

// Samples of `precision` bits that differ from pixel to pixel and from plane to plane.
JpxSource Source(int planes, int precision = 8) {
  JpxSource source{kWidth, kHeight, precision, false, OPJ_CLRSPC_UNSPECIFIED, -1, {}};
  const int max = (1 << precision) - 1;
  for (int p = 0; p < planes; ++p) {
    std::vector<int> plane;
    for (int i = 0; i < kWidth * kHeight; ++i)
      plane.push_back((i * (7 + 5 * p) + 40 * p) % (max + 1));
    source.planes.push_back(plane);
  }
  return source;
}

int SampleOf(const JpxSource& source, int plane, int x, int y) {
  return source.planes[plane][static_cast<std::size_t>(y * kWidth + x)];
}

// Whether an 8-bit picture holds the source's samples, interleaved.
::testing::AssertionResult HoldsSamples(const MavImg::BufferedPictureSource& picture,
                                        const JpxSource& source, int planes) {
  const auto& buffer = *picture.GetBuffer();
  if (buffer.GetColumns() != kWidth || buffer.GetRows() != kHeight ||
      buffer.GetChannels() != planes || buffer.GetBitsPerChannel() != 8)
    return ::testing::AssertionFailure() << "picture of another layout";
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int p = 0; p < planes; ++p) {
        if (buffer.GetRowPtr(y)[x * planes + p] != SampleOf(source, p, x, y))
          return ::testing::AssertionFailure() << "sample " << p << " of " << x << ", " << y;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

template <class Space>
bool MappedTo(const MavImg::BufferedPictureSource& picture) {
  return std::holds_alternative<Space>(picture.GetMapping().GetColorSpace());
}

const std::string kJpx = "/Filter /JPXDecode /Width 16 /Height 12 ";

TEST(PdfReaderJpx, ThreeComponentsWithoutColourSpaceAreRgb) {
  const JpxSource source = Source(3);
  const auto result = ReadImage(kJpx, EncodeJpx(source));
  EXPECT_TRUE(MappedTo<MavColor::DeviceRGB>(PictureOf(result)));
  EXPECT_TRUE(HoldsSamples(PictureOf(result), source, 3));
  EXPECT_EQ(OpacityOf(result), nullptr);
}

TEST(PdfReaderJpx, FourComponentsWithoutColourSpaceAreCmyk) {
  const JpxSource source = Source(4);
  const auto result = ReadImage(kJpx, EncodeJpx(source));
  EXPECT_TRUE(MappedTo<MavColor::FourComponent>(PictureOf(result)));
  EXPECT_TRUE(HoldsSamples(PictureOf(result), source, 4));
}

TEST(PdfReaderJpx, TheDictionarysColourSpaceWinsAndDecodeIsIgnored) {
  const JpxSource source = Source(1);
  const auto result = ReadImage(kJpx + "/ColorSpace /DeviceGray /Decode [1 0] /BitsPerComponent 1",
                                EncodeJpx(source));
  EXPECT_TRUE(MappedTo<MavColor::DeviceGray>(PictureOf(result)));
  EXPECT_TRUE(HoldsSamples(PictureOf(result), source, 1));
}

TEST(PdfReaderJpx, DeeperSamplesBecomeSixteenBitsShallowerEight) {
  const JpxSource deep = Source(1, 12);
  const auto deepResult = ReadImage(kJpx, EncodeJpx(deep));
  const auto& buffer = *PictureOf(deepResult).GetBuffer();
  EXPECT_EQ(buffer.GetBitsPerChannel(), 16);
  EXPECT_NEAR(buffer.GetSample(5, 3, 0), SampleOf(deep, 0, 5, 3) / 4095.0, 0.5 / 65535);
  const JpxSource shallow = Source(1, 4);
  const auto shallowResult = ReadImage(kJpx, EncodeJpx(shallow));
  const auto& eight = *PictureOf(shallowResult).GetBuffer();
  EXPECT_EQ(eight.GetBitsPerChannel(), 8);
  EXPECT_EQ(eight.GetRowPtr(3)[5], SampleOf(shallow, 0, 5, 3) * 17);  // 15 becomes 255
}

TEST(PdfReaderJpx, IndexedImagesKeepTheirIndices) {
  const JpxSource source = Source(1, 2);
  const auto result =
      ReadImage(kJpx + "/ColorSpace [/Indexed /DeviceGray 3 <004080FF>]", EncodeJpx(source));
  const auto& buffer = *PictureOf(result).GetBuffer();
  const std::uint8_t palette[] = {0x00, 0x40, 0x80, 0xff};
  EXPECT_EQ(buffer.GetRowPtr(3)[5], palette[SampleOf(source, 0, 5, 3)]);
  EXPECT_EQ(buffer.GetRowPtr(0)[1], palette[SampleOf(source, 0, 1, 0)]);
}

JpxSource WithAlpha() {
  JpxSource source = Source(4);
  source.jp2 = true;
  source.colorSpace = OPJ_CLRSPC_SRGB;
  source.alphaChannel = 3;
  return source;
}

TEST(PdfReaderJpx, AlphaWithSMaskInDataBecomesTheOpacity) {
  const JpxSource source = WithAlpha();
  const auto result = ReadImage(kJpx + "/SMaskInData 1", EncodeJpx(source));
  EXPECT_TRUE(MappedTo<MavColor::DeviceRGB>(PictureOf(result)));
  EXPECT_TRUE(HoldsSamples(PictureOf(result), source, 3));
  const auto* opacity = OpacityOf(result);
  ASSERT_NE(opacity, nullptr);
  EXPECT_EQ(opacity->GetBuffer()->GetRowPtr(3)[5], SampleOf(source, 3, 5, 3));
  EXPECT_EQ(opacity->GetBuffer()->GetRowPtr(11)[15], SampleOf(source, 3, 15, 11));
  // Without /SMaskInData the alpha is ignored.
  EXPECT_EQ(OpacityOf(ReadImage(kJpx, EncodeJpx(source))), nullptr);
}

TEST(PdfReaderJpx, PremultipliedColourIsDividedByTheAlpha) {
  JpxSource source = WithAlpha();
  for (int i = 0; i < kWidth * kHeight; ++i) {
    source.planes[3][i] = 128;
    source.planes[0][i] = 50;  // 50 of 128: about 100 of 255
  }
  const auto result = ReadImage(kJpx + "/SMaskInData 2", EncodeJpx(source));
  EXPECT_EQ(PictureOf(result).GetBuffer()->GetRowPtr(0)[0], 100);
  EXPECT_EQ(OpacityOf(result)->GetBuffer()->GetRowPtr(0)[0], 128);
}

TEST(PdfReaderJpx, GeneralFiltersBeforeJpxAreDecodedFirst) {
  const JpxSource source = Source(3);
  const auto result = ReadImage("/Filter [/ASCIIHexDecode /JPXDecode] /Width 16 /Height 12",
                                Hex(EncodeJpx(source)));
  EXPECT_TRUE(HoldsSamples(PictureOf(result), source, 3));
}

}  // namespace
