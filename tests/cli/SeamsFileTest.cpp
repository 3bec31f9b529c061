// Seams between flattened pieces: with --seams none, pieces painted earlier reach under the
// pieces painted after them, so an anti-aliased render shows no hairline where two pieces meet,
// and the page still prints as the original. Each page has edges off the pixel grid, where a
// boundary pixel is shared and abutting pieces let the paper through.
#include <gtest/gtest.h>
#include <tools/oracle/Seams.h>

#include <random>
#include <string>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

constexpr double kSeamResolution = 200;
constexpr double kFineResolution = 400;
// Where the tip of a wedge narrower than a pixel meets a curve, Ghostscript's anti-aliasing
// and the seamless render part-cover it 11/255 apart at 200 ppi, in the original page too; the
// ellipse pages are judged at 300 ppi.
constexpr double kEllipseResolution = 300;

Handle Resources() {
  return Handle::parse(R"(<<
    /ExtGState << /Half << /ca 0.5 /CA 0.5 >> /Multiply << /BM /Multiply >>
                  /OP1 << /OP true /op true /OPM 1 >> /Plain << /ca 1 /CA 1 /BM /Normal >>
                  /Multiply60 << /BM /Multiply /ca 0.6 /CA 0.6 >> >>
    /Shading << /Ramp << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [10 0 210 0]
                 /Function << /FunctionType 2 /Domain [0 1] /C0 [0.1 0.6 0 0] /C1 [0.7 0.6 0 0]
                              /N 1 >> >> >>
  >>)");
}

struct SeamCase {
  const char* name;
  const char* content;
};

// Pages of flattened pieces meeting edge to edge, each in other company. The bars are slanted
// so that their edges cross pixels everywhere: an edge along a pixel row may leave no pixel
// shared.
const SeamCase kCases[] = {
    // A cyan panel, a magenta bar at half alpha across it and beyond: three flat pieces.
    {"FlatPieces",
     "0.6 0 0 0 k 10.3 10.3 140.4 140.4 re f "
     "/Half gs 0 0.7 0 0 k 60 40 m 205 75 l 190 135 l 45 100 l h f"},
    // A cyan panel, a cyan square, a ramp multiplied over the panel's right part and beyond,
    // and a multiplied yellow bar from the ramp into the square: flat pieces painted before
    // rendered ones and after them. Ghostscript clips images to every pixel they touch, so its
    // seams show between the flat pieces.
    {"FlatAndRenderedPieces",
     "0.5 0 0 0 k 10.3 10.3 100.2 160.4 re f 0.4 0 0 0 k 170 40 30 140 re f "
     "q /Multiply gs 60.37 30.3 90.22 120.2 re W n /Ramp sh Q "
     "/Multiply gs 0 0 0.8 0 k 120 60 m 195 70 l 190 120 l 115 110 l h f"},
    // An opaque black square painted between the panel and the bar, away from the bar: it
    // stays as it is, between the panel's pieces and the bar's.
    {"PiecesAroundAnUntouchedObject",
     "0.6 0 0 0 k 10.3 10.3 140.4 140.4 re f 0 0 0 1 k 15.2 15.6 25 20 re f "
     "/Half gs 0 0.7 0 0 k 60 40 m 205 75 l 190 135 l 45 100 l h f"},
    // A yellow panel, a cyan panel beside it and a magenta bar multiplied across both and the
    // gap: the bar alone lies between two pieces painted before it, and borders both.
    {"PiecesBetweenTwoEarlierPieces",
     "0 0 0.6 0 k 10.3 10.3 80.4 180.2 re f 0.6 0 0 0 k 120.6 10.3 80.4 180.2 re f "
     "/Multiply gs 0 0.7 0 0 k 40 70 m 180 80 l 175 130 l 45 120 l h f"},
    // The panel and the bar inside a clip, and an overprinting yellow square above the
    // transparency that stays live for the device.
    // A cyan panel and a magenta panel at half alpha beside it, and a yellow bar multiplied
    // across their border: where the bar's edges cross it, three and four pieces meet, and a
    // region taken whole would show its edge between the two others (161 seam pixels so).
    {"ThreePieceCorners",
     "0.6 0 0 0 k 10.3 10.3 100.2 180.4 re f /Half gs 0 0.6 0 0 k 110.5 10.3 100.2 180.4 re f "
     "/Multiply gs 0 0 0.7 0 k 60.3 70.2 m 160.5 85.3 l 150.5 140.1 l 55.2 130.4 l h f"},
    // Yellow, cyan and magenta panels meeting at a point and a black bar multiplied across it:
    // each region the bar leaves of a panel meets several pieces painted before it (434 seam
    // pixels when regions were taken whole only).
    {"RegionMetBySeveralEarlierPieces",
     "0 0 0.6 0 k 10.3 100.3 100.4 100.2 re f 0.6 0 0 0 k 110.7 100.3 100.4 100.2 re f "
     "0 0.5 0 0 k 10.3 10.3 200.2 90.0 re f "
     "/Multiply gs 0 0 0 0.6 k 60 60 m 170 75 l 160 150 l 50 140 l h f"},
    {"ClipGroupAndOverprint",
     "q 20 30 m 160 20 l 170 160 l 30 150 l h W n "
     "0.6 0 0 0 k 10.3 10.3 140.4 140.4 re f "
     "/Half gs 0 0.7 0 0 k 60 40 m 205 75 l 190 135 l 45 100 l h f Q "
     "/Plain gs q /OP1 gs 0 0 1 0 k 120.2 130.4 50.3 40.1 re f Q"},
};

