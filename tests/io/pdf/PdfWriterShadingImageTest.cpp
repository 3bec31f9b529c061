// Shadings, pictures and image masks written as PDF, read back through the separation oracle at
// hand-computed points (page 100 × 10 pt at 72 dpi: one pixel per point).
#include <gtest/gtest.h>
#include <io/pdf/PdfWriter.h>
#include <values/Function.h>

#include "PdfTestSupport.h"

namespace {

using namespace CorvelPdfTest;
using MavDoc::Build::Add;

// Ghostscript paints smooth shadings by subdivision within its smoothness tolerance; our notes
// measured differences up to .03 against the exact values.

std::shared_ptr<const MavPaint::Function> Exponential(std::vector<float> c0, std::vector<float> c1,
                                                      double n) {
  return std::make_shared<const MavPaint::ExponentialFunction>(std::move(c0), std::move(c1), n);
}

MavDoc::Path& ShadedPage(MavDoc::Document& document, std::shared_ptr<const MavPaint::Paint> paint) {
  auto& page = document.AddPage(PtRect(0, 0, 100, 10));
  return Add(page.GetContent(),
             MavDoc::Build::FilledRectangle(PtRect(0, 0, 100, 10), std::move(paint)));
}

TEST(PdfWriterShading, AxialStitchedShadingHasItsEndsAndMiddle) {
  // Two pieces split at .5: C 0 → 1 linearly, then M 0 → 1 as u².
  auto stitched = std::make_shared<const MavPaint::StitchingFunction>(
      std::vector<std::shared_ptr<const MavPaint::Function>>{
          Exponential({0, 0, 0, 0}, {1, 0, 0, 0}, 1), Exponential({1, 0, 0, 0}, {1, 1, 0, 0}, 2)},
      std::vector<double>{.5}, std::vector<double>{0, 1, 0, 1});
  MavPaint::ShadingCommon common{stitched, Mapping({"Cyan", "Magenta", "Yellow", "Black"}),
                                 std::nullopt, Vexl::Transformation::Identity()};
  MavDoc::Document document;
  ShadedPage(document, std::make_shared<const MavPaint::AxialShadingPaint>(
                           common, Vexl::Point{Pt(10), 0}, Vexl::Point{Pt(90), 0},
                           std::array<double, 2>{0, 1}, std::array<bool, 2>{true, false}));
  const auto render = WriteAndRender(document);
  const struct {
    double x, cyan, magenta;
  } expected[] = {
      {5.5, 0, 0}, {30.5, .5125, 0}, {49.5, .9875, 0}, {70.5, 1, .2627}, {89.5, 1, .9752}};
  for (const auto& e : expected) {
    EXPECT_NEAR(render.TintAt("Cyan", e.x, 5.5), e.cyan, kShadingTolerance) << "x = " << e.x;
    EXPECT_NEAR(render.TintAt("Magenta", e.x, 5.5), e.magenta, kShadingTolerance) << "x = " << e.x;
  }
  EXPECT_EQ(render.TintAt("Cyan", 95.5, 5.5), 0) << "past the end, not extended";
}

TEST(PdfWriterShading, SampledFunctionKeepsItsSamples) {
  // Three samples of (Cyan, Yellow): (0, 1), (1, .5), (0, 0), interpolated linearly.
  auto sampled = std::make_shared<const MavPaint::SampledFunction>(
      std::vector<std::array<double, 2>>{{0, 1}}, std::vector<int>{3},
      std::vector<float>{0, 1, 1, .5f, 0, 0}, 2);
  MavPaint::ShadingCommon common{sampled, Mapping({"Cyan", "Yellow"}), std::nullopt,
                                 Vexl::Transformation::Identity()};
  MavDoc::Document document;
  ShadedPage(document, std::make_shared<const MavPaint::AxialShadingPaint>(
                           common, Vexl::Point{0, 0}, Vexl::Point{Pt(100), 0}));
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Cyan", 50.5, 5), 1, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Yellow", 50.5, 5), .5, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 25.5, 5), .5, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Yellow", 25.5, 5), .75, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 99.5, 5), 0, kShadingTolerance);
}

