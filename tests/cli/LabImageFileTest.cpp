// Images in a Lab colour space under transparency are flattened: their pixels convert through
// the profiles as flat Lab colours do, 8 and 16 bits, over their /Range and /Decode, managed
// or naive, and the flattened file prints as Ghostscript prints the original.
//
// Ghostscript (10.0) reads a Lab image's samples as a*, b* over -128..127 whatever its /Range and
// /Decode say: images with others are judged against flat Lab fills of their decoded values too,
// and the oracle hands Ghostscript such images re-encoded over its reading.
#include <gtest/gtest.h>

#include <cmath>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

// Lab values of a 2 × 2 image, row by row from the top: a light green, a dark blue, a red and
// paper white.
constexpr double kLab[4][3] = {{80, -40, 30}, {30, 20, -50}, {50, 60, 40}, {100, 0, 0}};

// The samples of kLab read over `decode` (L, a, b pairs) with `bits` per component.
std::string LabSamples(const double (&decode)[6], int bits) {
  const double top = std::ldexp(1.0, bits) - 1;
  std::string bytes;
  for (const auto& pixel : kLab)
    for (int c = 0; c < 3; ++c) {
      const auto sample = static_cast<unsigned>(
          std::lround((pixel[c] - decode[2 * c]) / (decode[2 * c + 1] - decode[2 * c]) * top));
      if (bits == 16) bytes += static_cast<char>(sample >> 8);
      bytes += static_cast<char>(sample & 0xFF);
    }
  return bytes;
}

// A 2 × 2 Lab image of kLab with `range` (a*, b*) and, when `decode` differs from the range's
// own reading, that /Decode.
Handle LabImage(TestFile& file, int bits, const std::string& range, const double (&decode)[6],
                bool withDecode) {
  std::string dict = "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent " +
                     std::to_string(bits) +
                     " /ColorSpace [/Lab << /WhitePoint [0.9505 1 1.089] /Range [" + range +
                     "] >>]";
  if (withDecode) {
    dict += " /Decode [";
    for (double d : decode) dict += " " + std::to_string(d);
    dict += "]";
  }
  return file.Stream(LabSamples(decode, bits), dict + " >>");
}

constexpr double kFullRange[6] = {0, 100, -128, 127, -128, 127};

// Where each image goes: multiplied at half opacity over a cyan band, and at half opacity over
// paper.
struct Placement {
  const char* state;
  double y;
};
constexpr Placement kPlacements[] = {{"Mul", 500}, {"Half", 200}};

const char* const kResources =
    "<< /ExtGState << /Mul << /ca 0.5 /BM /Multiply >> /Half << /ca 0.5 >> >> /ColorSpace << /L "
    "[/Lab << "
    "/WhitePoint [0.9505 1 1.089] /Range [-128 127 -128 127] >>] >> /XObject << >> >>";
const char* const kCyanBand = "0.7 0 0 0 k 20 480 555 200 re f\n";

// Images (or, for the reference, their pixels as flat fills) 160 pt wide, left to right.
class LabImageFile : public FileTest {
 protected:
  static constexpr double kSize = 160;
  static double Left(std::size_t i) { return 40 + 180.0 * static_cast<double>(i); }
  static std::string Number(double value) { return std::to_string(value); }

  void WritePage(TestFile& file, const std::vector<Handle>& images) {
    auto resources = Handle::parse(kResources);
    std::string content = kCyanBand;
    for (std::size_t i = 0; i < images.size(); ++i) {
      const std::string name = "/I" + std::to_string(i);
      resources.getKey("/XObject").replaceKey(name, images[i]);
      for (const auto& place : kPlacements)
        content += std::string("q /") + place.state + " gs " + Number(kSize) + " 0 0 " +
                   Number(kSize) + " " + Number(Left(i)) + " " + Number(place.y) + " cm " + name +
                   " Do Q\n";
    }
    file.AddPage(content, resources);
    file.Save(input);
  }

