// corvel: the command-line front of the flattener. Each subcommand's options are set up in
// Options.cpp, its action in Commands.cpp.

#include <cli/CommandLineSupport.h>
#include <cli/Commands.h>
#include <cli/Options.h>
#include <cli/Preview.h>
#include <module/Module.h>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  using namespace CorvelCli;
  CLI::App program("Corvel: transparency flattener for prepress", "corvel");
  UseHouseFormat(program);
  PageActionSettings flatten, outline;
  std::string infoInput;
  ExampleSettings example;
  PreviewSettings preview;
  CLI::App& flattenCommand = AddPageActionCommand(program, "flatten", flatten);
  CLI::App& outlineCommand = AddPageActionCommand(program, "outline", outline);
  CLI::App& infoCommand = AddInfoCommand(program, infoInput);
  CLI::App& exampleCommand = AddExampleCommand(program, example);
  CLI::App& previewCommand = AddPreviewCommand(program, preview);
  bool version = false;
  program.add_flag("--version", version, "Print the version and exit");
  program.require_subcommand(0, 1);
  if (const auto status = ParseCommandLine(program, argc, argv)) return *status;
  try {
    if (flattenCommand) return RunPageAction("flatten", flatten);
    if (outlineCommand) return RunPageAction("outline", outline);
    if (infoCommand) return RunInfo(infoInput);
    if (exampleCommand) return RunExample(example);
    if (previewCommand) return RunPreview(preview);
    if (version) {
      std::cout << Corvel::Module::Create()->GetName() << " 0.1\n";
      return kDone;
    }
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << e.what() << "\n";
    return kFailed;
  }
  std::cerr << program.help();
  return kUsage;
}
