// corvel: the command-line front of the flattener.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include <exception>
#include <iostream>

#include <cli/Commands.h>
#include <examples/ExampleDocuments.h>
#include <io/pdf/PdfWriter.h>
#include <mavdoc/Describe.h>
#include <module/Exports.h>
#include <module/Module.h>

namespace {

int Usage() {
  std::cerr << "usage: corvel flatten in.pdf -o out.pdf [--pages A-B] [--resolution PPI]\n"
               "                      [--line-art-resolution 1200] [--gradient-resolution 300]\n"
               "                      [--ink-type-stacking] [--select involved|all] [--pdf-version V]\n"
               "                      [--strict] [--verify] [--report report.json]\n"
               "                      [--color-conversion managed|naive] [--output-profile F.icc]\n"
               "                      [--rgb-profile F.icc] [--gray-profile F.icc]\n"
               "                      [--intent perceptual|relative|saturation|absolute]\n"
               "       exit status: 0 done, 1 failed (nothing written), 2 usage, 3 done with pages\n"
               "       left as they were (unreadable or unflattenable; --strict makes that a failure),\n"
               "       4 written but --verify found a page that prints differently\n"
               "       corvel outline in.pdf -o out.pdf [same options]\n"
               "       corvel info in.pdf\n"
               "       corvel example [--outline] [--out DIR]   flatten (or rebuild for outline view)\n"
               "                the bundled example, print it before and after, and write both as PDF\n"
               "       corvel --version\n";
  return 2;
}

// The bundled example before and after flattening its page (or rebuilding it for outline view);
// with an output folder, both as PDF files.
int RunExample(bool outline, const std::string& folder) {
  const auto document = Corvel::Examples::MakeOverlapExample();
  std::cout << "Before:\n";
  MavDoc::Describe(*document, std::cout);
  if (!folder.empty()) CorvelPdf::WriteDocument(*document, folder + "/example-original.pdf");
  for (MavDoc::Page* page : document->GetPages()) {
    const auto visible = [](const auto& layer) { return layer->visible; };
    const auto all = [](const MavDoc::ContentObject&) { return true; };
    const auto inserted =
        outline ? Corvel::OptimizeForOutlineViewAction(page->GetContent(), visible, true, all)
                : Corvel::FlattenAction(page->GetContent(), visible, true, all, false, 300.0);
    std::cout << "\n" << (outline ? "Rebuilt for outline view: " : "Flattened: ")
              << inserted.size() << " new objects\n";
  }
  std::cout << "\nAfter:\n";
  MavDoc::Describe(*document, std::cout);
  if (!folder.empty()) {
    const std::string name = folder + (outline ? "/example-outline.pdf" : "/example-flattened.pdf");
    CorvelPdf::WriteDocument(*document, name);
    std::cout << "\nWrote " << folder << "/example-original.pdf and " << name << "\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> rest(argv + std::min(argc, 2), argv + argc);
    if (argc >= 2 && (std::strcmp(argv[1], "flatten") == 0 || std::strcmp(argv[1], "outline") == 0)) {
      return CorvelCli::RunPageAction(argv[1], rest);
    }
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return CorvelCli::RunInfo(rest);
    if (argc >= 2 && std::strcmp(argv[1], "example") == 0) {
      bool outline = false;
      std::string folder;
      for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--outline") {
          outline = true;
        } else if (rest[i] == "--out" && i + 1 < rest.size()) {
          folder = rest[++i];
        } else {
          return Usage();
        }
      }
      return RunExample(outline, folder);
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::cout << Corvel::Module::Create()->GetName() << " 0.1\n";
      return 0;
    }
    return Usage();
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << e.what() << "\n";
    return 1;
  }
}
