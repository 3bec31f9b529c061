// The flattening run on a page of 2,000 overlapping curved transparent shapes: the map build,
// the grouping by stack and the outlines of every group, and the whole action.

#include <benchmark/benchmark.h>

#include <random>

#include <flatten/RegionOutlines.h>
#include <mavdoc/Builder.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>

namespace {

using namespace MavDoc::Build;

constexpr double kPageWidth = 612000, kPageHeight = 792000;

// Ellipses of 5 to 40 points across, in four inks, every third one multiplied at 60 %.
std::unique_ptr<MavDoc::Document> MakePage(int shapes) {
  auto document = std::make_unique<MavDoc::Document>();
  auto& content = document->AddPage({0, 0, kPageWidth, kPageHeight, false}).GetContent();
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> x(0, kPageWidth), y(0, kPageHeight), radius(5000, 40000);
  const char* inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
  for (int i = 0; i < shapes; ++i) {
    const double cx = x(random), cy = y(random), rx = radius(random), ry = radius(random);
    auto transparency = i % 3 == 0 ? Blend(MavBlend::BlendMode::Multiply, 0.6f) : nullptr;
    Add(content, FilledEllipse({cx, cy}, rx, ry, Flat({{inks[i % 4], 0.5f}}), transparency));
  }
  return document;
}

const Corvel::LayerPredicate kVisible = [](const auto&) { return true; };
const Corvel::ObjectPredicate kAll = [](const auto&) { return true; };

struct Outlined {
  std::size_t groups = 0, subpaths = 0;
};

// Groups the graph's regions by stack and outlines every group.
Outlined OutlineEveryGroup(const Corvel::AttributedGraph& graph) {
  Outlined outlined;
  for (const auto& group : Corvel::GroupRegionsByStack(graph)) {
    outlined.subpaths += Corvel::MakeCompound(graph, group.regions)->GetSubpaths().size();
    ++outlined.groups;
  }
  return outlined;
}

void BM_Flatten_PrepareGroupOutline(benchmark::State& state) {
  const auto document = MakePage(static_cast<int>(state.range(0)));
  auto& content = document->GetPages().front()->GetContent();
  for (auto _ : state) {
    const auto environment = Corvel::PrepareGraphEnvironment(content, kVisible, true, kAll);
    const Outlined outlined = OutlineEveryGroup(*environment.GetImpl()->graph);
    state.counters["groups"] = static_cast<double>(outlined.groups);
    benchmark::DoNotOptimize(outlined.subpaths);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Flatten_PrepareGroupOutline)->Arg(2000)->Unit(benchmark::kMillisecond);

// A page with its map built once, for the steps that follow the build.
struct BuiltPage {
  explicit BuiltPage(int shapes)
      : document(MakePage(shapes)),
        environment(Corvel::PrepareGraphEnvironment(document->GetPages().front()->GetContent(),
                                                    kVisible, true, kAll)) {}
  const Corvel::AttributedGraph& Graph() const { return *environment.GetImpl()->graph; }

  std::unique_ptr<MavDoc::Document> document;
  Corvel::GraphEnvironment environment;
};

// The part outside the map build alone: grouping by stack and one outline per group.
void BM_Flatten_GroupOutlineOnly(benchmark::State& state) {
  const BuiltPage page(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(OutlineEveryGroup(page.Graph()).subpaths);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Flatten_GroupOutlineOnly)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_Flatten_GroupOnly(benchmark::State& state) {
  const BuiltPage page(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Corvel::GroupRegionsByStack(page.Graph()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Flatten_GroupOnly)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_Flatten_PrepareOnly(benchmark::State& state) {
  const auto document = MakePage(static_cast<int>(state.range(0)));
  auto& content = document->GetPages().front()->GetContent();
  for (auto _ : state) {
    const auto environment = Corvel::PrepareGraphEnvironment(content, kVisible, true, kAll);
    benchmark::DoNotOptimize(environment.GetImpl());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Flatten_PrepareOnly)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_Flatten_WholeAction(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const auto document = MakePage(static_cast<int>(state.range(0)));
    auto& content = document->GetPages().front()->GetContent();
    state.ResumeTiming();
    const auto inserted = Corvel::FlattenAction(content, kVisible, true, kAll, false, 300);
    state.counters["objects"] = static_cast<double>(inserted.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Flatten_WholeAction)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
