#include <gtest/gtest.h>

#include <clocale>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

std::shared_ptr<const MavPaint::Paint> FillOfOnlyPath(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) throw std::logic_error("expected one object");
  return As<MavDoc::Path>(children[0]).GetFillPaint();
}

const MavColor::Color& ColorOf(const std::shared_ptr<const MavPaint::Paint>& paint) {
  return dynamic_cast<const MavPaint::FlatPaint&>(*paint).GetColor();
}

TEST(PdfReaderColors, DeviceSpacesKeepTheirComponents) {
  PdfBuilder gray, rgb, cmyk;
  const auto g = FillOfOnlyPath(Read(gray.OnePage("0.25 g 0 0 1 1 re f")));
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceGray>(ColorOf(g).GetColorSpace()));
  EXPECT_FLOAT_EQ(Tint(g, "Gray"), 0.25f);
  const auto r = FillOfOnlyPath(Read(rgb.OnePage("0.1 0.2 0.3 rg 0 0 1 1 re f")));
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceRGB>(ColorOf(r).GetColorSpace()));
  EXPECT_FLOAT_EQ(Tint(r, "Green"), 0.2f);
  const auto k = FillOfOnlyPath(Read(cmyk.OnePage("0.1 0.2 0.3 0.4 k 0 0 1 1 re f")));
  EXPECT_EQ(ColorOf(k), MavColor::MakeCMYKColor(0.1f, 0.2f, 0.3f, 0.4f));
}

TEST(PdfReaderColors, StrokeOperatorsSetTheStrokeColour) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("0 1 0 0 K 0.5 G 0 0 m 1 1 l S"));
  const auto& path = As<MavDoc::Path>(Children(FirstPage(result))[0]);
  EXPECT_FLOAT_EQ(Tint(path.GetStrokePaint(), "Gray"), 0.5f);
}

TEST(PdfReaderColors, SeparationPaintsItsSpotAndJoinsTheInks) {
  PdfBuilder pdf;
  const auto result = Read(
      pdf.OnePage("/Spot cs 0.6 scn 0 0 1 1 re f",
                  "<< /ColorSpace << /Spot [/Separation /PANTONE#20123#20C /DeviceCMYK "
                  "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>] >> >>"));
  const auto paint = FillOfOnlyPath(result);
  EXPECT_FLOAT_EQ(Tint(paint, "PANTONE 123 C"), 0.6f);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(ColorOf(paint).GetColorSpace()));
  const auto& inks = result.document->GetSeparationInfo();
  ASSERT_EQ(inks.size(), 5u);
  EXPECT_EQ(inks[4].GetName(), "PANTONE 123 C");
  EXPECT_EQ(inks[4].GetRepresentation().cmyk, (std::array<float, 4>{0, 0.5f, 1, 0}));
}

TEST(PdfReaderColors, SeparationWithRgbAlternateGetsACmykLook) {
  PdfBuilder pdf;
  const auto result = Read(
      pdf.OnePage("/Spot cs 1 scn 0 0 1 1 re f",
                  "<< /ColorSpace << /Spot [/Separation /Orange /DeviceRGB "
                  "<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [1 0.5 0] /N 1 >>] >> >>"));
  const auto& ink = result.document->GetSeparationInfo().back();
  EXPECT_EQ(ink.GetName(), "Orange");
  EXPECT_EQ(ink.GetRepresentation().cmyk, (std::array<float, 4>{0, 0.5f, 1, 0}));
}

TEST(PdfReaderColors, SeparationAllAndNone) {
  const std::string tint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("/All cs 0.3 scn 0 0 1 1 re f /None cs 1 scn 0 0 2 2 re f",
                       "<< /ColorSpace << /All [/Separation /All /DeviceGray " + tint +
                           "] /None [/Separation /None /DeviceGray " + tint + "] >> >>"));
  const auto paint = FillOfOnlyPath(result);  // the /None fill leaves no object
  EXPECT_TRUE(std::holds_alternative<MavColor::AllSeparations>(ColorOf(paint).GetColorSpace()));
  EXPECT_FLOAT_EQ(ColorOf(paint).GetEntries()[0].value, 0.3f);
  EXPECT_EQ(result.document->GetSeparationInfo().size(), 4u);
}

TEST(PdfReaderColors, DeviceNMixesProcessAndSpotColorants) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/DN cs 0.2 0.7 scn 0 0 1 1 re f",
      "<< /ColorSpace << /DN [/DeviceN [/Cyan /Gold] /DeviceCMYK "
      "<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1] /Length 27 >> ] >> >>"));
  // The calculator function above has no stream here: the spot's look falls back to black.
  const auto paint = FillOfOnlyPath(result);
  EXPECT_FLOAT_EQ(Tint(paint, "Cyan"), 0.2f);
  EXPECT_FLOAT_EQ(Tint(paint, "Gold"), 0.7f);
  EXPECT_EQ(result.document->GetSeparationInfo().back().GetName(), "Gold");
  EXPECT_TRUE(HasWarning(result, "spot colour appearance unknown"));
}

