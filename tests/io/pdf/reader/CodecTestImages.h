#pragma once
// Test images for the reader's JPEG 2000, JBIG2 and CCITT fax decoding, made while the tests run:
// OpenJPEG and libtiff encode them in memory; JBIG2 segments are put together byte by byte.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "PdfTestFiles.h"

namespace CorvelPdfTest {

// A one-bit picture, 1 black as fax and JBIG2 code it.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> black;  // width * height, row by row from the top

  bool At(int x, int y) const { return black[static_cast<std::size_t>(y * width + x)] != 0; }
  // Rows of (width + 7) / 8 bytes, the first pixel in the high bit.
  std::string Packed() const;
};

// Runs of many lengths, with no row like the one above it.
Bitmap TestBitmap(int width, int height);

// How libtiff's fax codec encodes: its TIFF compression, T4Options and fax mode.
struct FaxCoding {
  int compression = 0;
  std::uint32_t t4Options = 0;
  int faxMode = -1;  // -1: the compression's own
};
// The encoded strip alone, as a PDF fax stream holds it.
std::string EncodeFax(const Bitmap& bitmap, const FaxCoding& coding);

// Components of the same size, each a plane of width * height samples.
struct JpxSource {
  int width = 0;
  int height = 0;
  int precision = 8;
  bool jp2 = false;       // a JP2 file rather than a raw codestream
  int colorSpace = 0;     // OPJ_COLOR_SPACE written into a JP2 file
  int alphaChannel = -1;  // marked as opacity in a JP2 file
  std::vector<std::vector<int>> planes;
};
// Lossless, so that decoding gives the samples back.
std::string EncodeJpx(const JpxSource& source);

// JBIG2 as PDF embeds it (JBIG2 §7.2, no file header): one segment, its header (number, type,
// referred-to segments, page) then its data.
std::string Jbig2Segment(std::uint32_t number, int type, const std::vector<std::uint8_t>& referred,
                         std::uint8_t page, const std::string& data);
// Page information (§7.4.8): width and height, no striping.
std::string Jbig2PageInformation(std::uint32_t number, std::uint32_t width, std::uint32_t height);
// An immediate lossless generic region (§7.4.6) of the whole bitmap at 0, 0, MMR coded.
std::string Jbig2GenericRegion(std::uint32_t number, const Bitmap& bitmap);

// JBIG2 whose page needs its globals: they hold a pattern dictionary (JBIG2 §7.4.4) of two 8 x 8
// patterns, segment 1; the page a halftone region (§7.4.5) placing them on a 2 x 2 grid, 8 pixels
// apart, by a one-bit grey-scale image. Both bitmaps are MMR coded.
struct Jbig2Halftone {
  static bool Pattern(int index, int x, int y);
  static int Cell(int column, int row);
  static std::string Globals();
  static std::string Page();  // 16 x 16
  static Bitmap Expected();
};

// Hex for /ASCIIHexDecode.
std::string Hex(const std::string& bytes);

// Streams (dictionary entries, data) added to a file before the image: objects 1, 2 and so on.
using Streams = std::vector<std::pair<std::string, std::string>>;

// Reads a one-page file showing image /Im, made of `dictEntries` and `data`.
CorvelPdf::ReadResult ReadImage(const std::string& dictEntries, const std::string& data,
                                const Streams& before = {});
// The message of the ReadError reading the same gives; empty when it reads.
std::string ReadErrorOf(const std::string& dictEntries, const std::string& data,
                        const CorvelPdf::ReadLimits& limits = {}, const Streams& before = {});

// The picture of the page's first object, an image or an image mask, and the soft mask's
// picture of an image (null without).
const MavImg::BufferedPictureSource& PictureOf(const CorvelPdf::ReadResult& result);
const MavImg::BufferedPictureSource* OpacityOf(const CorvelPdf::ReadResult& result);

// Whether a one-channel 8-bit picture shows `bitmap`: `blackValue` where it is black, the
// opposite elsewhere.
::testing::AssertionResult ShowsBitmap(const MavImg::BufferedPictureSource& picture,
                                       const Bitmap& bitmap, int blackValue = 0);

}  // namespace CorvelPdfTest
