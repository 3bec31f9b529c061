// What seam-free pieces cost: a stress page of 300 overlapping ellipses (flat inks, every third
// multiplied at 60 %) flattened with abutting pieces and with pieces that reach under later
// ones. Counters: new objects, outline subpaths and the written PDF's bytes, for comparing the
// two (the seam-free file may grow by at most 30 %).
//
// The pages are written to $TMPDIR/corvel-stress-{original,abut,none}.pdf, kept for
// `corvel-oracle --seams` (the seam count needs Ghostscript and is not timed here).

#include <benchmark/benchmark.h>
#include <io/pdf/PdfWriter.h>
#include <mavdoc/Builder.h>
#include <module/Exports.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using namespace MavDoc::Build;

constexpr double kPageWidth = 612000, kPageHeight = 792000;
constexpr int kShapes = 300;

std::unique_ptr<MavDoc::Document> MakeStressPage() {
  auto document = std::make_unique<MavDoc::Document>();
  auto& content = document->AddPage({0, 0, kPageWidth, kPageHeight, false}).GetContent();
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> x(0, kPageWidth), y(0, kPageHeight), radius(10000, 60000);
  const char* inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
  for (int i = 0; i < kShapes; ++i) {
    const double cx = x(random), cy = y(random), rx = radius(random), ry = radius(random);
    auto transparency = i % 3 == 0 ? Blend(MavBlend::BlendMode::Multiply, 0.6f) : nullptr;
    Add(content, FilledEllipse({cx, cy}, rx, ry, Flat({{inks[i % 4], 0.5f}}), transparency));
  }
  return document;
}

std::size_t CountSubpaths(const MavDoc::ContentObject& object) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    return path->GetOutline()->GetSubpaths().size();
  }
  return 0;
}

void Keep(const std::string& name, const std::string& pdf) {
  const char* folder = std::getenv("TMPDIR");
  const auto path =
      std::filesystem::path(folder ? folder : "/tmp") / ("corvel-stress-" + name + ".pdf");
  std::ofstream(path, std::ios::binary) << pdf;
}

void BM_Seams_StressPage(benchmark::State& state, Corvel::Seams seams, const char* name) {
  const auto visible = [](const auto&) { return true; };
  const auto all = [](const auto&) { return true; };
  Corvel::FlattenOptions options;
  options.resolution = options.gradientResolution = 300;
  options.seams = seams;
  std::string pdf;
  for (auto _ : state) {
    state.PauseTiming();
    const auto document = MakeStressPage();
    state.ResumeTiming();
    auto& content = document->GetPages().front()->GetContent();
    const auto inserted = Corvel::FlattenAction(content, visible, true, all, options);
    state.PauseTiming();
    std::size_t subpaths = 0;
    for (const auto* object : inserted) subpaths += CountSubpaths(*object);
    pdf = CorvelPdf::WriteDocumentToString(*document);
    state.counters["objects"] = static_cast<double>(inserted.size());
    state.counters["subpaths"] = static_cast<double>(subpaths);
    state.counters["bytes"] = static_cast<double>(pdf.size());
    state.ResumeTiming();
  }
  Keep(name, pdf);
  Keep("original", CorvelPdf::WriteDocumentToString(*MakeStressPage()));
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK_CAPTURE(BM_Seams_StressPage, Abut, Corvel::Seams::Abut, "abut")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Seams_StressPage, None, Corvel::Seams::None, "none")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
