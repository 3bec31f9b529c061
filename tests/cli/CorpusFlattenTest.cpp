// What `corvel flatten` does to real files: every page of the shared corpus read, flattened with
// the command's selection and written must hold no transparency where the flattener acted and
// print as the file does (like with like, at 150 ppi).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <cli/Selection.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/reader/PdfReader.h>
#include <module/Exports.h>
#include <tools/catalogue/TransparencyCheck.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

namespace {

std::vector<std::filesystem::path> CorpusFiles() {
  const char* source = std::getenv("CORVEL_SOURCE_DIR");
  const auto folder = std::filesystem::path(source ? source : ".") / ".." / "shared" / "corpus";
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".pdf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(CorpusFlattening, EveryPageFlattensToOpaqueArtworkThatPrintsTheSame) {
  const auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus next to the sources";
  // Files the comparison cannot judge: where Ghostscript departs from PDF's rules, and where the
  // reader reports a feature as not supported yet.
  const std::map<std::string, std::string> notJudged{
      {"pdfjs__smask_alpha_bc.pdf",
       "Ghostscript applies an alpha mask's /BC, which PDF defines for luminosity masks only"},
      {"verapdf__6-2-10-t04-fail-g.pdf", "Type 3 fonts are reported as not supported: their text has no glyphs"}};
  int pages = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    auto read = CorvelPdf::ReadDocument(path.string());
    bool keptInPlace = false;
    for (MavDoc::Page* page : read.document->GetPages()) {
      MavDoc::Content& content = page->GetContent();
      keptInPlace = keptInPlace || !CorvelCli::Unrepresentable(content).empty();
      Corvel::FlattenAction(
          content, [](const auto& layer) { return layer->visible; }, true,
          [](const MavDoc::ContentObject& object) { return CorvelCli::IsRepresentable(object); }, false, 300);
    }
    const std::string flattened = CorvelPdf::WriteDocumentToString(*read.document);
    if (!keptInPlace) {
      const auto left = CorvelCatalogue::FindTransparency(flattened);
      EXPECT_TRUE(left.empty()) << left.front();
    }
    if (notJudged.count(path.filename().string())) continue;
    for (int page = 1; page <= static_cast<int>(read.document->GetPages().size()); ++page) {
      ++pages;
      const auto simple = CorvelOracle::ColorConversion::Simple;
      const auto comparison = CorvelOracle::Compare(CorvelOracle::RenderPdfPage(path.string(), page, 150, simple),
                                                    CorvelOracle::RenderPdfBytes(flattened, page, 150, simple));
      EXPECT_TRUE(comparison.Agrees()) << "page " << page << "\n" << comparison.Report();
    }
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
