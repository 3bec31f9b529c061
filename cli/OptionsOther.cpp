// The options of `corvel info` and `corvel example`.
#include <cli/Options.h>

namespace CorvelCli {

CLI::App& AddInfoCommand(CLI::App& program, std::string& input) {
  CLI::App& command =
      *program.add_subcommand("info", "Print a PDF file's pages, inks, object tree and reading warnings");
  command.add_option("input", input, "The PDF file to read")->type_name("in.pdf")->required();
  return command;
}

CLI::App& AddExampleCommand(CLI::App& program, ExampleSettings& settings) {
  CLI::App& command = *program.add_subcommand(
      "example", "Flatten the bundled example (or rebuild it for outline view) and print it before and after");
  command.add_flag("--outline", settings.outline, "Rebuild for outline view instead of flattening");
  command.add_option("--out", settings.folder, "Also write both as PDF into this folder")->type_name("DIR");
  return command;
}

}  // namespace CorvelCli
