#include <tools/catalogue/CatalogueRun.h>

#include <tools/catalogue/TransparencyCheck.h>

#include <cli/Involvement.h>
#include <cli/OutlineCount.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include <io/pdf/PdfWriter.h>
#include <values/ColorManagement.h>
#include <module/Exports.h>
#include <tools/oracle/Seams.h>
#include <tools/oracle/SeparationRender.h>

namespace CorvelCatalogue {

namespace {

void Save(const std::string& bytes, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool Visible(const std::shared_ptr<MavDoc::LayerProperties>& layer) { return layer->visible; }
bool Everything(const MavDoc::ContentObject&) { return true; }

Corvel::FlattenOptions FlattenSettings(const RunOptions& options) {
  Corvel::FlattenOptions settings;
  settings.resolution = settings.gradientResolution = options.flattenResolution;
  settings.seams = options.seams;
  return settings;
}

std::size_t CountSeamPixels(const std::string& pdf, const CorvelOracle::SeparationRender& aliased) {
  using namespace CorvelOracle;
  const auto antiAliased = RenderPdfBytes(pdf, 1, aliased.GetResolution(),
                                          ColorConversion::Managed, EdgeRendering::AntiAliased);
  const auto fine = RenderPdfBytes(pdf, 1, aliased.GetResolution() * kSeamlessFactor);
  const auto averaged =
      SeamlessRender(fine, kSeamlessFactor, antiAliased.GetWidth(), antiAliased.GetHeight());
  return CountSeams(antiAliased, {&aliased, &averaged}).pixels;
}

Outcome Rebuild(const Corvel::Examples::CatalogueCase& c, bool outline, const RunOptions& options,
                const CorvelOracle::SeparationRender& original) {
  auto document = c.make();
  MavDoc::Content& content = document->GetPages().front()->GetContent();
  Outcome outcome;
  const auto start = std::chrono::steady_clock::now();
  // Flattening replaces what transparency involves, as the command does.
  const auto involvement = CorvelCli::FindInvolved(content);
  const auto involved = [&](const MavDoc::ContentObject& object) { return involvement.Contains(object); };
  const auto inserted = outline ? Corvel::OptimizeForOutlineViewAction(content, Visible, true, Everything)
                                : Corvel::FlattenAction(content, Visible, true, involved,
                                                        FlattenSettings(options));
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.newObjects = inserted.size();
  outcome.drawn = CountDrawn(content);
  outcome.pdf = CorvelPdf::WriteDocumentToString(*document);
  outcome.transparencyLeft = FindTransparency(outcome.pdf);
  const auto render = CorvelOracle::RenderPdfBytes(outcome.pdf, 1, options.renderResolution);
  outcome.comparison = std::make_unique<CorvelOracle::Comparison>(CorvelOracle::Compare(original, render));
  if (!outline) outcome.seamPixels = CountSeamPixels(outcome.pdf, render);
  if (!options.folder.empty()) {
    Save(outcome.pdf, options.folder + "/" + c.name + (outline ? "-outline.pdf" : "-flattened.pdf"));
  }
  return outcome;
}

void ReportOutcome(std::ostream& out, const char* title, const Drawn& original, const Outcome& outcome) {
  out << "  " << title << ": " << original.objects << " -> " << outcome.drawn.objects << " objects ("
      << outcome.newObjects << " new), outline subpaths " << original.subpaths << " -> "
      << outcome.drawn.subpaths << " (distinct " << original.distinctSubpaths << " -> "
      << outcome.drawn.distinctSubpaths << "), " << outcome.pdf.size() << " bytes, "
      << static_cast<int>(outcome.seconds * 1000 + 0.5) << " ms, "
      << (outcome.comparison->Agrees() ? "prints the same" : "PRINTS DIFFERENTLY") << "\n";
  if (outcome.seamPixels > 0) out << "    seams (anti-aliased): " << outcome.seamPixels << " pixels\n";
  if (!outcome.transparencyLeft.empty()) {
    out << "    transparency left: " << outcome.transparencyLeft.size() << " (first: "
        << outcome.transparencyLeft.front() << ")\n";
  }
  std::istringstream lines(outcome.comparison->Report());
  for (std::string line; std::getline(lines, line);) out << "    " << line << "\n";
}

}  // namespace

CaseRun RunCase(const Corvel::Examples::CatalogueCase& c, const RunOptions& options) {
  // Colour is converted as the command converts it by default: through Ghostscript's profiles,
  // which the oracle's managed renders use too.
  MavColor::ColorSettings color;
  color.managed = true;
  const MavColor::ScopedColorSettings managed(color);
  CaseRun run;
  run.name = c.name;
  auto document = c.make();
  run.original = CountDrawn(document->GetPages().front()->GetContent());
  run.originalPdf = CorvelPdf::WriteDocumentToString(*document);
  if (!options.folder.empty()) Save(run.originalPdf, options.folder + "/" + c.name + "-original.pdf");
  run.originalRender = std::make_unique<CorvelOracle::SeparationRender>(
      CorvelOracle::RenderPdfBytes(run.originalPdf, 1, options.renderResolution));
  run.flattened = Rebuild(c, false, options, *run.originalRender);
  run.outline = Rebuild(c, true, options, *run.originalRender);
  return run;
}

std::string CaseRun::Report() const {
  std::ostringstream out;
  out << name << "\n";
  ReportOutcome(out, "flattened", original, flattened);
  ReportOutcome(out, "outline view", original, outline);
  return out.str();
}

}  // namespace CorvelCatalogue
