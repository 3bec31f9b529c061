// What the writer's pages print, read back plate by plate through the separation oracle.
#include <gtest/gtest.h>
#include <io/pdf/PdfWriter.h>
#include <values/Function.h>

#include "PdfTestSupport.h"

namespace {

using namespace CorvelPdfTest;
using MavDoc::Build::Add;
using MavDoc::Build::FilledRectangle;
using MavDoc::Build::Flat;

// Ghostscript truncates tints to 8 bits: one level, and one more for the rounding of our value.

MavDoc::Page& SmallPage(MavDoc::Document& document, double widthPt = 100, double heightPt = 100) {
  return document.AddPage(PtRect(0, 0, widthPt, heightPt));
}

MavDoc::Separation::Entry Spot(const std::string& name) {
  return {name, MavDoc::Separation::kNormalInk, {{0, 0.5f, 1, 0}}};
}

TEST(PdfWriterPaint, FlatCmykRectangleReadsBackItsTints) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  Add(page.GetContent(),
      FilledRectangle(PtRect(20, 20, 40, 30), Flat(MavColor::MakeCMYKColor(.2f, .4f, .6f, .1f))));
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Cyan", 40, 35), .2, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Magenta", 40, 35), .4, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Yellow", 40, 35), .6, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Black", 40, 35), .1, kTintTolerance);
  for (const auto* ink : {"Cyan", "Magenta", "Yellow", "Black"}) {
    EXPECT_EQ(render.TintAt(ink, 10, 35), 0) << ink << " left of the rectangle";
    EXPECT_EQ(render.TintAt(ink, 40, 60), 0) << ink << " above the rectangle";
  }
}

TEST(PdfWriterPaint, SpotRectangleAppearsOnItsOwnPlate) {
  MavDoc::Document document;
  document.AddSeparation(Spot("PANTONE 123 C"));
  auto& page = SmallPage(document);
  Add(page.GetContent(), FilledRectangle(PtRect(10, 10, 30, 30), Flat({{"PANTONE 123 C", .7f}})));
  Add(page.GetContent(),
      FilledRectangle(PtRect(60, 60, 30, 30), Flat({{"Cyan", .4f}, {"PANTONE 123 C", .3f}})));
  const auto render = WriteAndRender(document);
  ASSERT_NE(render.Find("PANTONE 123 C"), nullptr);
  EXPECT_NEAR(render.TintAt("PANTONE 123 C", 25, 25), .7, kTintTolerance);
  EXPECT_EQ(render.TintAt("Magenta", 25, 25), 0) << "the alternate must not leak into process";
  EXPECT_NEAR(render.TintAt("PANTONE 123 C", 75, 75), .3, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 75, 75), .4, kTintTolerance);
  EXPECT_EQ(render.TintAt("PANTONE 123 C", 50, 50), 0);
}

TEST(PdfWriterPaint, GrayColourGoesToBlack) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  Add(page.GetContent(),
      FilledRectangle(PtRect(10, 10, 80, 80), Flat(MavColor::MakeGrayColor(.25f))));
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Black", 50, 50), .75, kTintTolerance);
  EXPECT_EQ(render.TintAt("Cyan", 50, 50), 0);
}

TEST(PdfWriterPaint, EvenOddRingLeavesItsHoleAndNonZeroFillsIt) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  std::vector<Vexl::Subpath> subpaths;
  for (const auto& box : {PtRect(10, 10, 80, 80), PtRect(30, 30, 40, 40)}) {
    subpaths.push_back(Vexl::MakeRectangle(box)->GetSubpaths().front());
  }
  auto ring = std::make_shared<const Vexl::Compound>(subpaths);
  auto& evenOdd = Add(page.GetContent(), std::make_unique<MavDoc::Path>(ring));
  evenOdd.SetFillPaint(Flat({{"Cyan", 1}}));
  evenOdd.SetFillRule(Vexl::FillRule::EvenOdd);
  auto& nonZero = Add(page.GetContent(), std::make_unique<MavDoc::Path>(ring));
  nonZero.SetFillPaint(Flat({{"Black", 1}}));
  nonZero.SetTransformation(Vexl::Transformation::Translation(Pt(0), Pt(0)), 0);
  nonZero.SetClippingObject(false);
  // Both rectangles run counter-clockwise: under nonzero the hole is filled.
  const auto render = WriteAndRender(document);
  EXPECT_EQ(render.TintAt("Cyan", 50, 50), 0);
  EXPECT_NEAR(render.TintAt("Cyan", 20, 50), 0, kTintTolerance) << "covered by the black ring";
  EXPECT_NEAR(render.TintAt("Black", 50, 50), 1, kTintTolerance);
}