TEST(PdfReaderColors, DeviceNLooksComeFromACalculatorTintTransform) {
  PdfBuilder pdf;
  const int tint = pdf.AddStream("/FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1]",
                                 "{ exch pop 0 exch 0 0 }");
  const auto result = Read(pdf.OnePage(
      "/DN cs 0 1 scn 0 0 1 1 re f", "<< /ColorSpace << /DN [/DeviceN [/Cyan /Ruby] /DeviceCMYK " +
                                         PdfBuilder::Ref(tint) + "] >> >>"));
  EXPECT_EQ(result.document->GetSeparationInfo().back().GetRepresentation().cmyk,
            (std::array<float, 4>{0, 1, 0, 0}));
  EXPECT_TRUE(HasWarning(result, "PostScript calculator functions sampled"));
}

TEST(PdfReaderColors, CalculatorNumbersIgnoreTheHostsLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no comma locale installed (Debian: locales-all)";
  PdfBuilder pdf;
  const int tint = pdf.AddStream("/FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1]",
                                 "{ exch pop 0.5 mul 0 exch 0 0 }");
  const auto result = Read(pdf.OnePage(
      "/DN cs 0 1 scn 0 0 1 1 re f", "<< /ColorSpace << /DN [/DeviceN [/Cyan /Ruby] /DeviceCMYK " +
                                         PdfBuilder::Ref(tint) + "] >> >>"));
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_EQ(result.document->GetSeparationInfo().back().GetRepresentation().cmyk,
            (std::array<float, 4>{0, 0.5f, 0, 0}));
}

TEST(PdfReaderColors, IndexedColoursExpandThroughThePalette) {
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("/P cs 1 sc 0 0 1 1 re f",
                       "<< /ColorSpace << /P [/Indexed /DeviceRGB 1 <FF000000FF80>] >> >>"));
  const auto paint = FillOfOnlyPath(result);
  EXPECT_FLOAT_EQ(Tint(paint, "Red"), 0);
  EXPECT_FLOAT_EQ(Tint(paint, "Green"), 1);
  EXPECT_NEAR(Tint(paint, "Blue"), 128 / 255.0, 1e-6);
}

TEST(PdfReaderColors, CalibratedLabAndIccSpacesKeepTheirSpace) {
  PdfBuilder pdf;
  std::string profileBytes(128, '\0');  // (appended to, not summed: GCC 12 warns falsely on the sum)
  profileBytes += "ICC";
  const int profile = pdf.AddStream("/N 4", profileBytes);
  const auto result = Read(pdf.OnePage(
      "/Cal cs 0.5 sc 0 0 1 1 re f /L cs 50 20 -30 sc 0 0 1 1 re f /I cs 0.1 0.2 0.3 0.4 sc 0 0 1 "
      "1 re f",
      "<< /ColorSpace << /Cal [/CalGray << /WhitePoint [0.9505 1 1.089] /Gamma 2.2 >>] "
      "/L [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-50 50 -50 50] >>] /I [/ICCBased " +
          PdfBuilder::Ref(profile) + "] >> >>"));
  const auto children = Children(FirstPage(result));
  ASSERT_EQ(children.size(), 3u);
  const auto& cal = ColorOf(As<MavDoc::Path>(children[0]).GetFillPaint());
  ASSERT_TRUE(std::holds_alternative<MavColor::CalGray>(cal.GetColorSpace()));
  EXPECT_EQ(std::get<MavColor::CalGray>(cal.GetColorSpace()).gamma, 2.2);
  const auto lab = As<MavDoc::Path>(children[1]).GetFillPaint();
  EXPECT_FLOAT_EQ(Tint(lab, "L"), 50);
  EXPECT_FLOAT_EQ(Tint(lab, "b"), -30);
  const auto& icc = ColorOf(As<MavDoc::Path>(children[2]).GetFillPaint());
  const auto* four = std::get_if<MavColor::FourComponent>(&icc.GetColorSpace());
  ASSERT_TRUE(four);
  EXPECT_EQ(four->kind, MavColor::FourComponent::kICCKind);
  ASSERT_TRUE(four->profile);
  EXPECT_EQ(four->profile->GetBytes().size(), 131u);
  EXPECT_FLOAT_EQ(icc.Find("Black")->value, 0.4f);
}

TEST(PdfReaderColors, UnknownColourSpaceDropsItsObjectsLoudly) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("/Nope cs 1 sc 0 0 1 1 re f"));
  EXPECT_EQ(FirstPage(result).Size(), 0u);
  EXPECT_TRUE(HasWarning(result, "colour space /Nope unreadable"));
}

}  // namespace
