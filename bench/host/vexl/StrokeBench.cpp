// Stroke outlining of a letter page of 5,000 dashed curved strokes, per stroke; the counter
// "segments" is the size of the outline handed on to the planar map.

#include <benchmark/benchmark.h>
#include <vexl/Stroke.h>

#include <random>
#include <vector>

namespace {

constexpr int kStrokes = 5000;

struct StrokedPath {
  Vexl::Compound path;
  Vexl::StrokeParameters pen;
};

// Open runs of three cubics, 20 to 100 points across, anywhere on a 612 × 792 pt page; widths of
// 0.25 to 4 pt; every cap and join; dash patterns of one or two on/off pairs with a phase.
std::vector<StrokedPath> DashedCurvesPage() {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> pageX(0, 612000), pageY(0, 792000), reach(-50000, 50000);
  std::uniform_real_distribution<double> width(250, 4000), dash(1000, 12000);
  std::vector<StrokedPath> page;
  page.reserve(kStrokes);
  for (int i = 0; i < kStrokes; ++i) {
    const Vexl::Point origin{pageX(rng), pageY(rng)};
    const auto near = [&] { return Vexl::Point{origin.x + reach(rng), origin.y + reach(rng)}; };
    Vexl::Subpath subpath(origin);
    for (int k = 0; k < 3; ++k) subpath.CubicTo(near(), near(), near());
    StrokedPath stroked{Vexl::Compound({subpath}), {}};
    stroked.pen.width = width(rng);
    stroked.pen.cap = static_cast<Vexl::CapStyle>(i % 3);
    stroked.pen.join = static_cast<Vexl::JoinStyle>((i / 3) % 3);
    stroked.pen.dashes = i % 2 ? std::vector<double>{dash(rng), dash(rng)}
                               : std::vector<double>{dash(rng), dash(rng), dash(rng), dash(rng)};
    stroked.pen.dashPhase = dash(rng);
    page.push_back(std::move(stroked));
  }
  return page;
}

void BM_OutlineStroke_DashedCurvesPage(benchmark::State& state) {
  const std::vector<StrokedPath> page = DashedCurvesPage();
  const double tolerance = static_cast<double>(state.range(0));
  std::size_t segments = 0;
  for (auto _ : state) {
    segments = 0;
    for (const StrokedPath& stroked : page) {
      const Vexl::Compound outline = Vexl::OutlineStroke(stroked.path, stroked.pen, {}, tolerance);
      for (const Vexl::Subpath& loop : outline.GetSubpaths()) segments += loop.GetSegments().size();
      benchmark::DoNotOptimize(outline);
    }
  }
  state.counters["segments"] = static_cast<double>(segments);
  state.SetItemsProcessed(state.iterations() * kStrokes);
}
// Tolerances in millipoints: the planar map's default (5), and ten times coarser.
BENCHMARK(BM_OutlineStroke_DashedCurvesPage)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
