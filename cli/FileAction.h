#pragma once
// Flattening (or rebuilding for outline view) the pages of a PDF file, written as the same file
// edited: pages that nothing transparent paints on are not even read and come out unchanged;
// on the others only the objects the action selects are replaced, and everything else is
// written back as the file painted it.

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <cli/OutlineCount.h>
#include <cli/PreviewAreas.h>
#include <io/pdf/RasterImageSettings.h>
#include <module/Exports.h>

namespace CorvelCli {

enum class Selection { Involved, All };

// Overprint on pages being flattened. Preserve (the default): replaced artwork shows what
// overprint prints; overprinting objects above all the transparency they meet stay as they are,
// flag included (text stays text), for the output device to overprint. Simulate: the same, and
// objects that overprint the transparency are replaced with it, so the page shows their
// overprint even where a device or viewer ignores it. Discard: overprint is ignored in replaced
// artwork (it knocks out). Objects away from all transparency keep their flags in every mode.
enum class OverprintHandling { Simulate, Preserve, Discard };

struct FileSettings {
  std::string action = "flatten";  // or "outline"
  int firstPage = 1, lastPage = 1 << 30;
  double resolution = 1200;          // line art: edges and text next to rasterised areas
  double gradientResolution = 300;   // shadings in rasterised areas
  bool inkTypeStacking = false;
  Selection selection = Selection::Involved;  // what flatten replaces (outline: always All)
  std::string pdfVersion;                     // empty: the input's
  // A page that cannot be read or flattened fails the whole run instead of being left as it was.
  bool strict = false;
  // Colour: "managed" (ICC profiles) or "naive" (C = 1 − R …); profile files that override the
  // defaults (the output profile yields to the file's own output intent); the rendering intent
  // of every conversion (0 perceptual, 1 relative colorimetric, 2 saturation, 3 absolute
  // colorimetric), or empty: each object's own, perceptual for objects that set none.
  std::string colorConversion = "managed";
  std::string outputProfile, rgbProfile, grayProfile;
  std::optional<int> intent;
  OverprintHandling overprint = OverprintHandling::Preserve;
  // Compression of the images flattening renders (Flate, or JPEG for continuous tone).
  CorvelPdf::RasterImageSettings rasterImages;
  // Flattened pieces that meet edge to edge: earlier ones reaching under later ones so that
  // anti-aliased edges show no hairline (none, the default), or each on its own outline (abut).
  Corvel::Seams seams = Corvel::Seams::None;
  // Vector against raster (0 to 100) and the complexity budget it scales: see
  // Corvel::FlattenOptions.
  int balance = 100;
  double complexityBudget = Corvel::FlattenOptions{}.complexityBudget;
  // Samples one rendered image may hold before it is rendered coarser (a page warning says so).
  double maxRenderedSamples = Corvel::FlattenOptions{}.maxRenderedSamples;
  // Pages flattened at once (threads). The output is the same for every count: the file is read
  // and written on the calling thread in page order, only the flattening runs beside it.
  int jobs = 1;
  // Test hook: given each page's new objects before the page is written, as the self-check's
  // tests break a flat colour to see it caught. Called on the thread that flattens the page.
  std::function<void(const std::vector<MavDoc::ContentObject*>&)> afterFlattening;
};

// How a replaced page compared with the original, plate by plate (see Verify.h).
struct SeparationCheck {
  std::string name;
  int maxDifference = 0;  // ink levels of 255
  double shareOver = 0;   // of the compared pixels, those beyond the tolerance
};
struct PageCheck {
  bool agrees = false;
  std::vector<SeparationCheck> separations;
};

// What happened to one page.
struct PageReport {
  int number = 0;
  bool transparency = false;  // anything on it may paint transparency
  bool replaced = false;      // its content was written anew
  std::string leftAsItWas;    // why a page with transparency could not be flattened, or empty
  std::size_t before = 0, after = 0, inserted = 0, flatPaths = 0, images = 0, keptInPlace = 0;
  std::size_t units = 0, transparentUnits = 0, involvedUnits = 0;
  std::size_t textRuns = 0, textRunsOutlined = 0;
  // Replaced objects that overprint: simulated, or with discard knocking out instead.
  std::size_t overprintsReplaced = 0;
  std::size_t annotationsDrawn = 0;
  Drawn outlinesBefore, outlinesAfter;
  std::vector<std::string> imageSizes;
  // Clusters of overlapping objects rendered whole, and why.
  std::vector<Corvel::RasterisedCluster> rasterisedClusters;
  // Flatten: what it replaced, rendered and outlined, and what overprints, in square points.
  std::optional<AreaSummary> areas;
  double seconds = 0;
  std::optional<PageCheck> check;  // with --verify
};

struct FileReport {
  int pageCount = 0;
  int pagesLeftAsTheyWere = 0;  // pages with transparency that could not be flattened
  std::vector<PageReport> pages;  // the pages in the range, in order
  std::vector<std::string> warnings;
  std::vector<std::string> carriedOver;  // document-level entries of the catalogue and trailer
  std::string colorConversion;             // what converted colours, in words
  std::string overprint;                   // how overprint was handled, in words
  std::string seams;                       // "abut" or "none"
};

// A page range the file does not have; the message names its page count.
struct PageRangeError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// Reads `input`, runs the action on the pages in range and writes `output` atomically (a
// temporary file renamed into place). Throws PageRangeError for a page range beyond the file,
// std::invalid_argument for other settings the file cannot meet (an output path naming the
// input, a PDF version too low),
// CorvelPdf::ReadError for a file that cannot be opened, and std::runtime_error when the output
// cannot be written; nothing is written then. A page that cannot be read or flattened is left
// exactly as it was and reported (with `strict`, it throws std::runtime_error naming the page).
// On a terminal, stderr shows how many pages of the range are done.
FileReport RunOnFile(const std::string& input, const std::string& output, const FileSettings& settings);

// Page `number` flattened in memory as RunOnFile flattens it, nothing written: its report, the
// shapes of what flattening did, and the page's visible box and rotation. The visible box is the
// crop box within the media box (millipoints), what viewers show; the report's areas count
// only what lies in it.
struct PagePreview {
  PageReport report;
  PreviewAreas areas;
  Vexl::Rectangle visibleBox;
  int rotation = 0;
  int pageCount = 0;
  std::vector<std::string> warnings;
};

// Throws PageRangeError for a page the file does not have, CorvelPdf::ReadError for a file or
// page that cannot be read, and std::runtime_error for a page that cannot be flattened.
PagePreview PreviewPage(const std::string& input, int number, const FileSettings& settings);

}  // namespace CorvelCli
