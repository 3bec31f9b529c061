// The whole `corvel flatten` of a page with a 3000 × 2000 CMYK photograph (a JPEG with grain,
// about 424 ppi on the page) under a soft mask of its own, with vector artwork over it: the
// photo is rendered into separation images. Counters give the input and output sizes; the
// output should stay near the input's size.
//
// Pages and outputs go to $TMPDIR/corvel-photo-page*.pdf (kept, to look at or time other tools).

#include <benchmark/benchmark.h>
#include <cli/FileAction.h>
#include <tools/testpages/PhotoPage.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr double kKilobyte = 1024;

const fs::path& PhotoPage() {
  static const fs::path path = [] {
    const fs::path written = fs::temp_directory_path() / "corvel-photo-page.pdf";
    CorvelTestPages::WritePhotoPage(written);
    return written;
  }();
  return path;
}

// Argument 0: Flate; 1: JPEG at the default quality; 2: the default (JPEG, as the photo was).
void BM_FlattenPhotoPage(benchmark::State& state) {
  const fs::path& input = PhotoPage();
  static const char* const kNames[] = {"flate", "jpeg", "auto"};
  const auto mode = state.range(0);
  const fs::path output =
      fs::temp_directory_path() / (std::string("corvel-photo-page-") + kNames[mode] + ".pdf");
  CorvelCli::FileSettings settings;
  settings.rasterImages.compression = mode == 0   ? CorvelPdf::RasterCompression::Flate
                                      : mode == 1 ? CorvelPdf::RasterCompression::Jpeg
                                                  : CorvelPdf::RasterCompression::Automatic;
  CorvelCli::FileReport report;
  for (auto _ : state) {
    report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
    benchmark::DoNotOptimize(report);
  }
  const double in = static_cast<double>(fs::file_size(input)),
               out = static_cast<double>(fs::file_size(output));
  state.counters["inputKB"] = in / kKilobyte;
  state.counters["outputKB"] = out / kKilobyte;
  state.counters["outputToInput"] = out / in;
  state.counters["images"] = static_cast<double>(report.pages.at(0).images);
  state.SetLabel(kNames[mode]);
}
BENCHMARK(BM_FlattenPhotoPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
