// What `corvel preview` and the flatten report show of a page: the areas flattening replaces,
// rasterises and outlines, and the overprinting objects, measured against hand-computed areas
// and marked in the picture in the colours its legend names.
#include <cli/PreviewImage.h>
#include <cli/Report.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

// A live headline over a transparent shadow (8,000 sq pt; the headline stays text), a note under
// a translucent highlight (4,800 sq pt; the note is outlined), a 100 × 75 photo with its own soft
// mask on 200 × 150 pt (30,000 sq pt, rendered at its own 36 ppi), an overprinting black rule
// 495 pt long and 4 pt wide (1,980 sq pt), and a plain gray panel that nothing involves.
// `cropBox` empty: none (the media box is A4 portrait, 595 × 842 points).
void WriteShowcase(const fs::path& path, int rotation = 0, const std::string& cropBox = "") {
  TestFile file;
  std::string photo, mask;
  for (int y = 0; y < 75; ++y) {
    for (int x = 0; x < 100; ++x) {
      photo += {static_cast<char>(x * 2), static_cast<char>(y * 3), static_cast<char>(128)};
      mask += static_cast<char>(64 + (x + y) % 192);
    }
  }
  const auto smask = file.Stream(mask,
                                 "<< /Type /XObject /Subtype /Image /Width 100 /Height 75 "
                                 "/ColorSpace /DeviceGray /BitsPerComponent 8 >>");
  auto image = file.Stream(photo,
                           "<< /Type /XObject /Subtype /Image /Width 100 /Height 75 "
                           "/ColorSpace /DeviceRGB /BitsPerComponent 8 >>");
  image.getDict().replaceKey("/SMask", smask);
  auto resources = Handle::parse(
      "<< /ExtGState << /Half << /ca 0.5 /CA 0.5 >> /OP << /OP true /op true /OPM 1 >> >> >>");
  resources.replaceKey("/Font", Handle::newDictionary());
  resources.getKey("/Font").replaceKey(
      "/F", file.Object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Photo", image);
  auto page = file.AddPage(
      "0 0 0 0.5 k 400 100 100 50 re f "
      "q /Half gs 0 0 0 0.6 k 100 600 200 40 re f Q "
      "BT /F 36 Tf 0 0 0 1 k 110 610 Td (Shadow) Tj ET "
      "BT /F 24 Tf 0 0 0 1 k 320 700 Td (Note) Tj ET "
      "q /Half gs 0 0 1 0 k 310 690 120 40 re f Q "
      "q 200 0 0 150 100 300 cm /Photo Do Q "
      "q /OP gs 0 0 0 1 K 4 w 50 200 m 545 200 l S Q",
      resources);
  page.replaceKey("/Rotate", Handle::newInteger(rotation));
  if (!cropBox.empty()) page.replaceKey("/CropBox", Handle::parse(cropBox));
  file.Save(path);
}

class FlattenReportAreas : public FileTest {};

TEST_F(FlattenReportAreas, EachCategoryMeasuresItsHandComputedArea) {
  WriteShowcase(input);
  const auto report = Flatten();
  ASSERT_EQ(report.pages.size(), 1u);
  ASSERT_TRUE(report.pages[0].areas);
  const auto& areas = *report.pages[0].areas;
  EXPECT_NEAR(areas.involved, 8000 + 4800 + 30000, 0.5);  // the note lies inside its highlight
  ASSERT_EQ(areas.rasterized.size(), 1u);
  EXPECT_EQ(areas.rasterized[0].first, 36);
  EXPECT_NEAR(areas.rasterized[0].second, 30000, 0.5);
  // Four 24 pt glyphs: more than a few square points, far less than their 120 × 40 highlight.
  EXPECT_GT(areas.outlinedText, 50);
  EXPECT_LT(areas.outlinedText, 1000);
  EXPECT_NEAR(areas.overprinting, 495 * 4, 0.5);

  const auto json = nlohmann::json::parse(CorvelCli::ReportJson(input, output, report));
  const auto& page = json["pages"][0]["areasInSquarePoints"];
  EXPECT_NEAR(page["involved"].get<double>(), 42800, 0.5);
  EXPECT_EQ(page["rasterized"][0]["resolution"].get<double>(), 36);
  EXPECT_NEAR(page["rasterized"][0]["area"].get<double>(), 30000, 0.5);
  EXPECT_NEAR(page["textOutlined"].get<double>(), areas.outlinedText, 0.01);
  EXPECT_NEAR(page["overprinting"].get<double>(), 1980, 0.5);
}

TEST_F(FlattenReportAreas, OverprintingObjectsCountInEveryOverprintMode) {
  WriteShowcase(input);
  using CorvelCli::OverprintHandling;
  for (const auto mode :
       {OverprintHandling::Simulate, OverprintHandling::Preserve, OverprintHandling::Discard}) {
    CorvelCli::FileSettings settings;
    settings.overprint = mode;
    const auto report = Flatten(settings);
    ASSERT_TRUE(report.pages.at(0).areas);
    EXPECT_NEAR(report.pages[0].areas->overprinting, 1980, 0.5) << static_cast<int>(mode);
  }
}

TEST_F(FlattenReportAreas, ClipsAndCurvesLimitWhatCounts) {
  TestFile file;
  const double k = 0.5523 * 50;  // the four-cubic circle, as drawing programs write it
  std::ostringstream circle;
  circle << "350 400 m 350 " << 400 + k << " " << 300 + k << " 450 300 450 c " << 300 - k
         << " 450 250 " << 400 + k << " 250 400 c 250 " << 400 - k << " " << 300 - k
         << " 350 300 350 c " << 300 + k << " 350 350 " << 400 - k << " 350 400 c f ";
  // The left half of a translucent circle of radius 50, and a translucent square clipped twice.
  file.AddPage(
      "q 0 0 300 842 re W n /Half gs 0 1 0 0 k " + circle.str() +
          "Q q 100 100 100 100 re W n 150 0 200 842 re W n /Half gs 1 0 0 0 k 0 0 595 842 re f Q",
      Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>"));
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages.at(0).areas);
  // Half of πr², less the four-cubic circle's shortfall (under 0.03 %).
  EXPECT_NEAR(report.pages[0].areas->involved, 3.14159265 * 2500 / 2 + 50 * 100, 3);
  EXPECT_TRUE(report.pages[0].areas->rasterized.empty());
  EXPECT_EQ(report.pages[0].areas->overprinting, 0);
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs the corvel command through the shell with `environment` before it.
Outcome RunCorvel(const std::string& arguments, const fs::path& folder,
                  const std::string& environment = "") {
  const std::string command = environment + " '" CORVEL_COMMAND "' " + arguments + " > '" +
                              (folder / "stdout").string() + "' 2> '" +
                              (folder / "stderr").string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(folder / "stdout"),
          ReadBytes(folder / "stderr")};
}

class PreviewCommand : public FileTest {};

TEST_F(PreviewCommand, WithoutGhostscriptFailsAndWritesNothing) {
  WriteShowcase(input);
  const auto outcome =
      RunCorvel("preview '" + input.string() + "' -o '" + (folder / "p.png").string() + "'", folder,
                "PATH=/nonexistent");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find(
                "preview needs Ghostscript (gs) to render the page, and it is not installed"),
            std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(folder / "p.png"));
}

