// Blend functions against the note's unit table (§2.5), and each blend mode in a stack, on
// process inks and on a spot, at full and half alpha.

#include <compositing/BlendFunctions.h>

#include <array>

#include "CompositingTestSupport.h"

namespace CompositeTest {
namespace {

using BM = BlendMode;

// The additive (c_b, c_s) pairs of the note's table and B for each separable mode other than
// Normal (PDF 2.0 rules for ColorDodge and ColorBurn).
constexpr std::array<std::array<double, 2>, 9> kPairs = {
    {{.2, .8}, {.7, .3}, {.1, .6}, {.6, .8}, {.3, .4}, {0, 1}, {1, 0}, {0, 0}, {1, 1}}};

struct ModeRow {
  BlendMode mode;
  std::array<double, 9> expected;
};

const std::array<ModeRow, 11> kTable = {{
    {BM::Multiply, {.16, .21, .06, .48, .12, 0, 0, 0, 1}},
    {BM::Screen, {.84, .79, .64, .92, .58, 1, 1, 0, 1}},
    {BM::Overlay, {.32, .58, .12, .84, .24, 0, 1, 0, 1}},
    {BM::Darken, {.2, .3, .1, .6, .3, 0, 0, 0, 1}},
    {BM::Lighten, {.8, .7, .6, .8, .4, 1, 1, 0, 1}},
    {BM::ColorDodge, {1, 1, .25, 1, .5, 0, 1, 0, 1}},
    {BM::ColorBurn, {0, 0, 0, .5, 0, 0, 1, 0, 1}},
    {BM::HardLight, {.68, .42, .28, .84, .24, 1, 0, 0, 1}},
    {BM::SoftLight, {.3488, .616, .1392, .7048, .258, 0, 1, 0, 1}},
    {BM::Difference, {.6, .4, .5, .2, .1, 1, 1, 0, 0}},
    {BM::Exclusion, {.68, .58, .58, .44, .46, 1, 1, 0, 0}},
}};

TEST(BlendMode, WhitePreservingAndSeparableClasses) {
  for (int i = 0; i < kBlendModeCount; ++i) {
    const auto mode = static_cast<BlendMode>(i);
    EXPECT_EQ(IsWhitePreserving(mode), i <= static_cast<int>(BM::SoftLight)) << ToString(mode);
    EXPECT_EQ(IsSeparable(mode), i <= static_cast<int>(BM::Exclusion)) << ToString(mode);
  }
  EXPECT_EQ(ToString(BM::ColorDodge), "ColorDodge");
  EXPECT_THROW(IsWhitePreserving(static_cast<BlendMode>(16)), std::invalid_argument);
}

TEST(BlendFunctions, SeparableModesMatchTheNoteTable) {
  for (const ModeRow& row : kTable) {
    for (std::size_t i = 0; i < kPairs.size(); ++i) {
      EXPECT_NEAR(BlendSeparable(row.mode, kPairs[i][0], kPairs[i][1]), row.expected[i], 1e-4)
          << ToString(row.mode) << " at pair " << i;
    }
  }
}

TEST(BlendFunctions, NonSeparableModesMatchTheNoteVector) {
  const Rgb<double> cb{.8, .2, .6};
  const Rgb<double> cs{.9, .7, .5};
  const std::array<std::pair<BlendMode, Rgb<double>>, 4> cases = {{
      {BM::Hue, {.6670, .3670, .0670}},
      {BM::Saturation, {.6747, .2747, .5413}},
      {BM::Color, {.5860, .3860, .1860}},
      {BM::Luminosity, {1, .5819, .8606}},
  }};
  for (const auto& [mode, expected] : cases) {
    const Rgb<double> result = BlendNonSeparable(mode, cb, cs);
    EXPECT_NEAR(result.r, expected.r, 1e-4) << ToString(mode);
    EXPECT_NEAR(result.g, expected.g, 1e-4) << ToString(mode);
    EXPECT_NEAR(result.b, expected.b, 1e-4) << ToString(mode);
  }
}

// Each pair of the table as an opaque backdrop and a source in one separation: the cyan plate
// and the spot plate carry the same pair, so the spot shows whether the mode reaches spots.
TEST(Composite, EverySeparableModeOnProcessAndSpotPlates) {
  for (const ModeRow& row : kTable) {
    for (std::size_t i = 0; i < kPairs.size(); ++i) {
      const auto tb = static_cast<float>(1 - kPairs[i][0]);
      const auto ts = static_cast<float>(1 - kPairs[i][1]);
      const double blended = 1 - row.expected[i];
      // Spots follow the mode only when it is white-preserving; otherwise Normal: t_s.
      const double spot = IsWhitePreserving(row.mode) ? blended : ts;
      // The unpainted M, Y and K plates blend 1 over 1: no ink, or full ink where B(1, 1) = 0.
      const double unpainted = 1 - row.expected[8];
      SCOPED_TRACE(std::string(ToString(row.mode)) + " pair " + std::to_string(i));
      ExpectComposite(Stack({Paint({.c = tb, .spot = tb}), Paint({.c = ts, .spot = ts}, row.mode)}),
                      {blended, unpainted, unpainted, unpainted, spot});
      // Half alpha over an opaque backdrop: t = .5·t_b + .5·B_t.
      ExpectComposite(
          Stack({Paint({.c = tb, .spot = tb}), Paint({.c = ts, .spot = ts}, row.mode, .5f)}),
          {.5 * tb + .5 * blended, unpainted / 2, unpainted / 2, unpainted / 2,
           .5 * tb + .5 * spot});
    }
  }
}

// Non-separable modes: C, M, Y as complemented RGB; K from the backdrop (the source under
// Luminosity); spots with Normal.
TEST(Composite, NonSeparableModesKeepBlackAndSpotRules) {
  const std::array<std::pair<BlendMode, Rgb<double>>, 4> cases = {{
      {BM::Hue, {.6670, .3670, .0670}},
      {BM::Saturation, {.6747, .2747, .5413}},
      {BM::Color, {.5860, .3860, .1860}},
      {BM::Luminosity, {1, .5819, .8606}},
  }};
  for (const auto& [mode, rgb] : cases) {
    SCOPED_TRACE(std::string(ToString(mode)));
    const double black = mode == BM::Luminosity ? .6 : .3;
    const Element backdrop = Paint({.c = .2f, .m = .8f, .y = .4f, .k = .3f, .spot = .4f});
    const Ink source{.c = .1f, .m = .3f, .y = .5f, .k = .6f, .spot = .7f};
    ExpectComposite(Stack({backdrop, Paint(source, mode)}),
                    {1 - rgb.r, 1 - rgb.g, 1 - rgb.b, black, .7});
    ExpectComposite(Stack({backdrop, Paint(source, mode, .5f)}),
                    {.1 + .5 * (1 - rgb.r), .4 + .5 * (1 - rgb.g), .2 + .5 * (1 - rgb.b),
                     .15 + .5 * black, .55});
  }
}

}  // namespace
}  // namespace CompositeTest
