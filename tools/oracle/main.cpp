// corvel-oracle: renders one page of two PDF files with Ghostscript's tiffsep device and
// compares them separation by separation. Exit status 0 when every separation agrees within the
// tolerance, 1 when some differs, 2 when the comparison could not be made.
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

constexpr int kAgrees = 0;
constexpr int kDiffers = 1;
constexpr int kTrouble = 2;

struct Arguments {
  std::string first;
  std::string second;
  int page = 1;
  double resolution = 72;
  CorvelOracle::ColorConversion conversion = CorvelOracle::ColorConversion::Managed;
};

const char* const kUsage =
    "usage: corvel-oracle a.pdf b.pdf [--page N] [--resolution R] [--simple-color | --cmyk-groups]\n"
    "Renders page N (default 1) of both files at R pixels per inch (default 72) into separation\n"
    "planes and reports, per separation, the largest difference and the pixels that differ by\n"
    "more than 2/255 away from region outlines. --simple-color converts RGB and gray to CMYK\n"
    "without ICC profiles (C = 1 - R, ..., K = 0), as Corvel's naive conversion does, and blends\n"
    "every group in DeviceCMYK; --cmyk-groups keeps Ghostscript's ICC conversions (the profiles\n"
    "Corvel uses by default) and blends every group in DeviceCMYK, as Corvel does.\n";

double ParseNumber(const std::string& option, const std::string& text) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || !(value > 0)) {
    throw std::invalid_argument(option + " needs a positive number, not \"" + text + "\"");
  }
  return value;
}

Arguments Parse(int argc, char** argv) {
  Arguments arguments;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--simple-color") {
      arguments.conversion = CorvelOracle::ColorConversion::Simple;
    } else if (argument == "--cmyk-groups") {
      arguments.conversion = CorvelOracle::ColorConversion::ManagedCmykGroups;
    } else if (argument == "--page" || argument == "--resolution") {
      if (i + 1 >= argc) throw std::invalid_argument(argument + " needs a value");
      const double value = ParseNumber(argument, argv[++i]);
      if (argument == "--page") {
        arguments.page = static_cast<int>(value);
        if (arguments.page != value) throw std::invalid_argument("--page needs a whole number");
      } else {
        arguments.resolution = value;
      }
    } else if (argument.rfind("--", 0) == 0) {
      throw std::invalid_argument("unknown option " + argument);
    } else if (files < 2) {
      (files++ == 0 ? arguments.first : arguments.second) = argument;
    } else {
      throw std::invalid_argument("more than two files given");
    }
  }
  if (files != 2) throw std::invalid_argument("two PDF files are needed");
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  try {
    arguments = Parse(argc, argv);
  } catch (const std::invalid_argument& error) {
    std::cerr << "corvel-oracle: " << error.what() << "\n" << kUsage;
    return kTrouble;
  }
  try {
    const auto first =
        CorvelOracle::RenderPdfPage(arguments.first, arguments.page, arguments.resolution, arguments.conversion);
    const auto second =
        CorvelOracle::RenderPdfPage(arguments.second, arguments.page, arguments.resolution, arguments.conversion);
    const auto comparison = CorvelOracle::Compare(first, second);
    std::cout << "page " << arguments.page << " at " << arguments.resolution
              << " ppi: " << comparison.Report();
    return comparison.Agrees() ? kAgrees : kDiffers;
  } catch (const std::exception& error) {
    std::cerr << "corvel-oracle: " << error.what() << "\n";
    return kTrouble;
  }
}
