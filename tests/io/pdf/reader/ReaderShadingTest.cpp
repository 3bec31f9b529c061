#include <gtest/gtest.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

const std::string kRamp = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0.5 0] /N 1 >>";

const MavDoc::Path& OnlyPath(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) throw std::logic_error("expected one object");
  return As<MavDoc::Path>(children[0]);
}

TEST(PdfReaderShadings, AxialPatternFillMapsShadingSpaceIntoTheObject) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "1 0 0 1 10 0 cm /Pattern cs /P scn 0 0 50 50 re f",
      "<< /Pattern << /P << /PatternType 2 /Matrix [2 0 0 2 0 0] /Shading << /ShadingType 2 "
      "/ColorSpace /DeviceCMYK /Coords [0 0 25 0] /Extend [true false] /Function " +
          kRamp + " >> >> >> >>"));
  const auto* axial =
      dynamic_cast<const MavPaint::AxialShadingPaint*>(OnlyPath(result).GetFillPaint().get());
  ASSERT_TRUE(axial);
  EXPECT_EQ(axial->GetEnd(), (Vexl::Point{25000, 0}));
  EXPECT_EQ(axial->GetExtend(), (std::array<bool, 2>{true, false}));
  // Pattern matrix to the page, then back through the object's CTM.
  EXPECT_EQ(axial->GetTransformation(), (Vexl::Transformation{2, 0, 0, 2, -10000, 0}));
  const auto& mapping = axial->GetSeparationMapping();
  ASSERT_EQ(mapping.Size(), 4u);
  EXPECT_EQ(mapping.GetEntries()[2].name, "Yellow");
  EXPECT_EQ(mapping.GetEntries()[2].channel, 2u);
  EXPECT_FLOAT_EQ(axial->GetFunction()->EvaluateOne(1, 2), 0.5f);
}

TEST(PdfReaderShadings, PatternShadingKeepsItsBoundingBox) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/Pattern cs /P scn 0 0 50 50 re f",
      "<< /Pattern << /P << /PatternType 2 /Shading << /ShadingType 2 /BBox [5 0 20 40] "
      "/ColorSpace /DeviceCMYK /Coords [0 0 25 0] /Function " +
          kRamp + " >> >> >> >>"));
  const auto* axial =
      dynamic_cast<const MavPaint::AxialShadingPaint*>(OnlyPath(result).GetFillPaint().get());
  ASSERT_TRUE(axial);
  EXPECT_EQ(axial->GetBox(), (Vexl::Rectangle{5000, 0, 15000, 40000}));
}

TEST(PdfReaderShadings, ShOperatorFillsTheBoundingBoxWithARadialShading) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("/S sh",
                                       "<< /Shading << /S << /ShadingType 3 /BBox [0 0 40 30] "
                                       "/ColorSpace [/Separation /Gold /DeviceCMYK " +
                                           kRamp +
                                           "] /Coords [10 10 0 10 10 20] /Function << "
                                           "/FunctionType 2 /Domain [0 1] /N 1 >> >> >> >>"));
  const auto& path = OnlyPath(result);
  EXPECT_EQ(path.GetOutline()->GetBoundingBox(), (Vexl::Rectangle{0, 0, 40000, 30000}));
  const auto* radial = dynamic_cast<const MavPaint::RadialShadingPaint*>(path.GetFillPaint().get());
  ASSERT_TRUE(radial);
  EXPECT_EQ(radial->GetRadius1(), 20000);
  EXPECT_EQ(radial->GetSeparationMapping().GetEntries()[0].name, "Gold");
  EXPECT_EQ(result.document->GetSeparationInfo().back().GetName(), "Gold");
}

TEST(PdfReaderShadings, ShWithoutBoundingBoxCoversThePage) {
  PdfBuilder pdf;
  const auto result = Read(
      pdf.OnePage("2 0 0 2 0 0 cm /S sh",
                  "<< /Shading << /S << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 0] "
                  "/Function " +
                      kRamp + " >> >> >>"));
  const auto& path = OnlyPath(result);
  // The 200 × 100 page seen from a user space scaled by 2.
  EXPECT_EQ(path.GetOutline()->GetBoundingBox(), (Vexl::Rectangle{0, 0, 100000, 50000}));
}

