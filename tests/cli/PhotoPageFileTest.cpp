// A page with a large photograph under a soft mask and vector artwork: flattening renders the
// photo no finer than it or the gradient resolution needs, compresses it as asked, and the
// result prints as the original (Ghostscript's plates at 150 ppi).
#include <gtest/gtest.h>
#include <tools/testpages/PhotoPage.h>

#include <algorithm>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <string>
#include <vector>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

struct WrittenImage {
  long long width = 0;
  std::string filter;
};

void CollectImages(Handle resources, std::vector<WrittenImage>& images) {
  auto xobjects = resources.isDictionary() ? resources.getKey("/XObject") : Handle();
  if (!xobjects.isDictionary()) return;
  for (auto& [name, xobject] : xobjects.getDictAsMap()) {
    auto dictionary = xobject.getDict();
    if (dictionary.getKey("/Subtype").isNameAndEquals("/Image")) {
      auto filter = dictionary.getKey("/Filter");
      images.push_back(
          {dictionary.getKey("/Width").getIntValue(), filter.isName() ? filter.getName() : ""});
    } else {
      CollectImages(dictionary.getKey("/Resources"), images);
    }
  }
}

// The images page 1 of `path` paints, its forms' included.
std::vector<WrittenImage> PageImages(const fs::path& path) {
  QPDF pdf;
  pdf.processFile(path.c_str());
  std::vector<WrittenImage> images;
  CollectImages(QPDFPageDocumentHelper(pdf).getAllPages().front().getAttribute("/Resources", false),
                images);
  return images;
}

long long WidestImage(const std::vector<WrittenImage>& images) {
  long long widest = 0;
  for (const auto& image : images) widest = std::max(widest, image.width);
  return widest;
}

class PhotoPage : public FileTest {
 protected:
  CorvelOracle::Comparison CompareAt150(const CorvelOracle::ComparisonOptions& options = {}) {
    const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
    return CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), 1, 150, managed),
                                 CorvelOracle::RenderPdfPage(output.string(), 1, 150, managed),
                                 options);
  }
};

// Smooth tones without grain. Grain would fall in the comparison's outline band (neighbours
// more than 2 levels apart) or, just below it, show where the two renderers sample the soft
// mask and the photo at different points (up to 4 levels on 0.1 % of the pixels with a grain
// of one level, at the photo's own grid as at a coarser one).
CorvelTestPages::PhotoPageOptions SmoothPhoto() {
  CorvelTestPages::PhotoPageOptions options;
  options.grain = 0;
  return options;
}

// Measured: at most 4 levels on under 0.1 % of the compared pixels, the same at the photo's
// own grid (--gradient-resolution 600) as at 300 ppi, so from where the two renderers sample
// the photo and its mask, not from the coarser grid. Everywhere else within 2 levels.
TEST_F(PhotoPage, FlattenedLosslesslyPrintsTheSame) {
  CorvelTestPages::WritePhotoPage(input, SmoothPhoto());
  CorvelCli::FileSettings settings;
  settings.rasterImages.compression = CorvelPdf::RasterCompression::Flate;
  const auto report = Flatten(settings);
  ASSERT_TRUE(report.pages.at(0).replaced);
  ASSERT_GT(report.pages.at(0).images, 0u);
  for (const auto& image : PageImages(output)) EXPECT_NE(image.filter, "/DCTDecode");
  const auto comparison = CompareAt150();
  for (const auto& separation : comparison.separations) {
    EXPECT_LE(separation.maxDifference, 4) << comparison.Report();
    EXPECT_LT(separation.ShareOver(), 0.002) << comparison.Report();
  }
}

// JPEG at quality 90 adds little to that: allowed 6 levels and 1 % of the compared pixels
// beyond 2 levels; measured at most 4 levels on 0.03 %.
TEST_F(PhotoPage, FlattenedAsJpegPrintsTheSameWithinJpegLoss) {
  CorvelTestPages::WritePhotoPage(input, SmoothPhoto());
  CorvelCli::FileSettings settings;
  settings.rasterImages.compression = CorvelPdf::RasterCompression::Jpeg;
  Flatten(settings);
  const auto images = PageImages(output);
  EXPECT_TRUE(std::any_of(images.begin(), images.end(),
                          [](const auto& i) { return i.filter == "/DCTDecode"; }));
  const auto comparison = CompareAt150();
  for (const auto& separation : comparison.separations) {
    EXPECT_LE(separation.maxDifference, 6) << comparison.Report();
    EXPECT_LT(separation.ShareOver(), 0.01) << comparison.Report();
  }
}