class SeamsFile : public FileTest, public ::testing::WithParamInterface<SeamCase> {
 protected:
  void Write(const std::string& content) {
    TestFile file;
    auto page = file.AddPage(content, Resources());
    page.replaceKey("/MediaBox", Handle::parse("[0 0 220 220]"));
    file.Save(input);
  }
  // Flattens the input into `path` with `seams`; the page must be replaced.
  void FlattenInto(const fs::path& path, Corvel::Seams seams) {
    CorvelCli::FileSettings settings;
    settings.seams = seams;
    const auto report = CorvelCli::RunOnFile(input.string(), path.string(), settings);
    ASSERT_TRUE(report.pages.at(0).replaced);
  }
  static std::size_t Seams(const fs::path& path, double resolution = kSeamResolution) {
    return CorvelOracle::CountSeams(path.string(), 1, resolution,
                                    CorvelOracle::ColorConversion::ManagedCmykGroups)
        .pixels;
  }
};

TEST_P(SeamsFile, NoneLeavesNoSeamAndPrintsTheSame) {
  Write(GetParam().content);
  const fs::path abut = folder / "abut.pdf";
  FlattenInto(abut, Corvel::Seams::Abut);
  FlattenInto(output, Corvel::Seams::None);
  // The measure sees the seams abutting pieces leave on this very page.
  EXPECT_GT(Seams(abut), 20u);
  EXPECT_EQ(Seams(output), 0u);
  EXPECT_EQ(Seams(input), 0u);
  ExpectPrintsTheSame(1);
}

INSTANTIATE_TEST_SUITE_P(Pages, SeamsFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Seeded pages of slanted quadrilaterals in one ink each, every other one multiplied: many
// pieces meet at three-piece corners. Each page still prints as the original and shows no seam,
// where abutting pieces show 1,770 seam pixels on the six pages.
class SeamsRandomPage : public SeamsFile {
 protected:
  static std::string SlantedQuads(unsigned seed) {
    const char* inks[] = {"1 0 0 0", "0 1 0 0", "0 0 1 0", "0 0 0 1"};
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> at(20, 150), size(40, 90), tint(0.3, 0.7);
    std::string content;
    for (int i = 0; i < 12; ++i) {
      const double x = at(random), y = at(random), w = size(random), h = size(random);
      const double lean = 0.3 * w;
      std::string colour = inks[i % 4];
      colour.replace(colour.find('1'), 1, std::to_string(tint(random)));
      content += std::string(i % 2 ? "/Multiply gs " : "/Plain gs ") + colour + " k " +
                 std::to_string(x) + " " + std::to_string(y) + " m " + std::to_string(x + w) +
                 " " + std::to_string(y + lean) + " l " + std::to_string(x + w - lean) + " " +
                 std::to_string(y + h + lean) + " l " + std::to_string(x - lean) + " " +
                 std::to_string(y + h) + " l h f ";
    }
    return content;
  }
};

TEST_F(SeamsRandomPage, NoneLeavesNoSeamAndPrintsTheSame) {
  std::size_t abutting = 0, none = 0;
  for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Write(SlantedQuads(seed));
    const fs::path abut = folder / "abut.pdf";
    FlattenInto(abut, Corvel::Seams::Abut);
    FlattenInto(output, Corvel::Seams::None);
    const std::size_t pageAbutting = Seams(abut), pageNone = Seams(output);
    EXPECT_GT(pageAbutting, 100u);
    abutting += pageAbutting;
    none += pageNone;
    ExpectPrintsTheSame(1);
    // Finer than a band is wide (0.5 pt or more, 3 pixels here): a band reaching over anything but its
    // own and the later piece's regions would differ from the abutting pieces off the outlines.
    const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
    const auto fine = CorvelOracle::Compare(
        CorvelOracle::RenderPdfPage(abut.string(), 1, kFineResolution, managed),
        CorvelOracle::RenderPdfPage(output.string(), 1, kFineResolution, managed));
    EXPECT_TRUE(fine.Agrees()) << fine.Report();
  }
  EXPECT_GT(abutting, 1000u);
  EXPECT_EQ(none, 0u);
}

