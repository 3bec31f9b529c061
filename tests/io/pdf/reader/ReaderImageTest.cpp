#include <gtest/gtest.h>
#include <mavdoc/Placement.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

CorvelPdf::ReadResult ReadImage(const std::string& dictEntries, const std::string& data,
                                const std::string& content = "100 0 0 50 10 20 cm /Im Do",
                                const std::string& moreResources = "") {
  PdfBuilder pdf;
  const int image = pdf.AddStream("/Type /XObject /Subtype /Image " + dictEntries, data);
  return Read(pdf.OnePage(
      content, "<< /XObject << /Im " + PdfBuilder::Ref(image) + " >> " + moreResources + " >>"));
}

const MavImg::BufferedPictureSource& SourceOf(
    const std::shared_ptr<const MavImg::PaintedPicture>& picture) {
  return dynamic_cast<const MavImg::BufferedPictureSource&>(
      *picture->GetPictureData(true)->GetSource());
}

const MavImg::BufferedPictureSource& OnlyImageSource(const CorvelPdf::ReadResult& result) {
  return SourceOf(As<MavDoc::Image>(Children(FirstPage(result)).at(0)).GetPaintedPicture());
}

TEST(PdfReaderImages, GrayImageFillsTheUnitSquareOfItsMatrix) {
  const auto result = ReadImage("/Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray",
                                std::string("\x00\x40\x80\xff", 4));
  const auto& image = As<MavDoc::Image>(Children(FirstPage(result))[0]);
  const auto box = MavDoc::GetBoundingBox(FirstPage(result), MavDoc::kPageCoordinates);
  EXPECT_EQ(box, (Vexl::Rectangle{10000, 20000, 100000, 50000}));
  EXPECT_EQ(image.GetTransformation(), (Vexl::Transformation{100, 0, 0, 50, 10000, 20000}));
  const auto& source = SourceOf(image.GetPaintedPicture());
  ASSERT_EQ(source.GetWidth(), 2);
  EXPECT_TRUE(std::holds_alternative<MavColor::DeviceGray>(source.GetMapping().GetColorSpace()));
  EXPECT_EQ(source.GetBuffer()->GetRowPtr(0)[1], 0x40);  // first row: the top of the image
  EXPECT_EQ(source.GetBuffer()->GetRowPtr(1)[1], 0xff);
}

TEST(PdfReaderImages, OneBitSamplesExpandToEightBits) {
  const auto result =
      ReadImage("/Width 8 /Height 1 /BitsPerComponent 1 /ColorSpace /DeviceGray", "\xa5");
  const auto& buffer = *OnlyImageSource(result).GetBuffer();
  const std::uint8_t expected[8] = {255, 0, 255, 0, 0, 255, 0, 255};
  EXPECT_TRUE(std::equal(expected, expected + 8, buffer.GetRowPtr(0)));
}

TEST(PdfReaderImages, SixteenBitSamplesStaySixteenBit) {
  const auto result = ReadImage("/Width 1 /Height 1 /BitsPerComponent 16 /ColorSpace /DeviceRGB",
                                "\x12\x34\x56\x78\x9a\xbc");
  const auto& buffer = *OnlyImageSource(result).GetBuffer();
  EXPECT_EQ(buffer.GetBitsPerChannel(), 16);
  EXPECT_EQ(buffer.GetChannels(), 3);
  EXPECT_NEAR(buffer.GetSample(0, 0, 2), 0x9abc / 65535.0, 1e-9);
}

TEST(PdfReaderImages, DecodeArrayInvertsSamples) {
  const auto result = ReadImage(
      "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceCMYK /Decode [1 0 0 1 0 1 0 1]",
      std::string("\x00\x00\x00\x00\xff\x00\x00\x00", 8));
  const auto& buffer = *OnlyImageSource(result).GetBuffer();
  EXPECT_EQ(buffer.GetRowPtr(0)[0], 255);  // cyan decoded from 0 to 1
  EXPECT_EQ(buffer.GetRowPtr(0)[4], 0);
}

TEST(PdfReaderImages, IndexedImagesExpandThroughThePalette) {
  const auto result = ReadImage(
      "/Width 4 /Height 1 /BitsPerComponent 2 /ColorSpace [/Indexed /DeviceCMYK 1 "
      "<FF000000000000FF>]",
      "\x1b");
  const auto& source =
      OnlyImageSource(result);  // indices 0 1 2 3; 2 and 3 lie beyond hival and clamp to 1
  const auto& buffer = *source.GetBuffer();
  EXPECT_EQ(buffer.GetChannels(), 4);
  EXPECT_EQ(buffer.GetRowPtr(0)[0], 255);  // index 0: cyan
  EXPECT_EQ(buffer.GetRowPtr(0)[7], 255);  // index 1: black
  EXPECT_EQ(buffer.GetRowPtr(0)[15], 255);
  EXPECT_EQ(source.GetMapping().GetEntries()[3].name, "Black");
}

