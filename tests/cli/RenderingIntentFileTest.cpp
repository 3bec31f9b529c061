// Rendering intents per object: fills and an image under transparency, set through /RI, ri and
// an image's /Intent, convert into the output intent's CMYK with their own intent (as lcms2
// converts them straight), and the flattened file prints as Ghostscript prints the original,
// which honours them too; --intent converts every object with one intent. Objects the
// transparency does not touch keep the intent they were painted with.
#include <gtest/gtest.h>

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <set>

#include <cli/Verify.h>
#include <values/ColorManagement.h>
#include <tests/IntentTestProfile.h>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

const char* const kIntentNames[] = {"Perceptual", "RelativeColorimetric", "Saturation", "AbsoluteColorimetric"};

// A 60 pt square at half opacity over paper, painted by `setup`, with its centre and the intent
// its colour should convert with (-1: none set).
struct Square {
  std::string setup;
  int intent;
  bool image = false;
  double x = 0, y = 0;
};

std::vector<Square> Squares() {
  std::vector<Square> squares{{"", -1}};
  for (int i = 0; i < 4; ++i) squares.push_back({"/" + std::string(kIntentNames[i]) + " gs", i});
  for (int i = 0; i < 4; ++i) squares.push_back({"/" + std::string(kIntentNames[i]) + " ri", i});
  // The image's own intent wins over the graphics state's.
  squares.push_back({"/Perceptual ri", 2, true});
  for (std::size_t i = 0; i < squares.size(); ++i) {
    squares[i].x = 70 + 100.0 * static_cast<double>(i % 5);
    squares[i].y = 730 - 100.0 * static_cast<double>(i / 5);
  }
  return squares;
}

const float kRgb[] = {0.2f, 0.6f, 0.9f};

class RenderingIntentFile : public FileTest {
 protected:
  // The squares, and below them, away from all transparency, squares painted opaque whose
  // intent is set by ri and by graphics states, one after the other (the later one counts).
  void WriteInput() {
    TestFile file;
    auto intent = Handle::parse("<< /Type /OutputIntent /S /GTS_PDFX /OutputConditionIdentifier (Test) >>");
    const auto profile = IntentTestProfile();
    intent.replaceKey("/DestOutputProfile", file.Stream(std::string(profile.begin(), profile.end()), "<< /N 4 >>"));
    file.Pdf().getRoot().replaceKey("/OutputIntents", Handle::newArray({intent}));
    std::string states = "/Half << /ca 0.5 >> ";
    for (const char* name : kIntentNames) states += "/" + std::string(name) + " << /RI /" + name + " /ca 0.5 >> ";
    states += "/OpaqueP << /RI /Perceptual >> /OpaqueS << /RI /Saturation >>";
    auto resources = Handle::parse("<< /ExtGState << " + states + " >> >>");
    std::string pixels;
    for (int i = 0; i < 4; ++i)
      for (float v : kRgb) pixels += static_cast<char>(std::lround(v * 255));
    resources.replaceKey("/XObject", Handle::newDictionary());
    resources.getKey("/XObject").replaceKey(
        "/Im", file.Stream(pixels, "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace "
                                   "/DeviceRGB /BitsPerComponent 8 /Intent /Saturation >>"));
    std::string content;
    for (const auto& square : Squares()) {
      const std::string place = std::to_string(square.x - 30) + " " + std::to_string(square.y - 30);
      content += "q /Half gs " + square.setup + " ";
      content += square.image ? "60 0 0 60 " + place + " cm /Im Do Q\n"
                              : "0.2 0.6 0.9 rg " + place + " 60 60 re f Q\n";
    }
    content += "q /Saturation ri /OpaqueP gs 0.9 0.3 0.1 rg 40 100 60 60 re f Q\n";
    content += "q /OpaqueS gs /Perceptual ri 0.9 0.3 0.1 rg 140 100 60 60 re f Q\n";
    content += "q /OpaqueS gs 0.9 0.3 0.1 rg 240 100 60 60 re f Q\n";
    file.AddPage(content, resources);
    file.Save(input);
  }

  // Each square's inks in the flattened file (Ghostscript keeps its CMYK as it is: the output
  // intent's profile is its output and DeviceCMYK's) against half of lcms2's conversion with the
  // intent expected, `fallback` for squares that set none.
  void ExpectSquaresConvertedWith(int fallback, bool overridden) {
    std::ifstream rgbFile(MavColor::DefaultProfilePath("default_rgb.icc"), std::ios::binary);
    const std::vector<std::uint8_t> rgbProfile((std::istreambuf_iterator<char>(rgbFile)), {});
    const auto outputProfile = IntentTestProfile();
    const auto render = CorvelOracle::RenderPdfPage(output.string(), 1, 72,
                                                    CorvelOracle::ColorConversion::ManagedCmykGroups);
    for (const auto& square : Squares()) {
      const int intent = overridden || square.intent < 0 ? fallback : square.intent;
      const auto expected = LcmsRgbToCmyk(rgbProfile, outputProfile, kRgb, intent);
      const char* const inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
      for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(render.TintAt(inks[i], square.x, square.y), 0.5 * expected[i], 1.0 / 255)
            << inks[i] << " of the square set by '" << square.setup << "'" << (square.image ? " (image)" : "");
    }
  }
};

TEST_F(RenderingIntentFile, EachObjectConvertsWithItsOwnIntentAndPrintsTheSame) {
  WriteInput();
  const auto report = Flatten();
  ASSERT_TRUE(report.pages.at(0).replaced);
  EXPECT_NE(report.colorConversion.find("objects' own intents honoured"), std::string::npos)
      << report.colorConversion;
  ExpectSquaresConvertedWith(0, false);
  ExpectPrintsTheSame(1);
  // The opaque squares were left as they were, each with the intent set last.
  QPDF written;
  written.processFile(output.c_str());
  auto page = QPDFPageDocumentHelper(written).getAllPages().front();
  std::string content;
  for (auto& stream : page.getPageContents()) {
    const auto data = stream.getStreamData();
    content.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
  }
  EXPECT_NE(content.find("/Perceptual ri"), std::string::npos);
  std::set<std::string> set;
  for (auto& [name, state] : page.getAttribute("/Resources", false).getKey("/ExtGState").getDictAsMap())
    if (state.hasKey("/RI")) set.insert(state.getKey("/RI").getName());
  EXPECT_EQ(set, (std::set<std::string>{"/Perceptual", "/Saturation"}));
}

TEST_F(RenderingIntentFile, IntentGivenConvertsEveryObjectWithItAndPrintsTheSame) {
  WriteInput();
  CorvelCli::FileSettings settings;
  settings.intent = 2;
  auto report = Flatten(settings);
  ASSERT_TRUE(report.pages.at(0).replaced);
  EXPECT_NE(report.colorConversion.find("intent saturation for every object"), std::string::npos)
      << report.colorConversion;
  ExpectSquaresConvertedWith(2, true);
  // As flatten --verify compares: Ghostscript told the same intent.
  EXPECT_TRUE(CorvelCli::VerifyPages(input.string(), output.string(), settings, report));
  EXPECT_TRUE(report.pages[0].check && report.pages[0].check->agrees);
}

}  // namespace
