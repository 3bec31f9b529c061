// Row evaluation throughput in pixels × separations, against memset of the same 8-bit output
// planes (the physical limit). Space: C, M, Y, K and one spot.

#include <benchmark/benchmark.h>
#include <compositing/RowEvaluator.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace Composite;

constexpr std::size_t kSeparations = 5;

SeparationSpace Space() {
  return SeparationSpace({"Cyan", "Magenta", "Yellow", "Black", "Spot"}, {0, 1, 2, 3});
}

Element Flat(std::vector<float> tints, BlendMode mode, float constantAlpha) {
  Element element;
  element.tints = std::move(tints);
  element.blendMode = mode;
  element.constantAlpha = constantAlpha;
  return element;
}

Element Varying(int input) {
  Element element;
  element.input = input;
  return element;
}

// Per-pixel values of one input: a ramp per channel and a shape that leaves every 16th
// pixel unpainted, as a shading with an edge does.
struct Planes {
  Planes(std::size_t channels, std::size_t width) : tints(channels, std::vector<float>(width)) {
    shape.resize(width);
    for (std::size_t c = 0; c < channels; ++c) {
      for (std::size_t x = 0; x < width; ++x) {
        tints[c][x] = static_cast<float>((x * (c + 3)) % width) / static_cast<float>(width);
      }
      pointers.push_back(tints[c].data());
    }
    for (std::size_t x = 0; x < width; ++x) shape[x] = x % 16 == 0 ? 0.0f : 1.0f;
  }
  InputRow Row() const { return {pointers, shape.data()}; }
  std::vector<std::vector<float>> tints;
  std::vector<const float*> pointers;
  std::vector<float> shape;
};

void Run(benchmark::State& state, const Program& program, const std::vector<InputRow>& rows) {
  const auto width = static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> line(kSeparations * width);
  RowEvaluator evaluator(program);
  for (auto _ : state) {
    evaluator.EvaluateRow(rows, width, line);
    benchmark::DoNotOptimize(line.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(width * kSeparations));
}

void BM_Memset_OutputPlanes(benchmark::State& state) {
  const auto width = static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> line(kSeparations * width);
  std::uint8_t value = 0;
  for (auto _ : state) {
    std::memset(line.data(), ++value, line.size());
    benchmark::DoNotOptimize(line.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(width * kSeparations));
}
BENCHMARK(BM_Memset_OutputPlanes)->RangeMultiplier(4)->Range(256, 4096);

// (a) Normal, Multiply at alpha .5, then a Normal spot at alpha .3: one flat colour.
void BM_RowEvaluator_FlatStack(benchmark::State& state) {
  Group stack;
  stack.elements = {Flat({.2f, .4f, 0, 0, 0}, BlendMode::Normal, 1),
                    Flat({.5f, 0, 0, .3f, 0}, BlendMode::Multiply, .5f),
                    Flat({0, 0, 0, 0, .8f}, BlendMode::Normal, .3f)};
  Run(state, Program(Space(), stack), {});
}
BENCHMARK(BM_RowEvaluator_FlatStack)->RangeMultiplier(4)->Range(256, 4096);

// (b) A varying element (a shading) under a flat Multiply element at alpha .5.
void BM_RowEvaluator_VaryingUnderMultiply(benchmark::State& state) {
  const auto width = static_cast<std::size_t>(state.range(0));
  Group stack;
  stack.elements = {Varying(0), Flat({.5f, 0, .2f, .3f, .4f}, BlendMode::Multiply, .5f)};
  const Planes planes(kSeparations, width);
  Run(state, Program(Space(), stack), {planes.Row()});
}
BENCHMARK(BM_RowEvaluator_VaryingUnderMultiply)->RangeMultiplier(4)->Range(256, 4096);

// (c) A varying element (a picture) under a luminosity soft mask whose group is itself a
// varying gray element (a shaded mask), over a flat backdrop.
void BM_RowEvaluator_VaryingUnderLuminosityMask(benchmark::State& state) {
  const auto width = static_cast<std::size_t>(state.range(0));
  auto mask = std::make_shared<SoftMask>();
  mask->space = SeparationSpace::DeviceGray();
  mask->elements = {Varying(1)};
  Element picture = Varying(0);
  picture.softMask = mask;
  Group stack;
  stack.elements = {Flat({.4f, 0, 0, 0, 0}, BlendMode::Normal, 1), picture};
  const Planes planes(kSeparations, width);
  const Planes maskPlanes(1, width);
  Run(state, Program(Space(), stack), {planes.Row(), maskPlanes.Row()});
}
BENCHMARK(BM_RowEvaluator_VaryingUnderLuminosityMask)->RangeMultiplier(4)->Range(256, 4096);

}  // namespace
