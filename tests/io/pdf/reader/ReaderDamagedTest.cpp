#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <filesystem>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

std::string ErrorOf(const std::vector<std::uint8_t>& file,
                    const CorvelPdf::ReadLimits& limits = {}) {
  try {
    CorvelPdf::ReadDocumentFromMemory(file, "test.pdf", limits);
  } catch (const CorvelPdf::ReadError& e) {
    return e.what();
  }
  return "";
}

TEST(PdfReaderDamaged, GarbageIsRefusedWithTheFileName) {
  const std::string text = "this is not a PDF";
  const auto message = ErrorOf({text.begin(), text.end()});
  EXPECT_EQ(message.rfind("test.pdf: ", 0), 0u) << message;
}

// The same one-page file locked by a password needed to open it.
std::vector<std::uint8_t> LockedByPassword(const std::vector<std::uint8_t>& file) {
  QPDF pdf;
  pdf.processMemoryFile("plain.pdf", reinterpret_cast<const char*>(file.data()), file.size());
  QPDFWriter writer(pdf);
  writer.setOutputMemory();
  writer.setR6EncryptionParameters("secret", "owner", true, true, true, true, true, true,
                                   qpdf_r3p_full, true);
  writer.write();
  const auto buffer = writer.getBufferSharedPointer();
  return {buffer->getBuffer(), buffer->getBuffer() + buffer->getSize()};
}

// qpdf's own words for these ("unable to find trailer dictionary while recovering damaged
// file", "invalid password", "read 1024 bytes") do not tell the user what is wrong.
TEST(PdfReaderDamaged, FilesThatCannotBeOpenedSayWhyInWordsAUserCanActOn) {
  EXPECT_EQ(ErrorOf({}), "test.pdf: the file is empty");
  const std::string text = "Dear printer, please find the artwork attached.";
  EXPECT_EQ(ErrorOf({text.begin(), text.end()}),
            "test.pdf: not a PDF file (no %PDF- header in its first 1024 bytes)");
  PdfBuilder pdf;
  EXPECT_EQ(ErrorOf(LockedByPassword(pdf.OnePage("0 0 10 10 re f"))),
            "test.pdf: the file is encrypted with a password needed to open it");
  const std::string folder = std::filesystem::temp_directory_path().string();
  try {
    CorvelPdf::ReadDocument(folder);
    ADD_FAILURE() << "a directory was read";
  } catch (const CorvelPdf::ReadError& e) {
    EXPECT_EQ(std::string(e.what()), folder + ": a directory, not a PDF file");
  }
}

TEST(PdfReaderDamaged, BrokenCrossReferenceIsRepairedAndReported) {
  PdfBuilder pdf;
  auto file = pdf.OnePage("0 0 10 10 re f 0 0 5 5 re f");
  std::string text(file.begin(), file.end());
  text.replace(text.rfind("startxref\n") + 10, 1, "9");  // points into the middle of an object
  const auto result = Read({text.begin(), text.end()});
  EXPECT_TRUE(HasWarning(result, "damaged file repaired"));
  EXPECT_EQ(FirstPage(result).Size(), 2u);
}

TEST(PdfReaderDamaged, TruncatedFileFailsCleanlyWithTheFileName) {
  PdfBuilder pdf;
  auto file = pdf.OnePage("0 0 10 10 re f");
  file.resize(file.size() / 2);
  const auto message = ErrorOf(file);
  EXPECT_EQ(message.rfind("test.pdf: damaged beyond repair: ", 0), 0u) << message;
  EXPECT_EQ(message.find("test.pdf", 1), std::string::npos) << message;
}

TEST(PdfReaderDamaged, CyclicFormsFailNamingPageAndForm) {
  PdfBuilder pdf;
  // Object 1 draws itself through its own resources.
  pdf.AddStream("/Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Me 1 0 R >> >>",
                "/Me Do");
  const auto message = ErrorOf(pdf.OnePage("/F Do", "<< /XObject << /F 1 0 R >> >>"));
  EXPECT_EQ(message, "page 1, form /F, form /Me: form /Me contains itself");
}

TEST(PdfReaderDamaged, AbsurdImageSizeFailsBeforeDecoding) {
  PdfBuilder pdf;
  const int image = pdf.AddStream(
      "/Subtype /Image /Width 900000 /Height 900000 /BitsPerComponent 8 "
      "/ColorSpace /DeviceRGB",
      "x");
  const auto message =
      ErrorOf(pdf.OnePage("/Im Do", "<< /XObject << /Im " + PdfBuilder::Ref(image) + " >> >>"));
  EXPECT_EQ(message.rfind("page 1, image /Im: image of 900000 x 900000 exceeds the limit", 0), 0u)
      << message;
}

TEST(PdfReaderDamaged, DeepSaveNestingAndLongContentHitTheLimits) {
  CorvelPdf::ReadLimits limits;
  limits.maxStateDepth = 10;
  limits.maxOperatorsPerPage = 50;
  std::string nested;
  for (int i = 0; i < 11; ++i) nested += "q ";
  PdfBuilder deep;
  EXPECT_EQ(ErrorOf(deep.OnePage(nested), limits), "page 1: q nested deeper than 10");
  std::string many;
  for (int i = 0; i < 60; ++i) many += "0 g ";
  PdfBuilder longContent;
  EXPECT_EQ(ErrorOf(longContent.OnePage(many), limits),
            "page 1: more than 50 operators on the page");
}

TEST(PdfReaderDamaged, BadOperandsAndUnbalancedOperatorsAreSkippedWithWarnings) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("Q EMC (x) w 0 0 m /N l 0 0 10 10 re f xyz"));
  EXPECT_EQ(FirstPage(result).Size(), 1u);
  EXPECT_TRUE(HasWarning(result, "Q without its q"));
  EXPECT_TRUE(HasWarning(result, "operator w with bad operands"));
  EXPECT_TRUE(HasWarning(result, "unknown operator xyz"));
}

TEST(PdfReaderDamaged, MissingResourcesAreReported) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("/Nothing Do /Nope gs 0 0 1 1 re f"));
  EXPECT_EQ(FirstPage(result).Size(), 1u);
  EXPECT_TRUE(HasWarning(result, "XObject missing"));
  EXPECT_TRUE(HasWarning(result, "graphics state missing"));
}

TEST(PdfReaderDamaged, MissingCatalogFailsAsAReadErrorNamingTheFile) {
  PdfBuilder pdf;
  auto file = pdf.OnePage("0 0 10 10 re f");
  std::string text(file.begin(), file.end());
  text.replace(text.rfind("/Root"), 5, "/Rxxt");
  const auto message = ErrorOf({text.begin(), text.end()});
  EXPECT_EQ(message.rfind("test.pdf: ", 0), 0u) << message;
}

}  // namespace
