// Mesh shadings from damaged or unusual streams: what survives, and what the user is told.
#include <gtest/gtest.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

const MavPaint::MeshShadingPaint* OnlyMesh(const CorvelPdf::ReadResult& result) {
  const auto children = Children(FirstPage(result));
  if (children.size() != 1) return nullptr;
  return dynamic_cast<const MavPaint::MeshShadingPaint*>(As<MavDoc::Path>(children[0]).GetFillPaint().get());
}

// A Coons patch of flag, 12 points and 4 gray corners, one byte each.
std::string CoonsPatch() {
  std::string patch(1, '\0');
  for (int k = 0; k < 12; ++k) patch += std::string{static_cast<char>(k * 10), static_cast<char>(k * 5)};
  return patch + std::string("\x00\x40\x80\xff", 4);
}

const std::string kCoonsDict =
    "/ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
    "/Decode [0 255 0 255 0 1]";

TEST(PdfReaderMeshes, TruncatedPatchMeshKeepsItsWholePatchesAndSaysSo) {
  PdfBuilder pdf;
  const std::string full = CoonsPatch();
  const int mesh = pdf.AddStream(kCoonsDict, full + full.substr(0, 20));
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint = OnlyMesh(result);
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->GetPatches().size(), 1u);
  EXPECT_TRUE(HasWarning(result, "patch mesh data ends inside a patch"));
}

TEST(PdfReaderMeshes, TruncatedTriangleIsDroppedWithAWarning) {
  PdfBuilder pdf;
  // Four vertices of flag, x, y, gray: the fourth starts a triangle that never ends.
  const int mesh = pdf.AddStream(
      "/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
      "/Decode [0 255 0 255 0 1]",
      std::string("\x00\x00\x00\x00\x00\x0a\x00\xff\x00\x00\x0a\xff\x00\x05\x06\x7f", 16));
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint = OnlyMesh(result);
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->GetTriangles().size(), 1u);
  EXPECT_TRUE(HasWarning(result, "mesh shading data ends inside a triangle"));
}

TEST(PdfReaderMeshes, BitDepthTheFormatDoesNotAllowDropsTheShadingAndNamesIt) {
  PdfBuilder pdf;
  const int mesh = pdf.AddStream(
      "/ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 7 /BitsPerFlag 8 "
      "/Decode [0 255 0 255 0 1]",
      CoonsPatch());
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 0u);
  EXPECT_TRUE(HasWarning(result, "shading /S unreadable (mesh shading with /BitsPerComponent 7)"));
}

TEST(PdfReaderMeshes, MissingFlagWidthDropsTheShadingAndNamesIt) {
  PdfBuilder pdf;
  const int mesh = pdf.AddStream(
      "/ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 "
      "/Decode [0 255 0 255 0 1]",
      CoonsPatch());
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  EXPECT_EQ(FirstPage(result).Size(), 0u);
  EXPECT_TRUE(HasWarning(result, "mesh shading with /BitsPerFlag 0"));
}

TEST(PdfReaderMeshes, FlagsUseOnlyTheirTwoLowBits) {
  PdfBuilder pdf;
  // Flag bytes 0xfc read as 0: one triangle, not an error about a shared edge.
  const int mesh = pdf.AddStream(
      "/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
      "/Decode [0 255 0 255 0 1]",
      std::string("\xfc\x00\x00\x00\xfc\x0a\x00\xff\xfc\x00\x0a\x80", 12));
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint = OnlyMesh(result);
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->GetTriangles().size(), 1u);
}

TEST(PdfReaderMeshes, PatchSharingAnEdgeTakesThePreviousPatchsPointsAndColours) {
  PdfBuilder pdf;
  // The second patch (flag 2) starts from the first's p33 p32 p31 p30 and colours c33 c30.
  std::string second(1, '\x02');
  for (int k = 0; k < 8; ++k) second += std::string{static_cast<char>(200 + k), static_cast<char>(k)};
  second += std::string("\x10\x20", 2);
  const int mesh = pdf.AddStream(kCoonsDict, CoonsPatch() + second);
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint = OnlyMesh(result);
  ASSERT_TRUE(paint);
  ASSERT_EQ(paint->GetPatches().size(), 2u);
  const auto& first = paint->GetPatches()[0];
  const auto& next = paint->GetPatches()[1];
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(next.controlPoints[k], first.controlPoints[6 + k]) << k;
  EXPECT_EQ(next.cornerColors[0], first.cornerColors[2]);
  EXPECT_EQ(next.cornerColors[1], first.cornerColors[3]);
  EXPECT_FLOAT_EQ(next.cornerColors[3][0], 0x20 / 255.0f);
}

// Packs fields of any width, most significant bit first.
class BitWriter {
 public:
  void Put(unsigned value, int bits) {
    for (int b = bits - 1; b >= 0; --b) bits_.push_back((value >> b) & 1u);
  }
  void Align() {
    while (bits_.size() % 8) bits_.push_back(0);
  }
  std::string Bytes() {
    Align();
    std::string out;
    for (std::size_t i = 0; i < bits_.size(); i += 8) {
      unsigned byte = 0;
      for (std::size_t k = 0; k < 8; ++k) byte = (byte << 1) | bits_[i + k];
      out += static_cast<char>(byte);
    }
    return out;
  }

 private:
  std::vector<unsigned> bits_;
};

// Regression: patches of 2-bit flags (226 bits each) were read back to back, so the second
// patch came out of the first one's padding.
TEST(PdfReaderMeshes, EachPatchStartsOnAByteBoundary) {
  BitWriter bits;
  for (unsigned start : {0u, 130u}) {
    bits.Put(0, 2);
    for (int k = 0; k < 12; ++k) bits.Put(start + unsigned(k), 8), bits.Put(start, 8);
    for (int k = 0; k < 4; ++k) bits.Put(start, 8);
    bits.Align();
  }
  PdfBuilder pdf;
  const int mesh = pdf.AddStream(
      "/ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 2 "
      "/Decode [0 255 0 255 0 255]",
      bits.Bytes());
  const auto result = Read(pdf.OnePage("/S sh", "<< /Shading << /S " + PdfBuilder::Ref(mesh) + " >> >>"));
  const auto* paint = OnlyMesh(result);
  ASSERT_TRUE(paint);
  ASSERT_EQ(paint->GetPatches().size(), 2u);
  const auto& second = paint->GetPatches()[1];
  EXPECT_EQ(second.controlPoints[0], (Vexl::Point{130000, 130000}));
  EXPECT_EQ(second.controlPoints[11], (Vexl::Point{141000, 130000}));
  EXPECT_FLOAT_EQ(second.cornerColors[3][0], 130);
}

}  // namespace