// By default a render of pictures that were JPEG in the file is written as JPEG, at no more
// than one and a half times the input's size (Flate makes it 2.15 times); a photo stored
// losslessly stays lossless.
TEST_F(PhotoPage, ByDefaultOnlyPhotosThatWereJpegBecomeJpeg) {
  CorvelTestPages::PhotoPageOptions options;
  options.width = 1500;
  options.height = 1000;
  CorvelTestPages::WritePhotoPage(input, options);
  Flatten();
  const auto jpeg = [](const std::vector<WrittenImage>& images) {
    return std::any_of(images.begin(), images.end(), [](const auto& i) { return i.filter == "/DCTDecode"; });
  };
  EXPECT_TRUE(jpeg(PageImages(output)));
  EXPECT_LE(fs::file_size(output), 1.5 * fs::file_size(input));
  options.jpeg = false;
  CorvelTestPages::WritePhotoPage(input, options);
  Flatten();
  EXPECT_FALSE(jpeg(PageImages(output)));
}

TEST_F(PhotoPage, APictureOnlyAreaIsWrittenAtThePicturesResolution) {
  CorvelTestPages::PhotoPageOptions options;
  options.width = 600;
  options.height = 400;
  options.placedWidth = 300;
  options.placedHeight = 200;  // 144 ppi, below the gradient resolution
  CorvelTestPages::WritePhotoPage(input, options);
  Flatten();
  // The picture's 600 columns, and one more on each side reaching under the artwork beside it.
  EXPECT_EQ(WidestImage(PageImages(output)), 600 + 2);
}

TEST_F(PhotoPage, APictureFinerThanTheGradientResolutionIsWrittenAtThatResolution) {
  CorvelTestPages::PhotoPageOptions options;
  options.width = 1500;
  options.height = 1000;
  options.placedWidth = 250;  // 432 ppi across
  options.placedHeight = 170;
  CorvelTestPages::WritePhotoPage(input, options);
  Flatten();  // 300 ppi: 250 pt make 1042 columns, and one more on each side (seams)
  EXPECT_EQ(WidestImage(PageImages(output)), 1042 + 2);
  CorvelCli::FileSettings settings;
  settings.gradientResolution = 600;  // above the picture's own: its own grid
  Flatten(settings);
  EXPECT_EQ(WidestImage(PageImages(output)), 1500 + 2);
}

TEST_F(PhotoPage, ObjectStreamsOnlyFromPdf15) {
  CorvelTestPages::PhotoPageOptions options;
  options.width = 300;
  options.height = 200;
  CorvelTestPages::WritePhotoPage(input, options);
  Flatten();  // the input's 1.7
  EXPECT_NE(ReadBytes(output).find("/ObjStm"), std::string::npos);
  EXPECT_NE(ReadBytes(output).find("/XRef"), std::string::npos);
  CorvelCli::FileSettings settings;
  settings.pdfVersion = "1.4";
  Flatten(settings);
  const std::string bytes = ReadBytes(output);
  EXPECT_EQ(bytes.rfind("%PDF-1.4", 0), 0u);
  EXPECT_EQ(bytes.find("/ObjStm"), std::string::npos);
  EXPECT_EQ(bytes.find("/XRef"), std::string::npos);
}

}  // namespace

namespace {

// An image that would hold more samples than the limit is rendered coarser, as a page of any
// size must stay within memory, and the report says so; below the limit nothing changes.
TEST_F(PhotoPage, AnAreaOverTheSampleLimitIsRenderedCoarserAndSaysSo) {
  CorvelTestPages::PhotoPageOptions options;
  options.width = 600;
  options.height = 400;
  options.placedWidth = 300;
  options.placedHeight = 200;
  CorvelTestPages::WritePhotoPage(input, options);
  CorvelCli::FileSettings settings;
  settings.maxRenderedSamples = 60000;  // under half the columns and rows of each image
  const auto report = Flatten(settings);
  const long long widest = WidestImage(PageImages(output));
  EXPECT_LT(widest, 602 / 2) << report.warnings.front();
  EXPECT_GT(widest, 602 / 8);
  ASSERT_FALSE(report.warnings.empty());
  EXPECT_NE(report.warnings.front().find("page 1: a rendered area would hold"), std::string::npos)
      << report.warnings.front();
  EXPECT_NE(report.warnings.front().find("to stay within 60000 samples"), std::string::npos)
      << report.warnings.front();
  settings.maxRenderedSamples = 1e7;
  EXPECT_TRUE(Flatten(settings).warnings.empty());
  EXPECT_EQ(WidestImage(PageImages(output)), 602);
}

}  // namespace
