#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "PdfTestFiles.h"

namespace {

std::filesystem::path CorpusFolder() {
  const char* source = std::getenv("CORVEL_SOURCE_DIR");
  return std::filesystem::path(source ? source : ".") / ".." / "shared" / "corpus";
}

// Every public test file of the shared corpus reads without an exception, with at least one
// page that has content.
TEST(PdfReaderCorpus, EveryFileReadsWithContent) {
  const auto folder = CorpusFolder();
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".pdf") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    CorvelPdf::ReadResult result;
    ASSERT_NO_THROW(result = CorvelPdf::ReadDocument(entry.path().string()));
    const auto pages = result.document->GetPages();
    ASSERT_FALSE(pages.empty());
    EXPECT_GT(pages.front()->GetContent().Size(), 0u);
  }
  EXPECT_GT(files, 0);
}

}  // namespace
