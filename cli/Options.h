#pragma once
// The subcommands of `corvel` as CLI11 parsers, one function each: it adds the subcommand to the
// program's parser and binds every option to the settings it fills. Option names, meanings and
// defaults are what scripts and users rely on; --help lists them.

#include <cli/FileAction.h>

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace CorvelCli {

// What `flatten` and `outline` are asked to do with one file or several.
struct PageActionSettings {
  std::vector<std::string> inputs;
  std::string output;  // a file, or with several inputs a folder
  std::string report;  // JSON report path (with several inputs, a folder), or empty
  bool verify = false;
  FileSettings file;
};

// What `example` is asked to do: flatten the bundled example, or rebuild it for outline view,
// and write both as PDF into `folder` when one is given.
struct ExampleSettings {
  bool outline = false;
  std::string folder;
};

// `flatten` or `outline` (`action`): both take the same options.
CLI::App& AddPageActionCommand(CLI::App& program, const std::string& action,
                               PageActionSettings& settings);
CLI::App& AddInfoCommand(CLI::App& program, std::string& input);
CLI::App& AddExampleCommand(CLI::App& program, ExampleSettings& settings);

// What `preview` is asked to do: draw one page of a file, marked with what flattening it with
// these settings would do, as a PNG picture.
struct PreviewSettings {
  std::string input, output;
  std::string report;  // JSON report path, or empty
  int page = 1;
  double resolution = 72;  // of the picture, pixels per inch
  FileSettings file;       // the flattening previewed
};

CLI::App& AddPreviewCommand(CLI::App& program, PreviewSettings& settings);

}  // namespace CorvelCli
