// Runs a fuzzing harness over saved inputs, without libFuzzer: each argument is a file or a
// folder whose files (in name order) are handed to LLVMFuzzerTestOneInput one by one. A crash
// or sanitizer report fails the run like the fuzzer would; the input is named first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument) {
  if (!std::filesystem::is_directory(argument)) return {argument};
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argument)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Replay(const std::filesystem::path& file) {
  std::cerr << "replaying " << file.string() << std::endl;
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  // An empty input still needs a valid pointer.
  const std::uint8_t empty = 0;
  LLVMFuzzerTestOneInput(
      bytes.empty() ? &empty : reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 0;
  try {
    for (int i = 1; i < argc; ++i) {
      for (const auto& file : InputsOf(argv[i])) {
        Replay(file);
        ++count;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "replay: " << e.what() << "\n";
    return 1;
  }
  std::cout << "replayed " << count << " inputs\n";
  return count > 0 ? 0 : 1;
}
