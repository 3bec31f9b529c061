#pragma once
// What the tests of whole files share: test files built with qpdf from PDF text, and a fixture
// that flattens in.pdf into out.pdf in a folder of its own and compares them plate by plate.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <string>

#include <cli/FileAction.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

namespace CorvelTest {

namespace fs = std::filesystem;
using Handle = QPDFObjectHandle;

// Builds test files with qpdf: objects given as PDF text.
class TestFile {
 public:
  TestFile() { pdf_.emptyPDF(); }
  Handle Object(const std::string& text) { return pdf_.makeIndirectObject(Handle::parse(text)); }
  Handle Stream(const std::string& data, const std::string& dict = "<< >>") {
    auto stream = Handle::newStream(&pdf_, data);
    for (auto& [key, value] : Handle::parse(dict).getDictAsMap()) stream.getDict().replaceKey(key, value);
    return stream;
  }
  // A page of A4 painting `content` with `resources` (PDF text, may name objects by Ref).
  Handle AddPage(const std::string& content, Handle resources) {
    auto page = Handle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>");
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", Stream(content));
    auto indirect = pdf_.makeIndirectObject(page);
    pdf_.addPage(indirect, false);
    return indirect;
  }
  QPDF& Pdf() { return pdf_; }
  void Save(const fs::path& path) {
    QPDFWriter writer(pdf_, path.c_str());
    writer.setStaticID(true);
    writer.write();
  }

 private:
  QPDF pdf_;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class FileTest : public ::testing::Test {
 protected:
  fs::path folder = fs::temp_directory_path() /
                    ("corvel-file-test-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path input = folder / "in.pdf";
  fs::path output = folder / "out.pdf";
  void SetUp() override { fs::create_directories(folder); }
  void TearDown() override {
    if (!std::getenv("CORVEL_KEEP_TEST_FILES")) fs::remove_all(folder);
  }

  CorvelCli::FileReport Flatten(const CorvelCli::FileSettings& settings = {}) {
    return CorvelCli::RunOnFile(input.string(), output.string(), settings);
  }
  // Page `page` of `path` compared with the input's, like with like (colour-managed, groups
  // blending in CMYK), at 100 ppi.
  CorvelOracle::Comparison CompareWithInput(const fs::path& path, int page = 1) {
    const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
    return CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), page, 100, managed),
                                 CorvelOracle::RenderPdfPage(path.string(), page, 100, managed));
  }
  // Every page of the output prints as the input's.
  void ExpectPrintsTheSame(int pages) {
    for (int page = 1; page <= pages; ++page) {
      const auto comparison = CompareWithInput(output, page);
      EXPECT_TRUE(comparison.Agrees()) << "page " << page << "\n" << comparison.Report();
    }
  }
};

}  // namespace CorvelTest
