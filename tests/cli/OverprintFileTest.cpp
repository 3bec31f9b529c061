// Overprint on flattened pages: where transparency reaches an overprinting object, the replaced
// artwork prints what overprint would (Ghostscript's separation device, which honours
// overprint, renders the original); objects away from all transparency keep their flags.
#include <gtest/gtest.h>

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <string>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

// Graphics states, a spot varnish, a Separation on the process cyan, a CMYK image, a magenta
// ramp, a font and two groups (non-isolated and knockout) holding an overprinting yellow.
Handle Resources(TestFile& file) {
  auto resources = Handle::parse(R"(<<
    /ExtGState << /OP1 << /OP true /OPM 1 >> /OP0 << /OP true /OPM 0 >> /Half << /ca 0.5 /CA 0.5 >>
                  /Varnish60 << /ca 0.6 >> /Multiply << /BM /Multiply >> /Screen << /BM /Screen >>
                  /Difference << /BM /Difference >>
                  /Plain << /OP false /op false /ca 1 /CA 1 /BM /Normal >> >>
    /ColorSpace << /Varnish [/Separation /Varnish /DeviceCMYK
                              << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0.3 0] /N 1 >>]
                   /ProcessCyan [/Separation /Cyan /DeviceCMYK
                              << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >>] >>
    /Shading << /Ramp << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 200 0] /Extend [true true]
                 /Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 1 >> >> >>
  >>)");
  resources.replaceKey("/Font", Handle::parse("<< >>"));
  resources.getKey("/Font").replaceKey(
      "/F", file.Object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"));
  std::string ramp;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ramp += {'\0', static_cast<char>(x * 17), '\0', '\0'};
  auto xobjects = Handle::newDictionary();
  xobjects.replaceKey("/Im", file.Stream(ramp, "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 "
                                               "/ColorSpace /DeviceCMYK /BitsPerComponent 8 >>"));
  const std::string inner = "0 1 0 0 k 20 20 100 100 re f /OP1 gs 0 0 1 0 k 60 60 100 100 re f";
  for (const auto& [name, flags] : {std::pair{"/Group", ""}, std::pair{"/Knockout", "/K true"}}) {
    auto form = file.Stream(inner, std::string("<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] "
                                               "/Group << /S /Transparency ") + flags + " >> >>");
    form.getDict().replaceKey("/Resources", resources.shallowCopy());
    xobjects.replaceKey(name, form);
  }
  resources.replaceKey("/XObject", xobjects);
  return resources;
}

struct OverprintCase {
  const char* name;
  const char* content;
};

const std::string kCyanPage = "1 0 0 0 k 0 0 200 200 re f ";

class OverprintFile : public FileTest, public ::testing::WithParamInterface<OverprintCase> {
 protected:
  void Write(const std::string& content) {
    TestFile file;
    file.AddPage(content, Resources(file));
    file.Save(input);
  }
  // Whether any graphics state of page 1 of `path` sets overprint on.
  static bool SetsOverprint(const fs::path& path) {
    QPDF pdf;
    pdf.processFile(path.c_str());
    auto page = QPDFPageDocumentHelper(pdf).getAllPages().front();
    auto states = page.getAttribute("/Resources", false).getKey("/ExtGState");
    if (!states.isDictionary()) return false;
    for (auto& [key, state] : states.getDictAsMap()) {
      for (const char* flag : {"/OP", "/op"})
        if (state.getKey(flag).isBool() && state.getKey(flag).getBoolValue()) return true;
    }
    return false;
  }
};