TEST(PdfWriterShading, RadialSpotShadingFollowsItsCone) {
  MavPaint::ShadingCommon common{Exponential({0}, {1}, 1), Mapping({"Spot1"}), std::nullopt,
                                 Vexl::Transformation::Identity()};
  MavDoc::Document document;
  document.AddSeparation({"Spot1", MavDoc::Separation::kNormalInk, {{1, 0, 0, 0}}});
  ShadedPage(document, std::make_shared<const MavPaint::RadialShadingPaint>(
                           common, Vexl::Point{Pt(20), Pt(5)}, Pt(5), Vexl::Point{Pt(70), Pt(5)},
                           Pt(20), std::array<double, 2>{0, 1}, std::array<bool, 2>{true, true}));
  const auto render = WriteAndRender(document);
  ASSERT_NE(render.Find("Spot1"), nullptr);
  const std::pair<double, double> expected[] = {
      {10.5, 0}, {20.5, .1567}, {30.5, .4426}, {45.5, .8712}, {60.5, 1}};
  for (const auto& [x, tint] : expected) {
    EXPECT_NEAR(render.TintAt("Spot1", x, 5.5), tint, kShadingTolerance) << "x = " << x;
  }
  EXPECT_EQ(render.TintAt("Spot1", 2.5, 5.5), 0) << "past the cone's tip";
  EXPECT_EQ(render.TintAt("Cyan", 45.5, 5.5), 0) << "the spot's alternate must not show";
}

std::shared_ptr<const MavImg::PaintedPicture> Picture(
    int columns, int rows, int bits, const std::vector<std::vector<int>>& samplesByChannel,
    std::initializer_list<std::string> names, std::vector<MavImg::ChannelInfo> infos = {}) {
  const int channels = static_cast<int>(samplesByChannel.size());
  MavImg::PictureBuffer::Factory factory(columns, rows, channels, bits);
  for (int row = 0; row < rows; ++row) {
    std::uint8_t* p = factory.GetRowPtr(row);
    for (int column = 0; column < columns; ++column) {
      for (int channel = 0; channel < channels; ++channel) {
        const int value = samplesByChannel[channel][row * columns + column];
        if (bits == 16) *p++ = static_cast<std::uint8_t>(value >> 8);
        *p++ = static_cast<std::uint8_t>(value & 0xff);
      }
    }
  }
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      factory.GetResult(), Mapping(names), std::move(infos), nullptr, std::nullopt, nullptr,
      Vexl::Transformation::Identity());
  auto data = MavImg::PictureData::Factory(nullptr, source).Get();
  return MavImg::PaintedPicture::Factory(nullptr, data, false).Get();
}

TEST(PdfWriterImage, CmykPicturePixelsLandWhereTheyShould) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 100, 10));
  // Channels given in K, C, M order: the writer reorders them for DeviceCMYK.
  auto& image =
      Add(page.GetContent(), std::make_unique<MavDoc::Image>(Picture(
                                 4, 1, 8, {{0, 0, 0, 51}, {0, 85, 170, 255}, {0, 51, 102, 153}},
                                 {"Black", "Cyan", "Magenta"})));
  image.SetTransformation(Vexl::Transformation::Scaling(100, 10), 0);
  const auto render = WriteAndRender(document);
  const struct {
    double x, cyan, magenta, black;
  } expected[] = {{12.5, 0, 0, 0}, {37.5, 1 / 3., .2, 0}, {62.5, 2 / 3., .4, 0}, {87.5, 1, .6, .2}};
  for (const auto& e : expected) {
    EXPECT_NEAR(render.TintAt("Cyan", e.x, 5), e.cyan, kTintTolerance) << "x = " << e.x;
    EXPECT_NEAR(render.TintAt("Magenta", e.x, 5), e.magenta, kTintTolerance) << "x = " << e.x;
    EXPECT_NEAR(render.TintAt("Black", e.x, 5), e.black, kTintTolerance) << "x = " << e.x;
    EXPECT_EQ(render.TintAt("Yellow", e.x, 5), 0);
  }
}

TEST(PdfWriterImage, SpotPictureKeepsRowOrderAndChannelRanges) {
  MavDoc::Document document;
  document.AddSeparation({"PANTONE 123 C", MavDoc::Separation::kNormalInk, {{0, .2f, 1, 0}}});
  auto& page = document.AddPage(PtRect(0, 0, 20, 20));
  // 1 × 2 pixels, 16 bits: the spot's range runs backwards (sample 0 is full ink).
  std::vector<MavImg::ChannelInfo> infos{MavImg::ChannelInfo("PANTONE 123 C", 0, {1, 0}),
                                         MavImg::ChannelInfo("Cyan", 0, {0, 1})};
  auto& image = Add(page.GetContent(),
                    std::make_unique<MavDoc::Image>(Picture(1, 2, 16, {{0, 49151}, {65535, 16384}},
                                                            {"PANTONE 123 C", "Cyan"}, infos)));
  image.SetTransformation(Vexl::Transformation::Scaling(20, 20), 0);
  const auto render = WriteAndRender(document);
  // Row 0 is the top half.
  EXPECT_NEAR(render.TintAt("PANTONE 123 C", 10, 15), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 10, 15), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("PANTONE 123 C", 10, 5), .25, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 10, 5), .25, kTintTolerance);
}