TEST_F(PreviewCommand, APageTheFileDoesNotHaveIsAUsageError) {
  WriteShowcase(input);
  const auto outcome = RunCorvel(
      "preview '" + input.string() + "' --page 2 -o '" + (folder / "p.png").string() + "'", folder);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--page 2 but the file has 1 page"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder / "p.png"));
}

CorvelCli::RgbImage ReadPng(const fs::path& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) throw std::runtime_error(png.message);
  png.format = PNG_FORMAT_RGB;
  CorvelCli::RgbImage image{static_cast<int>(png.width), static_cast<int>(png.height), {}};
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr))
    throw std::runtime_error(png.message);
  return image;
}

CorvelCli::Rgb ColourFromHex(const std::string& hex) {
  const auto channel = [&](int i) {
    return static_cast<std::uint8_t>(std::stoi(hex.substr(1 + 2 * i, 2), nullptr, 16));
  };
  return {channel(0), channel(1), channel(2)};
}

// The legend as printed: label, colour, in order.
std::vector<std::pair<std::string, CorvelCli::Rgb>> LegendOf(const std::string& out) {
  std::vector<std::pair<std::string, CorvelCli::Rgb>> legend;
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);  // the picture's name and size
  while (std::getline(lines, line)) {
    const auto hash = line.find("  #");
    if (hash != std::string::npos)
      legend.emplace_back(line.substr(0, hash), ColourFromHex(line.substr(hash + 2, 7)));
  }
  return legend;
}

class PreviewPicture : public FileTest {
 protected:
  static constexpr double kScale = 2;  // 144 ppi
  CorvelCli::RgbImage image;
  std::map<std::string, CorvelCli::Rgb> colours;
  std::vector<std::pair<std::string, CorvelCli::Rgb>> legend;
  Outcome outcome;

