// Measuring what flattening does to a page (the flatten report's areas, every flattened page):
// a text page whose glyphs (ellipses, as curved as letters) all lie under a translucent panel,
// so every glyph counts as involved and as outlined text. Items are glyphs.

#include <benchmark/benchmark.h>
#include <cli/PreviewAreas.h>

namespace {

constexpr double kPoint = 1000;
const Vexl::Rectangle kA4{0, 0, 595 * kPoint, 842 * kPoint};

// `glyphs` letters of 10 pt text set 80 to a line from the top of the page.
CorvelCli::PreviewAreas TextPage(int glyphs) {
  CorvelCli::PreviewAreas areas;
  const auto identity = Vexl::Transformation::Identity();
  areas.involved.push_back(
      {CorvelCli::MakeFilledOutline(*Vexl::MakeRectangle(kA4), identity, Vexl::FillRule::NonZero),
       {}});
  for (int i = 0; i < glyphs; ++i) {
    const double x = 40 + (i % 80) * 6.5, y = 800 - (i / 80) * 12 % 780;
    const auto glyph = Vexl::MakeEllipse({x * kPoint, y * kPoint}, 2.5 * kPoint, 3.5 * kPoint);
    const CorvelCli::AreaShape shape{
        CorvelCli::MakeFilledOutline(*glyph, identity, Vexl::FillRule::NonZero), {}};
    areas.involved.push_back(shape);
    areas.outlinedText.push_back(shape);
  }
  return areas;
}

void BM_MeasureAreas_TextPage(benchmark::State& state) {
  const auto areas = TextPage(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CorvelCli::MeasureAreas(areas, kA4));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MeasureAreas_TextPage)
    ->RangeMultiplier(4)
    ->Range(256, 16384)
    ->Unit(benchmark::kMillisecond);

}  // namespace
