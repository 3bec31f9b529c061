#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

const char* const kHelvetica =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
    "/Encoding /WinAnsiEncoding >> >> >>";

TEST(PdfReaderText, StandardFontTextGetsGlyphOutlines) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("BT /F1 10 Tf 20 30 Td (HI) Tj ET", kHelvetica));
  const auto& text = As<MavDoc::Text>(Children(FirstPage(result)).at(0));
  EXPECT_EQ(text.GetCharacters(), "HI");
  EXPECT_EQ(text.GetRenderingMode(), 0);
  ASSERT_FALSE(text.GetGlyphs()->IsEmpty());
  // Helvetica's H stands on the baseline and is about 0.72 em tall.
  const auto box = text.GetGlyphs()->GetBoundingBox();
  EXPECT_NEAR(box.y, 30000, 200);
  EXPECT_NEAR(box.height, 7180, 300);
  EXPECT_NEAR(box.x, 20000 + 790, 300);
  EXPECT_EQ(Tint(text.GetFillPaint(), "Gray"), 0);
}

TEST(PdfReaderText, PositioningOperatorsMoveTheGlyphs) {
  PdfBuilder pdf;
  // TJ moves back by 1000/1000 em; Tz 50 halves the advance; T* goes down by TL.
  const auto result = Read(pdf.OnePage(
      "BT /F1 10 Tf 14 TL 50 Tz 0 50 Td [(I) 1000 (I)] TJ T* 2 Tc (I) Tj ET", kHelvetica));
  const auto children = Children(FirstPage(result));
  ASSERT_EQ(children.size(), 2u);
  const auto& firstLine = As<MavDoc::Text>(children[0]).GetGlyphs()->GetSubpaths();
  ASSERT_EQ(firstLine.size(), 2u);
  const double left0 = Vexl::Compound({firstLine[0]}).GetBoundingBox().x;
  const double left1 = Vexl::Compound({firstLine[1]}).GetBoundingBox().x;
  // The advance of I (0.278 em at 10 pt) halved by Tz, then 1000/1000 em back, also halved.
  EXPECT_NEAR(left1 - left0, 1390 - 5000, 20);
  const auto second = As<MavDoc::Text>(children[1]).GetGlyphs()->GetBoundingBox();
  EXPECT_NEAR(second.y, 50000 - 14000, 200);
}

TEST(PdfReaderText, RenderingModesChoosePaintsAndClip) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "BT /F1 10 Tf 1 Tr (A) Tj 3 Tr (B) Tj 7 Tr (C) Tj ET 0 0 200 100 re f", kHelvetica));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 3u);
  const auto& stroked = As<MavDoc::Text>(top[0]);
  EXPECT_TRUE(stroked.GetStrokePaint());
  EXPECT_FALSE(stroked.GetFillPaint());
  const auto& invisible = As<MavDoc::Text>(top[1]);
  EXPECT_EQ(invisible.GetRenderingMode(), 3);
  EXPECT_FALSE(invisible.GetFillPaint());
  const auto& clipped = As<MavDoc::Group>(top[2]);
  const auto members = Children(clipped.GetContent());
  ASSERT_EQ(members.size(), 2u);
  EXPECT_TRUE(members[0]->IsClippingObject());
  EXPECT_FALSE(As<MavDoc::Text>(members[0]).GetGlyphs()->IsEmpty());
}

TEST(PdfReaderText, EmbeddedType1FontIsUsed) {
  const std::filesystem::path file = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "fonts-urw-base35 not installed";
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  PdfBuilder pdf;
  const int program = pdf.AddStream("", bytes.str());
  const int descriptor =
      pdf.Add("<< /Type /FontDescriptor /FontName /Embedded /Flags 34 /FontFile " +
              PdfBuilder::Ref(program) + " >>");
  const auto result =
      Read(pdf.OnePage("BT /E 20 Tf (o) Tj ET",
                       "<< /Font << /E << /Type /Font /Subtype /Type1 /BaseFont /Embedded "
                       "/FirstChar 111 /LastChar 111 /Widths [500] /FontDescriptor " +
                           PdfBuilder::Ref(descriptor) + " >> >> >>"));
  const auto& text = As<MavDoc::Text>(Children(FirstPage(result)).at(0));
  EXPECT_FALSE(text.GetGlyphs()->IsEmpty());
  EXPECT_FALSE(HasWarning(result, "not embedded"));
}

TEST(PdfReaderText, Type3GlyphsAreThePathsTheirProceduresPaint) {
  // Glyph a fills a 400 × 700 box and strokes a 100-unit line along its top; b has no procedure.
  PdfBuilder pdf;
  const int a = pdf.AddStream("", "600 0 0 0 500 800 d1 100 0 400 700 re f 100 w 0 J 100 750 m 500 750 l S");
  const auto result = Read(pdf.OnePage(
      "BT /T 10 Tf (ab) Tj ET",
      "<< /Font << /T << /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] "
      "/FontBBox [0 0 1000 1000] /CharProcs << /a " + PdfBuilder::Ref(a) +
          " >> /Encoding << /Differences [97 /a /b] >> /FirstChar 97 /LastChar 98 /Widths [600 600] >> >> >>"));
  const auto& text = As<MavDoc::Text>(Children(FirstPage(result)).at(0));
  ASSERT_FALSE(text.GetGlyphs()->IsEmpty());
  // Box and stroke together span x 100..500 and y 0..800 of the glyph's 1000-unit em.
  const auto box = (*text.GetGlyphs() * text.GetTransformation()).GetBoundingBox();
  EXPECT_NEAR(box.width / box.height, 400.0 / 800.0, 1e-6);
  EXPECT_NEAR(box.height, 8000, 1) << "800 thousandths of a 10-pt size, in millipoints";
  EXPECT_FALSE(HasWarning(result, "Type 3"));
}

}  // namespace
