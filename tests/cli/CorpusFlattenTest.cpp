// What `corvel flatten` and `corvel outline` do to real files, one test per file of the corpus:
// every page read, flattened (or rebuilt for outline view) with the command's selection and
// written must print as the file does (like with like, at 150 ppi); flattened, it holds no
// transparency where the flattener acted. The tests that print (Ghostscript renders) carry the
// `render` label; the others run the same actions without it, so that the sanitizer pass, which
// skips renders, still reads, rebuilds and writes every page.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include <cli/Selection.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/reader/PdfReader.h>
#include <module/Exports.h>
#include <tools/catalogue/TransparencyCheck.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

#include <tests/CorpusFiles.h>

namespace {

// Files the comparison cannot judge: where Ghostscript departs from PDF's rules.
const std::map<std::string, std::string>& NotJudged() {
  static const std::map<std::string, std::string> files{
      {"pdfjs__smask_alpha_bc.pdf",
       "Ghostscript applies an alpha mask's /BC, which PDF defines for luminosity masks only"}};
  return files;
}

enum class Action { Flatten, Outline };

// Reads the file, runs the action on every page with the command's selection and writes it.
// Returns the written PDF and sets `pages` to the number of pages.
std::string Run(const std::filesystem::path& path, Action action, int& pages) {
  auto read = CorvelPdf::ReadDocument(path.string());
  const auto visible = [](const auto& layer) { return layer->visible; };
  const auto chosen = [](const MavDoc::ContentObject& object) { return CorvelCli::IsRepresentable(object); };
  for (MavDoc::Page* page : read.document->GetPages()) {
    if (action == Action::Flatten) {
      Corvel::FlattenAction(page->GetContent(), visible, true, chosen, false, 300);
    } else {
      Corvel::OptimizeForOutlineViewAction(page->GetContent(), visible, true, chosen);
    }
  }
  pages = static_cast<int>(read.document->GetPages().size());
  return CorvelPdf::WriteDocumentToString(*read.document);
}

// Runs the action and compares every written page with the file's own (like with like,
// 150 ppi).
void RunAndCompare(const std::filesystem::path& path, Action action) {
  int pages = 0;
  const std::string written = Run(path, action, pages);
  const auto notJudged = NotJudged().find(path.filename().string());
  if (notJudged != NotJudged().end()) GTEST_SKIP() << notJudged->second;
  const auto simple = CorvelOracle::ColorConversion::Simple;
  for (int page = 1; page <= pages; ++page) {
    const auto comparison = CorvelOracle::Compare(CorvelOracle::RenderPdfPage(path.string(), page, 150, simple),
                                                  CorvelOracle::RenderPdfBytes(written, page, 150, simple));
    EXPECT_TRUE(comparison.Agrees()) << "page " << page << "\n" << comparison.Report();
  }
  EXPECT_GT(pages, 0);
}

// Runs the action and reads the written file back: it must hold every page of the original.
std::string RunAndReadBack(const std::filesystem::path& path, Action action) {
  int pages = 0;
  const std::string written = Run(path, action, pages);
  EXPECT_GT(pages, 0);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(written.data());
  const auto again = CorvelPdf::ReadDocumentFromMemory({bytes, written.size()});
  EXPECT_EQ(static_cast<int>(again.document->GetPages().size()), pages);
  return written;
}

bool KeepsSomethingInPlace(const std::filesystem::path& path) {
  const auto read = CorvelPdf::ReadDocument(path.string());
  for (const MavDoc::Page* page : read.document->GetPages()) {
    if (!CorvelCli::Unrepresentable(page->GetContent()).empty()) return true;
  }
  return false;
}

// The body of each test: one helper per test, taking the file.

void ExpectFlattenedPagesPrintTheSame(const std::filesystem::path& path) {
  RunAndCompare(path, Action::Flatten);
}

void ExpectFlattenedFileOpaque(const std::filesystem::path& path) {
  const std::string flattened = RunAndReadBack(path, Action::Flatten);
  if (!KeepsSomethingInPlace(path)) {
    const auto left = CorvelCatalogue::FindTransparency(flattened);
    EXPECT_TRUE(left.empty()) << left.front();
  }
}

void ExpectOutlineViewPagesPrintTheSame(const std::filesystem::path& path) {
  RunAndCompare(path, Action::Outline);
}

void ExpectOutlineViewWritten(const std::filesystem::path& path) {
  RunAndReadBack(path, Action::Outline);
}

class CorpusFlattening : public ::testing::TestWithParam<std::string> {};
class CorpusOutlineView : public ::testing::TestWithParam<std::string> {};

TEST(CorpusFolder, HoldsPdfs) {
  EXPECT_FALSE(CorvelTest::CorpusFiles().empty()) << CorvelTest::CorpusFolder();
}

TEST_P(CorpusFlattening, EveryPagePrintsTheSame) { ExpectFlattenedPagesPrintTheSame(GetParam()); }
TEST_P(CorpusFlattening, FlattenedFileHoldsNoTransparencyAndEveryPage) {
  ExpectFlattenedFileOpaque(GetParam());
}
TEST_P(CorpusOutlineView, EveryPagePrintsTheSame) {
  ExpectOutlineViewPagesPrintTheSame(GetParam());
}
TEST_P(CorpusOutlineView, RebuiltFileHoldsEveryPage) { ExpectOutlineViewWritten(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFlattening, ::testing::ValuesIn(CorvelTest::CorpusFiles()),
                         CorvelTest::CorpusFileName);
INSTANTIATE_TEST_SUITE_P(Corpus, CorpusOutlineView, ::testing::ValuesIn(CorvelTest::CorpusFiles()),
                         CorvelTest::CorpusFileName);

}  // namespace
