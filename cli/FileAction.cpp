#include <cli/FileAction.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <stdexcept>

#include <cli/Involvement.h>
#include <cli/OrderedWork.h>
#include <cli/ProgressLine.h>
#include <cli/Selection.h>
#include <io/pdf/PdfEditor.h>
#include <io/pdf/PdfSource.h>
#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/TransparencyScan.h>
#include <module/Exports.h>
#include <values/ColorManagement.h>

namespace CorvelCli {

namespace {

void CountInserted(const MavDoc::ContentObject& object, PageReport& page) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    if (!path->IsClippingObject()) ++page.flatPaths;
  } else if (const auto* image = dynamic_cast<const MavDoc::Image*>(&object)) {
    ++page.images;
    const auto& source = image->GetPaintedPicture()->GetPictureData(true)->GetSource();
    page.imageSizes.push_back(std::to_string(source->GetWidth()) + "x" +
                              std::to_string(source->GetHeight()));
  } else if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    for (const auto& member : group->GetContent().GetChildren()) CountInserted(member, page);
  }
}

// Painted objects (groups are looked into) that a predicate counts.
template <class Counts>
std::size_t CountPainted(const MavDoc::Content& content, const Counts& counts) {
  std::size_t count = 0;
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      count += CountPainted(group->GetContent(), counts);
    } else if (counts(member)) {
      ++count;
    }
  }
  return count;
}

// Text runs drawn (not clips), and of those the ones a predicate picks.
template <class Pick>
std::size_t CountText(const MavDoc::Content& content, const Pick& pick) {
  return CountPainted(content, [&pick](const MavDoc::ContentObject& member) {
    return dynamic_cast<const MavDoc::Text*>(&member) && !member.IsClippingObject() && pick(member);
  });
}

// Painted objects that overprint, of those the predicate picks.
template <class Pick>
std::size_t CountOverprinting(const MavDoc::Content& content, const Pick& pick) {
  return CountPainted(content, [&pick](const MavDoc::ContentObject& member) {
    const auto* painted = dynamic_cast<const MavDoc::Blendable*>(&member);
    return painted && painted->GetOverprint().Any() && pick(member);
  });
}

// Overprint ignored in what is replaced. Objects left as they were are written from the file,
// flags and all, so clearing every object of the model is enough.
void DiscardOverprint(MavDoc::Content& content) {
  for (MavDoc::ContentObject& member : content.GetChildren()) {
    if (auto* group = dynamic_cast<MavDoc::Group*>(&member)) {
      DiscardOverprint(group->GetContent());
    } else if (auto* painted = dynamic_cast<MavDoc::Blendable*>(&member)) {
      painted->SetOverprint({});
    }
  }
}

// Throws when the action would replace an object that only stands in for something the reader
// cannot represent: the page must then stay as the file has it.
template <class Chosen>
void RefuseStandIns(const MavDoc::Content& content, const Chosen& chosen) {
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      RefuseStandIns(group->GetContent(), chosen);
      continue;
    }
    const auto* source = dynamic_cast<const CorvelPdf::PdfSource*>(member.GetSource().get());
    if (source && !source->unreadable.empty() && chosen(member))
      throw std::runtime_error("transparency involves what cannot be read: " + source->unreadable);
  }
}

// Runs the action on one page read into the model, its images rendered through `renderTasks`;
// returns whether the page changed. Flattening also measures its areas, and gives their shapes
// to `keptAreas` when there is one.
// What a viewer shows of the page: its crop box, cut to the media box.
Vexl::Rectangle VisibleBox(const MavDoc::Page& page) {
  const auto& media = page.GetPageBox(MavDoc::kMediaBox);
  const auto& crop = page.GetPageBox(MavDoc::kCropBox);
  const double left = std::max(media.Left(), crop.Left());
  const double bottom = std::max(media.Bottom(), crop.Bottom());
  const double right = std::min(media.Right(), crop.Right());
  const double top = std::min(media.Top(), crop.Top());
  if (right <= left || top <= bottom) return media;  // no overlap: viewers fall back on the media
  return {left, bottom, right - left, top - bottom};
}

using PhaseReport = decltype(Corvel::FlattenOptions::reportPhase);

