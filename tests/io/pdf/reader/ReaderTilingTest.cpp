// Tiling patterns are read as the tiles of their cell, clipped by what they paint.
#include <gtest/gtest.h>
#include <io/pdf/PdfSource.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

// A 10 × 10 pt cell holding a 5 × 5 pt cyan square, repeated every 10 pt (or as `extra` says).
std::string Pattern(PdfBuilder& pdf, const std::string& extra = "/XStep 10 /YStep 10",
                    const std::string& cell = "1 0 0 0 k 0 0 5 5 re f", int paintType = 1) {
  const std::string resources =
      extra.find("/Resources") == std::string::npos ? " /Resources << >>" : "";
  return PdfBuilder::Ref(pdf.AddStream("/PatternType 1 /PaintType " + std::to_string(paintType) +
                                           " /TilingType 1 /BBox [0 0 10 10] " + extra + resources,
                                       cell));
}

const MavDoc::Group& OnlyGroup(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) throw std::logic_error("expected one object");
  return As<MavDoc::Group>(children[0]);
}

// The tiles of a pattern group: its members after the clipping shape.
std::vector<const MavDoc::Group*> Tiles(const MavDoc::Group& group) {
  std::vector<const MavDoc::Group*> tiles;
  for (const auto* member : Children(group.GetContent()))
    if (!member->IsClippingObject()) tiles.push_back(&As<MavDoc::Group>(member));
  return tiles;
}

std::vector<Vexl::Point> Origins(const MavDoc::Group& group) {
  std::vector<Vexl::Point> origins;
  for (const auto* tile : Tiles(group)) origins.push_back(tile->GetTransformation().Apply({0, 0}));
  return origins;
}

TEST(PdfReaderTiling, FillIsClippedCopiesOfTheCellOnePerTileItMeets) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf);
  const auto result = Read(
      pdf.OnePage("/Pattern cs /T scn 2 2 16 16 re f", "<< /Pattern << /T " + pattern + " >> >>"));
  const auto& group = OnlyGroup(result);
  const auto members = Children(group.GetContent());
  ASSERT_FALSE(members.empty());
  const auto& shape = As<MavDoc::Path>(members[0]);
  EXPECT_TRUE(shape.IsClippingObject());
  EXPECT_EQ(Vexl::TransformBox(shape.GetOutline()->GetBoundingBox(), shape.GetTransformation()),
            (Vexl::Rectangle{2000, 2000, 16000, 16000}));
  EXPECT_EQ(Origins(group),
            (std::vector<Vexl::Point>{{0, 0}, {10000, 0}, {0, 10000}, {10000, 10000}}));
  // Each tile: the cell's box as its clip, then the cell's square in cyan.
  const auto tile = Children(Tiles(group)[3]->GetContent());
  ASSERT_EQ(tile.size(), 2u);
  EXPECT_TRUE(tile[0]->IsClippingObject());
  EXPECT_EQ(Tint(As<MavDoc::Path>(tile[1]).GetFillPaint(), "Cyan"), 1);
  // The group paints with the file's operators while nothing changed it.
  const auto* source = dynamic_cast<const CorvelPdf::PdfSource*>(group.GetSource().get());
  ASSERT_TRUE(source);
  EXPECT_TRUE(source->isForm);
  EXPECT_EQ(source->operations.back().op, "f");
}

// The pattern's matrix maps onto the page's default space: the CTM at painting time moves the
// shape, not the tiles (ISO 32000-1 §8.7.3.1).
TEST(PdfReaderTiling, TilesStayOnThePageGridWhateverTheCtm) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf, "/XStep 10 /YStep 10 /Matrix [1 0 0 1 3 0]");
  const auto result = Read(pdf.OnePage("2 0 0 2 0 0 cm /Pattern cs /T scn 0 0 5 5 re f",
                                       "<< /Pattern << /T " + pattern + " >> >>"));
  EXPECT_EQ(Origins(OnlyGroup(result)), (std::vector<Vexl::Point>{{-7000, 0}, {3000, 0}}));
}

// Steps larger than the cell leave gaps: tiles that fall in a gap are not made.
TEST(PdfReaderTiling, OnlyTilesWhoseCellMeetsTheShapeAreMade) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf, "/XStep 30 /YStep 30");
  const auto result = Read(pdf.OnePage("/Pattern cs /T scn 12 0 10 100 re f",
                                       "<< /Pattern << /T " + pattern + " >> >>"));
  EXPECT_TRUE(Tiles(OnlyGroup(result)).empty());
}

TEST(PdfReaderTiling, UncolouredCellPaintsInTheColourGivenWithThePattern) {
  PdfBuilder pdf;
  const auto pattern =
      Pattern(pdf, "/XStep 10 /YStep 10", "1 0 0 0 k 0 0 5 5 re f 0 g 5 5 5 5 re f", 2);
  const auto result = Read(pdf.OnePage(
      "/P2 cs 0 1 0 0 /T scn 0 0 10 10 re f",
      "<< /Pattern << /T " + pattern + " >> /ColorSpace << /P2 [/Pattern /DeviceCMYK] >> >>"));
  const auto tile = Children(Tiles(OnlyGroup(result)).at(0)->GetContent());
  ASSERT_EQ(tile.size(), 3u);
  for (std::size_t i = 1; i < 3; ++i) {
    const auto& paint = As<MavDoc::Path>(tile[i]).GetFillPaint();
    EXPECT_EQ(Tint(paint, "Magenta"), 1);
    EXPECT_EQ(Tint(paint, "Cyan"), 0);
  }
}

