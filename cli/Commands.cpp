#include <cli/Commands.h>
#include <cli/FileAction.h>
#include <cli/Report.h>
#include <cli/Verify.h>
#include <examples/ExampleDocuments.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Describe.h>
#include <module/Exports.h>

#include <iostream>
#include <stdexcept>

namespace CorvelCli {

namespace {

int Run(const std::string& action, const PageActionSettings& settings) {
  FileSettings file = settings.file;
  file.action = action;
  FileReport report = RunOnFile(settings.input, settings.output, file);
  const bool agrees =
      !settings.verify || VerifyPages(settings.input, settings.output, file, report);
  for (const auto& warning : report.warnings)
    std::cerr << "corvel: " << settings.input << ": " << warning << "\n";
  for (const auto& page : report.pages) {
    if (!page.leftAsItWas.empty())
      std::cerr << "corvel: " << settings.input << ", page " << page.number
                << " left as it was: " << page.leftAsItWas << "\n";
  }
  if (!settings.report.empty())
    WriteReport(settings.report, settings.input, settings.output, report);
  if (!agrees) {
    for (const auto& page : report.pages) {
      if (page.check && !page.check->agrees)
        std::cerr << "corvel: " << settings.output << ", page " << page.number
                  << " does not print as the original (see the report's verification)\n";
    }
    return kPrintsDifferently;
  }
  return report.pagesLeftAsTheyWere > 0 ? kPagesLeftAsTheyWere : kDone;
}

}  // namespace

int RunPageAction(const std::string& action, const PageActionSettings& settings) {
  try {
    return Run(action, settings);
  } catch (const PageRangeError& e) {
    std::cerr << "corvel " << action << ": " << e.what() << "\n";
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << settings.input << ": " << e.what() << "\n";
    return kFailed;
  }
}

int RunInfo(const std::string& input) {
  try {
    const auto read = CorvelPdf::ReadDocument(input);
    MavDoc::Describe(*read.document, std::cout);
    for (const auto& warning : read.warnings) std::cout << "warning: " << warning << "\n";
    return kDone;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << input << ": " << e.what() << "\n";
    return kFailed;
  }
}

int RunExample(const ExampleSettings& settings) {
  const auto document = Corvel::Examples::MakeOverlapExample();
  const std::string& folder = settings.folder;
  std::cout << "Before:\n";
  MavDoc::Describe(*document, std::cout);
  if (!folder.empty()) CorvelPdf::WriteDocument(*document, folder + "/example-original.pdf");
  for (MavDoc::Page* page : document->GetPages()) {
    const auto visible = [](const auto& layer) { return layer->visible; };
    const auto all = [](const MavDoc::ContentObject&) { return true; };
    const auto inserted =
        settings.outline
            ? Corvel::OptimizeForOutlineViewAction(page->GetContent(), visible, true, all)
            : Corvel::FlattenAction(page->GetContent(), visible, true, all, false, 300.0);
    std::cout << "\n"
              << (settings.outline ? "Rebuilt for outline view: " : "Flattened: ")
              << inserted.size() << " new objects\n";
  }
  std::cout << "\nAfter:\n";
  MavDoc::Describe(*document, std::cout);
  if (!folder.empty()) {
    const std::string name =
        folder + (settings.outline ? "/example-outline.pdf" : "/example-flattened.pdf");
    CorvelPdf::WriteDocument(*document, name);
    std::cout << "\nWrote " << folder << "/example-original.pdf and " << name << "\n";
  }
  return kDone;
}

}  // namespace CorvelCli
