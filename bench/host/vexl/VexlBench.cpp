// Flattening and point-in-outline costs on a closed outline of 1,000 cubics, per cubic.

#include <benchmark/benchmark.h>
#include <vexl/Measure.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int kCubics = 1000;

// A wavy ring of radius about 1e6 millipoints (a 20-point-wide shape): 1,000 cubics whose control
// points wobble, as traced artwork does.
Vexl::Subpath WavyRing() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> wobble(-2e4, 2e4);
  const auto onRing = [](double angle, double radius) {
    return Vexl::Point{radius * std::cos(angle), radius * std::sin(angle)};
  };
  const double step = 2 * std::numbers::pi / kCubics;
  Vexl::Subpath ring(onRing(0, 1e6), true);
  for (int i = 0; i < kCubics; ++i) {
    const Vexl::Point c1 = onRing((i + 1.0 / 3) * step, 1e6 + wobble(rng));
    const Vexl::Point c2 = onRing((i + 2.0 / 3) * step, 1e6 + wobble(rng));
    ring.CubicTo(c1, c2, i + 1 == kCubics ? ring.GetStart() : onRing((i + 1) * step, 1e6));
  }
  return ring;
}

void BM_MakePolyline_WavyRing(benchmark::State& state) {
  const Vexl::Subpath ring = WavyRing();
  const double tolerance = static_cast<double>(state.range(0));
  std::size_t chords = 0;
  for (auto _ : state) {
    const Vexl::Subpath polyline = Vexl::MakePolyline(ring, tolerance);
    chords = polyline.GetSegments().size();
    benchmark::DoNotOptimize(polyline);
  }
  state.counters["chords"] = static_cast<double>(chords);
  state.SetItemsProcessed(state.iterations() * kCubics);
}
BENCHMARK(BM_MakePolyline_WavyRing)->Arg(1)->Arg(10)->Arg(100);

void BM_WindingNumber_WavyRing(benchmark::State& state) {
  const Vexl::Compound compound({WavyRing()});
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coordinate(-1.2e6, 1.2e6);
  std::vector<Vexl::Point> probes(256);
  for (Vexl::Point& p : probes) {
    p.x = coordinate(rng);
    p.y = coordinate(rng);
  }
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Vexl::WindingNumber(compound, probes[next]));
    next = (next + 1) % probes.size();
  }
  state.SetItemsProcessed(state.iterations() * kCubics);
}
BENCHMARK(BM_WindingNumber_WavyRing);

}  // namespace