// A stroke clips its tiles by the area the pen paints.
TEST(PdfReaderTiling, StrokeClipsTheTilesByItsOutline) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf);
  const auto result = Read(pdf.OnePage("4 w /Pattern CS /T SCN 20 20 m 60 20 l S",
                                       "<< /Pattern << /T " + pattern + " >> >>"));
  const auto& group = OnlyGroup(result);
  const auto& shape = As<MavDoc::Path>(Children(group.GetContent()).at(0));
  EXPECT_TRUE(shape.IsClippingObject());
  const auto box =
      Vexl::TransformBox(shape.GetOutline()->GetBoundingBox(), shape.GetTransformation());
  EXPECT_NEAR(box.y, 18000, 1);
  EXPECT_NEAR(box.height, 4000, 1);
  EXPECT_EQ(Tiles(group).size(), 8u);  // x from 20 to 50, y 10 and 20
}

// Alpha and blend mode go on the group as a whole; the cell starts from Normal and alpha 1.
TEST(PdfReaderTiling, TransparencyOfThePaintedObjectGoesOnTheGroup) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf);
  const auto result = Read(pdf.OnePage(
      "/H gs /Pattern cs /T scn 0 0 10 10 re f",
      "<< /Pattern << /T " + pattern + " >> /ExtGState << /H << /ca 0.5 /BM /Multiply >> >> >>"));
  const auto& group = OnlyGroup(result);
  EXPECT_FLOAT_EQ(group.GetTransparency()->GetFillAlpha(), 0.5f);
  EXPECT_EQ(group.GetTransparency()->GetBlendMode(), MavBlend::BlendMode::Multiply);
  const auto tile = Children(Tiles(group).at(0)->GetContent());
  const auto& square = As<MavDoc::Path>(tile.at(1));
  EXPECT_FLOAT_EQ(square.GetTransparency()->GetFillAlpha(), 1);
  EXPECT_EQ(square.GetTransparency()->GetBlendMode(), MavBlend::BlendMode::Normal);
}

TEST(PdfReaderTiling, TooManyTilesDropTheObjectNamingThePattern) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf, "/XStep 0.5 /YStep 0.5");
  const auto result = Read(pdf.OnePage("/Pattern cs /Fine scn 0 0 100 100 re f",
                                       "<< /Pattern << /Fine " + pattern + " >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 0u);
  EXPECT_TRUE(HasWarning(result, "tiling pattern /Fine would need more than 4096 tiles"));
}

TEST(PdfReaderTiling, APatternPaintingWithItselfIsRefused) {
  PdfBuilder pdf;
  const int self = pdf.AddStream(
      "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 "
      "/Resources << /Pattern << /T 1 0 R >> >>",
      "/Pattern cs /T scn 0 0 5 5 re f");
  const auto result = Read(pdf.OnePage("/Pattern cs /T scn 0 0 10 10 re f",
                                       "<< /Pattern << /T " + PdfBuilder::Ref(self) + " >> >>"));
  EXPECT_TRUE(HasWarning(result, "tiling pattern /T paints with itself"));
}

// An image in the cell is decoded once for all the tiles: they share its picture.
TEST(PdfReaderTiling, TilesShareTheImageOfTheirCell) {
  PdfBuilder pdf;
  const int image = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent "
      "8",
      std::string("\x00\xff", 2));
  const auto pattern = Pattern(
      pdf, "/XStep 10 /YStep 10 /Resources << /XObject << /Im " + PdfBuilder::Ref(image) + " >> >>",
      "q 10 0 0 10 0 0 cm /Im Do Q");
  const auto result = Read(
      pdf.OnePage("/Pattern cs /T scn 0 0 30 10 re f", "<< /Pattern << /T " + pattern + " >> >>"));
  const auto tiles = Tiles(OnlyGroup(result));
  ASSERT_EQ(tiles.size(), 3u);
  const auto& first = As<MavDoc::Image>(Children(tiles[0]->GetContent()).at(1));
  const auto& last = As<MavDoc::Image>(Children(tiles[2]->GetContent()).at(1));
  EXPECT_EQ(first.GetPaintedPicture(), last.GetPaintedPicture());
}

// Text painted with a pattern: its glyphs clip the tiles.
TEST(PdfReaderTiling, TextClipsTheTilesByItsGlyphs) {
  PdfBuilder pdf;
  const auto pattern = Pattern(pdf);
  const auto result = Read(pdf.OnePage(
      "/Pattern cs /T scn BT /F 40 Tf 10 10 Td (H) Tj ET",
      "<< /Pattern << /T " + pattern +
          " >> /Font << /F << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>"));
  const auto& group = OnlyGroup(result);
  const auto& glyphs = As<MavDoc::Text>(Children(group.GetContent()).at(0));
  EXPECT_TRUE(glyphs.IsClippingObject());
  EXPECT_FALSE(Tiles(group).empty());
}

}  // namespace
