#include <gtest/gtest.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

TEST(PdfReaderForms, FormBecomesAGroupWithMatrixAndBoundingBoxClip) {
  PdfBuilder pdf;
  const int form =
      pdf.AddStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Matrix [1 0 0 1 5 0]",
                    "0 0 1 rg 0 0 20 20 re f");
  const auto result = Read(pdf.OnePage("1 0 0 1 100 50 cm /F Do",
                                       "<< /XObject << /F " + PdfBuilder::Ref(form) + " >> >>"));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 1u);
  const auto& group = As<MavDoc::Group>(top[0]);
  // Matrix first, then the CTM: 5 + 100 points.
  EXPECT_EQ(group.GetTransformation(), (Vexl::Transformation{1, 0, 0, 1, 105000, 50000}));
  EXPECT_EQ(group.GetTransparency()->IsIsolated(), false);
  const auto members = Children(group.GetContent());
  ASSERT_EQ(members.size(), 2u);
  EXPECT_TRUE(members[0]->IsClippingObject());
  EXPECT_EQ(As<MavDoc::Path>(members[0]).GetOutline()->GetBoundingBox().width, 10000);
  EXPECT_TRUE(As<MavDoc::Path>(members[1]).GetTransformation().IsIdentity());
  EXPECT_EQ(Tint(As<MavDoc::Path>(members[1]).GetFillPaint(), "Blue"), 1);
}

TEST(PdfReaderForms, TransparencyGroupCarriesFlagsSpaceAndTheGraphicsStateAlpha) {
  PdfBuilder pdf;
  const int form = pdf.AddStream(
      "/Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency /I true /K true /CS /DeviceCMYK "
      ">>",
      "0 0 5 5 re f");
  const auto result =
      Read(pdf.OnePage("/G gs /F Do", "<< /XObject << /F " + PdfBuilder::Ref(form) +
                                          " >> /ExtGState << /G << /ca 0.4 /BM /Screen >> >> >>"));
  const auto& group = As<MavDoc::Group>(Children(FirstPage(result))[0]);
  const auto& t = *group.GetTransparency();
  EXPECT_TRUE(t.IsIsolated());
  EXPECT_TRUE(t.IsKnockout());
  EXPECT_EQ(t.GetFillAlpha(), 0.4f);
  EXPECT_EQ(t.GetBlendMode(), MavBlend::BlendMode::Screen);
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceCMYK>(group.GetGroupColorSpace()));
  // Inside the group, objects start again from Normal and alpha 1.
  const auto& inner = As<MavDoc::Path>(Children(group.GetContent())[1]);
  EXPECT_EQ(inner.GetTransparency()->GetFillAlpha(), 1);
}

TEST(PdfReaderForms, PlainFormPassesTheAlphaToItsObjects) {
  PdfBuilder pdf;
  const int form = pdf.AddStream("/Subtype /Form /BBox [0 0 10 10]", "0 0 5 5 re f");
  const auto result =
      Read(pdf.OnePage("/G gs /F Do", "<< /XObject << /F " + PdfBuilder::Ref(form) +
                                          " >> /ExtGState << /G << /ca 0.4 >> >> >>"));
  const auto& group = As<MavDoc::Group>(Children(FirstPage(result))[0]);
  EXPECT_EQ(group.GetTransparency()->GetFillAlpha(), 1);
  EXPECT_EQ(As<MavDoc::Path>(Children(group.GetContent())[1]).GetTransparency()->GetFillAlpha(),
            0.4f);
}

TEST(PdfReaderForms, FormPaintingNothingLeavesNoGroup) {
  PdfBuilder pdf;
  const int form = pdf.AddStream("/Subtype /Form /BBox [0 0 10 10]", "0 0 5 5 re n");
  const auto result =
      Read(pdf.OnePage("/F Do", "<< /XObject << /F " + PdfBuilder::Ref(form) + " >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 0u);
}

TEST(PdfReaderForms, PrintableAnnotationAppearanceIsDrawnOnItsRectangle) {
  PdfBuilder pdf;
  const int appearance = pdf.AddStream("/Subtype /Form /BBox [0 0 10 10]", "0 0 10 10 re f");
  const int annotation =
      pdf.Add("<< /Type /Annot /Subtype /Square /F 4 /Rect [50 50 70 60] /AP << /N " +
              PdfBuilder::Ref(appearance) + " >> >>");
  const auto result =
      Read(pdf.OnePage("", "<< >>", "/Annots [" + PdfBuilder::Ref(annotation) + "]"));
  const auto& group = As<MavDoc::Group>(Children(FirstPage(result))[0]);
  EXPECT_EQ(group.GetTransformation(), (Vexl::Transformation{2, 0, 0, 1, 50000, 50000}));
  EXPECT_TRUE(HasWarning(result, "annotation appearances"));
}

}  // namespace