  // The reference for `count` images: each pixel of kLab a flat Lab fill where the image puts it.
  void WriteFlatReference(const fs::path& path, std::size_t count) {
    TestFile file;
    std::string content = kCyanBand;
    const double half = kSize / 2;
    for (std::size_t i = 0; i < count; ++i)
      for (const auto& place : kPlacements)
        for (int p = 0; p < 4; ++p) {
          const double x = Left(i) + (p % 2) * half, y = place.y + (p < 2 ? half : 0);
          content += std::string("q /") + place.state + " gs /L cs " + Number(kLab[p][0]) + " " +
                     Number(kLab[p][1]) + " " + Number(kLab[p][2]) + " sc " + Number(x) + " " +
                     Number(y) + " " + Number(half) + " " + Number(half) + " re f Q\n";
        }
    file.AddPage(content, Handle::parse(kResources));
    file.Save(path);
  }

  // The white pixel (bottom right: L* 100, a* = b* = 0) over paper prints no ink.
  void ExpectWhitePixelsPrintNoInk(std::size_t count) {
    const auto render = CorvelOracle::RenderPdfPage(
        output.string(), 1, 72, CorvelOracle::ColorConversion::ManagedCmykGroups);
    for (std::size_t i = 0; i < count; ++i)
      for (const char* ink : {"Cyan", "Magenta", "Yellow", "Black"})
        EXPECT_LE(render.TintAt(ink, Left(i) + 0.75 * kSize, 200 + 0.25 * kSize), 1.0 / 255)
            << ink << " of image " << i;
  }
};

TEST_F(LabImageFile, EightAndSixteenBitImagesFlattenAndPrintTheSame) {
  TestFile file;
  WritePage(file, {LabImage(file, 8, "-128 127 -128 127", kFullRange, false),
                   LabImage(file, 16, "-128 127 -128 127", kFullRange, false)});
  const auto report = Flatten();
  ASSERT_EQ(report.pagesLeftAsTheyWere, 0) << report.pages.at(0).leftAsItWas;
  EXPECT_TRUE(report.pages.at(0).replaced);
  ExpectPrintsTheSame(1);
  ExpectWhitePixelsPrintNoInk(2);
}

// The samples' own reading: a*, b* over a narrower /Range, and a /Decode reversing L* and b*.
TEST_F(LabImageFile, RangeAndDecodeAreHonouredAsFlatLabColoursPrint) {
  constexpr double kRange[6] = {0, 100, -100, 100, -100, 100};
  constexpr double kDecode[6] = {100, 0, -90, 90, 110, -110};
  TestFile file;
  WritePage(file, {LabImage(file, 8, "-100 100 -100 100", kRange, false),
                   LabImage(file, 16, "-100 100 -120 120", kDecode, true)});
  const auto report = Flatten();
  ASSERT_EQ(report.pagesLeftAsTheyWere, 0) << report.pages.at(0).leftAsItWas;
  const fs::path reference = folder / "flat.pdf";
  WriteFlatReference(reference, 2);
  const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
  const auto comparison =
      CorvelOracle::Compare(CorvelOracle::RenderPdfPage(reference.string(), 1, 100, managed),
                            CorvelOracle::RenderPdfPage(output.string(), 1, 100, managed));
  EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
  ExpectPrintsTheSame(1);
}

// Lab names colours, not device values: naive conversion takes the default profiles for it, as
// Ghostscript's own non-ICC conversion does, and says so.
TEST_F(LabImageFile, NaiveConversionTakesTheProfilesForLabAndPrintsTheSame) {
  TestFile file;
  WritePage(file, {LabImage(file, 8, "-128 127 -128 127", kFullRange, false)});
  CorvelCli::FileSettings settings;
  settings.colorConversion = "naive";
  const auto report = Flatten(settings);
  ASSERT_EQ(report.pagesLeftAsTheyWere, 0) << report.pages.at(0).leftAsItWas;
  EXPECT_NE(report.colorConversion.find("Lab through the default profiles"), std::string::npos)
      << report.colorConversion;
  const auto simple = CorvelOracle::ColorConversion::Simple;
  const auto comparison =
      CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), 1, 100, simple),
                            CorvelOracle::RenderPdfPage(output.string(), 1, 100, simple));
  EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
}

}  // namespace
