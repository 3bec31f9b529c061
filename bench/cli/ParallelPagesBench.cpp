// The whole `corvel flatten` of an eight-page file with 1 and 2 jobs (pages flattened at once):
// four pages of overlapping vector shapes under constant alpha and blend modes (the planar map's
// work) between four pages with a photograph under a soft mask (rendered images, deflated when
// written). The ratio of the two times is what a second core buys; reading and writing the file
// stay on one thread.
//
// The file is written to $TMPDIR/corvel-parallel-pages.pdf (kept, to time the command on it),
// its photo pages first to $TMPDIR/corvel-parallel-pages-photo*.pdf.

#include <benchmark/benchmark.h>
#include <cli/FileAction.h>
#include <tools/testpages/PhotoPage.h>

#include <filesystem>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 8;
constexpr int kShapes = 600;  // per vector page; one in six transparent

std::string Number(double value) {
  return std::to_string(static_cast<int>(value * 100) / 100.0);
}

// Rectangles and diamonds in CMYK over an A4 page; every sixth under alpha or Multiply.
std::string VectorContent(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> x(0, 560), y(0, 800), size(8, 60), tint(0, 1);
  std::string content;
  for (int i = 0; i < kShapes; ++i) {
    const bool transparent = i % 6 == 5;
    content += transparent ? (i % 12 == 11 ? "q /Multiply gs " : "q /Half gs ") : "q ";
    content += Number(tint(random)) + " " + Number(tint(random)) + " " + Number(tint(random)) +
               " 0 k ";
    const double left = x(random), bottom = y(random), side = size(random);
    if (i % 2) {
      content += Number(left) + " " + Number(bottom) + " " + Number(side) + " " +
                 Number(side * 0.7) + " re f Q\n";
    } else {
      content += Number(left) + " " + Number(bottom + side / 2) + " m " + Number(left + side / 2) +
                 " " + Number(bottom) + " l " + Number(left + side) + " " +
                 Number(bottom + side / 2) + " l " + Number(left + side / 2) + " " +
                 Number(bottom + side) + " l h f Q\n";
    }
  }
  return content;
}

void AddVectorPage(QPDF& pdf, unsigned seed) {
  auto page = QPDFObjectHandle::parse(
      "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /ExtGState << /Half << /ca 0.5 >> "
      "/Multiply << /BM /Multiply /ca 0.8 >> >> >> >>");
  page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, VectorContent(seed)));
  QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
}

const fs::path& StressFile() {
  static const fs::path path = [] {
    const fs::path written = fs::temp_directory_path() / "corvel-parallel-pages.pdf";
    std::vector<std::unique_ptr<QPDF>> photos;
    QPDF pdf;
    pdf.emptyPDF();
    for (int page = 0; page < kPages; ++page) {
      if (page % 2 == 0) {
        AddVectorPage(pdf, static_cast<unsigned>(page + 1));
        continue;
      }
      CorvelTestPages::PhotoPageOptions options;
      options.width = 1500, options.height = 1000;
      options.seed = static_cast<unsigned>(page);
      const fs::path photo =
          fs::temp_directory_path() / ("corvel-parallel-pages-photo" + std::to_string(page) + ".pdf");
      CorvelTestPages::WritePhotoPage(photo, options);
      photos.push_back(std::make_unique<QPDF>());
      photos.back()->processFile(photo.c_str());
      QPDFPageDocumentHelper(pdf).addPage(QPDFPageDocumentHelper(*photos.back()).getAllPages().front(),
                                          false);
    }
    QPDFWriter writer(pdf, written.c_str());
    writer.setStaticID(true);
    writer.write();
    return written;
  }();
  return path;
}

// Argument: the number of jobs.
void BM_ParallelPages_Flatten(benchmark::State& state) {
  const fs::path& input = StressFile();
  const fs::path output = fs::temp_directory_path() / "corvel-parallel-pages-out.pdf";
  CorvelCli::FileSettings settings;
  settings.jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
    benchmark::DoNotOptimize(report);
  }
  state.SetItemsProcessed(state.iterations() * kPages);
  state.SetLabel(std::to_string(settings.jobs) + " jobs");
}
BENCHMARK(BM_ParallelPages_Flatten)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
