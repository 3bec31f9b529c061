#include <gtest/gtest.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

const MavBlend::Transparency& TransparencyOfOnly(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) throw std::logic_error("expected one object");
  return *As<MavDoc::Path>(children[0]).GetTransparency();
}

TEST(PdfReaderExtGState, AlphaBlendModeAndAlphaIsShape) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/G gs 0 0 1 1 re f",
      "<< /ExtGState << /G << /ca 0.5 /CA 0.25 /BM [/Bogus /Multiply /Screen] /AIS true >> >> >>"));
  const auto& t = TransparencyOfOnly(result);
  EXPECT_EQ(t.GetFillAlpha(), 0.5f);
  EXPECT_EQ(t.GetStrokeAlpha(), 0.25f);
  EXPECT_EQ(t.GetBlendMode(), MavBlend::BlendMode::Multiply);
  EXPECT_TRUE(t.IsAlphaIsShape());
}

TEST(PdfReaderExtGState, RestoreEndsTheTransparency) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("q /G gs Q 0 0 1 1 re f",
                                       "<< /ExtGState << /G << /ca 0.5 /BM /Difference >> >> >>"));
  const auto& t = TransparencyOfOnly(result);
  EXPECT_EQ(t.GetFillAlpha(), 1);
  EXPECT_EQ(t.GetBlendMode(), MavBlend::BlendMode::Normal);
}

TEST(PdfReaderExtGState, LineStyleAndFontKeysApply) {
  PdfBuilder pdf;
  const auto result = Read(
      pdf.OnePage("/G gs 0 0 m 1 1 l S", "<< /ExtGState << /G << /LW 3 /LC 2 /D [[2] 1] >> >> >>"));
  const auto& style = As<MavDoc::Path>(Children(FirstPage(result))[0]).GetStrokeStyle();
  EXPECT_EQ(style.width, 3000);
  EXPECT_EQ(style.cap, MavDoc::LineCap::Square);
  EXPECT_EQ(style.dashes, std::vector<double>{2000});
}

TEST(PdfReaderExtGState, PrintingKeysNotSupportedAreReportedOncePerFile) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/A gs /B gs 0 0 1 1 re f",
      "<< /ExtGState << /A << /TK false /HT /Custom /TR /Fancy >> /B << /BG /Fn >> >> >>"));
  EXPECT_FALSE(HasWarning(result, "text knockout"));  // read: TK false composites runs
  EXPECT_TRUE(HasWarning(result, "halftones not supported yet"));
  EXPECT_TRUE(HasWarning(result, "transfer functions not supported yet"));
  EXPECT_TRUE(HasWarning(result, "black generation"));
}

// OP sets the stroke's overprint and, when op is absent from the same dictionary, the fill's;
// objects keep what was in force when they were painted.
TEST(PdfReaderExtGState, OverprintFlagsAndModeReachEachObject) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/Both gs 0 0 1 1 re f /FillOff gs 0 0 1 1 re f /Mode gs 0 0 1 1 re f /Off gs 0 0 1 1 re f",
      "<< /ExtGState << /Both << /OP true >> /FillOff << /op false >> /Mode << /OPM 1 /op true >> "
      "/Off << /OP false >> >> >>"));
  const auto objects = Children(FirstPage(result));
  ASSERT_EQ(objects.size(), 4u);
  const auto overprint = [&](std::size_t i) {
    return dynamic_cast<const MavDoc::Blendable&>(*objects[i]).GetOverprint();
  };
  EXPECT_EQ(overprint(0), (MavDoc::Overprint{true, true, false}));
  EXPECT_EQ(overprint(1), (MavDoc::Overprint{false, true, false}));
  EXPECT_EQ(overprint(2), (MavDoc::Overprint{true, true, true}));
  EXPECT_EQ(overprint(3), (MavDoc::Overprint{false, false, true}));
  for (const auto& w : result.warnings) EXPECT_EQ(w.find("overprint"), std::string::npos) << w;
}