TEST(PdfWriterImage, ImageMaskPaintsItsFillWhereSet) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 40, 20));
  auto stencil = Picture(2, 1, 8, {{255, 0}}, {"Black"});
  auto& set = Add(page.GetContent(), std::make_unique<MavDoc::ImageMask>(stencil, false));
  set.SetFillPaint(MavDoc::Build::Flat({{"Magenta", .6f}}));
  set.SetTransformation(Vexl::Transformation::Scaling(20, 20), 0);
  auto& inverted = Add(page.GetContent(), std::make_unique<MavDoc::ImageMask>(stencil, true));
  inverted.SetFillPaint(MavDoc::Build::Flat({{"Yellow", 1}}));
  inverted.SetTransformation(
      Vexl::Transformation::Scaling(20, 20) * Vexl::Transformation::Translation(Pt(20), 0), 0);
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Magenta", 5, 10), .6, kTintTolerance) << "set pixel";
  EXPECT_EQ(render.TintAt("Magenta", 15, 10), 0) << "clear pixel";
  EXPECT_EQ(render.TintAt("Yellow", 25, 10), 0) << "set pixel, inverted";
  EXPECT_NEAR(render.TintAt("Yellow", 35, 10), 1, kTintTolerance) << "clear pixel, inverted";
}

TEST(PdfWriterText, GlyphOutlinesArePaintedByRenderingMode) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 60, 20));
  auto glyph = Vexl::MakeRectangle(PtRect(0, 0, 10, 10));
  for (int mode : {0, 3}) {
    auto& text = Add(page.GetContent(), std::make_unique<MavDoc::Text>("I", glyph, mode));
    text.SetFillPaint(MavDoc::Build::Flat({{"Cyan", 1}}));
    text.SetTransformation(Vexl::Transformation::Translation(Pt(5 + 30 * (mode / 3)), Pt(5)), 0);
  }
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Cyan", 10, 10), 1, kTintTolerance) << "mode 0 fills";
  EXPECT_EQ(render.TintAt("Cyan", 40, 10), 0) << "mode 3 is invisible";
}

TEST(PdfWriterImage, ACoverageChannelBecomesTheImagesSoftMask) {
  // Two black pixels over K .2, the left opaque, the right at coverage 64/255.
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 20, 10));
  Add(page.GetContent(), MavDoc::Build::FilledRectangle(PtRect(0, 0, 20, 10), MavDoc::Build::Flat({{"Black", .2f}})));
  auto& image = Add(page.GetContent(),
                    std::make_unique<MavDoc::Image>(
                        Picture(2, 1, 8, {{255, 255}, {255, 64}}, {"Black"},
                                {MavImg::ChannelInfo("Black", 0, {0, 1}),
                                 MavImg::ChannelInfo("alpha", MavImg::ChannelInfo::kAlphaChannel, {0, 1})})));
  image.SetTransformation(Vexl::Transformation::Scaling(20, 10), 0);
  const auto render = WriteAndRender(document);
  EXPECT_NEAR(render.TintAt("Black", 5, 5), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Black", 15, 5), 64 / 255. + (1 - 64 / 255.) * .2, kTintTolerance);
}

TEST(PdfWriterImage, CalibratedRgbPictureIsWrittenAsRgbNotAsInks) {
  // One pure red pixel of a CalRGB picture: it must print as process ink (M and Y with
  // Ghostscript's simple conversion), never on plates named after its components.
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 10, 10));
  MavImg::PictureBuffer::Factory buffer(1, 1, 3, 8);
  std::uint8_t* pixel = buffer.GetRowPtr(0);
  pixel[0] = 255, pixel[1] = 0, pixel[2] = 0;
  MavPaint::SeparationMapping mapping(MavColor::CalRGB{});
  std::uint64_t channel = 0;
  for (const char* name : {"Red", "Green", "Blue"}) mapping.Append({name, channel++});
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), mapping, std::vector<MavImg::ChannelInfo>{}, nullptr, std::nullopt, nullptr,
      Vexl::Transformation::Identity());
  auto picture = MavImg::PaintedPicture::Factory(nullptr, MavImg::PictureData::Factory(nullptr, source).Get(), false).Get();
  auto& image = Add(page.GetContent(), std::make_unique<MavDoc::Image>(picture));
  image.SetTransformation(Vexl::Transformation::Scaling(10, 10), 0);
  const std::string pdf = CorvelPdf::WriteDocumentToString(document);
  const auto render = CorvelOracle::RenderPdfBytes(pdf, 1, 72, CorvelOracle::ColorConversion::Simple);
  EXPECT_EQ(render.Find("Red"), nullptr);
  EXPECT_NEAR(render.TintAt("Magenta", 5, 5), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Yellow", 5, 5), 1, kTintTolerance);
  EXPECT_NEAR(render.TintAt("Cyan", 5, 5), 0, kTintTolerance);
}

}  // namespace