TEST(PdfReaderShadings, FunctionBasedShadingKeepsDomainAndMatrix) {
  PdfBuilder pdf;
  const int function =
      pdf.AddStream("/FunctionType 0 /Domain [0 2 0 1] /Range [0 1] /Size [2 2] /BitsPerSample 8",
                    std::string("\x00\xff\x00\xff", 4));
  const auto result = Read(pdf.OnePage("/S sh",
                                       "<< /Shading << /S << /ShadingType 1 /BBox [0 0 1 1] "
                                       "/ColorSpace /DeviceGray /Domain [0 2 0 1] "
                                       "/Matrix [10 0 0 10 5 0] /Function " +
                                           PdfBuilder::Ref(function) + " >> >> >>"));
  const auto* paint =
      dynamic_cast<const MavPaint::MeshShadingPaint*>(OnlyPath(result).GetFillPaint().get());
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->GetType(), MavPaint::Paint::kFunctionBased);
  EXPECT_EQ(paint->GetDomain(), (std::array<double, 4>{0, 2, 0, 1}));
  // Domain units to shading space by /Matrix, then to millipoints.
  EXPECT_EQ(paint->GetTransformation(), (Vexl::Transformation{10000, 0, 0, 10000, 5000, 0}));
  EXPECT_FLOAT_EQ(paint->GetFunction()->Evaluate({1, 0.5})[0], 0.5f);
}

TEST(PdfReaderShadings, MalformedShadingIsDroppedWithAWarning) {
  PdfBuilder pdf;
  const auto result =
      Read(pdf.OnePage("/S sh 0 0 1 1 re f",
                       "<< /Shading << /S << /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0] "
                       "/Function << /FunctionType 2 /Domain [0 1] /N 1 >> >> >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 1u);
  EXPECT_TRUE(HasWarning(result, "shading /S unreadable"));
}

// A function whose ends differ in length (C1 lost to damage, so one component): Ghostscript
// paints nothing with the pattern, and the object is read as painting nothing.
TEST(PdfReaderShadings, DamagedShadingPatternPaintsNothing) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage(
      "/Pattern cs /P scn 0 0 50 50 re f 0 g 60 0 10 10 re f",
      "<< /Pattern << /P << /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB "
      "/Coords [0 0 50 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /N 1 >> >> >> >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 1u);
  EXPECT_TRUE(HasWarning(result, "shading pattern /P damaged"));
}

TEST(PdfReaderShadings, FreeFormMeshDecodesItsTriangles) {
  PdfBuilder pdf;
  // Vertices of flag, x, y and gray, one byte each; the fourth shares an edge (flag 1).
  const int mesh = pdf.AddStream(
      "/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 "
      "/BitsPerFlag 8 "
      "/Decode [0 255 0 255 0 1]",
      std::string("\x00\x00\x00\x00\x00\x0a\x00\xff\x00\x00\x0a\xff\x01\x05\x06\x7f", 16));
  const auto result =
      Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint =
      dynamic_cast<const MavPaint::MeshShadingPaint*>(OnlyPath(result).GetFillPaint().get());
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->GetType(), MavPaint::Paint::kFreeForm);
  ASSERT_EQ(paint->GetTriangles().size(), 2u);
  const auto& first = paint->GetTriangles()[0].vertices;
  EXPECT_EQ(first[1].point, (Vexl::Point{10000, 0}));
  EXPECT_FLOAT_EQ(first[1].color[0], 1);
  const auto& second = paint->GetTriangles()[1].vertices;
  EXPECT_EQ(second[0].point, first[1].point);
  EXPECT_EQ(second[1].point, first[2].point);
  EXPECT_EQ(second[2].point, (Vexl::Point{5000, 6000}));
  EXPECT_FLOAT_EQ(second[2].color[0], 127 / 255.0f);
}

}  // namespace
