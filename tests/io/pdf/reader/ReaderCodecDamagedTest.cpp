// JPEG 2000, JBIG2 and fax data that is oversized, cut short or damaged: a ReadError naming the
// filter, never a crash, a hang or the memory the data claims.
#include <gtest/gtest.h>
#include <openjpeg.h>
#include <tiffio.h>

#include <random>

#include "CodecTestImages.h"

namespace {

using namespace CorvelPdfTest;

const std::string kWhere = "page 1, image /Im: ";

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

std::string Jpx() {
  JpxSource source{16, 16, 8, false, OPJ_CLRSPC_UNSPECIFIED, -1, {}};
  for (int p = 0; p < 3; ++p) source.planes.emplace_back(256, 60 * p);
  return EncodeJpx(source);
}

std::string AlphaJpx() {
  JpxSource source{16, 16, 8, true, OPJ_CLRSPC_SRGB, 3, {}};
  for (int p = 0; p < 4; ++p) source.planes.emplace_back(256, 60 * p);
  return EncodeJpx(source);
}

TEST(PdfReaderCodecDamaged, JpxClaimingAHugeSizeIsRefusedBeforeDecoding) {
  std::string data = Jpx();
  // The SIZ marker segment follows SOC: image and tile sizes at bytes 8, 12, 24 and 28.
  for (std::size_t at : {8u, 12u, 24u, 28u})
    data.replace(at, 4, std::string("\x00\x01\x86\xa0", 4));
  const auto message = ReadErrorOf("/Filter /JPXDecode /Width 16 /Height 16", data);
  EXPECT_TRUE(StartsWith(message, kWhere + "JPXDecode: image of 100000 x 100000 with 3 "
                                           "components exceeds the limit of"))
      << message;
  CorvelPdf::ReadLimits small;
  small.maxImageBytes = 1000;
  EXPECT_NE(ReadErrorOf("/Filter /JPXDecode /Width 16 /Height 16", Jpx(), small)
                .find("exceeds the limit of 1000 decoded bytes"),
            std::string::npos);
}

TEST(PdfReaderCodecDamaged, JpxCutShortOrNotJpxFails) {
  const std::string data = Jpx();
  const auto cut =
      ReadErrorOf("/Filter /JPXDecode /Width 16 /Height 16", data.substr(0, data.size() - 20));
  EXPECT_TRUE(StartsWith(cut, kWhere + "JPXDecode: damaged or truncated data")) << cut;
  const auto header = ReadErrorOf("/Filter /JPXDecode /Width 16 /Height 16", data.substr(0, 30));
  EXPECT_TRUE(StartsWith(header, kWhere + "JPXDecode: unreadable header")) << header;
  EXPECT_EQ(ReadErrorOf("/Filter /JPXDecode /Width 16 /Height 16", "xx"),
            kWhere + "JPXDecode: neither a JP2 file nor a JPEG 2000 codestream");
}

TEST(PdfReaderCodecDamaged, Jbig2PageClaimingAHugeSizeIsRefusedBeforeDecoding) {
  const auto message = ReadErrorOf(
      "/Width 16 /Height 16 /ImageMask true /Filter /JBIG2Decode",
      Jbig2PageInformation(1, 100000, 100000) + Jbig2GenericRegion(2, TestBitmap(16, 16)));
  EXPECT_TRUE(
      StartsWith(message, kWhere + "JBIG2Decode: page of 100000 x 100000 exceeds the limit"))
      << message;
}

TEST(PdfReaderCodecDamaged, Jbig2CutShortFails) {
  const std::string data =
      Jbig2PageInformation(1, 16, 16) + Jbig2GenericRegion(2, TestBitmap(16, 16));
  const auto message = ReadErrorOf("/Width 16 /Height 16 /ImageMask true /Filter /JBIG2Decode",
                                   data.substr(0, data.size() - 5));
  EXPECT_EQ(message, kWhere + "JBIG2Decode: data cut short in a segment");
}

std::string FaxError(const std::string& parms, const std::string& data,
                     const CorvelPdf::ReadLimits& limits = {}) {
  return ReadErrorOf(
      "/Width 37 /Height 23 /ImageMask true /Filter /CCITTFaxDecode /DecodeParms << " + parms +
          " >>",
      data, limits);
}

TEST(PdfReaderCodecDamaged, FaxColumnsBeyondTheLimitsAreRefused) {
  const std::string data = EncodeFax(TestBitmap(37, 23), {COMPRESSION_CCITTFAX4});
  EXPECT_EQ(FaxError("/K -1 /Columns 2000000", data),
            kWhere + "CCITTFaxDecode: bad /Columns 2000000");
  CorvelPdf::ReadLimits limits;
  limits.maxImageBytes = 100000;
  EXPECT_EQ(
      FaxError("/K -1 /Columns 100000", data, limits),
      kWhere + "CCITTFaxDecode: 100000 columns x 23 rows exceed the limit of 100000 decoded bytes");
}

TEST(PdfReaderCodecDamaged, FaxCutShortFails) {
  const std::string fault = kWhere + "CCITTFaxDecode: damaged or truncated data (";
  const std::string g4 = EncodeFax(TestBitmap(37, 23), {COMPRESSION_CCITTFAX4});
  const auto g4Cut = FaxError("/K -1 /Columns 37", g4.substr(0, g4.size() / 2));
  EXPECT_TRUE(StartsWith(g4Cut, fault)) << g4Cut;
  const std::string g3 = EncodeFax(TestBitmap(37, 23), {COMPRESSION_CCITTFAX3});
  const auto g3Cut = FaxError("/K 0 /Columns 37", g3.substr(0, g3.size() / 2));
  EXPECT_TRUE(StartsWith(g3Cut, fault)) << g3Cut;
}

// As other readers do: rows after an end of block that comes too early are white, with a warning.
TEST(PdfReaderCodecDamaged, FaxShorterThanTheImageEndsInWhite) {
  const Bitmap bitmap = TestBitmap(37, 23);
  const auto result = ReadImage(
      "/Width 37 /Height 30 /ImageMask true /Filter /CCITTFaxDecode "
      "/DecodeParms << /K -1 /Columns 37 >>",
      EncodeFax(bitmap, {COMPRESSION_CCITTFAX4}));
  Bitmap longer = bitmap;
  longer.height = 30;
  longer.black.resize(37 * 30, 0);
  EXPECT_TRUE(ShowsBitmap(PictureOf(result), longer));
  EXPECT_TRUE(
      HasWarning(result, "CCITTFaxDecode rows of the wrong length: Premature EOL at line 23"));
}

TEST(PdfReaderCodecDamaged, ImageFiltersMustComeLast) {
  EXPECT_EQ(
      ReadErrorOf("/Width 8 /Height 8 /ImageMask true /Filter [/CCITTFaxDecode /FlateDecode]", "x"),
      kWhere + "CCITTFaxDecode before another filter");
}

// Damaged at random, seeded: bytes replaced, runs deleted or repeated, the end cut off.
std::string DamagedCodecData(std::string data, std::mt19937& random) {
  std::uniform_int_distribution<int> kinds(0, 3), count(1, 3), length(1, 16), byte(0, 255);
  for (int i = count(random); i > 0 && data.size() > 2; --i) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, data.size() - 1)(random);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(length(random)), data.size() - at);
    switch (kinds(random)) {
      case 0:
        data[at] = static_cast<char>(byte(random));
        break;
      case 1:
        data.erase(at, n);
        break;
      case 2:
        data.insert(at, data.substr(at, n));
        break;
      default:
        data.resize(at + 1);
        break;
    }
  }
  return data;
}

