// The whole `corvel flatten` (read, select, flatten, write) on a map-like page: 14,000 small
// opaque filled paths inside one isolated wrapper group with no effect, and nine isolated
// transparency groups (alpha 0.07 to 0.88) covering about a tenth of the page. The work should
// follow the transparency, not the page: only what lies under the nine groups is flattened.
//
// The page is written to $TMPDIR/corvel-map-page.pdf (kept, to time other tools on it).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <cli/FileAction.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

namespace fs = std::filesystem;

constexpr int kPaths = 14000;
constexpr int kGroups = 9;
constexpr double kWidth = 842, kHeight = 595;  // A4 landscape, points

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A small closed shape of 4 to 7 corners around (x, y), like a building or a field.
std::string Shape(std::mt19937& random, double x, double y) {
  std::uniform_real_distribution<double> radius(0.5, 3), jitter(-0.3, 0.3);
  const int corners = 4 + random() % 4;
  std::string out;
  for (int i = 0; i < corners; ++i) {
    const double angle = 6.2831853 * i / corners + jitter(random);
    const double r = radius(random);
    out += Number(x + r * std::cos(angle)) + " " + Number(y + r * std::sin(angle)) + (i ? " l\n" : " m\n");
  }
  return out + "h f\n";
}

QPDFObjectHandle Form(QPDF& pdf, const std::string& content, QPDFObjectHandle resources) {
  auto form = QPDFObjectHandle::newStream(&pdf, content);
  auto dict = form.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
  dict.replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 842 595]"));
  dict.replaceKey("/Group", QPDFObjectHandle::parse("<< /S /Transparency /I true >>"));
  dict.replaceKey("/Resources", resources);
  return form;
}

// Writes the page file; returns its path.
fs::path WriteMapPage() {
  QPDF pdf;
  pdf.emptyPDF();
  std::mt19937 random(14000);
  std::uniform_real_distribution<double> x(0, kWidth), y(0, kHeight), tint(0.05, 0.6);
  // Nine areas of about 1.1 % of the page each, two overlapping shapes in each.
  const double side = std::sqrt(0.011 * kWidth * kHeight);
  std::uniform_real_distribution<double> gx(0, kWidth - side), gy(0, kHeight - side);
  auto states = QPDFObjectHandle::newDictionary();
  auto forms = QPDFObjectHandle::newDictionary();
  for (int g = 1; g <= kGroups; ++g) {
    const double alpha = 0.07 + (0.88 - 0.07) * (g - 1) / (kGroups - 1);
    states.replaceKey("/G" + std::to_string(g),
                      QPDFObjectHandle::parse("<< /ca " + Number(alpha) + " /CA " + Number(alpha) + " >>"));
    const double x0 = gx(random), y0 = gy(random);
    const std::string body = "0.9 0.1 0.1 0 k " + Number(x0) + " " + Number(y0) + " " + Number(side) + " " +
                             Number(side * 0.6) + " re f 0.1 0.2 0.9 0 k " + Number(x0 + side * 0.3) + " " +
                             Number(y0 + side * 0.3) + " " + Number(side * 0.7) + " " +
                             Number(side * 0.7) + " re f";
    forms.replaceKey("/Glass" + std::to_string(g),
                     Form(pdf, body, QPDFObjectHandle::newDictionary()));
  }
  std::string content;
  for (int i = 0; i < kPaths; ++i) {
    content += Number(tint(random)) + " " + Number(tint(random)) + " " + Number(tint(random)) + " 0 k\n";
    content += Shape(random, x(random), y(random));
    // The transparent groups sit among the paths, as map symbols and labels do.
    const int g = (i + 1) / (kPaths / kGroups);
    if ((i + 1) % (kPaths / kGroups) == 0 && g <= kGroups)
      content += "q /G" + std::to_string(g) + " gs /Glass" + std::to_string(g) + " Do Q\n";
  }
  auto resources = QPDFObjectHandle::newDictionary();
  resources.replaceKey("/ExtGState", states);
  resources.replaceKey("/XObject", forms);
  auto wrapper = Form(pdf, content, resources);
  auto page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 842 595] >>");
  page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, "/Wrapper Do"));
  page.replaceKey("/Resources", QPDFObjectHandle::parse("<< /XObject << >> >>"));
  page.getKey("/Resources").getKey("/XObject").replaceKey("/Wrapper", wrapper);
  pdf.addPage(pdf.makeIndirectObject(page), false);
  const fs::path path = fs::temp_directory_path() / "corvel-map-page.pdf";
  QPDFWriter writer(pdf, path.c_str());
  writer.setStaticID(true);
  writer.write();
  return path;
}

void BM_FlattenMapPage(benchmark::State& state) {
  const fs::path input = WriteMapPage();
  const fs::path output = fs::temp_directory_path() / "corvel-map-page-flat.pdf";
  CorvelCli::FileReport report;
  for (auto _ : state) {
    report = CorvelCli::RunOnFile(input.string(), output.string(), {});
    benchmark::DoNotOptimize(report);
  }
  const auto& page = report.pages.at(0);
  state.counters["units"] = static_cast<double>(page.units);
  state.counters["involved"] = static_cast<double>(page.involvedUnits);
  state.counters["newObjects"] = static_cast<double>(page.inserted);
  state.counters["outputKB"] = static_cast<double>(fs::file_size(output)) / 1024;
}
BENCHMARK(BM_FlattenMapPage)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
