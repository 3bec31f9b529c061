// Tiling patterns on flattened pages: under transparency they are flattened and print as
// Ghostscript prints the original, plate by plate; away from it they come back as the file
// painted them, one pattern fill.
#include <gtest/gtest.h>
#include <io/pdf/reader/TransparencyScan.h>

#include <algorithm>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <string>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

// A CMYK backdrop half cyan, half magenta-yellow, under every case.
const std::string kBackdrop = "1 0 0 0 k 0 0 200 300 re f 0 0.6 0.6 0 k 200 0 200 300 re f ";

// Patterns: a coloured 12 pt cell (a cyan square and a black dot), an uncoloured one (two
// bars), one with a rotated matrix and steps wider than its box, and one whose cell holds a
// transparent yellow square over its magenta one.
Handle Resources(TestFile& file) {
  auto resources = Handle::parse(R"(<<
    /ExtGState << /Half << /ca 0.5 /CA 0.5 >> /Multiply << /BM /Multiply >> >>
    /ColorSpace << /Uncoloured [/Pattern /DeviceCMYK] >> >>)");
  auto patterns = Handle::newDictionary();
  const std::string tiling = "/PatternType 1 /TilingType 1 /Resources << >> ";
  patterns.replaceKey(
      "/Coloured",
      file.Stream("0.8 0 0.1 0 k 1 1 7 7 re f 0 0 0 1 k 8 8 3 3 re f",
                  "<< " + tiling + "/PaintType 1 /BBox [0 0 12 12] /XStep 12 /YStep 12 >>"));
  patterns.replaceKey(
      "/Uncoloured",
      file.Stream("0 0 12 3 re f 0 5 3 6 re f",
                  "<< " + tiling + "/PaintType 2 /BBox [0 0 12 12] /XStep 12 /YStep 12 >>"));
  patterns.replaceKey("/Rotated",
                      file.Stream("0 0.9 0.2 0 k 0 0 10 10 re f",
                                  "<< " + tiling +
                                      "/PaintType 1 /BBox [0 0 10 10] /XStep 25 /YStep 18 "
                                      "/Matrix [0.866 0.5 -0.5 0.866 7 3] >>"));
  // Ghostscript lays a cell holding transparency on whole device pixels, step by step: 24 pt is
  // 50 pixels at 150 ppi, so its tiles do not drift away from where the file puts them.
  patterns.replaceKey(
      "/Inner",
      file.Stream("0 1 0 0 k 0 0 15 15 re f /Half gs 0 0 1 0 k 8 8 14 14 re f",
                  "<< /PatternType 1 /TilingType 1 /PaintType 1 /BBox [0 0 24 24] /XStep 24 "
                  "/YStep 24 /Resources << /ExtGState << /Half << /ca 0.5 >> >> >> >>"));
  resources.replaceKey("/Pattern", patterns);
  // A luminosity mask fading from left to right.
  auto mask =
      file.Stream("/Ramp sh",
                  "<< /Type /XObject /Subtype /Form /BBox [0 0 400 300] "
                  "/Group << /S /Transparency /CS /DeviceGray >> /Resources << /Shading << /Ramp "
                  "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [40 0 360 0] /Function "
                  "<< /FunctionType 2 /Domain [0 1] /C0 [0.1] /C1 [1] /N 1 >> >> >> >> >>");
  auto masked = Handle::parse("<< /SMask << /S /Luminosity >> >>");
  masked.getKey("/SMask").replaceKey("/G", mask);
  resources.getKey("/ExtGState").replaceKey("/Masked", masked);
  resources.replaceKey("/Font", Handle::newDictionary());
  resources.getKey("/Font").replaceKey(
      "/F", file.Object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"));
  // A group that multiplies a pattern fill with what lies below it.
  auto group = file.Stream("/Pattern cs /Coloured scn 60 20 280 250 re f",
                           "<< /Type /XObject /Subtype /Form /BBox [0 0 400 300] "
                           "/Group << /S /Transparency >> >>");
  group.getDict().replaceKey("/Resources", resources.shallowCopy());
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Multiplied", group);
  return resources;
}

struct TilingCase {
  const char* name;
  const char* content;
};

// Where Ghostscript departs from ISO 32000-1 §11.6.7 the cases go round it. It applies the alpha
// in force when a pattern is chosen to the cell's content as well as to the object it paints
// (twice), where the cell should start from alpha 1: each case chooses its pattern first. It
// paints a pattern fill under a blend mode as Normal: the blend mode goes on a group holding it.
// And it paints nothing with an uncoloured pattern whose resources offer transparency.
const TilingCase kCases[] = {
    {"ColouredUnderHalfAlpha", "/Pattern cs /Coloured scn /Half gs 40 40 320 200 re f"},
    {"UncolouredUnderHalfAlpha",
     "/Uncoloured cs 0 0.7 0.3 0.1 /Uncoloured scn /Half gs 40 40 320 200 re f"},
    {"UnderMultiplyOverCmyk", "q /Multiply gs /Multiplied Do Q"},
    {"RotatedWithGapsUnderAlpha",
     "q 0.9 0 0 1.2 10 0 cm /Pattern cs /Rotated scn /Half gs 20 20 300 200 re f Q"},
    {"StrokeUnderAlpha",
     "14 w 1 J /Pattern CS /Coloured SCN /Half gs 40 40 m 360 260 l 360 40 l S"},
    {"TextUnderAlpha", "/Pattern cs /Coloured scn /Half gs BT /F 120 Tf 30 100 Td (Tile) Tj ET"},
    {"UnderASoftMask", "/Pattern cs /Coloured scn /Masked gs 40 40 320 200 re f"},
    {"TransparencyInsideTheCell",
     "/Pattern cs /Inner scn 30 30 340 240 re f /Half gs 0 0 0 1 k 150 100 100 100 re f"},
};

class TilingFile : public FileTest, public ::testing::WithParamInterface<TilingCase> {
 protected:
  void Write(const std::string& content) {
    TestFile file;
    file.AddPage(content, Resources(file));
    file.Save(input);
  }
  // Plate by plate at 150 ppi, like with like.
  void ExpectPrintsAsTheInput() {
    const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
    const auto comparison =
        CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), 1, 150, managed),
                              CorvelOracle::RenderPdfPage(output.string(), 1, 150, managed));
    EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
  }
  static QPDFPageObjectHelper FirstPage(QPDF& pdf, const fs::path& path) {
    pdf.processFile(path.c_str());
    return QPDFPageDocumentHelper(pdf).getAllPages().front();
  }
  // The operators of page 1 in order.
  static std::vector<std::string> Operators(const fs::path& path) {
    QPDF pdf;
    auto page = FirstPage(pdf, path);
    struct Collect : QPDFObjectHandle::ParserCallbacks {
      std::vector<std::string> operators;
      bool afterName = false;
      void handleObject(QPDFObjectHandle object) override {
        // scn after a name chooses a pattern: counted apart from colours.
        if (object.isOperator()) {
          const std::string op = object.getOperatorValue();
          operators.push_back(op == "scn" && afterName ? "scn pattern" : op);
        }
        afterName = object.isName();
      }
      void handleEOF() override {}
    } collect;
    page.parseContents(&collect);
    return collect.operators;
  }
};

