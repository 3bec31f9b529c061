// What `corvel flatten` and `corvel outline` do to real files: every page of the shared corpus
// read, flattened (or rebuilt for outline view) with the command's selection and written must
// print as the file does (like with like, at 150 ppi); flattened, it holds no transparency where
// the flattener acted.
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

// Files the comparison cannot judge: where Ghostscript departs from PDF's rules.
const std::map<std::string, std::string>& NotJudged() {
  static const std::map<std::string, std::string> files{
      {"pdfjs__smask_alpha_bc.pdf",
       "Ghostscript applies an alpha mask's /BC, which PDF defines for luminosity masks only"}};
  return files;
}

enum class Action { Flatten, Outline };

// Reads the file, runs the action on every page with the command's selection, writes it, and
// compares every page with the file's own (like with like, 150 ppi). Returns the written PDF.
std::string RunAndCompare(const std::filesystem::path& path, Action action, int& pages) {
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
  const std::string written = CorvelPdf::WriteDocumentToString(*read.document);
  if (NotJudged().count(path.filename().string())) return written;
  const auto simple = CorvelOracle::ColorConversion::Simple;
  for (int page = 1; page <= static_cast<int>(read.document->GetPages().size()); ++page) {
    ++pages;
    const auto comparison = CorvelOracle::Compare(CorvelOracle::RenderPdfPage(path.string(), page, 150, simple),
                                                  CorvelOracle::RenderPdfBytes(written, page, 150, simple));
    EXPECT_TRUE(comparison.Agrees()) << "page " << page << "\n" << comparison.Report();
  }
  return written;
}

bool KeepsSomethingInPlace(const std::filesystem::path& path) {
  const auto read = CorvelPdf::ReadDocument(path.string());
  for (const MavDoc::Page* page : read.document->GetPages()) {
    if (!CorvelCli::Unrepresentable(page->GetContent()).empty()) return true;
  }
  return false;
}

TEST(CorpusFlattening, EveryPageFlattensToOpaqueArtworkThatPrintsTheSame) {
  const auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus next to the sources";
  int pages = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const std::string flattened = RunAndCompare(path, Action::Flatten, pages);
    if (!KeepsSomethingInPlace(path)) {
      const auto left = CorvelCatalogue::FindTransparency(flattened);
      EXPECT_TRUE(left.empty()) << left.front();
    }
  }
  EXPECT_GT(pages, 0);
}

TEST(CorpusOutlineView, EveryPageRebuiltForOutlineViewPrintsTheSame) {
  const auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus next to the sources";
  int pages = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    RunAndCompare(path, Action::Outline, pages);
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
