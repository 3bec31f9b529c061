#include <cli/Commands.h>


#include <algorithm>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include <cli/FileAction.h>
#include <cli/Report.h>
#include <cli/Verify.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Describe.h>

namespace CorvelCli {

namespace {

struct UsageError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

struct Settings {
  std::string input, output, report;
  FileSettings file;
  bool verify = false;
};

void ParsePages(const std::string& text, FileSettings& settings) {
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
      ParsePages(value(), settings.file);
    } else if (a == "--resolution" || a == "--line-art-resolution" || a == "--gradient-resolution") {
      const std::string& text = value();
      double ppi = 0;
      try {
        std::size_t used = 0;
        ppi = std::stod(text, &used);
        if (used != text.size()) throw std::invalid_argument(text);
      } catch (const std::exception&) {
        throw UsageError(a + " wants pixels per inch, got '" + text + "'");
      }
      if (!(ppi >= 1 && ppi <= 9600)) throw UsageError(a + " must lie between 1 and 9600 ppi");
      // --resolution sets both.
      if (a != "--gradient-resolution") settings.file.resolution = ppi;
      if (a != "--line-art-resolution") settings.file.gradientResolution = ppi;
    } else if (a == "--ink-type-stacking") {
      settings.file.inkTypeStacking = true;
    } else if (a == "--color-conversion") {
      const std::string& text = value();
      if (text != "managed" && text != "naive") throw UsageError("--color-conversion wants managed or naive, got '" + text + "'");
      settings.file.colorConversion = text;
    } else if (a == "--output-profile") {
      settings.file.outputProfile = value();
    } else if (a == "--rgb-profile") {
      settings.file.rgbProfile = value();
    } else if (a == "--gray-profile") {
      settings.file.grayProfile = value();
    } else if (a == "--intent") {
      const std::string& text = value();
      static const std::vector<std::string> kIntents{"perceptual", "relative", "saturation", "absolute"};
      const auto found = std::find(kIntents.begin(), kIntents.end(), text);
      if (found == kIntents.end()) throw UsageError("--intent wants perceptual, relative, saturation or absolute, got '" + text + "'");
      settings.file.intent = static_cast<int>(found - kIntents.begin());
    } else if (a == "--verify") {
      settings.verify = true;
    } else if (a == "--strict") {
      settings.file.strict = true;
    } else if (a == "--select") {
      const std::string& text = value();
      if (text != "involved" && text != "all") throw UsageError("--select wants involved or all, got '" + text + "'");
      settings.file.selection = text == "all" ? Selection::All : Selection::Involved;
    } else if (a == "--pdf-version") {
      const std::string& text = value();
      static const std::set<std::string> kVersions{"1.3", "1.4", "1.5", "1.6", "1.7", "2.0"};
      if (!kVersions.contains(text)) throw UsageError("--pdf-version wants 1.3 … 1.7 or 2.0, got '" + text + "'");
      settings.file.pdfVersion = text;
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

int Run(const std::string& action, Settings settings) {
  settings.file.action = action;
  FileReport report = RunOnFile(settings.input, settings.output, settings.file);
  const bool agrees = !settings.verify || VerifyPages(settings.input, settings.output, settings.file, report);
  for (const auto& warning : report.warnings) std::cerr << "corvel: " << settings.input << ": " << warning << "\n";
  for (const auto& page : report.pages) {
    if (!page.leftAsItWas.empty())
      std::cerr << "corvel: " << settings.input << ", page " << page.number << " left as it was: " << page.leftAsItWas
                << "\n";
  }
  if (!settings.report.empty()) WriteReport(settings.report, settings.input, settings.output, report);
  if (!agrees) {
    for (const auto& page : report.pages) {
      if (page.check && !page.check->agrees)
        std::cerr << "corvel: " << settings.output << ", page " << page.number
                  << " does not print as the original (see the report's verification)\n";
    }
    return 4;
  }
  return report.pagesLeftAsTheyWere > 0 ? 3 : 0;
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
