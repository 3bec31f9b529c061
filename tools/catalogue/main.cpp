// corvel-catalogue: flattens every case of the bundled catalogue (or the cases named), rebuilds
// each for outline view, writes the original and both results as PDF, and compares each result
// with the original plate by plate through Ghostscript. Exit status 0 when every result prints
// the same and no flattened file holds transparency, 1 otherwise, 2 when the run failed.
#include <tools/catalogue/CatalogueRun.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

const char* const kUsage =
    "usage: corvel-catalogue [--out DIR] [--resolution R] [case ...]\n"
    "Writes DIR/<case>-original.pdf, -flattened.pdf and -outline.pdf (default DIR: out) and\n"
    "DIR/report.txt; compares renders at R pixels per inch (default 150).\n";

struct Arguments {
  CorvelCatalogue::RunOptions options;
  std::vector<std::string> cases;
};

Arguments Parse(int argc, char** argv) {
  Arguments arguments;
  arguments.options.folder = "out";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--out" || argument == "--resolution") {
      if (i + 1 >= argc) throw std::invalid_argument(argument + " needs a value");
      const std::string value = argv[++i];
      if (argument == "--out") {
        arguments.options.folder = value;
      } else {
        std::size_t used = 0;
        double resolution = 0;
        try {
          resolution = std::stod(value, &used);
        } catch (const std::exception&) {
        }
        if (used != value.size() || !(resolution >= 10 && resolution <= 1200)) {
          throw std::invalid_argument("--resolution needs pixels per inch between 10 and 1200");
        }
        arguments.options.renderResolution = resolution;
      }
    } else if (argument.rfind("-", 0) == 0) {
      throw std::invalid_argument("unknown option " + argument);
    } else {
      arguments.cases.push_back(argument);
    }
  }
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  try {
    arguments = Parse(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "corvel-catalogue: " << e.what() << "\n" << kUsage;
    return 2;
  }
  try {
    std::vector<const Corvel::Examples::CatalogueCase*> cases;
    for (const auto& name : arguments.cases) cases.push_back(&Corvel::Examples::FindCase(name));
    if (cases.empty()) {
      for (const auto& c : Corvel::Examples::Catalogue()) cases.push_back(&c);
    }
    std::filesystem::create_directories(arguments.options.folder);
    std::ofstream report(arguments.options.folder + "/report.txt");
    int failures = 0, same = 0;
    std::string modelCases;
    for (const auto* c : cases) {
      const auto run = CorvelCatalogue::RunCase(*c, arguments.options);
      std::string text = run.Report();
      if (!c->ghostscriptDiffers.empty()) text += "  Ghostscript is not the reference here: " + c->ghostscriptDiffers + "\n";
      std::cout << text << std::flush;
      report << text;
      const bool agrees = run.flattened.comparison->Agrees() && run.outline.comparison->Agrees();
      same += agrees;
      if (!agrees && !c->ghostscriptDiffers.empty()) modelCases += " " + c->name;
      if (!run.flattened.transparencyLeft.empty() || (!agrees && c->ghostscriptDiffers.empty())) ++failures;
    }
    std::ostringstream summary;
    summary << "\n" << same << " of " << cases.size()
            << " cases print the same after flattening and after the outline-view rebuild";
    if (!modelCases.empty()) summary << "; differing where Ghostscript departs from the model:" << modelCases;
    summary << ".\nFiles and report.txt are in " << arguments.options.folder << "/\n";
    std::cout << summary.str();
    report << summary.str();
    return failures == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "corvel-catalogue: " << e.what() << "\n";
    return 2;
  }
}
