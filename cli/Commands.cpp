#include <cli/Commands.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <cli/OutlineCount.h>
#include <cli/Selection.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Describe.h>
#include <module/Exports.h>

namespace CorvelCli {

namespace {

struct UsageError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

struct Settings {
  std::string input, output, report;
  int firstPage = 1, lastPage = 1 << 30;
  double resolution = 1200;
  bool inkTypeStacking = false;
};

void ParsePages(const std::string& text, Settings& settings) {
  const auto dash = text.find('-');
  try {
    settings.firstPage = std::stoi(text.substr(0, dash));
    settings.lastPage = dash == std::string::npos ? settings.firstPage : std::stoi(text.substr(dash + 1));
  } catch (const std::exception&) {
    throw UsageError("--pages wants N or A-B, got '" + text + "'");
  }
  if (settings.firstPage < 1 || settings.lastPage < settings.firstPage) {
    throw UsageError("--pages wants 1 <= A <= B, got '" + text + "'");
  }
}

Settings Parse(const std::vector<std::string>& arguments) {
  Settings settings;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) throw UsageError(a + " needs a value");
      return arguments[++i];
    };
    if (a == "-o") {
      settings.output = value();
    } else if (a == "--pages") {
      ParsePages(value(), settings);
    } else if (a == "--resolution") {
      const std::string& text = value();
      try {
        settings.resolution = std::stod(text);
      } catch (const std::exception&) {
        throw UsageError("--resolution wants pixels per inch, got '" + text + "'");
      }
      if (!(settings.resolution >= 1 && settings.resolution <= 9600)) {
        throw UsageError("--resolution must lie between 1 and 9600 ppi");
      }
    } else if (a == "--ink-type-stacking") {
      settings.inkTypeStacking = true;
    } else if (a == "--report") {
      settings.report = value();
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else if (settings.input.empty()) {
      settings.input = a;
    } else {
      throw UsageError("more than one input file");
    }
  }
  if (settings.input.empty() || settings.output.empty()) throw UsageError("needs in.pdf and -o out.pdf");
  return settings;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      out += ' ';
      continue;
    }
    out += c;
  }
  return out + "\"";
}

// What the report says of one page.
struct PageReport {
  int number = 0;
  std::size_t before = 0, after = 0, inserted = 0, flatPaths = 0, images = 0, keptInPlace = 0;
  Drawn outlinesBefore, outlinesAfter;
  std::vector<std::string> imageSizes;
  double seconds = 0;
};

void CountInserted(const MavDoc::ContentObject& object, PageReport& page) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    if (!path->IsClippingObject()) ++page.flatPaths;
  } else if (const auto* image = dynamic_cast<const MavDoc::Image*>(&object)) {
    ++page.images;
    const auto& source = image->GetPaintedPicture()->GetPictureData(true)->GetSource();
    page.imageSizes.push_back(std::to_string(source->GetWidth()) + "x" + std::to_string(source->GetHeight()));
  } else if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    for (const auto& member : group->GetContent().GetChildren()) CountInserted(member, page);
  }
}

void WriteReport(const Settings& settings, const std::vector<PageReport>& pages,
                 const std::vector<std::string>& warnings) {
  std::ofstream out(settings.report);
  if (!out) throw std::runtime_error("cannot write the report " + settings.report);
  out << "{\n  \"input\": " << Quoted(settings.input) << ",\n  \"output\": " << Quoted(settings.output)
      << ",\n  \"warnings\": [";
  for (std::size_t i = 0; i < warnings.size(); ++i) out << (i ? ", " : "") << Quoted(warnings[i]);
  out << "],\n  \"pages\": [";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto& p = pages[i];
    out << (i ? ",\n" : "\n") << "    {\"page\": " << p.number << ", \"objectsBefore\": " << p.before
        << ", \"objectsAfter\": " << p.after << ", \"newObjects\": " << p.inserted
        << ", \"flatPaths\": " << p.flatPaths << ", \"images\": " << p.images
        << ", \"keptInPlace\": " << p.keptInPlace << ", \"outlineSubpathsBefore\": " << p.outlinesBefore.subpaths
        << ", \"outlineSubpathsAfter\": " << p.outlinesAfter.subpaths
        << ", \"distinctOutlineSubpathsBefore\": " << p.outlinesBefore.distinctSubpaths
        << ", \"distinctOutlineSubpathsAfter\": " << p.outlinesAfter.distinctSubpaths << ", \"seconds\": " << p.seconds
        << ", \"imageSizes\": [";
    for (std::size_t k = 0; k < p.imageSizes.size(); ++k) out << (k ? ", " : "") << Quoted(p.imageSizes[k]);
    out << "]}";
  }
  out << "\n  ]\n}\n";
}

PageReport RunOnPage(const std::string& action, const Settings& settings, MavDoc::Page& page, int number) {
  PageReport report;
  report.number = number;
  MavDoc::Content& content = page.GetContent();
  report.before = CountObjects(content);
  report.outlinesBefore = CountDrawn(content);
  report.keptInPlace = Unrepresentable(content).size();
  const auto start = std::chrono::steady_clock::now();
  const auto visible = [](const std::shared_ptr<MavDoc::LayerProperties>& layer) { return layer->visible; };
  const auto chosen = [](const MavDoc::ContentObject& object) { return IsRepresentable(object); };
  const auto inserted =
      action == "outline"
          ? Corvel::OptimizeForOutlineViewAction(content, visible, true, chosen)
          : Corvel::FlattenAction(content, visible, true, chosen, settings.inkTypeStacking, settings.resolution);
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  report.inserted = inserted.size();
  for (const auto* object : inserted) CountInserted(*object, report);
  report.after = CountObjects(content);
  report.outlinesAfter = CountDrawn(content);
  return report;
}

int Run(const std::string& action, const Settings& settings) {
  auto read = CorvelPdf::ReadDocument(settings.input);
  for (const auto& warning : read.warnings) std::cerr << "corvel: " << settings.input << ": " << warning << "\n";
  const bool progress = isatty(STDERR_FILENO);
  std::vector<PageReport> pages;
  const auto all = read.document->GetPages();
  for (int number = settings.firstPage; number <= settings.lastPage && number <= int(all.size()); ++number) {
    if (progress) std::cerr << "\rcorvel: page " << number << " of " << all.size() << std::flush;
    try {
      pages.push_back(RunOnPage(action, settings, *all[number - 1], number));
    } catch (const std::exception& e) {
      if (progress) std::cerr << "\n";
      std::cerr << "corvel: " << settings.input << ", page " << number << ": " << e.what() << "\n";
      return 1;
    }
  }
  if (progress) std::cerr << "\n";
  CorvelPdf::WriteDocument(*read.document, settings.output);
  if (!settings.report.empty()) WriteReport(settings, pages, read.warnings);
  return 0;
}

}  // namespace

int RunPageAction(const std::string& action, const std::vector<std::string>& arguments) {
  Settings settings;
  try {
    settings = Parse(arguments);
  } catch (const UsageError& e) {
    std::cerr << "corvel " << action << ": " << e.what() << "\n";
    return 2;
  }
  try {
    return Run(action, settings);
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << settings.input << ": " << e.what() << "\n";
    return 1;
  }
}

int RunInfo(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::cerr << "corvel info: needs one in.pdf\n";
    return 2;
  }
  try {
    const auto read = CorvelPdf::ReadDocument(arguments[0]);
    MavDoc::Describe(*read.document, std::cout);
    for (const auto& warning : read.warnings) std::cout << "warning: " << warning << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << arguments[0] << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace CorvelCli
