// Overprint in the compositor: an element leaves the backdrop's ink where it keeps it
// (B = backdrop under Normal), whatever its alpha or group. Expected tints (C M Y K Spot1)
// worked by hand from the note's formulas with B replaced by the backdrop.

#include "CompositingTestSupport.h"

namespace CompositeTest {
namespace {

using BM = BlendMode;

// An element that overprints: it keeps the backdrop in every separation it does not name.
Element Overprinting(Ink ink, std::vector<bool> keeps, BlendMode mode = BM::Normal,
                     float alpha = 1) {
  Element element = Paint(ink, mode, alpha);
  element.keepsBackdrop = std::move(keeps);
  return element;
}

const std::vector<bool> kMagentaOnly{true, false, true, true, true};
const std::vector<bool> kSpotOnly{true, true, true, true, false};

TEST(Overprint, LeavesTheInksItDoesNotPaint) {
  // Cyan 1, then magenta overprinting: cyan stays under it.
  ExpectComposite(Stack({Paint({.c = 1}), Overprinting({.m = 1}, kMagentaOnly)}), {1, 1, 0, 0, 0});
  // A spot varnish over CMYK art takes nothing away from the process plates.
  ExpectComposite(Stack({Paint({.c = .2f, .m = .8f}), Overprinting({.spot = 1}, kSpotOnly)}),
                  {.2, .8, 0, 0, 1});
  // Over empty paper there is nothing to keep: the paint's own zeros show.
  ExpectComposite(Stack({Overprinting({.m = 1}, kMagentaOnly)}), {0, 1, 0, 0, 0});
}

TEST(Overprint, WithAlphaTheKeptInksStayWhole) {
  // α .5 over opaque cyan: C = .5·1 + .5·B(1) = 1 where B keeps the backdrop; M = .5.
  ExpectComposite(Stack({Paint({.c = 1}), Overprinting({.m = 1}, kMagentaOnly, BM::Normal, .5f)}),
                  {1, .5, 0, 0, 0});
  // A spot varnish at .6 over C .2 M .8: process plates untouched, the spot at .6.
  ExpectComposite(
      Stack({Paint({.c = .2f, .m = .8f}), Overprinting({.spot = 1}, kSpotOnly, BM::Normal, .6f)}),
      {.2, .8, 0, 0, .6});
}

// Under a blend mode the object paints as a group of one whose unpainted inks are the
// backdrop's: the mode blends a kept ink with itself, B(t_b, t_b).
TEST(Overprint, BlendModesBlendAKeptInkWithItself) {
  // Screen on magenta over C .5 M .5: M = .5·.6 = .3; C = .5·.5 = .25 (t = t_b·t_s in tints).
  ExpectComposite(
      Stack({Paint({.c = .5f, .m = .5f}), Overprinting({.m = .6f}, kMagentaOnly, BM::Screen)}),
      {.25, .3, 0, 0, 0});
  // Multiply: C .5 → 1 − .5·.5 = .75. Darken and Normal leave it as it was.
  ExpectComposite(Stack({Paint({.c = .5f}), Overprinting({.m = 1}, kMagentaOnly, BM::Multiply)}),
                  {.75, 1, 0, 0, 0});
  ExpectComposite(Stack({Paint({.c = .5f}), Overprinting({.m = 1}, kMagentaOnly, BM::Darken)}),
                  {.5, 1, 0, 0, 0});
  // Difference takes a kept process ink at 0 to full ink (1 − |0 − 0|), but a spot under a mode
  // that is not white-preserving composites with Normal: it keeps its 0. Magenta 1 − |.2 − .6|.
  ExpectComposite(
      Stack({Paint({.c = 1, .m = .2f}), Overprinting({.m = .6f}, kMagentaOnly, BM::Difference)}),
      {1, .6, 1, 1, 0});
  // Hue keeps C, M, Y only all together: a magenta-only choice paints them as Hue does, and
  // the black plate keeps the backdrop's under Hue anyway.
  const Node hue = Stack({Paint({.c = 1, .k = .5f}), Overprinting({.m = 1}, kMagentaOnly, BM::Hue)});
  const Node plainHue = Stack({Paint({.c = 1, .k = .5f}), Paint({.m = 1}, BM::Hue)});
  const auto expected = Program(CmykSpot(), plainHue).EvaluatePoint();
  ExpectComposite(hue, {expected.begin(), expected.end()});
}

TEST(Overprint, InsideGroupsTheBackdropIsTheGroupsOwn) {
  // Non-isolated group of .5 over cyan, holding an overprinting magenta: the group sees the
  // cyan, keeps it, and after the group's backdrop is removed composites to C 1, M .5.
  Group group = Stack({Overprinting({.m = 1}, kMagentaOnly)});
  group.constantAlpha = .5f;
  ExpectComposite(Stack({Paint({.c = 1}), group}), {1, .5, 0, 0, 0});
  // Isolated, the group sees no cyan: its own unpainted C is 0 and knocks out half the cyan.
  group.isolated = true;
  ExpectComposite(Stack({Paint({.c = 1}), group}), {.5, .5, 0, 0, 0});
  // Knockout: the overprinting magenta composites over the group's initial backdrop (the
  // cyan page), so the yellow painted before it in the group is not kept.
  Group knockout = Stack({Paint({.y = 1}), Overprinting({.m = 1}, kMagentaOnly)});
  knockout.knockout = true;
  ExpectComposite(Stack({Paint({.c = 1}), knockout}), {1, 1, 0, 0, 0});
}

TEST(Overprint, RejectsAChoiceOfTheWrongSize) {
  Element element = Paint({.m = 1});
  element.keepsBackdrop = {true, false};
  EXPECT_THROW(Program(CmykSpot(), Stack({element})), std::invalid_argument);
}

}  // namespace
}  // namespace CompositeTest
