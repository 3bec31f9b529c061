#include <cli/FileBatch.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

namespace CorvelCli {

namespace {

namespace fs = std::filesystem;

bool NamesFolder(const std::string& path, bool several) {
  std::error_code error;
  return several || fs::is_directory(path, error) || (!path.empty() && path.back() == '/');
}

// Makes the folder `path` given as `option`; refuses a path that is a file.
fs::path Folder(const std::string& path, const std::string& option) {
  std::error_code error;
  if (fs::exists(path, error) && !fs::is_directory(path, error)) {
    throw BatchUsageError(option + " " + path +
                          " is a file: with several inputs it names the folder that receives "
                          "them");
  }
  fs::create_directories(path, error);
  if (error) throw std::runtime_error("cannot make the folder " + path + ": " + error.message());
  return path;
}

}  // namespace

std::vector<FileTask> PlanFiles(const std::vector<std::string>& inputs, const std::string& output,
                                const std::string& report) {
  const bool several = inputs.size() > 1;
  std::set<std::string> names;
  for (const auto& input : inputs) {
    if (!names.insert(fs::path(input).filename().string()).second) {
      throw BatchUsageError("two inputs are named " + fs::path(input).filename().string() +
                            ": their outputs would overwrite each other");
    }
  }
  const bool outputFolder = NamesFolder(output, several);
  const bool reportFolder = !report.empty() && NamesFolder(report, several);
  const fs::path outputs = outputFolder ? Folder(output, "-o") : fs::path();
  const fs::path reports = reportFolder ? Folder(report, "--report") : fs::path();
  std::vector<FileTask> tasks;
  for (const auto& input : inputs) {
    const fs::path name = fs::path(input).filename();
    FileTask task{input, output, report};
    if (outputFolder) task.output = (outputs / name).string();
    if (reportFolder) task.report = (reports / name).replace_extension(".json").string();
    tasks.push_back(std::move(task));
  }
  return tasks;
}

int WorseStatus(int a, int b) {
  constexpr std::array<int, 5> kBestToWorst{0, 3, 4, 1, 2};
  const auto rank = [&](int status) {
    return std::find(kBestToWorst.begin(), kBestToWorst.end(), status) - kBestToWorst.begin();
  };
  return rank(a) >= rank(b) ? a : b;
}

}  // namespace CorvelCli
