// The files the writer makes: valid for qpdf, byte for byte repeatable, with the page structure
// asked for, and clear refusals of what PDF cannot hold.
#include <gtest/gtest.h>

#include <clocale>
#include <io/pdf/PdfWriter.h>
#include <values/Function.h>

#include <qpdf/QPDF.hh>

#include "PdfTestSupport.h"

namespace {

using namespace CorvelPdfTest;
using BM = MavBlend::BlendMode;
using MavDoc::Build::Add;
using MavDoc::Build::FilledRectangle;
using MavDoc::Build::Flat;

std::shared_ptr<const MavPaint::AxialShadingPaint> Axial(
    std::initializer_list<std::string> inks, std::optional<std::vector<float>> background) {
  const std::size_t n = inks.size();
  auto function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>(n, 0.f), std::vector<float>(n, 1.f), 1);
  return std::make_shared<const MavPaint::AxialShadingPaint>(
      MavPaint::ShadingCommon{function, Mapping(inks), std::move(background),
                              Vexl::Transformation::Rotation(0.3)},
      Vexl::Point{0, 0}, Vexl::Point{Pt(50), 0});
}

// One page using every kind of object and transparency the writer knows.
void BuildBusyDocument(MavDoc::Document& document) {
  document.AddSeparation({"PANTONE 123 C", MavDoc::Separation::kNormalInk, {{0, .3f, 1, 0}}});
  document.AddSeparation({"Varnish", MavDoc::Separation::kTransparentInk, {{0, 0, 0, 0}}});
  auto& page = document.AddPage(PtRect(0, 0, 200, 150));
  page.SetPageBox(MavDoc::kTrimBox, PtRect(10, 10, 180, 130));
  auto& content = page.GetContent();
  Add(content,
      FilledRectangle(PtRect(0, 0, 200, 150), Flat({{"Cyan", .2f}, {"PANTONE 123 C", .5f}})));
  auto& knockout = Add(content, MavDoc::Build::TransparencyGroup(
                                    MavDoc::Build::Blend(BM::Multiply, .7f), true, true));
  knockout.SetGroupColorSpace(MavColor::DeviceCMYK{});
  Add(knockout,
      MavDoc::Build::FilledEllipse({Pt(50), Pt(50)}, Pt(30), Pt(20), Flat({{"Varnish", 1}})));
  auto& shaded = Add(knockout, FilledRectangle(PtRect(60, 20, 60, 60),
                                               Axial({"Cyan", "PANTONE 123 C"}, std::nullopt)));
  shaded.SetStrokePaint(Axial({"Magenta"}, std::vector<float>{.1f}));
  auto& clipped = Add(content, std::make_unique<MavDoc::Group>());
  Add(clipped, MavDoc::Build::ClipRectangle(PtRect(100, 50, 80, 80)));
  auto mask = MavDoc::Content::MakeSoftMaskContent(&document);
  Add(*mask, FilledRectangle(PtRect(100, 50, 40, 80), Flat(MavColor::MakeCMYKColor(0, 0, 0, .5f))));
  auto square = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0},
                                                                      std::vector<float>{1}, 2);
  Add(clipped, FilledRectangle(PtRect(90, 40, 100, 100), Flat({{"Yellow", 1}}),
                               MavBlend::Transparency::Factory()
                                   .SetBlendMode(BM::Luminosity)
                                   .SetAlphaIsShape(true)
                                   .SetSoftMask(MavBlend::SoftMask::Factory(mask)
                                                    .SetBackdropColor({0, 0, 0, .2f})
                                                    .SetTransferFunction(square)
                                                    .Get())
                                   .Get()));
  auto& layer = Add(content, MavDoc::Build::MakeLayer("Notes", false));
  auto& text =
      Add(layer, std::make_unique<MavDoc::Text>("x", Vexl::MakeRectangle(PtRect(0, 0, 5, 5)), 2));
  text.SetFillPaint(Flat(MavColor::MakeGrayColor(.2f)));
  text.SetStrokePaint(Flat({{"Black", 1}}));
}

TEST(PdfWriterFile, BusyPagePassesQpdfCheckAndRenders) {
  MavDoc::Document document;
  BuildBusyDocument(document);
  const auto render = WriteAndRender(document);
  EXPECT_NE(render.Find("PANTONE 123 C"), nullptr);
  EXPECT_NE(render.Find("Varnish"), nullptr);
}

TEST(PdfWriterFile, SameDocumentGivesTheSameBytes) {
  MavDoc::Document first, second;
  BuildBusyDocument(first);
  BuildBusyDocument(second);
  const std::string bytes = CorvelPdf::WriteDocumentToString(first);
  EXPECT_EQ(bytes, CorvelPdf::WriteDocumentToString(first));
  EXPECT_EQ(bytes, CorvelPdf::WriteDocumentToString(second)) << "independent of object addresses";
  EXPECT_NE(bytes.find("/ID ["), std::string::npos);
}

QPDFObjectHandle PageOf(QPDF& pdf, const std::string& bytes, std::size_t index) {
  pdf.processMemoryFile("written", bytes.data(), bytes.size());
  return pdf.getAllPages().at(index);
}

// A host that sets a comma locale (German, French...) must still get "0.5" in the PDF, and the
// calculator functions it reads must still see 0.5.
TEST(PdfWriterFile, NumbersIgnoreTheHostsLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no comma locale installed (Debian: locales-all)";
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  MavDoc::Document document;
  BuildBusyDocument(document);
  const std::string pdf = CorvelPdf::WriteDocumentToString(document);
  std::setlocale(LC_ALL, before.c_str());
  QPDF reread;
  reread.processMemoryFile("busy", pdf.data(), pdf.size());
  auto page = reread.getAllPages().at(0);
  auto contents = page.getKey("/Contents").getStreamData(qpdf_dl_generalized);
  const std::string ops(reinterpret_cast<const char*>(contents->getBuffer()), contents->getSize());
  EXPECT_EQ(ops.find(','), std::string::npos) << ops.substr(0, 200);
  EXPECT_NE(ops.find("0.5"), std::string::npos);
  bool passed = false;
  const std::string report = QpdfCheck(pdf, passed);
  EXPECT_TRUE(passed) << report;
}

