// corvel: the command-line front of the flattener. Each subcommand's options live in
// Options*.cpp, its action in Commands.cpp.

#include <exception>
#include <iostream>
#include <string>

#include <cli/Commands.h>
#include <cli/Options.h>
#include <module/Module.h>

int main(int argc, char** argv) {
  using namespace CorvelCli;
  CLI::App program("Corvel: transparency flattener for prepress", "corvel");
  UseHouseFormat(program);
  PageActionSettings flatten, outline;
  std::string infoInput;
  ExampleSettings example;
  CLI::App& flattenCommand = AddPageActionCommand(program, "flatten", flatten);
  CLI::App& outlineCommand = AddPageActionCommand(program, "outline", outline);
  CLI::App& infoCommand = AddInfoCommand(program, infoInput);
  CLI::App& exampleCommand = AddExampleCommand(program, example);
  bool version = false;
  program.add_flag("--version", version, "Print the version and exit");
  program.require_subcommand(0, 1);
  if (const auto status = ParseCommandLine(program, argc, argv)) return *status;
  try {
    if (flattenCommand) return RunPageAction("flatten", flatten);
    if (outlineCommand) return RunPageAction("outline", outline);
    if (infoCommand) return RunInfo(infoInput);
    if (exampleCommand) return RunExample(example);
    if (version) {
      std::cout << Corvel::Module::Create()->GetName() << " 0.1\n";
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << e.what() << "\n";
    return 1;
  }
  std::cerr << program.help();
  return kUsageError;
}
