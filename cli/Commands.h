#pragma once
// The command-line actions. Each returns the process exit code: 0 done, 1 bad input, 2 usage,
// 3 done with pages left as they were (they could not be read or flattened; see --strict),
// 4 written, but --verify found a page that does not print as the original.

#include <string>
#include <vector>

namespace CorvelCli {

// flatten | outline in.pdf -o out.pdf [--pages A-B] [--resolution R] [--ink-type-stacking]
//                                     [--select involved|all] [--pdf-version V] [--strict]
//                                     [--report report.json]
int RunPageAction(const std::string& action, const std::vector<std::string>& arguments);
// info in.pdf: pages, inks, the object tree with transparency marked, and reading warnings.
int RunInfo(const std::vector<std::string>& arguments);

}  // namespace CorvelCli
