// corvel-oracle: renders one page of two PDF files with Ghostscript's tiffsep device and
// compares them separation by separation. Exit status 0 when every separation agrees within the
// tolerance, 1 when some differs, 2 when the comparison could not be made.
#include <cli/CommandLineSupport.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/Seams.h>
#include <tools/oracle/SeparationRender.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

// Seam runs named in the report, the longest first.
constexpr std::size_t kSeamRunsShown = 10;
constexpr int kAgrees = 0;
constexpr int kDiffers = 1;
constexpr int kTrouble = 2;  // also the status of a usage error

struct Arguments {
  std::string first;
  std::string second;
  int page = 1;
  double resolution = 72;
  CorvelOracle::ColorConversion conversion = CorvelOracle::ColorConversion::Managed;
  CorvelOracle::ManagedColor color;
  bool seams = false;
  bool deep = false;
};

void AddOptions(CLI::App& app, Arguments& arguments) {
  app.add_option("a.pdf", arguments.first, "The first file")->required();
  app.add_option("b.pdf", arguments.second, "The second file")->required();
  app.add_option("--page", arguments.page, "The page to compare")
      ->type_name("N")
      ->check(CorvelCli::WholeNumberFrom(1));
  app.add_option("--resolution", arguments.resolution, "Pixels per inch of the renders")
      ->type_name("R")
      ->check(CorvelCli::PositiveNumber("pixels per inch"));
  auto* simple = app.add_flag_function(
      "--simple-color",
      [&arguments](std::int64_t) { arguments.conversion = CorvelOracle::ColorConversion::Simple; },
      "RGB and gray to CMYK without ICC profiles (C = 1 - R, ..., K = 0), as Corvel's naive "
      "conversion does; every group blends in DeviceCMYK");
  auto* groups = app.add_flag_function(
      "--cmyk-groups",
      [&arguments](std::int64_t) {
        arguments.conversion = CorvelOracle::ColorConversion::ManagedCmykGroups;
      },
      "Ghostscript's ICC conversions through the profiles and intents Corvel converts with (the "
      "file's CMYK output intent, else the default profiles; objects' own intents, perceptual "
      "where they set none), every group blending in DeviceCMYK, as Corvel does");
  simple->excludes(groups);
  static const std::vector<std::string> kIntents{"perceptual", "relative", "saturation", "absolute"};
  app.add_option_function<std::string>(
         "--intent",
         [&arguments](const std::string& text) {
           arguments.color.intent =
               static_cast<int>(std::find(kIntents.begin(), kIntents.end(), text) - kIntents.begin());
         },
         "With --cmyk-groups: the rendering intent of every conversion, as corvel flatten's "
         "--intent (without it, each object's own intent, perceptual where it sets none)")
      ->type_name("perceptual|relative|saturation|absolute")
      ->check(CorvelCli::OneOf(kIntents))
      ->needs(groups);
  app.add_option("--output-profile", arguments.color.outputProfile,
                 "With --cmyk-groups: the CMYK profile when the file has no output intent, as "
                 "corvel flatten's")
      ->type_name("cmyk.icc")
      ->needs(groups);
  app.add_option("--rgb-profile", arguments.color.rgbProfile,
                 "With --cmyk-groups: the profile of DeviceRGB, as corvel flatten's")
      ->type_name("rgb.icc")
      ->needs(groups);
  app.add_flag("--deep", arguments.deep,
               "Render with 16-bit transparency buffers (psdcmyk16): Ghostscript's 8-bit buffers "
               "turn tints within half a level of full ink into full ink, which ColorDodge and "
               "ColorBurn magnify");
  app.add_flag("--seams", arguments.seams,
               "Also count each file's seam pixels: ink more than 8/255 below both sides in an "
               "anti-aliased render, and below the file's seamless renders there (aliased, and "
               "aliased at 4x averaged), with where the longest runs lie");
  app.footer(
      "Reports, per separation, the largest difference and the pixels that differ by more than\n"
      "2/255 away from region outlines. Exit status: 0 every separation agrees, 1 some differs,\n"
      "2 the comparison could not be made (or a usage error).");
}

// The longest runs first, with where they lie in points from the lower left.
void PrintLongestRuns(const CorvelOracle::SeamCount& count) {
  auto runs = count.runs;
  std::sort(runs.begin(), runs.end(),
            [](const auto& a, const auto& b) { return a.pixels > b.pixels; });
  for (std::size_t i = 0; i < runs.size() && i < kSeamRunsShown; ++i) {
    std::cout << "  " << runs[i].pixels << " pixels from (" << runs[i].x << ", " << runs[i].y
              << ")\n";
  }
}

void ReportSeams(const Arguments& arguments) {
  for (const std::string& path : {arguments.first, arguments.second}) {
    const auto count = CorvelOracle::CountSeams(path, arguments.page, arguments.resolution,
                                                arguments.conversion);
    std::cout << "seams (anti-aliased): " << count.pixels << " pixels in " << path << " ("
              << count.inArtwork << " pixels of thin gaps in the artwork)\n";
    PrintLongestRuns(count);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  CLI::App app("Renders page N of both files into separation planes and compares them",
               "corvel-oracle");
  CorvelCli::UseHouseFormat(app);
  AddOptions(app, arguments);
  if (const auto status = CorvelCli::ParseCommandLine(app, argc, argv)) return *status;
  try {
    const auto edges = CorvelOracle::EdgeRendering::Aliased;
    const auto depth =
        arguments.deep ? CorvelOracle::ChannelDepth::Sixteen : CorvelOracle::ChannelDepth::Eight;
    const auto render = [&](const std::string& path) {
      return CorvelOracle::RenderPdfPage(path, arguments.page, arguments.resolution,
                                         arguments.conversion, edges, arguments.color, depth);
    };
    const auto first = render(arguments.first);
    const auto second = render(arguments.second);
    const auto comparison = CorvelOracle::Compare(first, second);
    std::cout << "page " << arguments.page << " at " << arguments.resolution
              << " ppi: " << comparison.Report();
    if (arguments.seams) ReportSeams(arguments);
    return comparison.Agrees() ? kAgrees : kDiffers;
  } catch (const std::exception& error) {
    std::cerr << "corvel-oracle: " << error.what() << "\n";
    return kTrouble;
  }
}
