// Function-based shadings and triangle and patch meshes sampled at hand-computed points, and
// triangle meshes against a direct barycentric reference on random inputs. Coordinates are
// millipoints; the shading space is the page unless a test says otherwise.

#include <gtest/gtest.h>

#include <random>

#include <compositing/SeparationSpace.h>
#include <sampling/MeshSamplerInternal.h>

#include "SamplingTestSupport.h"

namespace {

using MavPaint::MeshShadingPaint;
using MavPaint::MeshVertex;
using Tints = std::array<float, 5>;  // Cyan, Magenta, Yellow, Black, Spot1

constexpr double kLevel = 1.0 / 255;

MavPaint::ShadingCommon Cmyk() {
  MavPaint::ShadingCommon common;
  const char* names[] = {"Cyan", "Magenta", "Yellow", "Black"};
  for (std::uint64_t c = 0; c < 4; ++c) common.mapping[names[c]].channel = c;
  return common;
}

struct Sample {
  Tints tints{};
  float shape = 0;
};

// One pixel of a row sampled at page point `p` (in points).
Sample At(const Sampling::PaintSampler& sampler, double xInPoints, double yInPoints) {
  Sample out;
  std::array<float, 5> planes{};
  std::array<float*, 5> pointers;
  for (std::size_t c = 0; c < 5; ++c) pointers[c] = &planes[c];
  sampler.SampleRow({xInPoints * 1000, yInPoints * 1000}, {0, 0}, 1, pointers.data(), &out.shape);
  out.tints = planes;
  return out;
}

std::unique_ptr<Sampling::PaintSampler> Sampler(std::shared_ptr<const MeshShadingPaint> mesh) {
  const auto space = Composite::SeparationSpace::FromNames(SamplingTest::Inks());
  return Sampling::MakeMeshSampler(mesh, Sampling::Projector(space), mesh->GetTransformation());
}

MeshVertex Vertex(double xInPoints, double yInPoints, std::vector<float> color) {
  return {{xInPoints * 1000, yInPoints * 1000}, std::move(color)};
}

void ExpectTints(const Sample& sample, const Tints& expected, double tolerance, const std::string& where) {
  EXPECT_EQ(sample.shape, 1.0f) << where;
  for (std::size_t c = 0; c < 5; ++c) EXPECT_NEAR(sample.tints[c], expected[c], tolerance) << where << " ink " << c;
}

TEST(MeshSampler, FunctionBasedShadingEvaluatesAtTheDomainPointItsMatrixGives) {
  // Cyan = x, Magenta = y over the domain [0, 1]², stretched to 100 × 50 pt at (20, 10) pt.
  auto common = Cmyk();
  common.function = std::make_shared<const MavPaint::SampledFunction>(
      std::vector<std::array<double, 2>>{{0, 1}, {0, 1}}, std::vector<int>{2, 2},
      std::vector<float>{0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0}, 4);
  common.transformation = {100000, 0, 0, 50000, 20000, 10000};
  const auto sampler = Sampler(std::make_shared<const MeshShadingPaint>(
      MavPaint::Paint::kFunctionBased, common, std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{}, std::vector<MeshShadingPaint::Patch>{}));
  ExpectTints(At(*sampler, 70, 35), {0.5f, 0.5f, 0, 0, 0}, 1e-5, "(70, 35)");
  ExpectTints(At(*sampler, 30, 50), {0.1f, 0.8f, 0, 0, 0}, 1e-5, "(30, 50)");
  EXPECT_EQ(At(*sampler, 10, 20).shape, 0.0f);   // left of the domain
  EXPECT_EQ(At(*sampler, 50, 61).shape, 0.0f);   // above it
}

std::shared_ptr<const MeshShadingPaint> Triangles(std::vector<MeshShadingPaint::Triangle> triangles,
                                                  MavPaint::ShadingCommon common = Cmyk()) {
  return std::make_shared<const MeshShadingPaint>(MavPaint::Paint::kFreeForm, common,
                                                  std::array<double, 4>{0, 1, 0, 1}, std::move(triangles),
                                                  std::vector<MeshShadingPaint::Patch>{});
}

TEST(MeshSampler, TriangleInterpolatesItsVertexColoursBarycentrically) {
  const auto sampler = Sampler(Triangles({{{Vertex(0, 0, {1, 0, 0, 0}), Vertex(100, 0, {0, 1, 0, 0}),
                                            Vertex(0, 100, {0, 0, 1, 0})}}}));
  // (x, y) has weights (1 − x − y, x, y) / 100.
  ExpectTints(At(*sampler, 25, 25), {0.5f, 0.25f, 0.25f, 0, 0}, 1e-5, "(25, 25)");
  ExpectTints(At(*sampler, 10, 70), {0.2f, 0.1f, 0.7f, 0, 0}, 1e-5, "(10, 70)");
  EXPECT_EQ(At(*sampler, 60, 60).shape, 0.0f);
  EXPECT_EQ(At(*sampler, -1, 10).shape, 0.0f);
}

TEST(MeshSampler, TriangleWithAFunctionInterpolatesT) {
  auto common = Cmyk();
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0, 0, 0, 0}, std::vector<float>{0, 0, 0, 1}, 2.0);
  const auto sampler = Sampler(
      Triangles({{{Vertex(0, 0, {0}), Vertex(100, 0, {1}), Vertex(0, 100, {0})}}}, common));
  ExpectTints(At(*sampler, 50, 10), {0, 0, 0, 0.25f, 0}, 2e-3, "t = .5");  // black t²
}

