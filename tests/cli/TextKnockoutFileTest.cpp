// Text knockout (on unless a graphics state turns it off): the runs of one text object are one
// elementary object, so where a later run overlaps an earlier one under transparency, it
// knocks the earlier out instead of compositing over it. Separate text objects, and runs with
// text knockout off (TK false), still composite.
#include <gtest/gtest.h>

#include <utility>

#include "FileTestSupport.h"

namespace {

using namespace CorvelTest;

class TextKnockoutFile : public FileTest {
 protected:
  // A Type 3 font whose "A" is a full square, so the runs' overlaps are known exactly. Over
  // magenta .5: black at half opacity, then cyan at half opacity 50 pt up and right, in one
  // text object (left), in two (right), and in one with text knockout off (below).
  void WriteInput() {
    TestFile file;
    auto square = file.Stream("1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f");
    auto font = file.Object(
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
        "/Encoding << /Type /Encoding /Differences [65 /square] >> /FirstChar 65 /LastChar 65 "
        "/Widths [1000] /Resources << >> >>");
    font.replaceKey("/CharProcs", Handle::newDictionary());
    font.getKey("/CharProcs").replaceKey("/square", square);
    auto resources = Handle::parse(
        "<< /Font << >> /ExtGState << /Half << /ca 0.5 >> /Off << /ca 0.5 /TK false >> >> >>");
    resources.getKey("/Font").replaceKey("/Sq", font);
    file.AddPage(
        "0 0.5 0 0 k 50 100 500 550 re f\n"
        "q /Half gs BT /Sq 100 Tf 0 0 0 1 k 100 400 Td (A) Tj 50 50 Td 1 0 0 0 k (A) Tj ET Q\n"
        "q /Half gs BT /Sq 100 Tf 0 0 0 1 k 300 400 Td (A) Tj ET "
        "BT /Sq 100 Tf 1 0 0 0 k 350 450 Td (A) Tj ET Q\n"
        "q /Off gs BT /Sq 100 Tf 0 0 0 1 k 100 150 Td (A) Tj 50 50 Td 1 0 0 0 k (A) Tj ET Q\n",
        resources);
    file.Save(input);
  }
};

TEST_F(TextKnockoutFile, RunsOfOneTextObjectKnockEachOtherOut) {
  WriteInput();
  ASSERT_EQ(Flatten().pagesLeftAsTheyWere, 0);
  const auto flattened = CorvelOracle::RenderPdfPage(output.string(), 1, 100,
                                                     CorvelOracle::ColorConversion::ManagedCmykGroups);
  const double tolerance = 2.5 / 255;
  // One text object: the overlap shows the cyan run over the magenta alone.
  EXPECT_NEAR(flattened.TintAt("Cyan", 175, 475), 0.5, tolerance);
  EXPECT_NEAR(flattened.TintAt("Magenta", 175, 475), 0.25, tolerance);
  EXPECT_NEAR(flattened.TintAt("Black", 175, 475), 0, tolerance);
  EXPECT_NEAR(flattened.TintAt("Black", 120, 420), 0.5, tolerance);
  EXPECT_NEAR(flattened.TintAt("Cyan", 230, 530), 0.5, tolerance);
  // Two text objects, or knockout off: the cyan run composites over the black one.
  for (const auto& [x, y] : {std::pair{375.0, 475.0}, std::pair{175.0, 225.0}}) {
    EXPECT_NEAR(flattened.TintAt("Cyan", x, y), 0.5, tolerance) << x << " " << y;
    EXPECT_NEAR(flattened.TintAt("Magenta", x, y), 0.125, tolerance) << x << " " << y;
    EXPECT_NEAR(flattened.TintAt("Black", x, y), 0.25, tolerance) << x << " " << y;
  }
  ExpectPrintsTheSame(1);
}

}  // namespace
