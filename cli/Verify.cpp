#include <cli/Verify.h>

#include <cstdlib>
#include <stdexcept>

#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

namespace CorvelCli {

void RequireGhostscriptToVerify() {
  if (std::system("gs --version > /dev/null 2>&1") != 0)
    throw std::runtime_error("--verify needs Ghostscript (gs) to render the pages, and it is not installed");
}

bool VerifyPages(const std::string& input, const std::string& output, const FileSettings& settings,
                 FileReport& report, double resolution) {
  RequireGhostscriptToVerify();
  // Managed output is compared with Ghostscript converting through the profiles and intents the
  // flattening used, groups blending in CMYK as Corvel blends; naive output with Ghostscript's
  // naive conversions.
  const auto conversion = settings.colorConversion == "naive" ? CorvelOracle::ColorConversion::Simple
                                                              : CorvelOracle::ColorConversion::ManagedCmykGroups;
  const CorvelOracle::ManagedColor color{settings.outputProfile, settings.rgbProfile, settings.intent};
  const auto edges = CorvelOracle::EdgeRendering::Aliased;
  bool agrees = true;
  for (auto& page : report.pages) {
    if (!page.replaced) continue;
    const auto comparison =
        CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input, page.number, resolution, conversion, edges, color),
                              CorvelOracle::RenderPdfPage(output, page.number, resolution, conversion, edges, color));
    PageCheck check;
    check.agrees = comparison.Agrees();
    for (const auto& separation : comparison.separations)
      check.separations.push_back({separation.name, separation.maxDifference, separation.ShareOver()});
    page.check = std::move(check);
    agrees = agrees && page.check->agrees;
  }
  return agrees;
}

}  // namespace CorvelCli
