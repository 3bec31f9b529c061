#pragma once
// Running the programs as a user runs them, for the tests of their command lines: the exit
// status and what they printed.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace CorvelTest {

struct Outcome {
  int status = -1;
  std::string out, err;
};

inline std::string Slurp(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Runs a program with arguments (single-quoted for the shell) and collects what it printed.
inline Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("corvel-command-line-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::string command = "'" + program + "'";
  for (const auto& argument : arguments) command += " '" + argument + "'";
  command += " > '" + (folder / "out").string() + "' 2> '" + (folder / "err").string() + "'";
  const int status = std::system(command.c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(folder / "out"),
                  Slurp(folder / "err")};
  fs::remove_all(folder);
  return outcome;
}

}  // namespace CorvelTest