  virtual int Rotation() const { return 0; }
  // The page's crop box (empty: none) and the top left corner of what it shows, points.
  virtual std::string CropBox() const { return ""; }
  virtual double VisibleLeft() const { return 0; }
  virtual double VisibleTop() const { return 842; }

  void SetUp() override {
    FileTest::SetUp();
    WriteShowcase(input, Rotation(), CropBox());
    outcome = RunCorvel("preview '" + input.string() + "' --resolution 144 -o '" +
                            (folder / "p.png").string() + "' --report '" +
                            (folder / "r.json").string() + "'",
                        folder);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    image = ReadPng(folder / "p.png");
    legend = LegendOf(outcome.out);
    for (const auto& [label, colour] : legend) colours[label] = colour;
  }

  // The pixel showing a point of the page (points, y up), turned as viewers turn the page.
  const std::uint8_t* PixelAtPoint(double x, double y) const {
    const bool turned = Rotation() == 90;
    const int column = static_cast<int>((turned ? y : x - VisibleLeft()) * kScale);
    const int row = static_cast<int>((turned ? x : VisibleTop() - y) * kScale);
    return &image.rgb[(std::size_t(row) * image.width + column) * 3];
  }

  // Whether the pixel is some gray with exactly these marks blended over it, in order.
  bool MarkedWith(const std::uint8_t* pixel, const std::vector<std::string>& marks) const {
    for (int gray = 0; gray < 256; ++gray) {
      bool all = true;
      for (int c = 0; c < 3 && all; ++c) {
        double value = gray;
        for (const auto& mark : marks) {
          const auto colour = colours.at(mark);
          const double channel = c == 0 ? colour.r : c == 1 ? colour.g : colour.b;
          value =
              std::round(value * (1 - CorvelCli::kMarkOpacity) + channel * CorvelCli::kMarkOpacity);
        }
        all = std::abs(value - pixel[c]) <= 2;
      }
      if (all) return true;
    }
    return false;
  }

  // How many pixels of a rectangle (points) carry exactly these marks.
  int CountMarked(double x0, double y0, double x1, double y1,
                  const std::vector<std::string>& marks) const {
    int count = 0;
    for (double y = y0; y < y1; y += 1 / kScale)
      for (double x = x0; x < x1; x += 1 / kScale)
        count += MarkedWith(PixelAtPoint(x + 0.25, y + 0.25), marks);
    return count;
  }
};

const std::string kInvolved = "involved in transparency", kRasterised = "rasterised at 36 ppi",
                  kText = "text outlined", kOverprinting = "overprinting";

