// Pages flattened several at once: the output file is the same byte for byte whatever the number
// of jobs, the report lists the pages in order, and a page that cannot be flattened is handled as
// it is without threads (left as it was, or with --strict a failure that writes nothing).
#include <memory>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <vector>

#include "FileTestSupport.h"
#include <tools/testpages/PhotoPage.h>
#include <tools/testpages/StressPage.h>

namespace CorvelTest {
namespace {

// Blend modes, knockout groups, soft masks (alpha and luminosity), a form under constant alpha,
// and a page whose transparency involves nothing.
const std::vector<std::string> kCorpusCases{
    "pdfjs__blendmode.pdf",         "pdfjs__knockout_groups_test.pdf",
    "pdfjs__issue17215.pdf",        "pdfjs__bug1019475_1.pdf",
    "pdfjs__knockout_smask.pdf",    "pdfjs__nonisolated_blend_smask.pdf",
    "pdfjs__smask_alpha_bc.pdf",    "pdfjs__smask_luminosity_oob_transfer.pdf",
    "pdfjs__issue9017_reduced.pdf", "verapdf__6-2-10-t01-fail-g.pdf",
};

// One file holding every page of the given files, in order.
void WriteMerged(const std::vector<fs::path>& sources, const fs::path& path) {
  std::vector<std::unique_ptr<QPDF>> open;
  QPDF merged;
  merged.emptyPDF();
  QPDFPageDocumentHelper pages(merged);
  for (const auto& source : sources) {
    open.push_back(std::make_unique<QPDF>());
    open.back()->setSuppressWarnings(true);
    open.back()->processFile(source.c_str());
    for (auto& page : QPDFPageDocumentHelper(*open.back()).getAllPages()) pages.addPage(page, false);
  }
  QPDFWriter writer(merged, path.c_str());
  writer.setStaticID(true);
  writer.write();
}

std::size_t Replaced(const CorvelCli::FileReport& report) {
  std::size_t count = 0;
  for (const auto& page : report.pages) count += page.replaced;
  return count;
}

class ParallelPages : public FileTest {
 protected:
  CorvelCli::FileReport FlattenWith(int jobs, const fs::path& to,
                                    CorvelCli::FileSettings settings = {}) {
    settings.jobs = jobs;
    return CorvelCli::RunOnFile(input.string(), to.string(), settings);
  }
};

// The corpus cases with a photograph under its own soft mask (rendered images, compressed in
// the background when there are several jobs) as the first page.
void WriteMixedFile(const fs::path& folder, const fs::path& path) {
  std::vector<fs::path> sources;
  for (const auto& name : kCorpusCases) sources.push_back(fs::path(CORVEL_CORPUS_DIR) / name);
  CorvelTestPages::PhotoPageOptions photo;
  photo.width = 600, photo.height = 400;
  CorvelTestPages::WritePhotoPage(folder / "photo.pdf", photo);
  sources.insert(sources.begin(), folder / "photo.pdf");
  WriteMerged(sources, path);
}

TEST_F(ParallelPages, OutputIsTheSameByteForByteWhateverTheJobCount) {
  WriteMixedFile(folder, input);
  const auto one = FlattenWith(1, output);
  ASSERT_EQ(one.pageCount, 13);
  ASSERT_GE(Replaced(one), 10u);
  ASSERT_LT(Replaced(one), 13u);  // the page whose transparency involves nothing stays
  ASSERT_GE(one.pages[0].images, 1u);
  const std::string expected = ReadBytes(output);
  for (int jobs : {2, 4}) {
    const fs::path path = folder / ("out-" + std::to_string(jobs) + ".pdf");
    const auto report = FlattenWith(jobs, path);
    EXPECT_TRUE(ReadBytes(path) == expected) << jobs << " jobs";
    ASSERT_EQ(report.pages.size(), one.pages.size());
    for (std::size_t i = 0; i < report.pages.size(); ++i) {
      EXPECT_EQ(report.pages[i].number, static_cast<int>(i) + 1);
      EXPECT_EQ(report.pages[i].replaced, one.pages[i].replaced) << "page " << i + 1;
      EXPECT_EQ(report.pages[i].inserted, one.pages[i].inserted) << "page " << i + 1;
    }
    EXPECT_EQ(report.warnings, one.warnings);
  }
}

TEST_F(ParallelPages, JpegImagesAreTheSameByteForByteWhateverTheJobCount) {
  WriteMixedFile(folder, input);
  CorvelCli::FileSettings settings;
  settings.rasterImages.compression = CorvelPdf::RasterCompression::Jpeg;
  FlattenWith(1, output, settings);
  ASSERT_NE(ReadBytes(output).find("/DCTDecode"), std::string::npos);
  FlattenWith(3, folder / "out-3.pdf", settings);
  EXPECT_TRUE(ReadBytes(folder / "out-3.pdf") == ReadBytes(output));
}

// One page alone leaves the other jobs free, and its images are rendered on them: a stress page
// rendered whole (clusters of many tiles, --balance 0) and a photograph under its soft mask
// (several images of one fill) give the same file byte for byte whatever the job count.
TEST_F(ParallelPages, ImagesOfOnePageRenderOnFreeJobsTheSameByteForByte) {
  CorvelTestPages::WriteStressPage(folder / "stress.pdf", {.shapes = 120, .seed = 3});
  CorvelTestPages::PhotoPageOptions photo;
  photo.width = 900, photo.height = 600;
  CorvelTestPages::WritePhotoPage(folder / "photo.pdf", photo);
  CorvelCli::FileSettings settings;
  settings.balance = 0;
  for (const char* name : {"stress.pdf", "photo.pdf"}) {
    input = folder / name;
    const auto one = FlattenWith(1, output, settings);
    ASSERT_EQ(one.pageCount, 1);
    ASSERT_TRUE(one.pages[0].replaced) << name;
    EXPECT_GE(one.pages[0].images, 1u) << name;
    const std::string expected = ReadBytes(output);
    for (int jobs : {2, 4}) {
      const fs::path path = folder / ("out-" + std::to_string(jobs) + ".pdf");
      const auto report = FlattenWith(jobs, path, settings);
      EXPECT_TRUE(ReadBytes(path) == expected) << name << ", " << jobs << " jobs";
      EXPECT_EQ(report.pages[0].inserted, one.pages[0].inserted) << name;
      EXPECT_EQ(report.pages[0].rasterisedClusters.size(), one.pages[0].rasterisedClusters.size());
    }
  }
}

// Three pages under constant alpha; the middle one paints an image that cannot be decoded, so
// its transparency cannot be flattened.
void WriteFileWithUnflattenablePage(const fs::path& path) {
  TestFile file;
  const auto state = file.Object("<< /Type /ExtGState /ca 0.5 >>");
  const auto image = file.Stream(
      "not a JPEG", "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
                    "/BitsPerComponent 8 /Filter /DCTDecode >>");
  const std::string squares = "1 0 0 rg 10 10 200 200 re f 0 0 1 rg 100 100 200 200 re f";
  for (int page = 1; page <= 3; ++page) {
    auto resources = Handle::parse("<< /ExtGState << >> /XObject << >> >>");
    resources.getKey("/ExtGState").replaceKey("/GS0", state);
    resources.getKey("/XObject").replaceKey("/Im0", image);
    const std::string picture = page == 2 ? " 100 0 0 100 50 50 cm /Im0 Do" : "";
    file.AddPage("q /GS0 gs " + squares + picture + " Q", resources);
  }
  file.Save(path);
}

TEST_F(ParallelPages, APageThatCannotBeFlattenedStaysAsItWasAndTheOthersAreWritten) {
  WriteFileWithUnflattenablePage(input);
  const auto report = FlattenWith(2, output);
  ASSERT_EQ(report.pages.size(), 3u);
  EXPECT_EQ(report.pagesLeftAsTheyWere, 1);
  EXPECT_TRUE(report.pages[0].replaced);
  EXPECT_FALSE(report.pages[1].replaced);
  EXPECT_FALSE(report.pages[1].leftAsItWas.empty());
  EXPECT_TRUE(report.pages[2].replaced);
  QPDF in, out;
  in.processFile(input.c_str());
  out.processFile(output.c_str());
  const auto content = [](QPDF& pdf, int page) {
    return QPDFPageDocumentHelper(pdf).getAllPages().at(static_cast<std::size_t>(page))
        .getObjectHandle().getKey("/Contents").getStreamData(qpdf_dl_generalized);
  };
  const auto before = content(in, 1), after = content(out, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(before->getBuffer()), before->getSize()),
            std::string(reinterpret_cast<const char*>(after->getBuffer()), after->getSize()));
}

TEST_F(ParallelPages, StrictFailureWritesNothing) {
  WriteFileWithUnflattenablePage(input);
  CorvelCli::FileSettings settings;
  settings.strict = true;
  try {
    FlattenWith(2, output, settings);
    FAIL() << "a page that cannot be flattened must fail a strict run";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("page 2: ", 0), 0u) << e.what();
  }
  // No output, and no temporary file left beside it.
  std::vector<fs::path> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<fs::path>{"in.pdf"});
}

}  // namespace
}  // namespace CorvelTest