TEST(MeshSampler, LaterTrianglePaintsOverEarlier) {
  const auto sampler = Sampler(Triangles({{{Vertex(0, 0, {1, 0, 0, 0}), Vertex(100, 0, {1, 0, 0, 0}),
                                            Vertex(0, 100, {1, 0, 0, 0})}},
                                          {{Vertex(20, 20, {0, 1, 0, 0}), Vertex(90, 20, {0, 1, 0, 0}),
                                            Vertex(20, 90, {0, 1, 0, 0})}}}));
  ExpectTints(At(*sampler, 30, 30), {0, 1, 0, 0, 0}, 1e-6, "overlap");
  ExpectTints(At(*sampler, 10, 10), {1, 0, 0, 0, 0}, 1e-6, "first only");
}

TEST(MeshSampler, BoxLimitsTheMeshAndItsBackground) {
  auto common = Cmyk();
  common.background = std::vector<float>{0, 0, 0, 0.5f};
  common.box = {0, 0, 50000, 60000, false};
  const auto sampler = Sampler(Triangles({{{Vertex(0, 0, {1, 0, 0, 0}), Vertex(100, 0, {1, 0, 0, 0}),
                                            Vertex(0, 100, {1, 0, 0, 0})}}},
                                         common));
  ExpectTints(At(*sampler, 20, 20), {1, 0, 0, 0, 0}, 1e-6, "triangle in the box");
  ExpectTints(At(*sampler, 45, 58), {0, 0, 0, 0.5f, 0}, 1e-6, "background in the box");
  EXPECT_EQ(At(*sampler, 60, 20).shape, 0.0f) << "triangle beyond the box";
  EXPECT_EQ(At(*sampler, 20, 70).shape, 0.0f) << "background beyond the box";
}

TEST(MeshSampler, SpotShadingInksOnlyItsSpot) {
  MavPaint::ShadingCommon common;
  common.mapping["Spot1"].channel = 0;
  const auto sampler = Sampler(
      Triangles({{{Vertex(0, 0, {0}), Vertex(100, 0, {1}), Vertex(0, 100, {0})}}}, common));
  ExpectTints(At(*sampler, 40, 10), {0, 0, 0, 0, 0.4f}, 1e-5, "(40, 10)");
}

// A square patch from (0, 0) to (100, 100) pt whose straight edges are divided in thirds (the
// plain parametrisation), corner colours c00, c03, c33, c30.
MeshShadingPaint::Patch SquarePatch(bool tensor, std::array<std::vector<float>, 4> colors) {
  auto at = [](int i, int j) { return Vexl::Point{i * 100000 / 3.0, j * 100000 / 3.0}; };
  MeshShadingPaint::Patch patch;
  const int places[16][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 2},
                             {3, 1}, {3, 0}, {2, 0}, {1, 0}, {1, 1}, {1, 2}, {2, 2}, {2, 1}};
  for (int k = 0; k < (tensor ? 16 : 12); ++k) patch.controlPoints.push_back(at(places[k][0], places[k][1]));
  patch.cornerColors = std::move(colors);
  return patch;
}

