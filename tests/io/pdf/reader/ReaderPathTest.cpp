#include <gtest/gtest.h>
#include <mavdoc/Placement.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

const MavDoc::Path& OnlyPath(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) throw std::logic_error("expected one object");
  return As<MavDoc::Path>(children[0]);
}

TEST(PdfReaderPaths, FillBuildsOnePathInMillipoints) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("10 20 m 110 20 l 110 70 l h f"));
  const auto& path = OnlyPath(result);
  const auto box = path.GetOutline()->GetBoundingBox();
  EXPECT_EQ(box.x, 10000);
  EXPECT_EQ(box.width, 100000);
  EXPECT_EQ(box.height, 50000);
  EXPECT_EQ(path.GetFillRule(), Vexl::FillRule::NonZero);
  EXPECT_EQ(Tint(path.GetFillPaint(), "Gray"), 0);  // the initial colour: black
  EXPECT_FALSE(path.GetStrokePaint());
}

TEST(PdfReaderPaths, PaintingOperatorsChooseFillStrokeAndRule) {
  struct Case {
    const char* op;
    bool fill, stroke, evenOdd, closed;
  };
  const Case cases[] = {{"f*", true, false, true, false}, {"S", false, true, false, false},
                        {"s", false, true, false, true},  {"B", true, true, false, false},
                        {"b*", true, true, true, true},   {"F", true, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.op);
    PdfBuilder pdf;
    const auto result = Read(pdf.OnePage(std::string("0 0 m 10 0 l 10 10 l ") + c.op));
    const auto& path = OnlyPath(result);
    EXPECT_EQ(path.GetFillPaint() != nullptr, c.fill);
    EXPECT_EQ(path.GetStrokePaint() != nullptr, c.stroke);
    EXPECT_EQ(path.GetFillRule() == Vexl::FillRule::EvenOdd, c.evenOdd);
    EXPECT_EQ(path.GetOutline()->GetSubpaths()[0].IsClosed(), c.closed);
  }
}

TEST(PdfReaderPaths, CurvesAndRectanglesMakeSubpaths) {
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("0 0 m 10 10 20 10 30 0 c 40 10 50 0 v 60 10 70 0 y 5 5 10 10 re f"));
  const auto& subpaths = OnlyPath(result).GetOutline()->GetSubpaths();
  ASSERT_EQ(subpaths.size(), 2u);
  ASSERT_EQ(subpaths[0].GetSegments().size(), 3u);
  // v takes the current point as its first control point, y its end as the second.
  EXPECT_EQ(subpaths[0].GetSegments()[1].control1, (Vexl::Point{30000, 0}));
  EXPECT_EQ(subpaths[0].GetSegments()[2].control2, (Vexl::Point{70000, 0}));
  EXPECT_TRUE(subpaths[1].IsClosed());
}

TEST(PdfReaderPaths, NoOpPaintsNothing) {
  PdfBuilder pdf;
  EXPECT_EQ(FirstPage(Read(pdf.OnePage("0 0 10 10 re n"))).Size(), 0u);
}

TEST(PdfReaderPaths, LineStyleOperatorsScaleToMillipoints) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("2 w 1 J 2 j 4 M [3 1] 0.5 d 0 0 m 10 0 l S"));
  const auto& style = OnlyPath(result).GetStrokeStyle();
  EXPECT_EQ(style.width, 2000);
  EXPECT_EQ(style.cap, MavDoc::LineCap::Round);
  EXPECT_EQ(style.join, MavDoc::LineJoin::Bevel);
  EXPECT_EQ(style.miterLimit, 4);
  EXPECT_EQ(style.dashes, (std::vector<double>{3000, 1000}));
  EXPECT_EQ(style.dashPhase, 500);
}

TEST(PdfReaderPaths, ConcatenatedMatrixBecomesTheTransformation) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("2 0 0 3 10 20 cm 1 0 0 1 5 0 cm 0 0 1 1 re f"));
  const auto& t = OnlyPath(result).GetTransformation();
  // cm 2: translate 5 in the space cm 1 made, so 10 + 2·5 = 20 points.
  EXPECT_EQ(t, (Vexl::Transformation{2, 0, 0, 3, 20000, 20000}));
  const auto pageBox = MavDoc::GetBoundingBox(FirstPage(result), MavDoc::kPageCoordinates);
  EXPECT_EQ(pageBox.x, 20000);
  EXPECT_EQ(pageBox.height, 3000);
}