// The rendering intent in force reaches each painted object: /RI of a graphics state, ri (an
// unknown name is RelativeColorimetric), an image's own /Intent; none when the file sets none.
// The member of the knockout group a translucent fill-and-stroke becomes carries it too.
TEST(PdfReaderExtGState, RenderingIntentReachesEachObject) {
  PdfBuilder pdf;
  const int image = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
      "/Intent /AbsoluteColorimetric",
      std::string("\xff\x00\x00", 3));
  const auto result = Read(pdf.OnePage(
      "0 0 1 1 re f /P gs 0 0 1 1 re f /Saturation ri 0 0 1 1 re f q /Bogus ri 0 0 1 1 re f /Im Do "
      "/SH gs 0 0 1 1 re B Q 0 0 1 1 re f",
      "<< /XObject << /Im " + PdfBuilder::Ref(image) +
          " >> /ExtGState << /P << /RI /Perceptual >> /SH << /CA 0.5 /RI /Saturation >> >> >>"));
  const auto objects = Children(FirstPage(result));
  ASSERT_EQ(objects.size(), 7u);
  const auto intent = [](const MavDoc::ContentObject* object) {
    return dynamic_cast<const MavDoc::Blendable&>(*object).GetRenderingIntent();
  };
  using MavColor::RenderingIntent;
  EXPECT_EQ(intent(objects[0]), std::nullopt);
  EXPECT_EQ(intent(objects[1]), RenderingIntent::Perceptual);
  EXPECT_EQ(intent(objects[2]), RenderingIntent::Saturation);
  EXPECT_EQ(intent(objects[3]), RenderingIntent::RelativeColorimetric);
  EXPECT_EQ(intent(objects[4]), RenderingIntent::AbsoluteColorimetric);
  const auto& knockout = As<MavDoc::Group>(objects[5]);
  EXPECT_EQ(knockout.GetRenderingIntent(), std::nullopt);
  EXPECT_EQ(intent(Children(knockout.GetContent()).at(0)), RenderingIntent::Saturation);
  EXPECT_EQ(intent(objects[6]), RenderingIntent::Saturation);  // Q restored ri's
}

std::vector<std::uint8_t> SoftMaskFile(const std::string& maskEntries) {
  PdfBuilder pdf;
  const int group = pdf.AddStream(
      "/Type /XObject /Subtype /Form /BBox [0 0 50 50] /Group << /S /Transparency /CS /DeviceGray "
      ">>",
      "0.5 g 0 0 50 50 re f");
  return pdf.OnePage("2 0 0 2 10 10 cm /M gs 1 0 0 rg 0 0 20 20 re f",
                     "<< /ExtGState << /M << /SMask << /G " + PdfBuilder::Ref(group) + " " +
                         maskEntries + " >> >> >> >>");
}

TEST(PdfReaderSoftMasks, LuminosityMaskKeepsGroupBackdropTransferAndPlace) {
  const auto result = Read(SoftMaskFile(
      "/S /Luminosity /BC [0.2] /TR << /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >>"));
  const auto& mask = TransparencyOfOnly(result).GetSoftMask();
  ASSERT_TRUE(mask);
  EXPECT_FALSE(mask->IsAlpha());
  EXPECT_EQ(mask->GetBackdropColor(), std::vector<float>{0.2f});
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceGray>(mask->GetColorSpace()));
  const auto* transfer =
      std::get_if<std::shared_ptr<const MavPaint::Function>>(&mask->GetTransferFunction());
  ASSERT_TRUE(transfer && *transfer);
  EXPECT_FLOAT_EQ((*transfer)->EvaluateOne(0.25, 0), 0.75f);
  // Mask space is user space when the mask was set; the masked path sits in the same space.
  EXPECT_EQ(mask->GetTransformation(), (Vexl::Transformation{2, 0, 0, 2, 10000, 10000}));
  ASSERT_EQ(mask->GetContent()->GetType(), MavDoc::Content::kSoftMaskContent);
  const auto maskObjects = Children(*mask->GetContent());
  ASSERT_EQ(maskObjects.size(), 1u);
  const auto& maskGroup = As<MavDoc::Group>(maskObjects[0]);
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceGray>(maskGroup.GetGroupColorSpace()));
  const auto groupObjects = Children(maskGroup.GetContent());
  ASSERT_EQ(groupObjects.size(), 2u);  // the BBox clip and the gray fill
  EXPECT_FLOAT_EQ(Tint(As<MavDoc::Path>(groupObjects[1]).GetFillPaint(), "Gray"), 0.5f);
}

