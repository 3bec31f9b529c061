// Every catalogue case flattened, and rebuilt for outline view, must print the same as the
// original, plate by plate, as Ghostscript renders both (2/255 away from outlines); flattened
// files must hold no transparency; and inside every flat region Ghostscript's rendering of the
// original must show the colour our compositor gave that region.
#include <gtest/gtest.h>

#include <cmath>

#include <mavdoc/Describe.h>
#include <mavdoc/Placement.h>
#include <tools/catalogue/CatalogueRun.h>
#include <tools/catalogue/TransparencyCheck.h>
#include <tools/oracle/SeparationRender.h>
#include <values/ColorManagement.h>
#include <vexl/Measure.h>

#include <io/pdf/PdfWriter.h>
#include <module/Exports.h>

namespace Corvel::Examples {
// Test names and failure messages show the case by its name.
void PrintTo(const CatalogueCase& c, std::ostream* out) { *out << c.name; }
}  // namespace Corvel::Examples

namespace {

using Corvel::Examples::CatalogueCase;

constexpr double kResolution = 150;

class CatalogueFidelity : public ::testing::TestWithParam<CatalogueCase> {};

std::string Name(const ::testing::TestParamInfo<CatalogueCase>& info) {
  std::string name;
  for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// The first separation that differs, with the comparison's report, for failure messages.
std::string Why(const CorvelOracle::Comparison& comparison) { return "\n" + comparison.Report(); }

TEST_P(CatalogueFidelity, FlattenedAndOutlineViewPrintTheSame) {
  const CatalogueCase& c = GetParam();
  const auto run = CorvelCatalogue::RunCase(c, {kResolution, 300, ""});
  EXPECT_TRUE(run.originalRender->GetMessages().empty()) << run.originalRender->GetMessages();
  EXPECT_GT(run.flattened.newObjects, 0u);
  EXPECT_TRUE(run.flattened.transparencyLeft.empty()) << run.flattened.transparencyLeft.front();
  if (!c.ghostscriptDiffers.empty()) GTEST_SKIP() << "judged against the model: " << c.ghostscriptDiffers;
  EXPECT_TRUE(run.flattened.comparison->Agrees()) << Why(*run.flattened.comparison);
  EXPECT_TRUE(run.outline.comparison->Agrees()) << Why(*run.outline.comparison);
}

// A pixel whose centre and the points three pixels around it all lie inside the outline: far
// enough from every edge for both renderers to agree on what covers it.
bool WellInside(const Vexl::Compound& outline, Vexl::Point centre, double pixel) {
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      const Vexl::Point p{centre.x + 3 * dx * pixel, centre.y + 3 * dy * pixel};
      if (!Vexl::Contains(outline, p, Vexl::FillRule::NonZero)) return false;
    }
  }
  return true;
}

// Up to `limit` pixels well inside the outline (page millipoints), on a grid of every 4th pixel.
std::vector<std::pair<int, int>> InnerPixels(const Vexl::Compound& outline, const CorvelOracle::SeparationRender& render,
                                             double pageHeight, std::size_t limit) {
  const double pixel = 72000.0 / render.GetResolution();  // millipoints
  const auto box = outline.GetBoundingBox();
  std::vector<std::pair<int, int>> pixels;
  const int firstColumn = std::max(0, static_cast<int>(box.Left() / pixel));
  const int lastColumn = std::min(render.GetWidth() - 1, static_cast<int>(box.Right() / pixel));
  const int firstRow = std::max(0, static_cast<int>((pageHeight - box.Top()) / pixel));
  const int lastRow = std::min(render.GetHeight() - 1, static_cast<int>((pageHeight - box.Bottom()) / pixel));
  for (int row = firstRow; row <= lastRow && pixels.size() < limit; row += 4) {
    for (int column = firstColumn; column <= lastColumn && pixels.size() < limit; column += 4) {
      const Vexl::Point centre{(column + 0.5) * pixel, pageHeight - (row + 0.5) * pixel};
      if (WellInside(outline, centre, pixel)) pixels.emplace_back(column, row);
    }
  }
  return pixels;
}

