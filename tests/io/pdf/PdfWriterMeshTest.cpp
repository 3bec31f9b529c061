// Function-based shadings and meshes written as PDF, read back through the separation oracle
// at hand-computed points (page 100 × 100 pt at 72 dpi: one pixel per point).
#include <gtest/gtest.h>
#include <io/pdf/PdfWriter.h>
#include <values/Function.h>

#include "PdfTestSupport.h"

namespace {

using namespace CorvelPdfTest;
using MavDoc::Build::Add;
using MavPaint::MeshShadingPaint;

// Ghostscript paints smooth shadings by subdivision within its smoothness tolerance.

MavPaint::ShadingCommon Cmyk(std::shared_ptr<const MavPaint::Function> function = nullptr) {
  MavPaint::ShadingCommon common;
  common.function = std::move(function);
  const char* names[] = {"Cyan", "Magenta", "Yellow", "Black"};
  for (std::uint64_t c = 0; c < 4; ++c) common.mapping[names[c]].channel = c;
  return common;
}

CorvelOracle::SeparationRender RenderFilled(std::shared_ptr<const MavPaint::Paint> paint) {
  MavDoc::Document document;
  auto& page = document.AddPage(PtRect(0, 0, 100, 100));
  Add(page.GetContent(), MavDoc::Build::FilledRectangle(PtRect(0, 0, 100, 100), std::move(paint)));
  return WriteAndRender(document);
}

MavPaint::MeshVertex Vertex(double xInPoints, double yInPoints, std::vector<float> color) {
  return {{Pt(xInPoints), Pt(yInPoints)}, std::move(color)};
}

TEST(PdfWriterShading, TriangleMeshKeepsItsVertexColours) {
  const auto render = RenderFilled(std::make_shared<const MeshShadingPaint>(
      MavPaint::Paint::kFreeForm, Cmyk(), std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{
          {{Vertex(0, 0, {1, 0, 0, 0}), Vertex(100, 0, {0, 1, 0, 0}), Vertex(0, 100, {0, 0, 1, 0})}}},
      std::vector<MeshShadingPaint::Patch>{}));
  // Weights at (25.5, 25.5): .49, .255, .255.
  EXPECT_NEAR(render.TintAt("Cyan", 25.5, 25.5), 0.49, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Magenta", 25.5, 25.5), 0.255, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Yellow", 25.5, 25.5), 0.255, kShadingTolerance);
  EXPECT_EQ(render.TintAt("Cyan", 70.5, 70.5), 0) << "outside the triangle";
}

TEST(PdfWriterShading, CoonsPatchWithAFunctionKeepsItsBlend) {
  // A plain square patch; t is 0 at u = 0 and 1 at u = 1, Black = t.
  MeshShadingPaint::Patch patch;
  const int places[12][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {3, 1}, {3, 0}, {2, 0}, {1, 0}};
  for (const auto& place : places) patch.controlPoints.push_back({Pt(100 * place[0] / 3.0), Pt(100 * place[1] / 3.0)});
  patch.cornerColors = {{{0}, {0}, {1}, {1}}};
  const auto function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0, 0, 0, 0}, std::vector<float>{0, 0, 0, 1}, 1.0);
  const auto render = RenderFilled(std::make_shared<const MeshShadingPaint>(
      MavPaint::Paint::kCoons, Cmyk(function), std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{}, std::vector{patch}));
  EXPECT_NEAR(render.TintAt("Black", 20.5, 50.5), 0.205, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Black", 80.5, 10.5), 0.805, kShadingTolerance);
}

TEST(PdfWriterShading, FunctionBasedShadingKeepsDomainAndTransformation) {
  // Cyan = x, Magenta = y over [0, 1]², stretched over the page.
  auto common = Cmyk(std::make_shared<const MavPaint::SampledFunction>(
      std::vector<std::array<double, 2>>{{0, 1}, {0, 1}}, std::vector<int>{2, 2},
      std::vector<float>{0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0}, 4));
  common.transformation = {Pt(100), 0, 0, Pt(50), 0, 0};
  const auto render = RenderFilled(std::make_shared<const MeshShadingPaint>(
      MavPaint::Paint::kFunctionBased, common, std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{}, std::vector<MeshShadingPaint::Patch>{}));
  EXPECT_NEAR(render.TintAt("Cyan", 30.5, 25.5), 0.305, kShadingTolerance);
  EXPECT_NEAR(render.TintAt("Magenta", 30.5, 25.5), 0.51, kShadingTolerance);
  EXPECT_EQ(render.TintAt("Cyan", 30.5, 75.5), 0) << "above the domain";
}

}  // namespace