TEST(PdfReaderSoftMasks, AlphaMaskAndNoneResets) {
  const auto alpha = Read(SoftMaskFile("/S /Alpha"));
  ASSERT_TRUE(TransparencyOfOnly(alpha).GetSoftMask());
  EXPECT_TRUE(TransparencyOfOnly(alpha).GetSoftMask()->IsAlpha());

  PdfBuilder pdf;
  const int group = pdf.AddStream("/Subtype /Form /BBox [0 0 1 1]", "0 0 1 1 re f");
  const auto reset =
      Read(pdf.OnePage("/M gs /N gs 0 0 1 1 re f",
                       "<< /ExtGState << /M << /SMask << /S /Alpha /G " + PdfBuilder::Ref(group) +
                           " >> >> /N << /SMask /None >> >> >>"));
  EXPECT_FALSE(TransparencyOfOnly(reset).GetSoftMask());
}

// A mask with no artwork to mask by masks nothing (as viewers and RIPs read it): the object is
// read unmasked and the reader says so, instead of losing the page.
TEST(PdfReaderSoftMasks, AMaskWithoutItsGroupMasksNothing) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/M gs 0 0 1 1 re f /Odd gs 0 0 1 1 re f",
      "<< /ExtGState << /M << /SMask << /S /Luminosity >> /ca 0.5 >> /Odd << /SMask 7 >> >> >>"));
  const auto objects = Children(FirstPage(result));
  ASSERT_EQ(objects.size(), 2u);
  for (const auto* object : objects)
    EXPECT_FALSE(dynamic_cast<const MavDoc::Blendable&>(*object).GetTransparency()->GetSoftMask());
  EXPECT_EQ(dynamic_cast<const MavDoc::Blendable&>(*objects[0]).GetTransparency()->GetFillAlpha(), 0.5f);
  EXPECT_TRUE(HasWarning(result, "soft mask without its group /G read as /None"));
  EXPECT_TRUE(HasWarning(result, "neither /None nor a dictionary read as /None"));
}

TEST(PdfReaderFillAndStroke, ACompositingStrokeGetsTheKnockoutGroupPdfPaintsItIn) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "1 0 0 rg 0 0 1 RG 10 w q /H gs 20 20 50 50 re B Q 100 20 50 50 re B",
      "<< /ExtGState << /H << /CA 0.5 >> >> >>"));
  const auto children = Children(FirstPage(result));
  ASSERT_EQ(children.size(), 2u);
  const auto& group = As<MavDoc::Group>(children[0]);
  EXPECT_TRUE(group.GetTransparency()->IsKnockout());
  EXPECT_FALSE(group.GetTransparency()->IsIsolated());
  const auto members = Children(group.GetContent());
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(As<MavDoc::Path>(members[0]).GetTransparency()->GetStrokeAlpha(), 0.5f);
  // An opaque Normal stroke hides the fill beneath it either way: no group.
  EXPECT_NO_THROW(As<MavDoc::Path>(children[1]));
}

TEST(PdfReaderFillAndStroke, FillAndStrokeTextUnderABlendModeGetsItToo) {
  PdfBuilder pdf;
  const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  const auto result = Read(pdf.OnePage(
      "/H gs BT /F 24 Tf 2 Tr 10 10 Td (I) Tj ET",
      "<< /ExtGState << /H << /BM /Multiply >> >> /Font << /F " + PdfBuilder::Ref(font) + " >> >>"));
  const auto children = Children(FirstPage(result));
  ASSERT_FALSE(children.empty());
  const auto* group = dynamic_cast<const MavDoc::Group*>(children[0]);
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->GetTransparency()->IsKnockout());
}

}  // namespace
