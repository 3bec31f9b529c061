#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <tests/CorpusFiles.h>

#include "PdfTestFiles.h"

namespace {

using CorvelTest::CorpusFiles;

// The corpus folder holds exactly the files its manifest lists (first column, after the
// header), so that no file is run without its source and licence, and none goes missing.
TEST(CorpusFolder, HoldsEveryFileOfItsManifest) {
  std::ifstream manifest(CorvelTest::CorpusFolder() / "MANIFEST.tsv");
  ASSERT_TRUE(manifest) << "no MANIFEST.tsv in " << CorvelTest::CorpusFolder();
  std::set<std::string> listed;
  std::string line;
  std::getline(manifest, line);
  while (std::getline(manifest, line)) {
    if (!line.empty()) listed.insert(line.substr(0, line.find('\t')));
  }
  std::set<std::string> present;
  for (const auto& file : CorpusFiles()) {
    present.insert(std::filesystem::path(file).filename().string());
  }
  EXPECT_FALSE(present.empty()) << "no PDF in " << CorvelTest::CorpusFolder();
  EXPECT_EQ(present, listed);
}

class PdfReaderCorpus : public ::testing::TestWithParam<std::string> {};

// Every public test file of the corpus reads without an exception, with at least one page that
// has content.
void ExpectReadsWithContent(const std::filesystem::path& path) {
  CorvelPdf::ReadResult result;
  ASSERT_NO_THROW(result = CorvelPdf::ReadDocument(path.string()));
  const auto pages = result.document->GetPages();
  ASSERT_FALSE(pages.empty());
  EXPECT_GT(pages.front()->GetContent().Size(), 0u);
}

TEST_P(PdfReaderCorpus, FileReadsWithContent) { ExpectReadsWithContent(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Corpus, PdfReaderCorpus, ::testing::ValuesIn(CorpusFiles()),
                         CorvelTest::CorpusFileName);

}  // namespace
