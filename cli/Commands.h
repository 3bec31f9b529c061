#pragma once
// The command-line actions, run once their options are parsed (Options.h). Each returns the
// process exit status.

#include <cli/Options.h>

#include <string>

namespace CorvelCli {

enum ExitStatus : int {
  kDone = 0,
  kFailed = 1,               // bad input or settings the file cannot meet; nothing written
  kUsage = 2,                // also a page range the file does not have
  kPagesLeftAsTheyWere = 3,  // pages that could not be read or flattened (see --strict)
  kPrintsDifferently = 4,    // written, but --verify found a page that does not print the same
};

// flatten | outline: the action on the file's pages, written as the file edited.
int RunPageAction(const std::string& action, const PageActionSettings& settings);
// info: pages, inks, the object tree with transparency marked, and reading warnings.
int RunInfo(const std::string& input);
// example: the bundled example before and after flattening its page (or rebuilding it for
// outline view); with a folder, both as PDF files.
int RunExample(const ExampleSettings& settings);

}  // namespace CorvelCli
