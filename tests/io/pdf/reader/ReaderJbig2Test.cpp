// JBIG2 images put together segment by segment (no encoder ships with jbig2dec); the bitmaps in
// them are MMR coded, which is Group 4 fax coding, by libtiff.
#include <gtest/gtest.h>

#include "CodecTestImages.h"

namespace {

using namespace CorvelPdfTest;

std::string Jbig2Image(int width, int height, const std::string& more = "") {
  return "/Width " + std::to_string(width) + " /Height " + std::to_string(height) +
         " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode " + more;
}

TEST(PdfReaderJbig2, GenericRegionGivesTheSourcePixelsBlackAsZero) {
  const Bitmap bitmap = TestBitmap(29, 17);
  const auto result = ReadImage(Jbig2Image(29, 17),
                                Jbig2PageInformation(1, 29, 17) + Jbig2GenericRegion(2, bitmap));
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), bitmap));
}

TEST(PdfReaderJbig2, ImageMaskPaintsTheBlackPixels) {
  const Bitmap bitmap = TestBitmap(16, 16);
  const auto result = ReadImage("/Width 16 /Height 16 /ImageMask true /Filter /JBIG2Decode",
                                Jbig2PageInformation(1, 16, 16) + Jbig2GenericRegion(2, bitmap));
  EXPECT_TRUE(As<MavDoc::ImageMask>(Children(FirstPage(result)).at(0)).IsInverted());
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), bitmap));
}

TEST(PdfReaderJbig2, GlobalsAreReadBeforeThePage) {
  const auto result = ReadImage(Jbig2Image(16, 16, "/DecodeParms << /JBIG2Globals 1 0 R >>"),
                                Jbig2Halftone::Page(), {{"", Jbig2Halftone::Globals()}});
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), Jbig2Halftone::Expected()));
}

TEST(PdfReaderJbig2, APageNeedingMissingGlobalsFails) {
  const auto message = ReadErrorOf(Jbig2Image(16, 16), Jbig2Halftone::Page());
  EXPECT_EQ(message.rfind("page 1, image /Im: JBIG2Decode: damaged data", 0), 0u) << message;
}

TEST(PdfReaderJbig2, APageSmallerThanTheImageIsPaddedWithWhite) {
  const Bitmap bitmap = TestBitmap(8, 4);
  const auto result =
      ReadImage(Jbig2Image(12, 6), Jbig2PageInformation(1, 8, 4) + Jbig2GenericRegion(2, bitmap));
  Bitmap padded{12, 6, {}};
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 12; ++x) padded.black.push_back(x < 8 && y < 4 && bitmap.At(x, y));
  }
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), padded));
}

}  // namespace
