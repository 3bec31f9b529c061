#include <cli/Commands.h>
#include <cli/Preview.h>
#include <cli/PreviewImage.h>
#include <cli/Report.h>

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace CorvelCli {

namespace {

// "involved in transparency  #1e5aff  1234.00 sq pt", one line per legend line.
void PrintLegend(const std::vector<PreviewLayer>& layers) {
  for (const auto& layer : layers) {
    char area[64];
    const auto end =
        std::to_chars(area, area + sizeof area, layer.squarePoints, std::chars_format::fixed, 2);
    std::cout << layer.label << "  " << HexOf(layer.colour) << "  "
              << std::string_view(area, end.ptr - area) << " sq pt\n";
  }
}

void Run(const PreviewSettings& settings) {
  if (std::system("gs --version > /dev/null 2>&1") != 0)
    throw std::runtime_error(
        "preview needs Ghostscript (gs) to render the page, and it is not installed");
  PagePreview preview = PreviewPage(settings.input, settings.page, settings.file);
  for (const auto& warning : preview.warnings)
    std::cerr << "corvel: " << settings.input << ": " << warning << "\n";
  const auto page =
      CorvelOracle::RenderGrayPage(settings.input, settings.page, settings.resolution);
  const auto layers = PreviewLayers(preview.areas, *preview.report.areas);
  WritePng(settings.output,
           ComposePreview(page, {preview.visibleBox, preview.rotation, settings.resolution}, layers));
  std::cout << settings.output << ": page " << settings.page << ", " << page.width << " x "
            << page.height << " pixels at " << settings.resolution << " ppi, legend below\n";
  PrintLegend(layers);
  if (!settings.report.empty()) {
    FileReport report;
    report.pageCount = preview.pageCount;
    report.warnings = preview.warnings;
    report.pages.push_back(preview.report);
    WriteReport(settings.report, settings.input, settings.output, report);
  }
}

}  // namespace

int RunPreview(const PreviewSettings& settings) {
  try {
    Run(settings);
    return kDone;
  } catch (const PageRangeError& e) {
    std::cerr << "corvel preview: " << e.what() << "\n";
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << settings.input << ": " << e.what() << "\n";
    return kFailed;
  }
}

}  // namespace CorvelCli
