// corvel-stress-page: writes the seeded stress page (StressPage.h) for timing other tools on it.
//   corvel-stress-page SHAPES OUT.pdf [SEED] [FEATURES]
// FEATURES (for finding where a difference comes from): letters of what to leave out,
// m soft masks, g groups, s spot inks, n non-separable blend modes (and SoftLight onwards);
// k lets knockout groups hold soft masks and every blend mode (see comparableKnockout).
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
  if (argc < 3 || argc > 5 || !ParseStressCount(argv[1], options.shapes) || options.shapes < 1 ||
      (argc >= 4 && !ParseStressCount(argv[3], options.seed))) {
    std::cerr << "usage: corvel-stress-page SHAPES OUT.pdf [SEED] [mgsnk: features left out]\n";
    return 2;
  }
  const std::string_view without = argc == 5 ? argv[4] : "";
  options.softMasks = without.find('m') == std::string_view::npos;
  options.groups = without.find('g') == std::string_view::npos;
  options.spotInks = without.find('s') == std::string_view::npos;
  if (without.find('n') != std::string_view::npos) options.blendModes = 9;  // Normal to HardLight
  options.comparableKnockout = without.find('k') == std::string_view::npos;
  try {
    CorvelTestPages::WriteStressPage(argv[2], options);
  } catch (const std::exception& error) {
    std::cerr << "corvel-stress-page: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
