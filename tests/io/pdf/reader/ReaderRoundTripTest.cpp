// Files written by hand, read, written again and flattened: Ghostscript must print the read
// and the flattened page as it prints the file itself, plate by plate. These pin the places
// where PDF's painting rules and the document model's meet: a fill and a stroke painted by one
// operator, soft masks placed where their graphics state is set, transparency-group forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include <io/pdf/PdfWriter.h>
#include <module/Exports.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

#include <tests/CorpusFiles.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

struct HandFile {
  const char* name;
  const char* content;
  const char* resources;  // may refer to objects 1, 2, ... added by `objects`
  std::vector<std::pair<std::string, std::string>> streams;  // dictionary entries, data
};

std::vector<std::uint8_t> Build(const HandFile& file) {
  PdfBuilder pdf;
  for (const auto& [entries, data] : file.streams) pdf.AddStream(entries, data);
  return pdf.OnePage(file.content, file.resources);
}

const std::vector<HandFile>& Files() {
  static const std::vector<HandFile> files{
      {"fill and stroke, stroke at .5",
       "0 0.6 0 0 k 1 0 0 0 K 12 w /H gs 30 20 60 60 re B 0.5 0 0 0 k 110 20 60 60 re f "
       "/M gs 0 0 0 1 K 120 10 m 190 90 l 180 10 l b",
       "<< /ExtGState << /H << /CA 0.5 >> /M << /CA 0.7 /ca 0.4 /BM /Multiply >> >> >>",
       {}},
      {"soft mask set before cm",
       "0 0 1 0 k 0 0 200 100 re f q /S gs 1 0 0 1 100 0 cm 2 0 0 2 0 0 cm 0 0 40 45 re 1 0 0 0 k f Q",
       "<< /ExtGState << /S << /SMask << /S /Luminosity /BC [0 0 0 1] /G 1 0 R >> >> >> >>",
       {{"/Type /XObject /Subtype /Form /BBox [0 0 200 100] /Group << /S /Transparency /CS /DeviceCMYK >>",
         "0 0 0 0 k 110 10 50 40 re f 0 0 0 0.5 k 150 40 40 50 re f"}}},
      {"transparency-group form moved by its matrix, masked",
       "0.3 0 0 0 k 0 0 200 100 re f q /S gs /F Do Q",
       "<< /ExtGState << /S << /SMask << /S /Alpha /G 1 0 R >> >> >> /XObject << /F 2 0 R >> >>",
       {{"/Type /XObject /Subtype /Form /BBox [0 0 200 100] /Group << /S /Transparency >>",
         "0 0 0 1 k 20 10 100 60 re f"},
        {"/Type /XObject /Subtype /Form /BBox [0 0 100 80] /Matrix [1 0 0 1 60 10] "
         "/Group << /S /Transparency /K true >> /Resources << /ExtGState << /A << /ca 0.5 /BM /Screen >> >> >>",
         "/A gs 0 1 0 0 k 0 0 60 60 re f 0 0 1 0 k 30 20 60 60 re f"}}},
      {"Type 3 text, filled and stroked glyphs, under Multiply",
       "0.2 0 0.6 0 k 0 0 200 100 re f /M gs BT /T 40 Tf 0 1 0 0 k 20 30 Td (abba) Tj ET",
       "<< /ExtGState << /M << /BM /Multiply /ca 0.8 >> >> /Font << /T << /Type /Font /Subtype /Type3 "
       "/FontMatrix [0.001 0 0 0.001 0 0] /FontBBox [0 0 1000 1000] /CharProcs << /a 1 0 R /b 2 0 R >> "
       "/Encoding << /Differences [97 /a /b] >> /FirstChar 97 /LastChar 98 /Widths [900 700] >> >> >>",
       {{"", "900 0 0 0 800 800 d1 100 0 600 700 re f 80 w 1 J 100 780 m 700 780 l S"},
        {"", "700 0 0 0 600 800 d1 300 400 m 300 600 500 600 500 400 c 500 200 300 200 300 400 c f"}}},
  };
  return files;
}

void ExpectSameAsOriginal(const CorvelOracle::SeparationRender& original, const std::string& pdf,
                          const std::string& what) {
  const auto render = CorvelOracle::RenderPdfBytes(pdf, 1, 100);
  const auto comparison = CorvelOracle::Compare(original, render);
  EXPECT_TRUE(comparison.Agrees()) << what << "\n" << comparison.Report();
}

TEST(PdfRoundTrip, ReadAndFlattenedPagesPrintAsTheFileDoes) {
  for (const auto& file : Files()) {
    SCOPED_TRACE(file.name);
    const auto bytes = Build(file);
    const auto original = CorvelOracle::RenderPdfBytes(std::string(bytes.begin(), bytes.end()), 1, 100);
    auto read = Read(bytes);
    ExpectSameAsOriginal(original, CorvelPdf::WriteDocumentToString(*read.document), "read and written");
    auto& content = read.document->GetPages().front()->GetContent();
    Corvel::FlattenAction(content, [](const auto& layer) { return layer->visible; }, true,
                          [](const auto&) { return true; }, false, 300);
    ExpectSameAsOriginal(original, CorvelPdf::WriteDocumentToString(*read.document), "flattened");
  }
}

}  // namespace

namespace {

class PdfRoundTripCorpus : public ::testing::TestWithParam<std::string> {};

// Where Ghostscript departs from PDF's rules, so that what we read cannot print its way.
const std::map<std::string, std::string>& GhostscriptDeparts() {
  static const std::map<std::string, std::string> files{
      {"pdfjs__smask_alpha_bc.pdf",
       "Ghostscript applies an alpha mask's /BC, which PDF defines for luminosity masks only"}};
  return files;
}

// Every page of the file, read and written back, prints as the file does, comparing like with
// like: Ghostscript converts RGB and gray without ICC profiles and blends groups in DeviceCMYK,
// as Corvel does.
void ExpectReadAndWrittenPagesPrintAsTheFileDoes(const std::filesystem::path& path) {
  const auto departs = GhostscriptDeparts().find(path.filename().string());
  if (departs != GhostscriptDeparts().end()) GTEST_SKIP() << departs->second;
  const auto simple = CorvelOracle::ColorConversion::Simple;
  int pages = 0;
  const auto read = CorvelPdf::ReadDocument(path.string());
  const std::string written = CorvelPdf::WriteDocumentToString(*read.document);
  for (int page = 1; page <= static_cast<int>(read.document->GetPages().size()); ++page) {
    ++pages;
    const auto original = CorvelOracle::RenderPdfPage(path.string(), page, 72, simple);
    const auto again = CorvelOracle::RenderPdfBytes(written, page, 72, simple);
    const auto comparison = CorvelOracle::Compare(original, again);
    EXPECT_TRUE(comparison.Agrees()) << path.filename().string() << " page " << page << "\n"
                                     << comparison.Report();
  }
  EXPECT_GT(pages, 0);
}

TEST_P(PdfRoundTripCorpus, EveryPageReadAndWrittenPrintsAsTheFileDoes) {
  ExpectReadAndWrittenPagesPrintAsTheFileDoes(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, PdfRoundTripCorpus, ::testing::ValuesIn(CorvelTest::CorpusFiles()),
                         CorvelTest::CorpusFileName);

}  // namespace