bool RunOnPage(const FileSettings& settings, const Corvel::ParallelTasks& renderTasks,
               MavDoc::Page& page, PageReport& report, PreviewAreas* keptAreas = nullptr,
               const PhaseReport& reportPhase = {}, std::vector<std::string>* warnings = nullptr) {
  const auto phase = [&reportPhase](std::string_view name) {
    if (reportPhase) reportPhase(name, 0, 0);
  };
  phase("finding what transparency touches");
  MavDoc::Content& content = page.GetContent();
  report.before = CountObjects(content);
  report.outlinesBefore = CountDrawn(content);
  report.keptInPlace = Unrepresentable(content).size();
  const bool all = settings.action == "outline" || settings.selection == Selection::All;
  const bool flatten = settings.action != "outline";
  // What overprints as the file has it, before discard clears the flags, for the areas.
  const auto overprinting = flatten ? OverprintingObjects(content) : ObjectSet{};
  if (settings.overprint == OverprintHandling::Discard) DiscardOverprint(content);
  const Involvement involvement =
      all ? Involvement{}
          : FindInvolved(content, {settings.overprint == OverprintHandling::Simulate});
  report.units = involvement.units;
  report.transparentUnits = involvement.transparent;
  report.involvedUnits = involvement.involved;
  const auto chosen = [&](const MavDoc::ContentObject& object) {
    return (all || involvement.Contains(object)) && IsRepresentable(object);
  };
  report.textRuns = CountText(content, [](const auto&) { return true; });
  report.textRunsOutlined = CountText(content, chosen);
  report.overprintsReplaced = CountOverprinting(content, chosen);
  PreviewAreas areas =
      flatten ? CollectObjectAreas(content, chosen, overprinting) : PreviewAreas{};
  // Areas are measured where a viewer shows the page, as the preview draws it.
  const Vexl::Rectangle pageBox = VisibleBox(page);
  // Unless a preview keeps them, the objects' shapes are measured and let go before the
  // flattening, which then has their memory (hundreds of megabytes on a page of 10,000 shapes).
  AreaSummary objectAreas;
  if (flatten && !keptAreas) {
    phase("measuring areas");
    objectAreas = MeasureAreas(areas, pageBox);
    areas = PreviewAreas{};
  }
  const auto measure = [&] {
    if (!flatten) return;
    if (keptAreas) {
      report.areas = MeasureAreas(areas, pageBox);
      *keptAreas = std::move(areas);
      return;
    }
    phase("measuring areas");
    objectAreas.rasterized = MeasureAreas(areas, pageBox).rasterized;
    report.areas = objectAreas;
  };
  if (!all && involvement.involved == 0) {
    report.after = report.before;
    report.outlinesAfter = report.outlinesBefore;
    measure();
    return false;
  }
  RefuseStandIns(content, chosen);
  const auto start = std::chrono::steady_clock::now();
  const auto visible = [](const std::shared_ptr<MavDoc::LayerProperties>& layer) {
    return layer->visible;
  };
  Corvel::FlattenOptions flattening{settings.inkTypeStacking, settings.resolution,
                                    settings.gradientResolution, settings.seams};
  flattening.balance = settings.balance;
  flattening.complexityBudget = settings.complexityBudget;
  flattening.maxRenderedSamples = settings.maxRenderedSamples;
  flattening.rasterisedClusters = &report.rasterisedClusters;
  flattening.renderTasks = renderTasks;
  flattening.reportPhase = reportPhase;
  flattening.warnings = warnings;
  const auto inserted =
      settings.action == "outline"
          ? Corvel::OptimizeForOutlineViewAction(content, visible, true, chosen)
          : Corvel::FlattenAction(content, visible, true, chosen, flattening);
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (settings.afterFlattening) settings.afterFlattening(inserted);
  report.inserted = inserted.size();
  for (const auto* object : inserted) CountInserted(*object, report);
  report.after = CountObjects(content);
  report.outlinesAfter = CountDrawn(content);
  if (flatten) AddRasterizedAreas(inserted, areas);
  measure();
  return true;
}

// A page on its way through the run: read on the main thread, flattened on a worker, written
// back on the main thread. The model refers to qpdf objects through its source records; `held`
// keeps every one of them (and the soft masks, whose contents carry more) alive until the page
// is dropped on the main thread, so that the flattening, which deletes replaced objects, never
// releases a qpdf object on a worker.
struct PageInFlight {
  PageReport report;
  CorvelPdf::ReadResult read;  // no document: the page is not read
  std::vector<std::shared_ptr<const void>> held;
  std::string failure;  // why the page stays as the file has it, or empty
};

