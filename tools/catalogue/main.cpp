// corvel-catalogue: flattens every case of the bundled catalogue (or the cases named), rebuilds
// each for outline view, writes the original and both results as PDF, and compares each result
// with the original plate by plate through Ghostscript. Exit status 0 when every result prints
// the same and no flattened file holds transparency, 1 otherwise, 2 when the run failed.
#include <cli/CommandLineSupport.h>
#include <tools/catalogue/CatalogueRun.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

struct Arguments {
  CorvelCatalogue::RunOptions options;
  std::vector<std::string> cases;
};

// Below 10 ppi the renders have too few pixels away from outlines to judge; above 1200 a run
// takes hours.
constexpr double kMinResolution = 10, kMaxResolution = 1200;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& c : Corvel::Examples::Catalogue()) names.push_back(c.name);
  return names;
}

void AddOptions(CLI::App& app, Arguments& arguments) {
  arguments.options.folder = "out";
  app.add_option("case", arguments.cases, "Cases to run (default: every case)")
      ->type_name("CASE")
      ->check(CorvelCli::OneOf(CaseNames()));
  app.add_option("--out", arguments.options.folder, "Folder of the PDF files and report.txt")
      ->type_name("DIR");
  app.add_option("--resolution", arguments.options.renderResolution,
                 "Pixels per inch of the compared renders")
      ->type_name("R")
      ->check(CorvelCli::NumberBetween(kMinResolution, kMaxResolution, "pixels per inch"));
  app.add_option_function<std::string>(
         "--seams",
         [&arguments](const std::string& text) {
           arguments.options.seams = text == "none" ? Corvel::Seams::None : Corvel::Seams::Abut;
         },
         "How flattened pieces meet: abut (each on its own outline) or none (earlier pieces "
         "reach under later ones); the report counts seam pixels of anti-aliased renders")
      ->type_name("MODE")
      ->check(CorvelCli::OneOf({"abut", "none"}))
      ->default_str("none");
  app.footer(
      "Writes DIR/<case>-original.pdf, -flattened.pdf and -outline.pdf and DIR/report.txt.\n"
      "Exit status: 0 every result prints the same and holds no transparency, 1 otherwise, 2 the\n"
      "run failed (or a usage error).");
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  CLI::App app(
      "Flattens the catalogue of transparency cases, rebuilds each for outline view and judges "
      "both",
      "corvel-catalogue");
  CorvelCli::UseHouseFormat(app);
  AddOptions(app, arguments);
  if (const auto status = CorvelCli::ParseCommandLine(app, argc, argv)) return *status;
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
      if (!c->ghostscriptDiffers.empty())
        text += "  Ghostscript is not the reference here: " + c->ghostscriptDiffers + "\n";
      std::cout << text << std::flush;
      report << text;
      const bool agrees = run.flattened.comparison->Agrees() && run.outline.comparison->Agrees();
      same += agrees;
      if (!agrees && !c->ghostscriptDiffers.empty()) modelCases += " " + c->name;
      if (!run.flattened.transparencyLeft.empty() || (!agrees && c->ghostscriptDiffers.empty()))
        ++failures;
    }
    std::ostringstream summary;
    summary << "\n"
            << same << " of " << cases.size()
            << " cases print the same after flattening and after the outline-view rebuild";
    if (!modelCases.empty())
      summary << "; differing where Ghostscript departs from the model:" << modelCases;
    summary << ".\nFiles and report.txt are in " << arguments.options.folder << "/\n";
    std::cout << summary.str();
    report << summary.str();
    return failures == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "corvel-catalogue: " << e.what() << "\n";
    return 2;
  }
}
