#pragma once
// Running one catalogue case end to end: the original written as PDF, flattened in place and
// written again, rebuilt for outline view and written again, and each result compared with the
// original, separation by separation, through Ghostscript.

#include <cli/OutlineCount.h>
#include <examples/Catalogue.h>
#include <module/Exports.h>
#include <tools/oracle/Comparison.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace CorvelCatalogue {

struct RunOptions {
  double renderResolution = 150;   // pixels per inch of the comparison renders
  double flattenResolution = 300;  // pixels per inch of images the flattener renders
  std::string folder;              // where to write the PDFs; empty: write nothing
  Corvel::Seams seams = Corvel::Seams::None;  // as the command flattens
};

using CorvelCli::CountDrawn;
using CorvelCli::Drawn;

// One rebuilt version of the page (flattened, or rebuilt for outline view).
struct Outcome {
  Drawn drawn;
  std::size_t newObjects = 0;
  double seconds = 0;  // the action alone
  std::string pdf;
  std::vector<std::string> transparencyLeft;  // uses of transparency in the written file
  std::unique_ptr<CorvelOracle::Comparison> comparison;
  // Seam pixels of an anti-aliased render (see tools/oracle/Seams.h); flattened only.
  std::size_t seamPixels = 0;
};

struct CaseRun {
  std::string name;
  Drawn original;
  std::string originalPdf;
  std::unique_ptr<CorvelOracle::SeparationRender> originalRender;
  Outcome flattened;
  Outcome outline;
  // The report of the case: per version a header and one line per separation.
  std::string Report() const;
};

// Runs the case; rendering needs qpdf and Ghostscript (std::runtime_error when they fail).
CaseRun RunCase(const Corvel::Examples::CatalogueCase& c, const RunOptions& options);

}  // namespace CorvelCatalogue
