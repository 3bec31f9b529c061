#include <cli/Commands.h>
#include <cli/FileAction.h>
#include <cli/FileBatch.h>
#include <cli/Report.h>
#include <cli/Verify.h>
#include <examples/ExampleDocuments.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Describe.h>
#include <module/Exports.h>

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace CorvelCli {

namespace {

// The plates of a page check that differ, as " Magenta up to 102/255 on 31.2 % of the pixels;
// ...": a plate differs where some pixel lies beyond the tolerance.
std::string DifferingPlates(const PageCheck& check) {
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(1);
  const char* separator = " ";
  for (const auto& plate : check.separations) {
    if (plate.shareOver <= 0) continue;
    text << separator << plate.name << " up to " << plate.maxDifference << "/255 on "
         << plate.shareOver * 100 << " % of the pixels";
    separator = "; ";
  }
  return text.str();
}

int Run(const std::string& action, const PageActionSettings& settings, const FileTask& task) {
  FileSettings file = settings.file;
  file.action = action;
  if (settings.verify) RequireGhostscriptToVerify();
  FileReport report = RunOnFile(task.input, task.output, file);
  const bool agrees = !settings.verify || VerifyPages(task.input, task.output, file, report);
  for (const auto& warning : report.warnings)
    std::cerr << "corvel: " << task.input << ": " << warning << "\n";
  for (const auto& page : report.pages) {
    if (!page.leftAsItWas.empty())
      std::cerr << "corvel: " << task.input << ", page " << page.number
                << " left as it was: " << page.leftAsItWas << "\n";
  }
  if (!task.report.empty()) WriteReport(task.report, task.input, task.output, report);
  if (!agrees) {
    for (const auto& page : report.pages) {
      if (page.check && !page.check->agrees) {
        std::cerr << "corvel: " << task.output << ", page " << page.number
                  << " does not print as the original:" << DifferingPlates(*page.check) << "\n";
      }
    }
    return kPrintsDifferently;
  }
  return report.pagesLeftAsTheyWere > 0 ? kPagesLeftAsTheyWere : kDone;
}

// A failure's message after the file's name: a reading error that names the file itself (it
// could not be opened) gives only why, so that the name is not printed twice.
std::string FailureAfterName(const std::exception& e, const std::string& input) {
  const auto* read = dynamic_cast<const CorvelPdf::ReadError*>(&e);
  return read && read->Where() == input ? read->Why() : e.what();
}

int RunOnTask(const std::string& action, const PageActionSettings& settings, const FileTask& task) {
  try {
    return Run(action, settings, task);
  } catch (const PageRangeError& e) {
    const std::string which = settings.inputs.size() > 1 ? task.input + ": " : "";
    std::cerr << "corvel " << action << ": " << which << e.what() << "\n";
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << task.input << ": " << FailureAfterName(e, task.input) << "\n";
    return kFailed;
  }
}

}  // namespace

int RunPageAction(const std::string& action, const PageActionSettings& settings) {
  std::vector<FileTask> tasks;
  try {
    tasks = PlanFiles(settings.inputs, settings.output, settings.report);
  } catch (const BatchUsageError& e) {
    std::cerr << "corvel " << action << ": " << e.what() << "\n";
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << e.what() << "\n";
    return kFailed;
  }
  // One file after another: colour settings are the process's, and each file's pages already
  // spread over the jobs.
  int status = kDone;
  for (const auto& task : tasks) status = WorseStatus(status, RunOnTask(action, settings, task));
  return status;
}

int RunInfo(const std::string& input) {
  try {
    const auto read = CorvelPdf::ReadDocument(input);
    MavDoc::Describe(*read.document, std::cout);
    for (const auto& warning : read.warnings) std::cout << "warning: " << warning << "\n";
    return kDone;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << input << ": " << FailureAfterName(e, input) << "\n";
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
