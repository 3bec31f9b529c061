// Fuzzing the PDF reader: the bytes are opened with qpdf as a file in memory, every page is read
// into the model as `corvel flatten` reads it (stand-ins kept, only transparent annotations
// drawn), under limits small enough for the fuzzer's memory, and page 1 is flattened when it is
// small. A damaged file may fail with the reader's ReadError or qpdf's errors (both
// std::runtime_error), and the planar map may refuse coordinates (std::invalid_argument); any
// other exception, a crash, a leak or a sanitizer report is a finding.

#include <cli/Selection.h>
#include <io/pdf/PdfSource.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Placement.h>
#include <module/Exports.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <qpdf/QPDF.hh>
#include <stdexcept>

namespace {

// The fuzzer runs with 2 GB of memory: an image may decode into 16 MB at most, and a page runs
// no more operators than a busy real page does.
CorvelPdf::ReadLimits FuzzLimits() {
  CorvelPdf::ReadLimits limits;
  limits.maxImageBytes = std::size_t{16} << 20;
  limits.maxOperatorsPerPage = 200'000;
  return limits;
}

// Flattening cost grows with the objects and, where it rasterises, with the area: page 1 is
// flattened only when both are small. At 18 pixels per inch a 40-inch page is 720 pixels wide.
constexpr std::size_t kMaxFlattenedObjects = 64;
constexpr double kMaxFlattenedSideInMillipoints = 40 * 72 * 1000.0;
constexpr double kFlattenResolution = 18;

bool SmallEnough(const Vexl::Rectangle& box) {
  return !box.IsNull() && box.width <= kMaxFlattenedSideInMillipoints &&
         box.height <= kMaxFlattenedSideInMillipoints;
}

// Whether an object could be replaced: the command's own rule, and never a stand-in for what
// could not be read (the command leaves such a page as it was).
bool Replaceable(const MavDoc::ContentObject& object) {
  const auto* source = dynamic_cast<const CorvelPdf::PdfSource*>(object.GetSource().get());
  return CorvelCli::IsRepresentable(object) && !(source && !source->unreadable.empty());
}

void FlattenFirstPage(MavDoc::Page& page) {
  MavDoc::Content& content = page.GetContent();
  if (CorvelCli::CountObjects(content) > kMaxFlattenedObjects) return;
  if (!SmallEnough(page.GetPageBox(MavDoc::kMediaBox))) return;
  if (!SmallEnough(MavDoc::GetBoundingBox(content, MavDoc::kStrokes))) return;
  const auto visible = [](const std::shared_ptr<MavDoc::LayerProperties>& layer) {
    return layer->visible;
  };
  Corvel::FlattenAction(content, visible, true, Replaceable, false, kFlattenResolution,
                        kFlattenResolution);
}

void ReadAndFlatten(const std::uint8_t* data, std::size_t size) {
  QPDF pdf;
  pdf.setSuppressWarnings(true);
  pdf.setAttemptRecovery(true);
  pdf.processMemoryFile("fuzz input", reinterpret_cast<const char*>(data), size);
  CorvelPdf::ReadOptions options{FuzzLimits(), {}, true, true};
  auto read = CorvelPdf::ReadPages(pdf, "fuzz input", options);
  const auto& pages = read.document->GetPages();
  if (!pages.empty()) FlattenFirstPage(*pages.front());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    ReadAndFlatten(data, size);
  } catch (const std::runtime_error&) {
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