TEST(PdfWriterFile, PagesKeepTheirBoxesAndRotation) {
  MavDoc::Document document;
  document.AddPage(PtRect(0, 0, 100, 50));
  auto& second = document.AddPage(PtRect(0, 0, 300, 200));
  second.SetPageBox(MavDoc::kCropBox, PtRect(5, 5, 290, 190));
  second.SetPageBox(MavDoc::kBleedBox, PtRect(7, 7, 286, 186));
  second.SetPageBox(MavDoc::kTrimBox, PtRect(10, 10, 280.5, 180));
  second.SetPageBox(MavDoc::kArtBox, PtRect(20, 20, 100, 100));
  second.SetRotation(270);
  const std::string bytes = CorvelPdf::WriteDocumentToString(document);
  QPDF pdf;
  auto page = PageOf(pdf, bytes, 1);
  EXPECT_EQ(pdf.getAllPages().size(), 2u);
  EXPECT_EQ(page.getKey("/MediaBox").unparse(), "[ 0 0 300 200 ]");
  EXPECT_EQ(page.getKey("/CropBox").unparse(), "[ 5 5 295 195 ]");
  EXPECT_EQ(page.getKey("/BleedBox").unparse(), "[ 7 7 293 193 ]");
  EXPECT_EQ(page.getKey("/TrimBox").unparse(), "[ 10 10 290.5 190 ]");
  EXPECT_EQ(page.getKey("/ArtBox").unparse(), "[ 20 20 120 120 ]");
  EXPECT_EQ(page.getKey("/Rotate").getIntValue(), 270);
  auto first = pdf.getAllPages().at(0);
  EXPECT_FALSE(first.hasKey("/TrimBox"));
  EXPECT_FALSE(first.hasKey("/Rotate"));
}

TEST(PdfWriterFile, OneContentBecomesAOnePageFileOfTheBox) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 300, 300));
  auto& group = Add(page.GetContent(), std::make_unique<MavDoc::Group>());
  Add(group, FilledRectangle(PtRect(10, 10, 20, 20), Flat({{"Magenta", .5f}})));
  const std::string bytes =
      CorvelPdf::WriteContentToString(group.GetContent(), PtRect(0, 0, 40, 40));
  QPDF pdf;
  EXPECT_EQ(PageOf(pdf, bytes, 0).getKey("/MediaBox").unparse(), "[ 0 0 40 40 ]");
  const auto render = CorvelOracle::RenderPdfBytes(bytes);
  EXPECT_NEAR(render.TintAt("Magenta", 20, 20), .5, 2.0 / 255);
}

std::string WriteError(const MavDoc::Document& document) {
  try {
    CorvelPdf::WriteDocumentToString(document);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "no error";
}

TEST(PdfWriterErrors, ColoursPdfCannotHoldAreRefused) {
  MavDoc::Document rgbWithSpot;
  auto rgb = MavColor::Color(MavColor::DeviceRGB{});
  for (const char* name : {"R", "G", "B"}) rgb.Append({name, .5f});
  rgb.Append({"PANTONE 123 C", 1});
  Add(rgbWithSpot.AddPage(PtRect(0, 0, 10, 10)).GetContent(),
      FilledRectangle(PtRect(0, 0, 10, 10), Flat(rgb)));
  EXPECT_EQ(WriteError(rgbWithSpot),
            "A colour in an RGB or CIE space cannot carry named inks in PDF");

  MavDoc::Document tooManyInks;
  MavColor::Color many;
  for (int i = 0; i < 33; ++i) many["Spot " + std::to_string(i)].value = .1f;
  Add(tooManyInks.AddPage(PtRect(0, 0, 10, 10)).GetContent(),
      FilledRectangle(PtRect(0, 0, 10, 10), Flat(many)));
  EXPECT_EQ(WriteError(tooManyInks), "PDF allows at most 32 inks in one colour space, not 33");
}

TEST(PdfWriterErrors, SoftMaskWhoseArtworkUsesItselfIsRefused) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 10, 10));
  auto artwork = MavDoc::Content::MakeSoftMaskContent(&document);
  auto mask = MavBlend::SoftMask::Factory(artwork).Get();
  auto masked = MavBlend::Transparency::Factory().SetSoftMask(mask).Get();
  Add(page.GetContent(), FilledRectangle(PtRect(0, 0, 10, 10), Flat({{"Cyan", 1}}), masked));
  auto& loop = Add(*artwork, FilledRectangle(PtRect(0, 0, 10, 10), Flat({{"Black", 1}}), masked));
  const std::string error = WriteError(document);
  artwork->Remove(loop);  // breaks the ownership cycle before the test ends
  EXPECT_EQ(error.rfind("page 1, object 1, soft mask, object 1, soft mask", 0), 0u) << error;
  EXPECT_NE(error.find(": groups and soft masks nest deeper than 64 levels"), std::string::npos)
      << error;
}

TEST(PdfWriterErrors, UnwritableFileIsReported) {
  MavDoc::Document document;
  document.AddPage(PtRect(0, 0, 10, 10));
  EXPECT_THROW(CorvelPdf::WriteDocument(document, "/nonexistent-folder/out.pdf"),
               std::runtime_error);
}

}  // namespace
