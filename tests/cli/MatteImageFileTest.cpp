// Images whose soft mask carries /Matte hold colours already mixed with the matte by their
// opacity, as some layout programs export shadows and feathered photos: flattened, a
// half-covered pixel prints its own colour at half strength, not the matte-mixed colour again.
#include <gtest/gtest.h>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

class MatteImageFile : public FileTest {
 protected:
  // A CMYK image of two pixels, C .8 M .4 K .2 at full and at half opacity, pre-multiplied with
  // a paper-white matte (tints 0), so stored as the colour times its opacity.
  void WriteInput() {
    TestFile file;
    auto mask = file.Stream(std::string("\xff\x80", 2),
                            "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace "
                            "/DeviceGray /BitsPerComponent 8 /Matte [0 0 0 0] >>");
    const std::string pixels =
        std::string("\xcc\x66\x00\x33", 4) + std::string("\x66\x33\x00\x1a", 4);
    auto image = file.Stream(pixels, "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 "
                                     "/ColorSpace /DeviceCMYK /BitsPerComponent 8 >>");
    image.getDict().replaceKey("/SMask", mask);
    auto resources = Handle::parse("<< /XObject << >> >>");
    resources.getKey("/XObject").replaceKey("/Im", image);
    file.AddPage("q 400 0 0 200 100 500 cm /Im Do Q", resources);
    file.Save(input);
  }
};

TEST_F(MatteImageFile, HalfCoveredPixelsPrintTheirOwnColourAtHalfStrength) {
  WriteInput();
  const auto report = Flatten();
  ASSERT_EQ(report.pagesLeftAsTheyWere, 0);
  for (const auto& warning : report.warnings)
    EXPECT_EQ(warning.find("Matte"), std::string::npos) << warning;
  const auto flattened = CorvelOracle::RenderPdfPage(output.string(), 1, 100,
                                                     CorvelOracle::ColorConversion::ManagedCmykGroups);
  const double tolerance = 2.5 / 255;
  // The opaque pixel, then the half-covered one over white paper: its colour times its opacity,
  // which is what it stores (read again as unmixed, it would print at a quarter strength).
  EXPECT_NEAR(flattened.TintAt("Cyan", 200, 600), 0.8, tolerance);
  EXPECT_NEAR(flattened.TintAt("Black", 200, 600), 0.2, tolerance);
  EXPECT_NEAR(flattened.TintAt("Cyan", 400, 600), 0x66 / 255.0, tolerance);
  EXPECT_NEAR(flattened.TintAt("Magenta", 400, 600), 0x33 / 255.0, tolerance);
  EXPECT_NEAR(flattened.TintAt("Black", 400, 600), 0x1a / 255.0, tolerance);
  ExpectPrintsTheSame(1);
}

}  // namespace