void HoldSources(const MavDoc::Content& content, std::vector<std::shared_ptr<const void>>& held) {
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (member.GetSource()) held.push_back(member.GetSource());
    if (const auto* painted = dynamic_cast<const MavDoc::Blendable*>(&member)) {
      const auto& transparency = painted->GetTransparency();
      held.push_back(transparency);
      if (const auto& mask = transparency->GetSoftMask(); mask && mask->GetContent())
        HoldSources(*mask->GetContent(), held);
    }
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member))
      HoldSources(group->GetContent(), held);
  }
}

// Main thread: reads page `number` alone (memory holds the models of the pages in flight, never
// of the document) when anything on it may paint transparency, or for outline view.
PageInFlight ReadPage(QPDF& pdf, const std::string& input, const FileSettings& settings,
                      const QPDFPageObjectHelper& handle, int number) {
  PageInFlight page;
  page.report.number = number;
  page.report.transparency = CorvelPdf::PageMayPaintTransparency(handle.getObjectHandle());
  if (!page.report.transparency && settings.action != "outline") return page;
  try {
    page.read = CorvelPdf::ReadPages(pdf, input, {{}, {number}, true, true});
    HoldSources(page.read.document->GetPages().front()->GetContent(), page.held);
  } catch (const std::exception& e) {
    page.failure = e.what();
  }
  return page;
}

// A worker: runs the action on the page's model, rendering on the workers `budget` has free.
// Touches nothing but the page's own model.
void FlattenPage(const FileSettings& settings, WorkerBudget& budget, ProgressLine& progress,
                 PageInFlight& page) {
  if (!page.read.document || !page.failure.empty()) return;
  const Corvel::ParallelTasks renderTasks = [&budget](std::size_t count, const auto& task) {
    RunOnFreeWorkers(budget, count, task);
  };
  const int number = page.report.number;
  const PhaseReport reportPhase = [&progress, number](std::string_view phase, std::size_t done,
                                                      std::size_t total) {
    progress.Phase(number, phase, done, total);
  };
  std::vector<std::string> warnings;
  try {
    page.report.replaced = RunOnPage(settings, renderTasks, *page.read.document->GetPages().front(),
                                     page.report, nullptr, reportPhase, &warnings);
    for (const std::string& warning : warnings)
      page.read.warnings.push_back("page " + std::to_string(number) + ": " + warning);
  } catch (const std::exception& e) {
    page.failure = e.what();
  }
}

// Main thread, in page order: gives a changed page its new content.
void WritePage(QPDF& pdf, CorvelPdf::PdfEditor& editor, PageInFlight& page) {
  if (!page.report.replaced || !page.failure.empty()) return;
  const int number = page.report.number;
  try {
    const auto drawn = CorvelPdf::DrawnAnnotations(pdf.getAllPages().at(number - 1), true);
    page.report.annotationsDrawn = drawn.size();
    editor.ReplacePage(number, *page.read.document->GetPages().front(),
                       page.read.document->GetSeparationInfo(), drawn);
  } catch (const std::exception& e) {
    page.failure = e.what();
  }
}

// The reason a page was left as it was, without the page number the reader puts first.
std::string WhyLeft(const std::string& failure, int number) {
  const std::string prefix = "page " + std::to_string(number) + ", ";
  return failure.rfind(prefix, 0) == 0 ? failure.substr(prefix.size()) : failure;
}

// Main thread, in page order: writes the page back and adds it to the report. A page that
// failed stays as the file has it (nothing was edited before its new content was complete);
// with `strict` it fails the run.
void FinishPage(QPDF& pdf, CorvelPdf::PdfEditor& editor, const FileSettings& settings,
                PageInFlight& page, FileReport& report) {
  const int number = page.report.number;
  report.warnings.insert(report.warnings.end(), page.read.warnings.begin(), page.read.warnings.end());
  WritePage(pdf, editor, page);
  if (!page.failure.empty()) {
    const std::string why = WhyLeft(page.failure, number);
    if (settings.strict) throw std::runtime_error("page " + std::to_string(number) + ": " + why);
    page.report = PageReport{};
    page.report.number = number;
    page.report.transparency = true;
    page.report.leftAsItWas = why;
    ++report.pagesLeftAsTheyWere;
  }
  report.pages.push_back(page.report);
}

