#pragma once
// The subcommands of `corvel` as CLI11 parsers, one function each: it adds the subcommand to the
// program's parser and binds every option to the settings it fills. Option names, meanings and
// defaults are what scripts and users rely on; --help lists them.

#include <cli/FileAction.h>

#include <string>

namespace CLI {
class App;
}

namespace CorvelCli {

// What `flatten` and `outline` are asked to do with a file.
struct PageActionSettings {
  std::string input, output;
  std::string report;  // JSON report path, or empty
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

}  // namespace CorvelCli
