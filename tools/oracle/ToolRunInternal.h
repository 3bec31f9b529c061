#pragma once
// Running the external tools the oracle relies on (qpdf, Ghostscript) in a private folder.

#include <filesystem>
#include <string>
#include <vector>

namespace CorvelOracle::Detail {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Throws std::runtime_error when it cannot be made.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs `arguments[0]` (looked up on PATH) with the arguments as given, no shell involved, its
// output and errors going to `logFile`. Throws std::runtime_error naming the program and
// quoting its log when it cannot be started or exits with a status other than 0. Returns what
// the tool wrote (empty for a quiet success).
std::string RunTool(const std::vector<std::string>& arguments,
                    const std::filesystem::path& logFile);

}  // namespace CorvelOracle::Detail