TEST_F(PreviewPicture, TheLegendNamesEachCategoryWithItsColourAndArea) {
  ASSERT_EQ(legend.size(), 4u) << outcome.out;
  EXPECT_EQ(legend[0].first, kInvolved);
  EXPECT_EQ(legend[1].first, kRasterised);
  EXPECT_EQ(legend[2].first, kText);
  EXPECT_EQ(legend[3].first, kOverprinting);
  EXPECT_NE(outcome.out.find("42800.00 sq pt"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("30000.00 sq pt"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("1980.00 sq pt"), std::string::npos) << outcome.out;
  // The band below the page: each line's swatch in its colour.
  const int pageHeight = static_cast<int>(842 * kScale);
  ASSERT_GE(image.height,
            pageHeight + 2 * CorvelCli::kLegendMargin + 4 * CorvelCli::kLegendLineHeight);
  for (std::size_t i = 0; i < legend.size(); ++i) {
    const int row = pageHeight + CorvelCli::kLegendMargin + int(i) * CorvelCli::kLegendLineHeight +
                    CorvelCli::kSwatchHeight / 2;
    const std::uint8_t* swatch =
        &image.rgb[(std::size_t(row) * image.width + CorvelCli::kLegendMargin + 4) * 3];
    EXPECT_EQ((CorvelCli::Rgb{swatch[0], swatch[1], swatch[2]}), legend[i].second)
        << legend[i].first;
  }
  const auto report = nlohmann::json::parse(ReadBytes(folder / "r.json"));
  EXPECT_NEAR(report["pages"][0]["areasInSquarePoints"]["involved"].get<double>(), 42800, 0.5);
}

TEST_F(PreviewPicture, EachAreaShowsItsCategoriesColours) {
  EXPECT_TRUE(MarkedWith(PixelAtPoint(290, 620), {kInvolved}));  // shadow, beside its headline
  EXPECT_TRUE(MarkedWith(PixelAtPoint(200, 375), {kInvolved, kRasterised}));  // photo
  EXPECT_TRUE(MarkedWith(PixelAtPoint(300, 200), {kOverprinting}));           // the rule
  EXPECT_TRUE(MarkedWith(PixelAtPoint(420, 725), {kInvolved}));  // highlight, beside its note
  // The note's glyphs are outlined; the headline above the shadow stays text.
  EXPECT_GT(CountMarked(320, 700, 380, 718, {kInvolved, kText}), 50);
  EXPECT_EQ(CountMarked(100, 600, 300, 640, {kInvolved, kText}), 0);
}

TEST_F(PreviewPicture, WhatNothingInvolvesStaysGray) {
  const std::uint8_t* panel = PixelAtPoint(450, 125);
  EXPECT_EQ(panel[0], panel[1]);
  EXPECT_EQ(panel[1], panel[2]);
  EXPECT_GT(panel[0], 60);
  EXPECT_LT(panel[0], 200);
  const std::uint8_t* paper = PixelAtPoint(500, 500);
  EXPECT_EQ((CorvelCli::Rgb{paper[0], paper[1], paper[2]}), (CorvelCli::Rgb{255, 255, 255}));
  // The headline's own pixels are dark under the shadow's mark only.
  EXPECT_GT(CountMarked(110, 605, 240, 636, {kInvolved}), 1000);
}

class TurnedPreviewPicture : public PreviewPicture {
 protected:
  int Rotation() const override { return 90; }
};

TEST_F(TurnedPreviewPicture, MarksTurnWithThePage) {
  EXPECT_EQ(image.width, static_cast<int>(842 * kScale));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(290, 620), {kInvolved}));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(200, 375), {kInvolved, kRasterised}));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(300, 200), {kOverprinting}));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(450, 125), {}));
  EXPECT_FALSE(MarkedWith(PixelAtPoint(450, 125), {kInvolved}));
}

// A crop box that shows the shadow and the photo only: the picture is the crop box, and the
// legend counts only what lies in it.
class CroppedPreviewPicture : public PreviewPicture {
 protected:
  std::string CropBox() const override { return "[50 250 350 660]"; }
  double VisibleLeft() const override { return 50; }
  double VisibleTop() const override { return 660; }
};

TEST_F(CroppedPreviewPicture, ShowsAndMeasuresTheCropBoxOnly) {
  EXPECT_NE(outcome.out.find(" 600 x 820 pixels"), std::string::npos) << outcome.out;
  EXPECT_EQ(image.width, 600);
  // Shadow and photo, 8,000 and 30,000 sq pt; the highlight, its note and the rule lie outside.
  EXPECT_NE(outcome.out.find("38000.00 sq pt"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("text outlined  #00aa3c  0.00 sq pt"), std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("overprinting  #dc00c8  0.00 sq pt"), std::string::npos)
      << outcome.out;
  const auto report = nlohmann::json::parse(ReadBytes(folder / "r.json"));
  EXPECT_NEAR(report["pages"][0]["areasInSquarePoints"]["involved"].get<double>(), 38000, 0.5);
  // The marks lie where Ghostscript drew their objects inside the cropped picture.
  EXPECT_TRUE(MarkedWith(PixelAtPoint(290, 620), {kInvolved}));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(200, 375), {kInvolved, kRasterised}));
  EXPECT_TRUE(MarkedWith(PixelAtPoint(320, 500), {}));
  EXPECT_FALSE(MarkedWith(PixelAtPoint(320, 500), {kInvolved}));
  EXPECT_GT(CountMarked(110, 605, 240, 636, {kInvolved}), 1000);
}

// The flatten report measures the same visible page as the preview.
TEST_F(CroppedPreviewPicture, FlattenReportMeasuresTheCropBoxToo) {
  const auto flattened = RunCorvel("flatten '" + input.string() + "' -o '" +
                                       (folder / "f.pdf").string() + "' --report '" +
                                       (folder / "f.json").string() + "'",
                                   folder);
  ASSERT_EQ(flattened.status, 0) << flattened.err;
  const auto report = nlohmann::json::parse(ReadBytes(folder / "f.json"));
  const auto& areas = report["pages"][0]["areasInSquarePoints"];
  EXPECT_NEAR(areas["involved"].get<double>(), 38000, 0.5);
  EXPECT_NEAR(areas["textOutlined"].get<double>(), 0, 0.5);
}

}  // namespace