TEST(PdfReaderPaths, SaveRestoreBringsBackColourAndMatrix) {
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("1 0 0 rg q 0 0 1 rg 2 0 0 2 0 0 cm 0 0 1 1 re f Q 0 0 1 1 re f"));
  const auto children = Children(FirstPage(result));
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(Tint(As<MavDoc::Path>(children[0]).GetFillPaint(), "Blue"), 1);
  EXPECT_EQ(Tint(As<MavDoc::Path>(children[1]).GetFillPaint(), "Red"), 1);
  EXPECT_TRUE(As<MavDoc::Path>(children[1]).GetTransformation().IsIdentity());
}

TEST(PdfReaderClips, ClipGroupEnclosesExactlyTheObjectsItGoverns) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "0 0 5 5 re f q 10 10 50 50 re W* n 0 0 100 100 re f q 20 20 5 5 re W n 0 0 1 1 re f Q "
      "0 0 2 2 re f Q 0 0 3 3 re f"));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(As<MavDoc::Path>(top[0]).GetOutline()->GetBoundingBox().width, 5000);
  EXPECT_EQ(As<MavDoc::Path>(top[2]).GetOutline()->GetBoundingBox().width, 3000);
  const auto& clipGroup = As<MavDoc::Group>(top[1]);
  EXPECT_TRUE(clipGroup.GetTransformation().IsIdentity());
  const auto inner = Children(clipGroup.GetContent());
  ASSERT_EQ(inner.size(), 4u);  // clip, 100 × 100 fill, nested clip group, 2 × 2 fill
  EXPECT_TRUE(inner[0]->IsClippingObject());
  EXPECT_EQ(As<MavDoc::Path>(inner[0]).GetFillRule(), Vexl::FillRule::EvenOdd);
  EXPECT_EQ(As<MavDoc::Path>(inner[1]).GetOutline()->GetBoundingBox().width, 100000);
  const auto nested = Children(As<MavDoc::Group>(inner[2]).GetContent());
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_TRUE(nested[0]->IsClippingObject());
  EXPECT_EQ(As<MavDoc::Path>(inner[3]).GetOutline()->GetBoundingBox().width, 2000);
}

TEST(PdfReaderClips, ClipWithoutObjectsLeavesNoGroup) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("q 0 0 5 5 re W n Q 0 0 1 1 re f"));
  const auto children = Children(FirstPage(result));
  ASSERT_EQ(children.size(), 1u);
  EXPECT_TRUE(dynamic_cast<const MavDoc::Path*>(children[0]));
}

TEST(PdfReaderPages, BoxesAndRotationAreRead) {
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("", "<< >>",
                       "/MediaBox [0 0 300 400] /CropBox [10 10 290 390] "
                       "/TrimBox [20 20 280 380] /BleedBox [15 15 285 385] /Rotate 270"));
  const auto* page = result.document->GetPages().front();
  EXPECT_EQ(page->GetPageBox(MavDoc::kMediaBox).height, 400000);
  EXPECT_EQ(page->GetPageBox(MavDoc::kCropBox).x, 10000);
  EXPECT_EQ(page->GetPageBox(MavDoc::kTrimBox).width, 260000);
  EXPECT_EQ(page->GetPageBox(MavDoc::kBleedBox).y, 15000);
  EXPECT_EQ(page->GetRotation(), 270);
}

TEST(PdfReaderPages, ContentArraysAreConcatenated) {
  PdfBuilder pdf;
  const int first = pdf.AddStream("", "0 0 m 10 0 l");
  const int second = pdf.AddStream("", "10 10 l f");
  const auto file = pdf.OnePage(
      "", "<< >>", "/Contents [" + PdfBuilder::Ref(first) + " " + PdfBuilder::Ref(second) + "]");
  EXPECT_EQ(Children(FirstPage(Read(file))).size(), 1u);
}

}  // namespace
