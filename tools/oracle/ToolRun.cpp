#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tools/oracle/ToolRunInternal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace CorvelOracle::Detail {

namespace {

// Enough of a tool's log to see why it failed without flooding the message.
constexpr std::size_t kMaxLogInMessage = 2000;

std::string ReadLog(const std::filesystem::path& logFile) {
  std::ifstream file(logFile);
  std::ostringstream text;
  text << file.rdbuf();
  std::string log = text.str();
  if (log.size() > kMaxLogInMessage) log = log.substr(0, kMaxLogInMessage) + "…";
  return log;
}

// Owns the file actions of one spawn.
class SpawnActions {
 public:
  explicit SpawnActions(const std::filesystem::path& logFile) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, logFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

}  // namespace

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "corvel-oracle-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    throw std::runtime_error("Cannot make a temporary folder: " +
                             std::string(std::strerror(errno)));
  }
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;  // a folder that cannot be removed must not turn into a crash
  std::filesystem::remove_all(path_, ignored);
}

std::string RunTool(const std::vector<std::string>& arguments,
                    const std::filesystem::path& logFile) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  SpawnActions actions(logFile);
  pid_t child = 0;
  // A busy machine may refuse a new process for a moment (EAGAIN: too many processes, or no
  // memory to copy the page tables): that is worth a few short waits, not a failed comparison.
  int error = 0;
  for (int attempt = 1; attempt <= 5; ++attempt) {
    error = posix_spawnp(&child, argv[0], actions.Get(), nullptr, argv.data(), environ);
    if (error != EAGAIN) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
  }
  if (error != 0) {
    throw std::runtime_error("Cannot run " + arguments[0] + " (" + std::strerror(error) + ")" +
                             (error == ENOENT ? "; is it installed?" : ""));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("Lost track of " + arguments[0]);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::string how = WIFEXITED(status)
                                ? "exited with status " + std::to_string(WEXITSTATUS(status))
                                : "was killed";
    throw std::runtime_error(arguments[0] + " " + how + ": " + ReadLog(logFile));
  }
  return ReadLog(logFile);
}

}  // namespace CorvelOracle::Detail
