// Luminosity soft masks whose group blends in DeviceRGB or DeviceGray, as RGB layouts write drop
// shadows and fades: the mask reads its RGB fills, shadings and pictures in their own values
// (Y = .30 R + .59 G + .11 B), not after a trip through the output CMYK, so full black under the
// mask prints Y of ink.
#include <gtest/gtest.h>

#include <cmath>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

struct MaskedSquare {
  std::string groupSpace;
  std::string maskContent;  // paints the whole page in mask space
  double x, y;              // the probe, inside the square
  double luminosity;        // by hand
  bool painted = true;      // false: a second probe of the square before it
};

class SoftMaskSpaceFile : public FileTest {
 protected:
  std::vector<MaskedSquare> squares{
      {"/DeviceRGB", "0.24 0.24 0.24 rg 0 0 595 842 re f", 150, 650, 0.24},
      // White at x 300 to black at x 500: a quarter of the way along, .75 of white.
      {"/DeviceRGB", "/Ramp sh", 350, 650, 0.75},
      {"/DeviceRGB", "/Ramp sh", 450, 650, 0.25, false},
      {"/DeviceGray", "0.8 0.2 0.4 rg 0 0 595 842 re f", 150, 450, 0.30 * 0.8 + 0.59 * 0.2 + 0.11 * 0.4},
      // An RGB picture of one pixel (204 51 102) over the whole page.
      {"/DeviceRGB", "595 0 0 842 0 0 cm /Pixel Do", 150, 250,
       0.30 * 0.8 + 0.59 * 0.2 + 0.11 * 0.4},
  };

  void WriteInput() {
    TestFile file;
    auto ramp = file.Object(
        "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [300 0 500 0] /Extend [true true] "
        "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0 0] /N 1 >> >>");
    auto pixel = file.Stream("\xcc\x33\x66", "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 "
                                              "/ColorSpace /DeviceRGB /BitsPerComponent 8 >>");
    auto states = Handle::newDictionary();
    std::string content;
    for (std::size_t i = 0; i < squares.size(); ++i) {
      const auto& square = squares[i];
      if (!square.painted) continue;
      auto group = file.Stream(square.maskContent,
                               "<< /Type /XObject /Subtype /Form /BBox [0 0 595 842] /Group << /S "
                               "/Transparency /CS " + square.groupSpace + " >> >>");
      group.getDict().replaceKey("/Resources",
                                 Handle::parse("<< /Shading << >> /XObject << >> >>"));
      group.getDict().getKey("/Resources").getKey("/Shading").replaceKey("/Ramp", ramp);
      group.getDict().getKey("/Resources").getKey("/XObject").replaceKey("/Pixel", pixel);
      auto state = Handle::parse("<< /Type /ExtGState /SMask << /S /Luminosity >> >>");
      state.getKey("/SMask").replaceKey("/G", group);
      const std::string name = "M" + std::to_string(i);
      states.replaceKey("/" + name, state);
      // Squares sharing a probe row sit side by side.
      const int left = square.x < 300 ? 50 : 300;
      content += "q /" + name + " gs 0 0 0 1 k " + std::to_string(left) + " " +
                 std::to_string(static_cast<int>(square.y) - 50) + " 200 100 re f Q\n";
    }
    auto resources = Handle::newDictionary();
    resources.replaceKey("/ExtGState", states);
    file.AddPage(content, resources);
    file.Save(input);
  }
};

TEST_F(SoftMaskSpaceFile, RgbAndGrayMaskGroupsMaskByTheLuminosityOfTheirOwnValues) {
  WriteInput();
  ASSERT_EQ(Flatten().pagesLeftAsTheyWere, 0);
  const auto flattened = CorvelOracle::RenderPdfPage(output.string(), 1, 100,
                                                     CorvelOracle::ColorConversion::ManagedCmykGroups);
  for (const auto& square : squares) {
    EXPECT_NEAR(flattened.TintAt("Black", square.x, square.y), square.luminosity, 2.5 / 255)
        << square.groupSpace << " mask " << square.maskContent << " at " << square.x;
    EXPECT_NEAR(flattened.TintAt("Cyan", square.x, square.y), 0, 1.0 / 255);
  }
}

TEST_F(SoftMaskSpaceFile, PrintsTheSame) {
  WriteInput();
  ASSERT_EQ(Flatten().pagesLeftAsTheyWere, 0);
  ExpectPrintsTheSame(1);
}

}  // namespace
