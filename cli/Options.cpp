// The options of each subcommand of `corvel`.
#include <cli/CommandLineSupport.h>
#include <cli/Options.h>

#include <algorithm>
#include <thread>
#include <tuple>

namespace CorvelCli {

namespace {

// The limits the command has always had; scripts rely on them.
constexpr double kMinResolution = 1, kMaxResolution = 9600;
// A preview is looked at on a screen; an A4 page at 600 ppi already takes a few hundred MB to
// mark.
constexpr double kMaxPreviewResolution = 600;
const std::vector<std::string> kIntents{"perceptual", "relative", "saturation", "absolute"};
// Each job holds a page's model and its rendering; far more than cores only costs memory.
constexpr int kMaxJobs = 256;

int DefaultJobs() {
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned{kMaxJobs}));
}

void AddFiles(CLI::App& command, PageActionSettings& settings) {
  command.add_option("input", settings.inputs, "The PDF files to read")
      ->type_name("in.pdf")
      ->required();
  command
      .add_option("-o", settings.output,
                  "The PDF file to write (never the input); with several inputs, the folder that "
                  "receives them under their own names")
      ->type_name("out.pdf|DIR")
      ->required();
  command
      .add_option_function<std::string>(
          "--pages",
          [&settings](const std::string& text) {
            std::tie(settings.file.firstPage, settings.file.lastPage) = *ParsePageRange(text);
          },
          "Pages to work on, N or A-B (default: every page)")
      ->type_name("A-B")
      ->check(PageRange());
}

// --resolution sets both; the options apply in command-line order, so a later one wins.
void AddResolutions(CLI::App& command, FileSettings& file) {
  const auto ppi = NumberBetween(kMinResolution, kMaxResolution, "pixels per inch");
  command
      .add_option("--line-art-resolution", file.resolution,
                  "Edges and text next to rasterised areas")
      ->type_name("PPI")
      ->check(ppi)
      ->trigger_on_parse();
  command
      .add_option("--gradient-resolution", file.gradientResolution,
                  "Shadings in rasterised areas, and the most pictures there are rendered at")
      ->type_name("PPI")
      ->check(ppi)
      ->trigger_on_parse();
  command
      .add_option_function<double>(
          "--resolution",
          [&file](double value) { file.resolution = file.gradientResolution = value; },
          "Sets both resolutions")
      ->type_name("PPI")
      ->check(ppi)
      ->trigger_on_parse();
}

// What flatten and preview both choose: ink stacking, and what is replaced.
void AddStackingAndSelection(CLI::App& command, FileSettings& file) {
  command.add_flag("--ink-type-stacking", file.inkTypeStacking,
                   "Stack inks by type when flattening");
  command
      .add_option_function<std::string>(
          "--select",
          [&file](const std::string& text) {
            file.selection = text == "all" ? Selection::All : Selection::Involved;
          },
          "What flatten replaces: what transparency involves, or everything it can")
      ->type_name("involved|all")
      ->check(OneOf({"involved", "all"}))
      ->default_str("involved");
}

void AddSelection(CLI::App& command, PageActionSettings& settings) {
  FileSettings& file = settings.file;
  AddStackingAndSelection(command, file);
  command
      .add_option("--pdf-version", file.pdfVersion, "Version of the output (default: the input's)")
      ->type_name("V")
      ->check(OneOf({"1.3", "1.4", "1.5", "1.6", "1.7", "2.0"}));
  command.add_flag("--strict", file.strict,
                   "A page that cannot be flattened fails the run (status 1)");
  command.add_flag("--verify", settings.verify,
                   "Render every replaced page and compare it (status 4 if it differs)");
  command
      .add_option("--report", settings.report,
                  "Write a JSON report (with several inputs: into this folder, NAME.json for "
                  "NAME.pdf)")
      ->type_name("report.json|DIR");
  command
      .add_option("--jobs", settings.file.jobs,
                  "Pages flattened at once; the output is the same for any number")
      ->type_name("N")
      ->check(WholeNumberBetween(1, kMaxJobs))
      ->default_val(DefaultJobs())
      ->default_str("the number of cores");
}

void AddColour(CLI::App& command, FileSettings& file) {
  command
      .add_option("--color-conversion", file.colorConversion,
                  "ICC profiles (managed) or C = 1 - R ... (naive)")
      ->type_name("managed|naive")
      ->check(OneOf({"managed", "naive"}));
  command
      .add_option("--output-profile", file.outputProfile,
                  "CMYK profile when the file has no output intent")
      ->type_name("cmyk.icc")
      ->default_str("Ghostscript's default_cmyk.icc");
  command.add_option("--rgb-profile", file.rgbProfile, "Profile of DeviceRGB")
      ->type_name("rgb.icc")
      ->default_str("Ghostscript's default_rgb.icc");
  command
      .add_option("--gray-profile", file.grayProfile,
                  "Profile of DeviceGray (default: to Black alone)")
      ->type_name("gray.icc");
  command
      .add_option_function<std::string>(
          "--intent",
          [&file](const std::string& text) {
            file.intent = static_cast<int>(std::find(kIntents.begin(), kIntents.end(), text) -
                                           kIntents.begin());
          },
          "Rendering intent of every conversion, overriding the objects' own (without it, "
          "each object's own intent, perceptual where it sets none)")
      ->type_name("perceptual|relative|saturation|absolute")
      ->check(OneOf(kIntents))
      ->default_str(kIntents.front());
  command
      .add_option_function<std::string>(
          "--overprint",
          [&file](const std::string& text) {
            file.overprint = text == "preserve"  ? OverprintHandling::Preserve
                             : text == "discard" ? OverprintHandling::Discard
                                                 : OverprintHandling::Simulate;
          },
          "Overprint in replaced artwork: simulated, with overprinting objects above the "
          "transparency kept live for the device (preserve), replaced too (simulate), or ignored")
      ->type_name("simulate|preserve|discard")
      ->check(OneOf({"simulate", "preserve", "discard"}))
      ->default_str("preserve");
}