TEST_P(TilingFile, FlattensAndPrintsTheSame) {
  Write(kBackdrop + GetParam().content);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages.at(0).replaced) << report.pages[0].leftAsItWas;
  QPDF out;
  EXPECT_FALSE(CorvelPdf::PageMayPaintTransparency(FirstPage(out, output).getObjectHandle()));
  ExpectPrintsAsTheInput();
}

INSTANTIATE_TEST_SUITE_P(Cases, TilingFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class TilingPassThrough : public TilingFile {};

// A pattern's dictionary and cell, as text.
std::string PatternText(QPDFObjectHandle pattern) {
  const auto data = pattern.getStreamData(qpdf_dl_all);
  return pattern.getDict().unparse() + "\n" +
         std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

// A pattern fill away from the transparency comes back as the one fill the file painted, with
// the same pattern object, not as its tiles.
TEST_F(TilingPassThrough, APatternFillNothingInvolvesIsWrittenAsTheFilePaintedIt) {
  Write(
      "q /Pattern cs /Coloured scn 20 20 150 150 re f Q q /Half gs 0 1 0 0 k 250 300 100 100 re f "
      "Q");
  QPDF in;
  const auto pattern = PatternText(FirstPage(in, input)
                                       .getAttribute("/Resources", false)
                                       .getKey("/Pattern")
                                       .getKey("/Coloured"));
  const auto report = Flatten();
  ASSERT_TRUE(report.pages.at(0).replaced);
  const auto operators = Operators(output);
  const auto count = [&](const std::string& op) {
    return std::count(operators.begin(), operators.end(), op);
  };
  EXPECT_EQ(count("scn pattern"), 1);
  EXPECT_EQ(count("f"), 2);  // the pattern fill and the flattened square
  QPDF out;
  auto used = FirstPage(out, output).getAttribute("/Resources", false).getKey("/Pattern");
  ASSERT_TRUE(used.isDictionary());
  ASSERT_EQ(used.getDictAsMap().size(), 1u);
  EXPECT_EQ(PatternText(used.getDictAsMap().begin()->second), pattern);
  ExpectPrintsAsTheInput();
}

// Outline view rebuilds a page with a pattern under transparency; it prints the same.
TEST_F(TilingPassThrough, OutlineViewPrintsTheSame) {
  Write(kBackdrop + kCases[0].content);
  CorvelCli::FileSettings outline;
  outline.action = "outline";
  Flatten(outline);
  ExpectPrintsAsTheInput();
}

}  // namespace