TEST(PdfReaderImages, SeparationImageMapsItsChannelToTheSpot) {
  const auto result = ReadImage(
      "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [/Separation /Varnish /DeviceGray "
      "<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0.5] /N 1 >>]",
      "\x80");
  const auto& source = OnlyImageSource(result);
  EXPECT_EQ(source.GetMapping().GetEntries()[0].name, "Varnish");
  ASSERT_TRUE(source.GetChannelInfos()[0].GetRepresentation());
  EXPECT_EQ((*source.GetChannelInfos()[0].GetRepresentation())[3], 0.5f);
}

TEST(PdfReaderImages, StencilMaskPaintsTheFillColour) {
  const auto result =
      ReadImage("/Width 8 /Height 1 /ImageMask true", "\xf0", "1 0 0 rg 8 0 0 1 0 0 cm /Im Do");
  const auto& mask = As<MavDoc::ImageMask>(Children(FirstPage(result))[0]);
  EXPECT_TRUE(mask.IsInverted());  // Decode [0 1]: paint where the sample is 0
  EXPECT_EQ(Tint(mask.GetFillPaint(), "Red"), 1);
  EXPECT_EQ(SourceOf(mask.GetStencil()).GetBuffer()->GetRowPtr(0)[0], 255);
}

TEST(PdfReaderImages, InlineImageIsReadWithAbbreviations) {
  PdfBuilder pdf;
  const auto result = Read(pdf.OnePage("q 10 0 0 10 0 0 cm BI /W 2 /H 1 /BPC 8 /CS /G ID " +
                                       std::string("\x00\xff", 2) + " EI Q"));
  const auto& buffer = *OnlyImageSource(result).GetBuffer();
  EXPECT_EQ(buffer.GetColumns(), 2);
  EXPECT_EQ(buffer.GetRowPtr(0)[1], 255);
}

TEST(PdfReaderImages, SoftMaskedImageGetsALuminosityMaskOfItsOpacity) {
  PdfBuilder pdf;
  const int smask = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
      "/ColorSpace /DeviceGray",
      "\x80");
  const int image = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
      "/ColorSpace /DeviceGray /SMask " +
          PdfBuilder::Ref(smask),
      "\x00");
  const auto result = Read(pdf.OnePage(
      "/G gs 5 0 0 5 0 0 cm /Im Do",
      "<< /XObject << /Im " + PdfBuilder::Ref(image) + " >> /ExtGState << /G << /ca 0.5 >> >> >>"));
  const auto& picture = As<MavDoc::Image>(Children(FirstPage(result))[0]);
  const auto& t = *picture.GetTransparency();
  EXPECT_EQ(t.GetFillAlpha(), 0.5f);
  ASSERT_TRUE(t.GetSoftMask());
  EXPECT_FALSE(t.GetSoftMask()->IsAlpha());
  const auto& maskImage = As<MavDoc::Image>(Children(*t.GetSoftMask()->GetContent()).at(0));
  EXPECT_EQ(maskImage.GetTransformation(), picture.GetTransformation());
  EXPECT_EQ(SourceOf(maskImage.GetPaintedPicture()).GetBuffer()->GetRowPtr(0)[0], 0x80);
}

TEST(PdfReaderImages, ColourKeyMaskBecomesAnOpacityMask) {
  const auto result =
      ReadImage("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Mask [0 16]",
                std::string("\x08\xf0", 2));
  const auto& mask =
      *As<MavDoc::Image>(Children(FirstPage(result))[0]).GetTransparency()->GetSoftMask();
  const auto& opacity =
      SourceOf(As<MavDoc::Image>(Children(*mask.GetContent())[0]).GetPaintedPicture());
  EXPECT_EQ(opacity.GetBuffer()->GetRowPtr(0)[0], 0);
  EXPECT_EQ(opacity.GetBuffer()->GetRowPtr(0)[1], 255);
}

TEST(PdfReaderImages, UnknownFiltersAreReportedAndDropped) {
  const auto result = ReadImage(
      "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /NoSuchDecode", "xx");
  EXPECT_EQ(FirstPage(result).Size(), 0u);
  EXPECT_TRUE(HasWarning(result, "images with filters /NoSuchDecode not supported: dropped"));
}

}  // namespace
