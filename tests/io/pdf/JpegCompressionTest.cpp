// JPEG images as the writer makes them: what qpdf (and so our reader) and Ghostscript decode
// from them is the samples written, within JPEG's loss; bad settings are refused by name.
#include <gtest/gtest.h>
#include <io/pdf/JpegCompressionInternal.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

#include <cmath>
#include <cstdlib>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>
#include <vector>

namespace {

using Handle = QPDFObjectHandle;

constexpr int kColumns = 96, kRows = 64;

// Smooth ramps, a different one per component, as rendered photos and shadings are.
std::vector<std::uint8_t> Ramps(int colors) {
  std::vector<std::uint8_t> samples;
  for (int y = 0; y < kRows; ++y)
    for (int x = 0; x < kColumns; ++x)
      for (int c = 0; c < colors; ++c)
        samples.push_back(static_cast<std::uint8_t>((x * (c + 1) + y) / 4 + 30 * c));
  return samples;
}

// A one-page file painting the samples as a DeviceCMYK image over the page, JPEG or plain.
std::string ImagePage(const std::vector<std::uint8_t>& samples, bool jpeg) {
  QPDF pdf;
  pdf.emptyPDF();
  auto image = Handle::newStream(&pdf);
  const std::string plain(samples.begin(), samples.end());
  if (jpeg) {
    image.replaceStreamData(CorvelPdf::Detail::EncodeJpeg(samples, kColumns, 4, 90),
                            Handle::newName("/DCTDecode"), Handle::newNull());
  } else {
    image.replaceStreamData(plain, Handle::newNull(), Handle::newNull());
  }
  for (auto& [key, value] : Handle::parse("<< /Type /XObject /Subtype /Image /Width 96 /Height 64 "
                                          "/ColorSpace /DeviceCMYK /BitsPerComponent 8 >>")
                                .getDictAsMap())
    image.getDict().replaceKey(key, value);
  auto page =
      Handle::parse("<< /Type /Page /MediaBox [0 0 96 64] /Resources << /XObject << >> >> >>");
  page.getKey("/Resources").getKey("/XObject").replaceKey("/Im", image);
  page.replaceKey("/Contents", Handle::newStream(&pdf, "96 0 0 64 0 0 cm /Im Do"));
  pdf.addPage(pdf.makeIndirectObject(page), false);
  QPDFWriter writer(pdf);
  writer.setOutputMemory();
  writer.write();
  const auto buffer = writer.getBufferSharedPointer();
  return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

int LargestDifference(const std::vector<std::uint8_t>& a, const std::string& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    largest = std::max(largest, std::abs(a[i] - static_cast<std::uint8_t>(b[i])));
  return largest;
}

TEST(JpegImage, QpdfDecodesTheSamplesWritten) {
  for (int colors : {1, 4}) {
    const auto samples = Ramps(colors);
    QPDF pdf;
    pdf.emptyPDF();
    auto stream = Handle::newStream(&pdf);
    stream.replaceStreamData(CorvelPdf::Detail::EncodeJpeg(samples, kColumns, colors, 90),
                             Handle::newName("/DCTDecode"), Handle::newNull());
    const auto decoded = stream.getStreamData(qpdf_dl_all);
    const std::string bytes(reinterpret_cast<const char*>(decoded->getBuffer()),
                            decoded->getSize());
    ASSERT_EQ(bytes.size(), samples.size()) << colors << " components";
    EXPECT_LE(LargestDifference(samples, bytes), 6) << colors << " components";
  }
}

TEST(JpegImage, GhostscriptPrintsTheSamePlatesAsUncompressed) {
  const auto samples = Ramps(4);
  const auto plain = CorvelOracle::RenderPdfBytes(ImagePage(samples, false), 1, 72);
  const auto jpeg = CorvelOracle::RenderPdfBytes(ImagePage(samples, true), 1, 72);
  const auto comparison = CorvelOracle::Compare(plain, jpeg, {6, 0});
  EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
}

TEST(JpegImage, BadSettingsAreRefused) {
  const auto samples = Ramps(4);
  try {
    CorvelPdf::Detail::EncodeJpeg(samples, kColumns, 4, 0);
    FAIL() << "quality 0 was accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "JPEG quality 0 is not in 1..100");
  }
  try {
    CorvelPdf::Detail::EncodeJpeg(samples, kColumns, 2, 90);
    FAIL() << "two components were accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "JPEG images are written with 1, 3 or 4 components, not 2");
  }
}

}  // namespace

namespace {

// Rows asked for one at a time, as the writer feeds a render without copying it whole, make the
// same file as the samples given at once; a short row is refused rather than read past.
TEST(JpegImage, RowsAskedForOneAtATimeMakeTheSameFile) {
  const auto samples = Ramps(4);
  const std::size_t rowBytes = kColumns * 4;
  std::vector<int> asked;
  const CorvelPdf::Detail::ImageRows rows = [&](int row, std::string& out) {
    asked.push_back(row);
    out.append(reinterpret_cast<const char*>(samples.data()) + row * rowBytes, rowBytes);
  };
  EXPECT_EQ(CorvelPdf::Detail::EncodeJpeg(rows, kRows, kColumns, 4, 90),
            CorvelPdf::Detail::EncodeJpeg(samples, kColumns, 4, 90));
  ASSERT_EQ(asked.size(), static_cast<std::size_t>(kRows));
  EXPECT_EQ(asked.back(), kRows - 1);
  const CorvelPdf::Detail::ImageRows shortRows = [](int, std::string& out) { out.append(10, 'x'); };
  EXPECT_THROW(CorvelPdf::Detail::EncodeJpeg(shortRows, kRows, kColumns, 4, 90), std::logic_error);
}

}  // namespace
