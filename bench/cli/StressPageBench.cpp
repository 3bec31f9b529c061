// The whole `corvel flatten` of seeded stress pages (tools/testpages/StressPage.h): N random
// overlapping curved shapes, every one transparent, at N = 300, 1,000, 2,000 and 10,000. Time
// and memory grow with the overlaps; the counters give the peak resident memory and CPU time of
// the run, the output's size and what was written.
//
// Each run is a child process, so that its peak memory is its own (getrusage of the child) and
// a run that exceeds kStressTimeLimit is stopped and reported as unfinished instead of holding
// the benchmark. Pages and outputs stay in $TMPDIR/corvel-stress-N{,-flat}.pdf;
// scripts/stress-pages.sh times Ghostscript's pdfwrite on the same pages and compares prints.

#include <benchmark/benchmark.h>
#include <cli/FileAction.h>
#include <tools/testpages/StressPage.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr unsigned kStressTimeLimit = 1200;  // seconds of one run before it is stopped
constexpr double kKilobyte = 1024;

struct StressRun {
  bool finished = false;
  double seconds = 0, cpuSeconds = 0, peakMegabytes = 0;
  double inserted = 0, images = 0, rasterisedClusters = 0;
};

// Runs the flattening in a child; its report's figures come back through a pipe.
StressRun RunStressChild(const fs::path& input, const fs::path& output) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    alarm(kStressTimeLimit);
    const auto report = CorvelCli::RunOnFile(input.string(), output.string(), {});
    const auto& page = report.pages.at(0);
    const double figures[] = {double(page.inserted), double(page.images), 0};
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

void BM_FlattenStressPage(benchmark::State& state) {
  const int shapes = static_cast<int>(state.range(0));
  const fs::path folder = fs::temp_directory_path();
  const fs::path input = folder / ("corvel-stress-" + std::to_string(shapes) + ".pdf");
  const fs::path output = folder / ("corvel-stress-" + std::to_string(shapes) + "-flat.pdf");
  CorvelTestPages::WriteStressPage(input, {.shapes = shapes});
  StressRun run;
  for (auto _ : state) {
    run = RunStressChild(input, output);
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
    ->Arg(300)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