void AddRasterCompression(CLI::App& command, FileSettings& file) {
  command
      .add_option_function<std::string>(
          "--raster-compression",
          [&file](const std::string& text) {
            file.rasterImages.compression = text == "jpeg"   ? CorvelPdf::RasterCompression::Jpeg
                                            : text == "flate" ? CorvelPdf::RasterCompression::Flate
                                                              : CorvelPdf::RasterCompression::Automatic;
          },
          "Rendered pictures and shadings: JPEG where every picture in them was JPEG in the file "
          "(auto), always lossless (flate), or always JPEG (jpeg); process inks only, line art "
          "and spots stay lossless")
      ->type_name("auto|flate|jpeg")
      ->check(OneOf({"auto", "flate", "jpeg"}))
      ->default_str("auto");
  command.add_option("--jpeg-quality", file.rasterImages.jpegQuality, "Quality of JPEG images")
      ->type_name("Q")
      ->check(WholeNumberBetween(1, 100))
      ->default_val(file.rasterImages.jpegQuality);
}

void AddSeams(CLI::App& command, FileSettings& file) {
  command
      .add_option_function<std::string>(
          "--seams",
          [&file](const std::string& text) {
            file.seams = text == "none" ? Corvel::Seams::None : Corvel::Seams::Abut;
          },
          "Where flattened pieces meet: earlier pieces reaching under later ones so that "
          "anti-aliased edges show no hairline (none), or each on its own outline (abut); both "
          "print the same")
      ->type_name("abut|none")
      ->check(OneOf({"abut", "none"}))
      ->default_str("none");
}

void AddBalance(CLI::App& command, FileSettings& file) {
  command
      .add_option("--balance", file.balance,
                  "Vector against raster: at 100 every cluster of overlapping objects within the "
                  "complexity budget stays vector and more complex ones are rendered whole (at "
                  "the gradient resolution); lower values shrink the budget, 0 renders every "
                  "cluster")
      ->type_name("0..100")
      ->check(WholeNumberBetween(0, 100))
      ->default_val(file.balance);
}

}  // namespace

CLI::App& AddPageActionCommand(CLI::App& program, const std::string& action,
                               PageActionSettings& settings) {
  CLI::App& command = *program.add_subcommand(
      action, action == "flatten" ? "Flatten the transparency of a PDF file's pages"
                                  : "Rebuild a PDF file's pages for outline view");
  AddFiles(command, settings);
  AddResolutions(command, settings.file);
  AddSelection(command, settings);
  AddColour(command, settings.file);
  AddRasterCompression(command, settings.file);
  if (action == "flatten") AddSeams(command, settings.file);
  if (action == "flatten") AddBalance(command, settings.file);
  command.footer(
      "Exit status: 0 done, 1 failed (nothing written), 2 usage, 3 done with pages left as they "
      "were\n"
      "(unreadable or unflattenable; --strict makes that a failure), 4 written but --verify found "
      "a\n"
      "page that prints differently. With several inputs, each is done on its own and the status "
      "is\n"
      "the worst of theirs, from best to worst 0, 3, 4, 1, 2.");
  return command;
}

CLI::App& AddInfoCommand(CLI::App& program, std::string& input) {
  CLI::App& command = *program.add_subcommand(
      "info", "Print a PDF file's pages, inks, object tree and reading warnings");
  command.add_option("input", input, "The PDF file to read")->type_name("in.pdf")->required();
  return command;
}

CLI::App& AddExampleCommand(CLI::App& program, ExampleSettings& settings) {
  CLI::App& command = *program.add_subcommand(
      "example",
      "Flatten the bundled example (or rebuild it for outline view) and print it before and after");
  command.add_flag("--outline", settings.outline, "Rebuild for outline view instead of flattening");
  command.add_option("--out", settings.folder, "Also write both as PDF into this folder")
      ->type_name("DIR");
  return command;
}

CLI::App& AddPreviewCommand(CLI::App& program, PreviewSettings& settings) {
  CLI::App& command = *program.add_subcommand(
      "preview",
      "Draw a page in gray with what flattening replaces, rasterises and outlines, and what "
      "overprints, marked in colour (PNG); no PDF is written");
  command.add_option("input", settings.input, "The PDF file to read")
      ->type_name("in.pdf")
      ->required();
  command.add_option("-o", settings.output, "The PNG picture to write")
      ->type_name("preview.png")
      ->required();
  command.add_option("--page", settings.page, "The page to preview")
      ->type_name("N")
      ->check(WholeNumberFrom(1))
      ->default_val(settings.page);
  AddResolutions(command, settings.file);
  // Here --resolution is the picture's; the flattening's two keep their own names.
  command.remove_option(command.get_option("--resolution"));
  command.add_option("--resolution", settings.resolution, "Pixels per inch of the picture")
      ->type_name("PPI")
      ->check(NumberBetween(kMinResolution, kMaxPreviewResolution, "pixels per inch"))
      ->default_val(settings.resolution);
  FileSettings& file = settings.file;
  AddStackingAndSelection(command, file);
  AddColour(command, file);
  command.add_option("--report", settings.report, "Write a JSON report of the page and its areas")
      ->type_name("report.json");
  command.footer(
      "Exit status: 0 done, 1 failed (nothing written; also without Ghostscript), 2 usage.");
  return command;
}

}  // namespace CorvelCli