std::string OverprintInWords(OverprintHandling handling) {
  switch (handling) {
    case OverprintHandling::Simulate:
      return "simulated in replaced artwork, objects overprinting transparency included; objects "
             "left as they were keep their overprint";
    case OverprintHandling::Preserve:
      return "simulated where transparency involves it; overprinting objects above it and "
             "objects left as they were keep their overprint";
    case OverprintHandling::Discard:
      return "ignored in replaced artwork (it knocks out); objects left as they were keep "
             "their overprint";
  }
  return {};
}

// The CMYK profile of the file's first output intent that carries one, or null.
std::shared_ptr<const MavColor::ICCProfile> OutputIntentProfile(QPDF& pdf) {
  auto intents = pdf.getRoot().getKey("/OutputIntents");
  if (!intents.isArray()) return nullptr;
  for (auto& intent : intents.aitems()) {
    auto profile = intent.isDictionary() ? intent.getKey("/DestOutputProfile") : QPDFObjectHandle();
    if (!profile.isStream()) continue;
    try {
      const auto data = profile.getStreamData(qpdf_dl_generalized);
      std::vector<std::uint8_t> bytes(data->getBuffer(), data->getBuffer() + data->getSize());
      return MavColor::ParseProfile(std::move(bytes), 4, "the output intent's profile");
    } catch (const std::exception&) {
      // A damaged or non-CMYK profile (PDF/A files often name sRGB): the next one, or the
      // defaults.
    }
  }
  return nullptr;
}

std::string Described(const std::shared_ptr<const MavColor::ICCProfile>& profile, const std::string& fallback) {
  return profile ? "\"" + MavColor::ProfileDescription(*profile) + "\"" : fallback;
}

// The colour settings of a run, and their description for the report.
MavColor::ColorSettings ColorSettingsFor(QPDF& pdf, const FileSettings& settings, std::string& described) {
  MavColor::ColorSettings color;
  if (settings.colorConversion == "naive") {
    described =
        "naive (C = 1 - R, M = 1 - G, Y = 1 - B, K = 1 - gray; Lab through the default profiles)";
    return color;
  }
  color.managed = true;
  color.intent = static_cast<MavColor::RenderingIntent>(settings.intent.value_or(0) & 3);
  color.overrideObjectIntents = settings.intent.has_value();
  color.output = OutputIntentProfile(pdf);
  const bool fromIntent = color.output != nullptr;
  if (!color.output && !settings.outputProfile.empty())
    color.output = MavColor::LoadProfile(settings.outputProfile, 4);
  if (!color.output) color.output = MavColor::LoadProfile(MavColor::DefaultProfilePath("default_cmyk.icc"), 4);
  color.rgb = MavColor::LoadProfile(
      settings.rgbProfile.empty() ? MavColor::DefaultProfilePath("default_rgb.icc") : settings.rgbProfile, 3);
  if (!settings.grayProfile.empty()) color.gray = MavColor::LoadProfile(settings.grayProfile, 1);
  static const char* const kIntents[] = {"perceptual", "relative colorimetric", "saturation",
                                         "absolute colorimetric"};
  described = "managed: output " + Described(color.output, "") + (fromIntent ? " (the file's output intent)" : "") +
              ", RGB " + Described(color.rgb, "") + ", gray " + Described(color.gray, "to Black alone") +
              ", intent " + kIntents[settings.intent.value_or(0) & 3] +
              (settings.intent ? " for every object" : " (objects' own intents honoured)") +
              ", black point compensation";
  return color;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::exists(b, error) && std::filesystem::equivalent(a, b, error);
}

// Catalogue and trailer entries that the edit keeps, for the report.
std::vector<std::string> DocumentLevelEntries(QPDF& pdf) {
  std::vector<std::string> entries;
  for (const char* key : {"/Metadata", "/Outlines", "/Names", "/Dests", "/PageLabels",
                          "/OutputIntents", "/ViewerPreferences", "/AcroForm", "/StructTreeRoot",
                          "/MarkInfo", "/Lang", "/OCProperties", "/OpenAction", "/PageMode"}) {
    if (pdf.getRoot().hasKey(key)) entries.push_back(key + 1);
  }
  if (pdf.getTrailer().hasKey("/Info")) entries.push_back("Info");
  return entries;
}

// The file's pages; a page tree qpdf cannot walk is a reading error.
std::vector<QPDFPageObjectHelper> AllPages(QPDF& pdf) {
  try {
    return QPDFPageDocumentHelper(pdf).getAllPages();
  } catch (const std::exception& e) {
    throw CorvelPdf::ReadError("page tree", e.what());
  }
}


}  // namespace

