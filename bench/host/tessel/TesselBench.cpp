// Build time of the planar map for a letter-size page of overlapping curved shapes at the
// module's flattening tolerance (0.005 point).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include <tessel/CurveApprox.h>
#include <tessel/Graph.h>
#include <tessel/GraphInternal.h>

namespace {

constexpr double kPageWidth = 612000, kPageHeight = 792000;
constexpr double kTolerance = 5.0;

struct Page {
  std::vector<std::unique_ptr<Tessel::TElementAttribute>> attributes;
  Tessel::Input input;
};

// Ellipses and rounded blobs of 5 to 40 points across, spread over the page.
std::unique_ptr<Page> MakePage(int shapes) {
  auto page = std::make_unique<Page>();
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> x(0, kPageWidth), y(0, kPageHeight), radius(5000, 40000);
  for (int i = 0; i < shapes; ++i) {
    page->attributes.push_back(std::make_unique<Tessel::TElementAttribute>());
    const double cx = x(random), cy = y(random), rx = radius(random), ry = radius(random);
    std::shared_ptr<const Vexl::Compound> shape;
    if (i % 2) {
      shape = Vexl::MakeEllipse({cx, cy}, rx, ry);
    } else {
      Vexl::Subpath blob({cx + rx, cy}, true);
      blob.CubicTo({cx + rx, cy + ry}, {cx - rx, cy + ry}, {cx - rx, cy});
      blob.CubicTo({cx - rx, cy - ry * 1.5}, {cx + rx * 0.3, cy - ry * 0.2}, {cx + rx, cy});
      shape = std::make_shared<const Vexl::Compound>(std::vector<Vexl::Subpath>{blob});
    }
    page->input.AddElement(page->attributes.back().get(),
                           {shape, i % 3 ? Vexl::FillRule::NonZero : Vexl::FillRule::EvenOdd});
  }
  page->input.SetBounds({0, 0, kPageWidth, kPageHeight, false});
  return page;
}

void BM_Tessel_BuildCurvedPage(benchmark::State& state) {
  const auto page = MakePage(static_cast<int>(state.range(0)));
  std::size_t edges = 0, regions = 0;
  for (auto _ : state) {
    CurveApprox::TData data;
    const auto graph = TesselFixed::Build(page->input, {kTolerance}, &data);
    edges = graph->Data().map.edges.size();
    regions = graph->GetRegions().size();
    benchmark::DoNotOptimize(graph.get());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["edges"] = static_cast<double>(edges);
  state.counters["regions"] = static_cast<double>(regions);
  state.counters["peakRssMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Tessel_BuildCurvedPage)->RangeMultiplier(2)->Range(500, 8000)->Unit(benchmark::kMillisecond);

}  // namespace