// Seeded pages of ellipses in half tints of one ink each, every third multiplied at 60 %: curved
// borders, slivers where two ellipses nearly touch, and regions met by many earlier pieces. A
// band reaching over a sliver beside a piece painted before it showed its colour between the
// two (3 seam pixels on these pages before bands kept off such borders; abutting pieces show
// 6,637).
class SeamsEllipsePage : public SeamsFile {
 protected:
  static std::string Ellipses(unsigned seed) {
    const char* inks[] = {"0.5 0 0 0", "0 0.5 0 0", "0 0 0.5 0", "0 0 0 0.5"};
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> at(10, 210), radius(8, 45);
    // A quarter ellipse's control points lie this far along the tangents.
    constexpr double kArc = 0.5523;
    std::string content;
    const auto point = [](double x, double y) {
      return std::to_string(x) + " " + std::to_string(y) + " ";
    };
    for (int i = 0; i < 40; ++i) {
      const double x = at(random), y = at(random), rx = radius(random), ry = radius(random);
      content += std::string(i % 3 == 0 ? "/Multiply60 gs " : "/Plain gs ") + inks[i % 4] +
                 " k " + point(x + rx, y) + "m " + point(x + rx, y + kArc * ry) +
                 point(x + kArc * rx, y + ry) + point(x, y + ry) + "c " +
                 point(x - kArc * rx, y + ry) + point(x - rx, y + kArc * ry) + point(x - rx, y) +
                 "c " + point(x - rx, y - kArc * ry) + point(x - kArc * rx, y - ry) +
                 point(x, y - ry) + "c " + point(x + kArc * rx, y - ry) +
                 point(x + rx, y - kArc * ry) + point(x + rx, y) + "c f ";
    }
    return content;
  }
};

TEST_F(SeamsEllipsePage, NoneLeavesNoSeamAndPrintsTheSame) {
  std::size_t abutting = 0;
  for (const unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Write(Ellipses(seed));
    const fs::path abut = folder / "abut.pdf";
    FlattenInto(abut, Corvel::Seams::Abut);
    FlattenInto(output, Corvel::Seams::None);
    abutting += Seams(abut, kEllipseResolution);
    EXPECT_EQ(Seams(output, kEllipseResolution), 0u);
    ExpectPrintsTheSame(1);
  }
  EXPECT_GT(abutting, 5000u);
}

class SeamsReport : public FileTest {};

// The report says which seam mode made the file; none is the default.
TEST_F(SeamsReport, NamesTheSeamMode) {
  TestFile file;
  file.AddPage("0.6 0 0 0 k 10 10 100 100 re f /Half gs 0 0.7 0 0 k 50 50 100 100 re f",
               Resources());
  file.Save(input);
  CorvelCli::FileSettings settings;
  EXPECT_EQ(Flatten(settings).seams, "none");
  settings.seams = Corvel::Seams::Abut;
  EXPECT_EQ(Flatten(settings).seams, "abut");
}

}  // namespace