// The cases of overprint under transparency a print shop meets.
const OverprintCase kCases[] = {
    // A cyan background, a magenta square overprinting it (OPM 1), yellow at .5 over both.
    {"ThreeObjectPage", "1 0 0 0 k 0 0 200 200 re f q /OP1 gs 0 1 0 0 k 40 40 80 80 re f Q "
                        "/Half gs 0 0 1 0 k 80 80 100 100 re f"},
    {"BlackTextOverACyanPanelUnderAShadow",
     "1 0 0 0 k 0 0 200 200 re f q /OP1 gs BT /F 60 Tf 0 0 0 1 k 10 80 Td (Hi) Tj ET Q "
     "/Half gs 0 1 0 0 k 50 50 100 100 re f"},
    {"SpotVarnishAtSixtyPercentOverCmykArt",
     "0.2 0.8 0 0 k 0 0 200 200 re f 0 0 1 0 k 100 0 100 100 re f "
     "/OP0 gs /Varnish60 gs /Varnish cs 1 scn 30 30 140 140 re f"},
    {"ZeroComponentsKeepTheBackdropOnlyInNonzeroMode",
     "1 0 0 0 k 0 0 200 200 re f q /OP0 gs 0 1 0 0 k 10 10 80 80 re f Q "
     "q /OP1 gs 0 1 0 0 k 110 10 80 80 re f Q /Half gs 0 0 1 0 k 0 60 200 60 re f"},
    {"SeparationOfAProcessInkPaintsThatInkOnly",
     "0 1 0 0 k 0 0 200 200 re f q /OP0 gs /ProcessCyan cs 0.5 scn 20 20 100 100 re f Q "
     "/Half gs 0 0 1 0 k 60 60 100 100 re f"},
    {"InsideANonIsolatedGroup", "1 0 0 0 k 0 0 200 200 re f /Group Do /Half gs 0 0 0 1 k 0 90 200 20 re f"},
    {"InsideAKnockoutGroup", "1 0 0 0 k 0 0 200 200 re f /Knockout Do /Half gs 0 0 0 1 k 0 90 200 20 re f"},
    {"InsideAGroupWithAlpha", "1 0 0 0 k 0 0 200 200 re f q /Half gs /Group Do Q"},
    {"ImageOverASpotUnderMultiply",
     "/Varnish cs 1 scn 0 0 200 200 re f 1 0 0 0 k 0 0 100 200 re f "
     "q /OP0 gs /Multiply gs 150 0 0 150 25 25 cm /Im Do Q"},
    {"ImageOverASpotUnderAlpha",
     "/Varnish cs 1 scn 0 0 200 200 re f q /OP0 gs 150 0 0 150 25 25 cm /Im Do Q "
     "/Half gs 0 0 1 0 k 60 60 100 100 re f"},
    {"ShadingOverASpotUnderMultiply",
     "/Varnish cs 1 scn 0 0 200 200 re f q /OP0 gs /Multiply gs 20 20 160 160 re W n /Ramp sh Q"},
    {"BlendModesOverPartialInks",
     "0.5 0 0 0 k 0 0 200 200 re f /Varnish cs 0.6 scn 0 0 100 200 re f "
     "q /OP0 gs /Multiply gs /Varnish cs 0.5 scn 20 20 60 160 re f Q "
     "q /OP1 gs /Screen gs 0 0.5 0 0 k 110 20 60 70 re f Q "
     "q /OP1 gs /Difference gs 0 0.5 0 0 k 110 110 60 70 re f Q"},
    {"ScreenWithZeroComponents", "1 0 0 0 k 0 0 200 200 re f q /OP1 gs /Screen gs 0 0.5 0.5 0 k 20 20 100 100 re f Q"},
    {"OverprintingStroke",
     "1 0 0 0 k 0 0 200 200 re f q /OP1 gs 0 1 0 0 K 8 w 20 20 100 100 re S Q "
     "/Half gs 0 0 1 0 k 60 60 100 100 re f"},
    {"OverprintingObjectAboveTheTransparency",
     "1 0 0 0 k 0 0 200 200 re f /Half gs 0 0 1 0 k 60 60 100 100 re f /Plain gs "
     "q /OP1 gs 0 1 0 0 k 20 20 100 100 re f Q"},
};

TEST_P(OverprintFile, PrintsTheSameAfterFlattening) {
  Write(GetParam().content);
  CorvelCli::FileSettings simulate;
  simulate.overprint = CorvelCli::OverprintHandling::Simulate;
  const auto report = Flatten(simulate);
  ASSERT_TRUE(report.pages.at(0).replaced);
  EXPECT_GE(report.pages[0].overprintsReplaced, 1u);
  ExpectPrintsTheSame(1);
  // The overprint is in the replaced artwork, not left to the device.
  EXPECT_FALSE(SetsOverprint(output));
}

INSTANTIATE_TEST_SUITE_P(Cases, OverprintFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class Overprint : public OverprintFile {};

// Knocking out instead of overprinting loses the cyan under the magenta square: the cases
// above would not notice a flattener that ignores overprint.
TEST_F(Overprint, DiscardKnocksOutAndSaysSo) {
  Write(kCases[0].content);
  CorvelCli::FileSettings discard;
  discard.overprint = CorvelCli::OverprintHandling::Discard;
  const auto report = Flatten(discard);
  EXPECT_NE(report.overprint.find("ignored"), std::string::npos) << report.overprint;
  const auto comparison = CompareWithInput(output);
  EXPECT_FALSE(comparison.Agrees());
}

// An overprinting square beside the transparency (on a background the transparency involves)
// stays as it was, flag and all.
TEST_F(Overprint, ObjectsAwayFromTransparencyKeepTheirFlag) {
  Write(kCyanPage + "q /OP1 gs 0 1 0 0 k 10 10 50 50 re f Q /Half gs 0 0 1 0 k 100 100 90 90 re f");
  const auto report = Flatten();
  ASSERT_TRUE(report.pages.at(0).replaced);
  EXPECT_EQ(report.pages[0].overprintsReplaced, 0u);
  EXPECT_TRUE(SetsOverprint(output));
  ExpectPrintsTheSame(1);
}

// By default (preserve) an overprinting object above the transparency stays live for the
// device, and overprinting black text over a shadow stays text; simulate replaces them. All
// print the same.
TEST_F(Overprint, ByDefaultOverprintAboveTheTransparencyIsLeftToTheDevice) {
  Write(kCases[std::size(kCases) - 1].content);
  const auto report = Flatten();
  EXPECT_EQ(report.pages.at(0).overprintsReplaced, 0u);
  EXPECT_TRUE(SetsOverprint(output));
  ExpectPrintsTheSame(1);
  Write(kCyanPage + "/Half gs 0 1 0 0 k 50 50 100 100 re f /Plain gs "
                    "q /OP1 gs BT /F 60 Tf 0 0 0 1 k 10 80 Td (Hi) Tj ET Q");
  const auto text = Flatten();
  EXPECT_EQ(text.pages.at(0).textRunsOutlined, 0u);
  EXPECT_TRUE(SetsOverprint(output));
  ExpectPrintsTheSame(1);
}

// Outline view rebuilds the objects of each stack and keeps their overprint.
TEST_F(Overprint, OutlineViewKeepsTheFlags) {
  Write(kCases[0].content);
  CorvelCli::FileSettings outline;
  outline.action = "outline";
  Flatten(outline);
  ExpectPrintsTheSame(1);
}

}  // namespace
