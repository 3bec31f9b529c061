// Rendering patch and triangle meshes at 300 ppi: every row of the mesh's area, from a fresh
// sampler of a fresh paint (patch division and indexing included).
#include <benchmark/benchmark.h>

#include <cmath>

#include <compositing/SeparationSpace.h>
#include <sampling/MeshSamplerInternal.h>

namespace {

using MavPaint::MeshShadingPaint;

constexpr double kSide = 600000;           // the mesh covers 600 × 600 pt
constexpr double kPixel = 72000.0 / 300;   // millipoints per pixel at 300 ppi

MavPaint::ShadingCommon Cmyk() {
  MavPaint::ShadingCommon common;
  const char* names[] = {"Cyan", "Magenta", "Yellow", "Black"};
  for (std::uint64_t c = 0; c < 4; ++c) common.mapping[names[c]].channel = c;
  return common;
}

std::vector<float> Colour(int k) {
  return {float(k % 3) / 2, float(k % 5) / 4, float(k % 7) / 6, float(k % 2) / 2};
}

// n × n Coons patches on a grid, their inner edge points pushed sideways so that edges curve.
std::shared_ptr<const MeshShadingPaint> CoonsGrid(int n) {
  const double cell = kSide / n;
  std::vector<MeshShadingPaint::Patch> patches;
  const int places[12][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {3, 1}, {3, 0}, {2, 0}, {1, 0}};
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      MeshShadingPaint::Patch patch;
      for (const auto& place : places) {
        const bool inner = place[0] % 3 != 0 || place[1] % 3 != 0;
        patch.controlPoints.push_back({(column + place[0] / 3.0) * cell + (inner ? cell * 0.1 : 0),
                                       (row + place[1] / 3.0) * cell - (inner ? cell * 0.1 : 0)});
      }
      for (int k = 0; k < 4; ++k) patch.cornerColors[std::size_t(k)] = Colour(row * n + column + k);
      patches.push_back(patch);
    }
  }
  return std::make_shared<const MeshShadingPaint>(MavPaint::Paint::kCoons, Cmyk(), std::array<double, 4>{0, 1, 0, 1},
                                                  std::vector<MeshShadingPaint::Triangle>{}, patches);
}

MavPaint::ShadingCommon Rgb() {
  MavPaint::ShadingCommon common;
  common.mapping.SetColorSpace(MavColor::DeviceRGB{});
  const char* names[] = {"R", "G", "B"};
  for (std::uint64_t c = 0; c < 3; ++c) common.mapping[names[c]].channel = c;
  return common;
}

// Two triangles per cell of an n × n lattice.
std::shared_ptr<const MeshShadingPaint> TriangleGrid(int n, MavPaint::ShadingCommon common = Cmyk()) {
  const double cell = kSide / n;
  std::vector<MeshShadingPaint::Triangle> triangles;
  auto vertex = [&](int column, int row) {
    return MavPaint::MeshVertex{{column * cell, row * cell}, Colour(row * (n + 1) + column)};
  };
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      triangles.push_back({{vertex(column, row), vertex(column + 1, row), vertex(column, row + 1)}});
      triangles.push_back({{vertex(column + 1, row), vertex(column + 1, row + 1), vertex(column, row + 1)}});
    }
  }
  return std::make_shared<const MeshShadingPaint>(MavPaint::Paint::kFreeForm, common, std::array<double, 4>{0, 1, 0, 1},
                                                  triangles, std::vector<MeshShadingPaint::Patch>{});
}

void RenderAll(benchmark::State& state, const std::shared_ptr<const MeshShadingPaint>& mesh) {
  const auto space = Composite::SeparationSpace::DeviceCmyk();
  const auto width = static_cast<std::size_t>(kSide / kPixel);
  std::vector<float> planes(4 * width), shape(width);
  std::array<float*, 4> pointers;
  for (std::size_t c = 0; c < 4; ++c) pointers[c] = &planes[c * width];
  for (auto _ : state) {
    // A paint of its own, so that no raster kept from the last round is found: division and
    // indexing are part of the figure.
    state.PauseTiming();
    const auto fresh = std::make_shared<const MeshShadingPaint>(*mesh);
    state.ResumeTiming();
    const auto sampler = Sampling::MakeMeshSampler(fresh, Sampling::Projector(space), Vexl::Transformation::Identity());
    for (std::size_t row = 0; row < width; ++row) {
      sampler->SampleRow({kPixel / 2, (double(row) + 0.5) * kPixel}, {kPixel, 0}, width, pointers.data(), shape.data());
      benchmark::DoNotOptimize(planes.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(width * width));
}

void BM_MeshSampler_CoonsPatches(benchmark::State& state) {
  RenderAll(state, CoonsGrid(static_cast<int>(std::lround(std::sqrt(double(state.range(0)))))));
}
BENCHMARK(BM_MeshSampler_CoonsPatches)->Arg(16)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_MeshSampler_Triangles(benchmark::State& state) {
  RenderAll(state, TriangleGrid(static_cast<int>(std::lround(std::sqrt(double(state.range(0) / 2))))));
}
BENCHMARK(BM_MeshSampler_Triangles)->Arg(200)->Arg(2048)->Arg(20000)->Unit(benchmark::kMillisecond);

// RGB vertices: their conversion to the inks is affine, so it happens once per vertex.
void BM_MeshSampler_RgbTriangles(benchmark::State& state) {
  RenderAll(state, TriangleGrid(static_cast<int>(std::lround(std::sqrt(double(state.range(0) / 2)))), Rgb()));
}
BENCHMARK(BM_MeshSampler_RgbTriangles)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
