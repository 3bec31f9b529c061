// corvel-stress-page: writes the seeded stress page (StressPage.h) for timing other tools on it.
//   corvel-stress-page SHAPES OUT.pdf [SEED]
#include <tools/testpages/StressPage.h>

#include <charconv>
#include <iostream>
#include <string_view>

namespace {

bool ParseStressCount(std::string_view text, auto& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
  CorvelTestPages::StressPageOptions options;
  if (argc < 3 || argc > 4 || !ParseStressCount(argv[1], options.shapes) || options.shapes < 1 ||
      (argc == 4 && !ParseStressCount(argv[3], options.seed))) {
    std::cerr << "usage: corvel-stress-page SHAPES OUT.pdf [SEED]\n";
    return 2;
  }
  try {
    CorvelTestPages::WriteStressPage(argv[2], options);
  } catch (const std::exception& error) {
    std::cerr << "corvel-stress-page: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
