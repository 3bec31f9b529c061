// CCITT fax images, encoded by libtiff while the test runs, read back pixel for pixel.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "CodecTestImages.h"

namespace {

using namespace CorvelPdfTest;

const Bitmap kBitmap = TestBitmap(37, 23);  // a width that ends inside a byte

std::string FaxImage(const std::string& parms) {
  return "/Width 37 /Height 23 /BitsPerComponent 1 /ColorSpace /DeviceGray "
         "/Filter /CCITTFaxDecode /DecodeParms << /Columns 37 /Rows 23 " +
         parms + " >>";
}

TEST(PdfReaderFax, GroupFourGivesTheSourcePixelsBlackAsZero) {
  const auto result = ReadImage(FaxImage("/K -1"), EncodeFax(kBitmap, {COMPRESSION_CCITTFAX4}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), kBitmap));
  EXPECT_TRUE(result.warnings.empty());
}

TEST(PdfReaderFax, GroupThreeWithEndOfLinesOneAndTwoDimensional) {
  const auto oneD =
      ReadImage(FaxImage("/K 0 /EndOfLine true"), EncodeFax(kBitmap, {COMPRESSION_CCITTFAX3, 0}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(oneD), kBitmap));
  const auto twoD = ReadImage(FaxImage("/K 4 /EndOfLine true"),
                              EncodeFax(kBitmap, {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(twoD), kBitmap));
  // Fill bits before each end of line, as /EncodedByteAlign has them.
  const auto aligned = ReadImage(
      FaxImage("/K 4 /EndOfLine true /EncodedByteAlign true"),
      EncodeFax(kBitmap, {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(aligned), kBitmap));
}

TEST(PdfReaderFax, OneDimensionalRowsWithoutEndOfLinesAlignedOrNot) {
  const auto aligned = ReadImage(FaxImage("/K 0 /EncodedByteAlign true"),
                                 EncodeFax(kBitmap, {COMPRESSION_CCITTRLE}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(aligned), kBitmap));
  const auto packed =
      ReadImage(FaxImage("/K 0"),
                EncodeFax(kBitmap, {COMPRESSION_CCITTRLE, 0, FAXMODE_NORTC | FAXMODE_NOEOL}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(packed), kBitmap));
}

TEST(PdfReaderFax, BlackIsOneGivesBlackAsOne) {
  const std::string data = EncodeFax(kBitmap, {COMPRESSION_CCITTFAX4});
  EXPECT_TRUE(
      ShowsBitmap(PictureOf(ReadImage(FaxImage("/K -1 /BlackIs1 true"), data)), kBitmap, 255));
  // The usual companion: /Decode [1 0] shows it as it was meant.
  EXPECT_TRUE(ShowsBitmap(
      PictureOf(ReadImage(FaxImage("/K -1 /BlackIs1 true") + " /Decode [1 0]", data)), kBitmap));
}

// Written by hand, so that what black means does not rest on libtiff's encoder alone: two rows of
// eight white pixels in Group 4 are one "vertical 0" code each (bit 1), then the end of block
// (000000000001 twice): 11000000 00000100 00000000 01000000.
TEST(PdfReaderFax, HandMadeWhiteRowsAreWhite) {
  const auto result = ReadImage(
      "/Width 8 /Height 2 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
      "/DecodeParms << /K -1 /Columns 8 >>",
      std::string("\xc0\x04\x00\x40", 4));
  const Bitmap white{8, 2, std::vector<std::uint8_t>(16, 0)};
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), white));
}

TEST(PdfReaderFax, ColumnsDefaultToAFaxLine) {
  const Bitmap line = TestBitmap(1728, 3);
  const auto result = ReadImage(
      "/Width 1728 /Height 3 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
      "/DecodeParms << /K -1 >>",
      EncodeFax(line, {COMPRESSION_CCITTFAX4}));
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), line));
}

TEST(PdfReaderFax, GeneralFiltersBeforeTheFaxFilterAreDecodedFirst) {
  const auto result = ReadImage(
      "/Width 37 /Height 23 /ImageMask true /Filter [/ASCIIHexDecode /CCITTFaxDecode] "
      "/DecodeParms [null << /K -1 /Columns 37 >>]",
      Hex(EncodeFax(kBitmap, {COMPRESSION_CCITTFAX4})));
  const auto& mask = As<MavDoc::ImageMask>(Children(FirstPage(result)).at(0));
  EXPECT_TRUE(mask.IsInverted());  // paints where the sample is 0: the black pixels
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), kBitmap));
}

TEST(PdfReaderFax, InlineImagesTakeTheirSizeFromTheirOwnDictionary) {
  PdfBuilder pdf;
  const std::string data = Hex(EncodeFax(kBitmap, {COMPRESSION_CCITTFAX4}));
  const auto result =
      Read(pdf.OnePage("q 37 0 0 23 0 0 cm BI /W 37 /H 23 /IM true /F [/AHx /CCF] "
                       "/DP [null << /K -1 /Columns 37 >>] ID " +
                       data + " EI Q"));
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), kBitmap));
}

}  // namespace