TEST(PdfWriterPaint, StrokeInksTheLineNotTheInside) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  auto& path = Add(page.GetContent(),
                   std::make_unique<MavDoc::Path>(Vexl::MakeRectangle(PtRect(20, 20, 60, 60))));
  path.SetStrokePaint(Flat({{"Magenta", .8f}}));
  MavDoc::StrokeStyle style;
  style.width = Pt(6);
  path.SetStrokeStyle(style);
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Magenta", 20.5, 50), .8, kTintTolerance) << "on the left side";
  EXPECT_NEAR(render.TintAt("Magenta", 50, 79.5), .8, kTintTolerance) << "on the top side";
  EXPECT_EQ(render.TintAt("Magenta", 50, 50), 0) << "inside";
  EXPECT_EQ(render.TintAt("Magenta", 10, 50), 0) << "outside";
}

TEST(PdfWriterPaint, ClippingMembersLimitTheGroupToTheirIntersection) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  auto& group = Add(page.GetContent(), std::make_unique<MavDoc::Group>());
  Add(group, FilledRectangle(PtRect(0, 0, 100, 100), Flat({{"Yellow", 1}})));
  // The clips may stand anywhere in the list: here one below and one above the fill.
  group.GetContent().InsertAbove(nullptr, MavDoc::Build::ClipRectangle(PtRect(20, 20, 60, 60)));
  Add(group, MavDoc::Build::ClipRectangle(PtRect(40, 0, 60, 100)));
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Yellow", 60, 50), 1, kTintTolerance) << "inside both clips";
  EXPECT_EQ(render.TintAt("Yellow", 30, 50), 0) << "inside the first clip only";
  EXPECT_EQ(render.TintAt("Yellow", 60, 90), 0) << "inside the second clip only";
  EXPECT_EQ(render.TintAt("Yellow", 5, 5), 0) << "outside both";
}

TEST(PdfWriterPaint, NestedGroupTransformationsPlaceMembers) {
  MavDoc::Document document;
  auto& page = SmallPage(document);
  auto& outer = Add(page.GetContent(), std::make_unique<MavDoc::Group>());
  outer.SetTransformation(Vexl::Transformation::Translation(Pt(10), Pt(20)), 0);
  auto& inner = Add(outer, std::make_unique<MavDoc::Group>());
  inner.SetTransformation(Vexl::Transformation::Scaling(2, 3), 0);
  auto& square = Add(inner, FilledRectangle(PtRect(0, 0, 10, 10), Flat({{"Cyan", 1}})));
  square.SetTransformation(Vexl::Transformation::Translation(Pt(5), Pt(0)), 0);
  // Square [0,10]² → +5 in x → ×(2, 3) → +(10, 20): x 20..40, y 20..50.
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Cyan", 21, 21), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 39, 49), 1, kTintTolerance);
  EXPECT_EQ(render.TintAt("Cyan", 18, 30), 0);
  EXPECT_EQ(render.TintAt("Cyan", 42, 30), 0);
  EXPECT_EQ(render.TintAt("Cyan", 30, 52), 0);
}

MavDoc::Layer& AddLayer(MavDoc::Content& content,
                        std::shared_ptr<MavDoc::LayerProperties> properties,
                        MavDoc::LayerExpression expression, const Vexl::Rectangle& box,
                        const char* ink) {
  auto& layer =
      Add(content, std::make_unique<MavDoc::Layer>(std::move(properties), std::move(expression)));
  Add(layer, FilledRectangle(box, Flat({{ink, 1}})));
  return layer;
}

TEST(PdfWriterPaint, LayersPaintByTheirDefaultVisibility) {
  using Kind = MavDoc::LayerExpression::Kind;
  using MavDoc::LayerExpression;
  MavDoc::Document document;
  auto& page = SmallPage(document);
  auto shown = std::make_shared<MavDoc::LayerProperties>(MavDoc::LayerProperties{"Shown", true});
  auto hidden = std::make_shared<MavDoc::LayerProperties>(MavDoc::LayerProperties{"Hidden", false});
  auto& content = page.GetContent();
  AddLayer(content, shown, LayerExpression::Of(shown), PtRect(0, 0, 20, 20), "Cyan");
  AddLayer(content, hidden, LayerExpression::Of(hidden), PtRect(25, 0, 20, 20), "Magenta");
  AddLayer(content, shown,
           {Kind::And, nullptr, {LayerExpression::Of(shown), LayerExpression::Of(hidden)}},
           PtRect(50, 0, 20, 20), "Yellow");
  AddLayer(content, shown,
           {Kind::Or, nullptr, {LayerExpression::Of(shown), LayerExpression::Of(hidden)}},
           PtRect(0, 50, 20, 20), "Black");
  AddLayer(content, hidden, {Kind::Not, nullptr, {LayerExpression::Of(hidden)}},
           PtRect(50, 50, 20, 20), "Cyan");
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Cyan", 10, 10), 1, kTintTolerance) << "visible layer";
  EXPECT_EQ(render.TintAt("Magenta", 35, 10), 0) << "hidden layer";
  EXPECT_EQ(render.TintAt("Yellow", 60, 10), 0) << "Shown and Hidden";
  EXPECT_NEAR(render.TintAt("Black", 10, 60), 1, kTintTolerance) << "Shown or Hidden";
  EXPECT_NEAR(render.TintAt("Cyan", 60, 60), 1, kTintTolerance) << "not Hidden";
}

}  // namespace