TEST_P(CatalogueFidelity, GhostscriptShowsTheCompositorsColourInsideEveryFlatRegion) {
  const CatalogueCase& c = GetParam();
  if (!c.ghostscriptDiffers.empty()) GTEST_SKIP() << "judged against the model: " << c.ghostscriptDiffers;
  MavColor::ColorSettings color;
  color.managed = true;  // the command's default, and what Ghostscript's managed render does
  const MavColor::ScopedColorSettings managed(color);
  auto document = c.make();
  const auto original = CorvelOracle::RenderPdfBytes(CorvelPdf::WriteDocumentToString(*document), 1, kResolution);
  MavDoc::Page& page = *document->GetPages().front();
  const double pageHeight = page.GetPageBox(MavDoc::kMediaBox).Top();
  const auto inserted = Corvel::FlattenAction(
      page.GetContent(), [](const auto& layer) { return layer->visible; }, true, [](const auto&) { return true; },
      false, 300);
  std::size_t flatPaths = 0, regions = 0, probes = 0;
  for (const MavDoc::ContentObject* object : inserted) {
    const auto* path = dynamic_cast<const MavDoc::Path*>(object);
    const auto* flat = path ? dynamic_cast<const MavPaint::FlatPaint*>(path->GetFillPaint().get()) : nullptr;
    if (!flat || path->IsClippingObject()) continue;
    ++flatPaths;
    const auto outline = *path->GetOutline() * MavDoc::GetAbsoluteTransformation(*path);
    const auto pixels = InnerPixels(outline, original, pageHeight, 24);
    if (!pixels.empty()) ++regions;
    for (const auto& [column, row] : pixels) {
      ++probes;
      for (const auto& plane : original.GetPlanes()) {
        const auto* entry = flat->GetColor().Find(plane.name);
        const double expected = entry ? entry->value * 255 : 0;
        ASSERT_NEAR(plane.At(column, row), expected, 2.5)
            << plane.name << " at pixel (" << column << ", " << row << ") of a region painted "
            << MavDoc::DescribeColor(flat->GetColor());
      }
    }
  }
  if (flatPaths == 0) GTEST_SKIP() << "every region is rendered as an image";
  EXPECT_GT(regions, 0u);
  RecordProperty("regions", static_cast<int>(regions));
  RecordProperty("probes", static_cast<int>(probes));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CatalogueFidelity, ::testing::ValuesIn(Corvel::Examples::Catalogue()), Name);

// The one case where Ghostscript is not the reference: the compositing notes' vector T21, a
// knockout group whose top member has alpha-is-shape at .5. The model knocks out by the member's
// shape, Ghostscript fully (the notes' T22).
TEST(CatalogueModelCase, PartialKnockoutFollowsTheModel) {
  const auto& c = Corvel::Examples::FindCase("knockout-shape");
  const auto run = CorvelCatalogue::RunCase(c, {72, 300, ""});
  const auto flattened = CorvelOracle::RenderPdfBytes(run.flattened.pdf, 1, 72);
  const double tolerance = 2.0 / 255;
  // The centre: BD ; knockout { M .6 ; AIS .5 Y .8 } = (0, .3, .4, 0).
  EXPECT_NEAR(flattened.TintAt("Cyan", 35, 35), 0, tolerance);
  EXPECT_NEAR(flattened.TintAt("Magenta", 35, 35), .3, tolerance);
  EXPECT_NEAR(flattened.TintAt("Yellow", 35, 35), .4, tolerance);
  // Between the squares the opaque magenta hides the backdrop.
  EXPECT_NEAR(flattened.TintAt("Cyan", 17, 35), 0, tolerance);
  EXPECT_NEAR(flattened.TintAt("Magenta", 17, 35), .6, tolerance);
  // Ghostscript knocks the magenta out fully instead: (.2, 0, .4, 0).
  EXPECT_NEAR(run.originalRender->TintAt("Cyan", 35, 35), .2, tolerance);
  EXPECT_NEAR(run.originalRender->TintAt("Magenta", 35, 35), 0, tolerance);
}

TEST(CatalogueCases, UnknownCaseNamesTheKnownOnes) {
  try {
    Corvel::Examples::FindCase("no-such-case");
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("blend-modes-process"), std::string::npos) << e.what();
  }
}

}  // namespace
