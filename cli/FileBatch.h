#pragma once
// Where each input of one call goes. One input writes -o, or into -o when that names a folder;
// several inputs write into the folder -o (made if missing), each under its own file name, and
// their reports into the folder --report as NAME.json for NAME.pdf.

#include <stdexcept>
#include <string>
#include <vector>

namespace CorvelCli {

struct FileTask {
  std::string input, output;
  std::string report;  // empty: none
};

// A call whose files cannot be placed: -o (or --report) naming a file where a folder is needed,
// two inputs of the same name. The command exits with the usage status.
struct BatchUsageError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// The files of the call, in the order given. -o and --report name folders when there are several
// inputs, when they name an existing folder, or when they end in '/'; those folders are made.
// Throws BatchUsageError, or std::runtime_error when a folder cannot be made.
std::vector<FileTask> PlanFiles(const std::vector<std::string>& inputs, const std::string& output,
                                const std::string& report);

// The worse of two exit statuses, from best to worst: done (0), pages left as they were (3),
// prints differently (4), failed (1), usage (2).
int WorseStatus(int a, int b);

}  // namespace CorvelCli