// Sampled at seeded random points, a square patch shows the bilinear blend of its corners.
void ExpectBilinear(bool tensor) {
  // Opposite corners alike: the blend is as far from linear as a patch can be.
  const std::array<std::vector<float>, 4> colors{{{1, 0, 0, 0}, {0, 1, 0, 0.5f}, {1, 0, 0, 0}, {0, 0, 1, 1}}};
  const auto mesh = std::make_shared<const MeshShadingPaint>(
      tensor ? MavPaint::Paint::kTensor : MavPaint::Paint::kCoons, Cmyk(), std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{}, std::vector{SquarePatch(tensor, colors)});
  const auto sampler = Sampler(mesh);
  const unsigned seed = 20261207;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coordinate(0.5, 99.5);
  for (int n = 0; n < 200; ++n) {
    const double x = coordinate(random), y = coordinate(random), u = x / 100, v = y / 100;
    Tints expected{};
    for (std::size_t c = 0; c < 4; ++c) {
      expected[c] = static_cast<float>((1 - u) * (1 - v) * colors[0][c] + (1 - u) * v * colors[1][c] +
                                       u * v * colors[2][c] + u * (1 - v) * colors[3][c]);
    }
    ExpectTints(At(*sampler, x, y), expected, kLevel,
                "seed " + std::to_string(seed) + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
  }
  EXPECT_EQ(At(*sampler, 101, 50).shape, 0.0f);
}

TEST(MeshSampler, CoonsSquareShowsTheBilinearBlendOfItsCorners) { ExpectBilinear(false); }
TEST(MeshSampler, TensorSquareShowsTheBilinearBlendOfItsCorners) { ExpectBilinear(true); }

TEST(MeshSampler, CurvedCoonsEdgeMovesTheBoundary) {
  // The top edge bulges up: its inner points raised by 30 pt put the top edge's middle at
  // 100 + 30 · 3/4 = 122.5 pt.
  auto patch = SquarePatch(false, {{{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}}});
  patch.controlPoints[4].y += 30000;
  patch.controlPoints[5].y += 30000;
  const auto sampler = Sampler(std::make_shared<const MeshShadingPaint>(
      MavPaint::Paint::kCoons, Cmyk(), std::array<double, 4>{0, 1, 0, 1},
      std::vector<MeshShadingPaint::Triangle>{}, std::vector{patch}));
  EXPECT_EQ(At(*sampler, 50, 121.5).shape, 1.0f);
  EXPECT_EQ(At(*sampler, 50, 123.5).shape, 0.0f);
}

TEST(MeshSampler, SamplersOfOneMeshPlacedOrInkedDifferentlyEachSeeTheirOwn) {
  // Rasters are shared between samplers of the same mesh: placement and inks must keep them apart.
  const auto mesh = Triangles({{{Vertex(0, 0, {1, 0, 0, 0}), Vertex(100, 0, {0, 1, 0, 0}),
                                 Vertex(0, 100, {0, 0, 1, 0})}}});
  const auto cmyk = Composite::SeparationSpace::FromNames(SamplingTest::Inks());
  const auto magentaOnly = Composite::SeparationSpace::FromNames({"Magenta"});
  const auto placed = Sampling::MakeMeshSampler(mesh, Sampling::Projector(cmyk), {});
  const auto moved = Sampling::MakeMeshSampler(mesh, Sampling::Projector(cmyk),
                                               Vexl::Transformation::Translation(50000, 0));
  const auto magenta = Sampling::MakeMeshSampler(mesh, Sampling::Projector(magentaOnly), {});
  ExpectTints(At(*placed, 25, 25), {0.5f, 0.25f, 0.25f, 0, 0}, 1e-5, "placed");
  ExpectTints(At(*moved, 75, 25), {0.5f, 0.25f, 0.25f, 0, 0}, 1e-5, "moved");
  EXPECT_EQ(At(*moved, 25, 25).shape, 0.0f) << "left of the moved triangle";
  ASSERT_EQ(magenta->Channels(), 1u);
  EXPECT_NEAR(At(*magenta, 25, 25).tints[0], 0.25f, 1e-5);
}

// The last triangle holding p, when p is clearly inside or outside every triangle.
std::optional<Tints> Reference(const std::vector<MeshShadingPaint::Triangle>& triangles, Vexl::Point p,
                               bool& ambiguous) {
  std::optional<Tints> result;
  ambiguous = false;
  for (const auto& triangle : triangles) {
    const auto& v = triangle.vertices;
    const double det = (v[1].point.x - v[0].point.x) * (v[2].point.y - v[0].point.y) -
                       (v[1].point.y - v[0].point.y) * (v[2].point.x - v[0].point.x);
    const double s = ((p.x - v[0].point.x) * (v[2].point.y - v[0].point.y) -
                      (p.y - v[0].point.y) * (v[2].point.x - v[0].point.x)) / det;
    const double t = ((v[1].point.x - v[0].point.x) * (p.y - v[0].point.y) -
                      (v[1].point.y - v[0].point.y) * (p.x - v[0].point.x)) / det;
    const double w[3] = {1 - s - t, s, t};
    const double nearest = std::min({w[0], w[1], w[2]});
    if (std::fabs(nearest) < 1e-6) ambiguous = true;
    if (nearest < 0) continue;
    Tints tints{};
    for (std::size_t c = 0; c < 4; ++c)
      tints[c] = static_cast<float>(w[0] * v[0].color[c] + w[1] * v[1].color[c] + w[2] * v[2].color[c]);
    result = tints;
  }
  return result;
}

TEST(MeshSampler, RandomTrianglesMatchTheBarycentricReference) {
  const unsigned seed = 4417;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coordinate(0, 100), unit(0, 1);
  std::vector<MeshShadingPaint::Triangle> triangles;
  for (int n = 0; n < 60; ++n) {
    MeshShadingPaint::Triangle triangle;
    for (auto& vertex : triangle.vertices) {
      vertex = Vertex(coordinate(random), coordinate(random),
                      {float(unit(random)), float(unit(random)), float(unit(random)), float(unit(random))});
    }
    triangles.push_back(triangle);
  }
  const auto sampler = Sampler(Triangles(triangles));
  int compared = 0;
  for (int n = 0; n < 2000; ++n) {
    const double x = coordinate(random), y = coordinate(random);
    bool ambiguous = false;
    const auto expected = Reference(triangles, {x * 1000, y * 1000}, ambiguous);
    if (ambiguous) continue;
    const auto sample = At(*sampler, x, y);
    const std::string where = "seed " + std::to_string(seed) + " point " + std::to_string(n);
    ++compared;
    if (!expected) {
      EXPECT_EQ(sample.shape, 0.0f) << where;
      continue;
    }
    ExpectTints(sample, *expected, 1e-5, where);
  }
  EXPECT_GT(compared, 1900);
}

TEST(MeshSampler, RowsMatchSinglePoints) {
  // A row crossing the triangle: each pixel equals the point sample at its centre.
  const auto sampler = Sampler(Triangles({{{Vertex(10, 0, {1, 0, 0, 0}), Vertex(90, 10, {0, 1, 0, 0}),
                                            Vertex(30, 80, {0, 0, 1, 0})}}}));
  constexpr std::size_t kWidth = 100;
  std::vector<float> planes(5 * kWidth), shape(kWidth);
  std::array<float*, 5> pointers;
  for (std::size_t c = 0; c < 5; ++c) pointers[c] = &planes[c * kWidth];
  sampler->SampleRow({500, 20500}, {1000, 0}, kWidth, pointers.data(), shape.data());
  for (std::size_t i = 0; i < kWidth; ++i) {
    const auto point = At(*sampler, double(i) + 0.5, 20.5);
    EXPECT_EQ(shape[i], point.shape) << "pixel " << i;
    for (std::size_t c = 0; c < 5; ++c) EXPECT_NEAR(planes[c * kWidth + i], point.tints[c], 1e-5) << "pixel " << i;
  }
}

}  // namespace
