// The whole `corvel flatten` of a page whose CMYK backdrop is half covered by a tiling pattern
// fill at alpha 0.5: the pattern is read as one copy of its cell per tile and every tile is
// flattened. The cell paints two squares, or a 256 × 256 CMYK image (decoded once for all its
// tiles). Items are tiles.
//
// Pages go to $TMPDIR/corvel-tiled-page-*.pdf (kept, to look at or time other tools).

#include <benchmark/benchmark.h>
#include <cli/FileAction.h>

#include <filesystem>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <string>

namespace {

namespace fs = std::filesystem;
using Handle = QPDFObjectHandle;

// A pattern of 10 pt tiles over a square of `side` tiles and a half, so that it meets
// (side + 1)² tiles.
fs::path TiledPage(int side, bool image) {
  const fs::path path = fs::temp_directory_path() / ("corvel-tiled-page-" + std::to_string(side) +
                                                     (image ? "-image" : "") + ".pdf");
  QPDF pdf;
  pdf.emptyPDF();
  auto cell = Handle::newStream(
      &pdf, image ? "q 8 0 0 8 1 1 cm /Im Do Q" : "0 1 0 0 k 1 1 5 5 re f 0 0 1 0 k 4 4 5 5 re f");
  auto resources = Handle::parse("<< >>");
  if (image) {
    std::string samples;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) samples += {char(x), char(y), char(x ^ y), '\0'};
    auto picture = Handle::newStream(&pdf, samples);
    picture.getDict().replaceKey("/Type", Handle::newName("/XObject"));
    for (const auto& [key, value] :
         Handle::parse("<< /Subtype /Image /Width 256 /Height 256 /ColorSpace /DeviceCMYK "
                       "/BitsPerComponent 8 >>")
             .getDictAsMap())
      picture.getDict().replaceKey(key, value);
    resources.replaceKey("/XObject", Handle::newDictionary());
    resources.getKey("/XObject").replaceKey("/Im", picture);
  }
  for (const auto& [key, value] :
       Handle::parse("<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 "
                     "/YStep 10 >>")
           .getDictAsMap())
    cell.getDict().replaceKey(key, value);
  cell.getDict().replaceKey("/Resources", resources);
  const double extent = 10.0 * side + 0.5;
  const std::string content = "1 0 0 0 k 0 0 700 700 re f /Pattern cs /P scn /Half gs 5 5 " +
                              std::to_string(extent) + " " + std::to_string(extent) + " re f";
  auto page = Handle::parse(
      "<< /Type /Page /MediaBox [0 0 700 700] "
      "/Resources << /ExtGState << /Half << /ca 0.5 >> >> >> >>");
  page.getKey("/Resources").replaceKey("/Pattern", Handle::newDictionary());
  page.getKey("/Resources").getKey("/Pattern").replaceKey("/P", cell);
  page.replaceKey("/Contents", Handle::newStream(&pdf, content));
  pdf.addPage(pdf.makeIndirectObject(page), false);
  QPDFWriter writer(pdf, path.c_str());
  writer.write();
  return path;
}

// Argument 0: tiles along a side less one; argument 1: 1 for the image cell.
void BM_FlattenTiledPage(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const bool image = state.range(1) == 1;
  const fs::path input = TiledPage(side, image);
  const fs::path output = fs::temp_directory_path() / ("out-" + input.filename().string());
  CorvelCli::FileReport report;
  for (auto _ : state) {
    report = CorvelCli::RunOnFile(input.string(), output.string(), {});
    benchmark::DoNotOptimize(report);
  }
  if (!report.pages.at(0).replaced) state.SkipWithError("page not flattened");
  state.SetItemsProcessed(state.iterations() * (side + 1) * (side + 1));
  state.counters["objectsBefore"] = static_cast<double>(report.pages[0].before);
  state.SetLabel(image ? "image cell" : "vector cell");
}
BENCHMARK(BM_FlattenTiledPage)
    ->ArgsProduct({{15, 31, 63}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