FileReport RunOnFile(const std::string& input, const std::string& output,
                     const FileSettings& settings) {
  if (SameFile(input, output))
    throw std::invalid_argument("the output " + output + " is the input file: choose another");
  QPDF pdf;
  CorvelPdf::OpenFile(pdf, input);
  std::vector<QPDFPageObjectHelper> pages = AllPages(pdf);
  FileReport report;
  report.pageCount = static_cast<int>(pages.size());
  if (settings.firstPage > report.pageCount) {
    throw PageRangeError("--pages starts at page " + std::to_string(settings.firstPage) +
                                " but the file has " + std::to_string(report.pageCount) +
                                (report.pageCount == 1 ? " page" : " pages"));
  }
  if (settings.lastPage != FileSettings{}.lastPage && settings.lastPage > report.pageCount) {
    throw PageRangeError("--pages ends at page " + std::to_string(settings.lastPage) +
                                " but the file has " + std::to_string(report.pageCount) +
                                (report.pageCount == 1 ? " page" : " pages"));
  }
  report.carriedOver = DocumentLevelEntries(pdf);
  report.overprint = OverprintInWords(settings.overprint);
  report.seams = settings.seams == Corvel::Seams::None ? "none" : "abut";
  const MavColor::ScopedColorSettings colors(ColorSettingsFor(pdf, settings, report.colorConversion));
  // The images flattening renders are compressed beside the writing, by as many threads.
  CorvelPdf::RasterImageSettings images = settings.rasterImages;
  images.threads = settings.jobs;
  CorvelPdf::PdfEditor editor(pdf, images);
  const int first = settings.firstPage, last = std::min(settings.lastPage, report.pageCount);
  ProgressLine progress(std::cerr, std::filesystem::path(input).filename().string(),
                        std::max(last - first + 1, 0), isatty(STDERR_FILENO));
  const auto read = [&](int index) {
    progress.Phase(first + index, "reading");
    return ReadPage(pdf, input, settings, pages[static_cast<std::size_t>(first + index - 1)],
                    first + index);
  };
  WorkerBudget workers(settings.jobs);
  const auto flatten = [&](PageInFlight& page) { FlattenPage(settings, workers, progress, page); };
  const auto write = [&](PageInFlight& page) {
    FinishPage(pdf, editor, settings, page, report);
    progress.PageDone(page.report.number);
  };
  // An exception ends the progress line (the destructor) before its message is printed.
  RunInOrder(std::max(last - first + 1, 0), workers, read, flatten, write);
  progress.End();
  editor.WriteFile(output, CorvelPdf::EditOptions{settings.pdfVersion});
  // Each message once, in the order first met.
  std::vector<std::string> unique;
  for (auto& warning : report.warnings) {
    if (std::find(unique.begin(), unique.end(), warning) == unique.end()) unique.push_back(warning);
  }
  report.warnings = std::move(unique);
  return report;
}

PagePreview PreviewPage(const std::string& input, int number, const FileSettings& settings) {
  QPDF pdf;
  CorvelPdf::OpenFile(pdf, input);
  std::vector<QPDFPageObjectHelper> pages = AllPages(pdf);
  if (number < 1 || number > static_cast<int>(pages.size())) {
    throw PageRangeError("--page " + std::to_string(number) + " but the file has " +
                         std::to_string(pages.size()) + (pages.size() == 1 ? " page" : " pages"));
  }
  std::string colorConversion;
  const MavColor::ScopedColorSettings colors(ColorSettingsFor(pdf, settings, colorConversion));
  auto read = CorvelPdf::ReadPages(pdf, input, {{}, {number}, true, true});
  MavDoc::Page& page = *read.document->GetPages().front();
  PagePreview preview;
  preview.warnings = std::move(read.warnings);
  preview.visibleBox = VisibleBox(page);
  preview.rotation = page.GetRotation();
  preview.pageCount = static_cast<int>(pages.size());
  preview.report.number = number;
  preview.report.transparency =
      CorvelPdf::PageMayPaintTransparency(pages[number - 1].getObjectHandle());
  FileSettings flatten = settings;
  flatten.action = "flatten";
  preview.report.replaced = RunOnPage(flatten, {}, page, preview.report, &preview.areas);
  if (preview.report.areas) preview.report.areas = MeasureAreas(preview.areas, preview.visibleBox);
  return preview;
}

}  // namespace CorvelCli
