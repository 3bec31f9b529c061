#pragma once
// The command-line actions, run once their options are parsed (Options.h). Each returns the
// process exit code: 0 done, 1 bad input, 2 usage (a page range the file does not have),
// 3 done with pages left as they were (they could not be read or flattened; see --strict),
// 4 written, but --verify found a page that does not print as the original.

#include <string>

#include <cli/Options.h>

namespace CorvelCli {

// flatten | outline: the action on the file's pages, written as the file edited.
int RunPageAction(const std::string& action, const PageActionSettings& settings);
// info: pages, inks, the object tree with transparency marked, and reading warnings.
int RunInfo(const std::string& input);
// example: the bundled example before and after flattening its page (or rebuilding it for
// outline view); with a folder, both as PDF files.
int RunExample(const ExampleSettings& settings);

}  // namespace CorvelCli