TEST(PdfReaderCodecDamaged, RandomDamageReadsOrFailsCleanly) {
  struct Case {
    std::string dict, data;
    Streams before;
  };
  const Bitmap bitmap = TestBitmap(37, 23);
  const std::string mask = "/Width 37 /Height 23 /ImageMask true ";
  std::vector<Case> cases;
  cases.push_back({"/Filter /JPXDecode /Width 16 /Height 16", Jpx(), {}});
  cases.push_back({"/Filter /JPXDecode /Width 16 /Height 16 /SMaskInData 1", AlphaJpx(), {}});
  cases.push_back({mask + "/Filter /JBIG2Decode",
                   Jbig2PageInformation(1, 37, 23) + Jbig2GenericRegion(2, bitmap),
                   {}});
  cases.push_back(
      {"/Width 16 /Height 16 /ImageMask true /Filter /JBIG2Decode "
       "/DecodeParms << /JBIG2Globals 1 0 R >>",
       Jbig2Halftone::Page(),
       {{"", Jbig2Halftone::Globals()}}});
  cases.push_back({mask + "/Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 37 >>",
                   EncodeFax(bitmap, {COMPRESSION_CCITTFAX4}),
                   {}});
  cases.push_back({mask + "/Filter /CCITTFaxDecode /DecodeParms << /K 2 /Columns 37 >>",
                   EncodeFax(bitmap, {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING}),
                   {}});
  std::mt19937 random(20240611);
  int read = 0, refused = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dict);
    for (int i = 0; i < 150; ++i) {
      const auto message = ReadErrorOf(c.dict, DamagedCodecData(c.data, random), {}, c.before);
      ++(message.empty() ? read : refused);
      EXPECT_TRUE(message.empty() || StartsWith(message, kWhere)) << message;
    }
  }
  EXPECT_GT(refused, 0);
  RecordProperty("read", read);
  RecordProperty("refused", refused);
}

}  // namespace
