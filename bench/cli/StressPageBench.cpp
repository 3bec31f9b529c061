// The whole `corvel flatten` of seeded stress pages (tools/testpages/StressPage.h), and of a
// large-format poster (PosterPage.h), as a child process each. Stress pages: N random
// overlapping curved shapes, every one transparent, at N = 300, 1,000, 2,000 and 10,000, with
// the default complexity budget and without one. Mapped into vectors, time and memory grow
// with the square of the overlaps; the budget renders clusters over it whole instead. The
// counters give the peak resident memory and CPU time of the run, the output's size and what
// was written (rasterisedClusters: clusters rendered whole). With 2 jobs the one page's rendered
// cluster is rendered tile by tile on both (the output is the same file).
//
// Each run is a child process, so that its peak memory is its own (getrusage of the child) and
// a run that exceeds kStressTimeLimit or kStressMemoryLimit is stopped and reported as
// unfinished instead of holding the benchmark. Pages and outputs stay in $TMPDIR/corvel-stress-N{,-flat}.pdf;
// scripts/stress-pages.sh times Ghostscript's pdfwrite on the same pages and compares prints.

#include <benchmark/benchmark.h>
#include <cli/FileAction.h>
#include <tools/testpages/PosterPage.h>
#include <tools/testpages/StressPage.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr unsigned kStressTimeLimit = 900;  // seconds of one run before it is stopped
// Address space of one run before allocations fail (a run without a budget on 10,000 shapes
// would take the shared machine's memory).
constexpr rlim_t kStressMemoryLimit = rlim_t{6} << 30;
constexpr double kKilobyte = 1024;

struct StressRun {
  bool finished = false;
  double seconds = 0, cpuSeconds = 0, peakMegabytes = 0;
  double inserted = 0, images = 0, rasterisedClusters = 0;
};

// Runs the flattening in a child; its report's figures come back through a pipe.
StressRun RunStressChild(const fs::path& input, const fs::path& output,
                         const CorvelCli::FileSettings& settings) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    alarm(kStressTimeLimit);
    const rlimit memory{kStressMemoryLimit, kStressMemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
    const auto report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
    const auto& page = report.pages.at(0);
    const double figures[] = {double(page.inserted), double(page.images),
                              double(page.rasterisedClusters.size())};
    const bool written = write(channel[1], figures, sizeof figures) == sizeof figures;
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  StressRun run;
  double figures[3] = {};
  const bool read_ok = read(channel[0], figures, sizeof figures) == sizeof figures;
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.finished = read_ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                   usage.ru_stime.tv_usec * 1e-6;
  run.peakMegabytes = usage.ru_maxrss / kKilobyte;  // Linux gives kilobytes
  run.inserted = figures[0];
  run.images = figures[1];
  run.rasterisedClusters = figures[2];
  return run;
}

// Arguments: the shapes, 1 for the default complexity budget or 0 for none (every cluster
// mapped into vectors, as before the budget), and the jobs.
void BM_FlattenStressPage(benchmark::State& state) {
  const int shapes = static_cast<int>(state.range(0));
  const bool budget = state.range(1) != 0;
  const int jobs = static_cast<int>(state.range(2));
  const fs::path folder = fs::temp_directory_path();
  const std::string name = "corvel-stress-" + std::to_string(shapes);
  const fs::path input = folder / (name + ".pdf");
  const fs::path output = folder / (name + (budget ? "-flat" : "-flat-vector") +
                                    (jobs > 1 ? "-jobs" + std::to_string(jobs) : "") + ".pdf");
  CorvelTestPages::WriteStressPage(input, {.shapes = shapes});
  CorvelCli::FileSettings settings;
  settings.jobs = jobs;
  if (!budget) settings.complexityBudget = std::numeric_limits<double>::infinity();
  StressRun run;
  for (auto _ : state) {
    run = RunStressChild(input, output, settings);
    state.SetIterationTime(run.seconds);
  }
  state.counters["finished"] = run.finished;
  state.counters["cpuSeconds"] = run.cpuSeconds;
  state.counters["peakMB"] = run.peakMegabytes;
  state.counters["inputKB"] = static_cast<double>(fs::file_size(input)) / kKilobyte;
  state.counters["outputKB"] =
      run.finished ? static_cast<double>(fs::file_size(output)) / kKilobyte : 0;
  state.counters["newObjects"] = run.inserted;
  state.counters["images"] = run.images;
  state.counters["rasterisedClusters"] = run.rasterisedClusters;
  state.SetItemsProcessed(state.iterations() * shapes);
}
BENCHMARK(BM_FlattenStressPage)
    ->ArgsProduct({{300, 1000, 2000, 10000}, {1, 0}, {1}})
    ->Args({2000, 1, 2})
    ->Args({10000, 1, 2})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// An A0 poster whose full-bleed gradient multiplies over a spot: one page-wide rendered area of
// three inks at 300 ppi (418 million samples). Argument: /UserUnit 1, or 2 for the same page
// twice as large each way, which asks for more samples than one rendered image may hold and is
// rendered coarser. Peak memory follows the image, not a copy of it.
void BM_FlattenPosterPage(benchmark::State& state) {
  const double userUnit = static_cast<double>(state.range(0));
  const fs::path folder = fs::temp_directory_path();
  const std::string name = "corvel-poster-" + std::to_string(state.range(0));
  const fs::path input = folder / (name + ".pdf"), output = folder / (name + "-flat.pdf");
  CorvelTestPages::WritePosterPage(input, {.userUnit = userUnit});
  StressRun run;
  for (auto _ : state) {
    run = RunStressChild(input, output, {});
    state.SetIterationTime(run.seconds);
  }
  state.counters["finished"] = run.finished;
  state.counters["cpuSeconds"] = run.cpuSeconds;
  state.counters["peakMB"] = run.peakMegabytes;
  state.counters["outputKB"] =
      run.finished ? static_cast<double>(fs::file_size(output)) / kKilobyte : 0;
  state.counters["images"] = run.images;
}
BENCHMARK(BM_FlattenPosterPage)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
