// Soft masks, nested groups and alpha-is-shape beyond the note's vectors, with the expected
// tints (C M Y K Spot1) worked by hand from the note's formulas.

#include <cmath>

#include "CompositingTestSupport.h"

namespace CompositeTest {
namespace {

using BM = BlendMode;

Element Masked(std::shared_ptr<const SoftMask> mask, Ink ink = {.m = 1}) {
  Element element = Paint(ink);
  element.softMask = std::move(mask);
  return element;
}

TEST(SoftMask, AlphaMaskAppliesItsTransferFunction) {
  SoftMask mask;
  mask.kind = SoftMask::Kind::Alpha;
  mask.backdrop = {0, 0, 0, 1};  // ignored by alpha masks
  mask.elements = {Colour({1, 0, 0, 0}, .36f)};
  mask.transfer = [](double x) { return std::sqrt(x); };
  // m = √.36 = .6: C .4·.4, M .6.
  ExpectComposite(Stack({Backdrop(), Masked(Mask(mask))}), {.16, .6, 0, 0, 0});
}

TEST(SoftMask, LuminosityMaskOverItsBackdropColourWithTransfer) {
  SoftMask mask;
  mask.backdrop = {0, 0, 0, .5f};
  mask.elements = {Colour({.5f, 0, 0, 0}, .5f)};
  mask.transfer = [](double x) { return 1 - x; };
  // Over BC: C .5·.5 = .25, K .5·.5 = .25; Y = (.3·.75 + .59 + .11)·.75 = .69375; m = .30625.
  ExpectComposite(Stack({Backdrop(), Masked(Mask(mask))}), {.4 * (1 - .30625), .30625, 0, 0, 0});
}

TEST(SoftMask, NonIsolatedMaskGroupBlendsWithItsBackdropColour) {
  SoftMask mask;
  mask.space = SeparationSpace::DeviceGray();
  mask.backdrop = {.5f};  // gray .5
  Element multiply = Colour({.5f});
  multiply.blendMode = BM::Multiply;
  mask.elements = {multiply};
  // Multiply with BC: tint .5 + .5 − .25 = .75, gray .25.
  ExpectComposite(Stack({Masked(Mask(mask))}), {0, .25, 0, 0, 0});
  // Isolated, the group is gray .5 at alpha 1 and hides BC.
  mask.isolated = true;
  ExpectComposite(Stack({Masked(Mask(mask))}), {0, .5, 0, 0, 0});
}

TEST(SoftMask, RgbMaskGroupUsesRgbLuminosity) {
  SoftMask mask;
  mask.space = SeparationSpace::DeviceRgb();
  mask.elements = {Colour({0, 1, 1})};  // pure red, stored complemented
  ExpectComposite(Stack({Masked(Mask(mask))}), {0, .3, 0, 0, 0});
}

TEST(SoftMask, GroupSoftMaskScalesTheWholeGroup) {
  SoftMask mask;
  mask.elements = {Colour({0, 0, 0, .5f})};  // Y = .5
  Group group = Stack({Paint({.m = .6f}), Paint({.y = .8f}, BM::Normal, .5f)});
  group.isolated = true;
  group.softMask = Mask(mask);
  // Group: M .3, Y .4 at alpha 1; at .5 over BD: C .2, M .15, Y .2.
  ExpectComposite(Stack({Backdrop(), group}), {.2, .15, .2, 0, 0});
}

TEST(SoftMask, AlphaIsShapeMaskKnocksOutPartially) {
  SoftMask mask;
  mask.kind = SoftMask::Kind::Alpha;
  mask.elements = {Colour({1, 0, 0, 0}, .5f)};
  Element top = Masked(Mask(mask), {.y = .8f});
  top.alphaIsShape = true;
  Group knockout = Stack({Paint({.m = .6f}), top});
  knockout.knockout = true;
  // As T21 with the .5 coming from the mask: f_s = α_s = .5.
  ExpectComposite(Stack({Backdrop(), knockout}), {0, .3, .4, 0, 0});
}

TEST(Groups, NonIsolatedGroupInKnockoutGroupSeesTheInitialBackdrop) {
  Group inner = Stack({Paint({.y = .8f}, BM::Multiply, .5f)});
  Group knockout = Stack({Paint({.m = .6f}, BM::Normal, .5f), inner});
  knockout.knockout = true;
  // Inner over BD: C .4, Y .4, α .5; removal gives (C .4, Y .8). Over the initial BD at
  // alpha .5: C .4, M 0 (knocked out), Y .4.
  ExpectComposite(Stack({Backdrop(), knockout}), {.4, 0, .4, 0, 0});
}

TEST(Groups, NestedIsolationAndGroupModes) {
  // An isolated Multiply group holding a non-isolated Screen group: the Screen group sees
  // only the isolated group's own M .5, so Y .6 lands unscreened and M is screened with 0.
  Group screen = Stack({Paint({.y = .6f}, BM::Screen)});
  Group outer = Stack({Paint({.m = .5f}), screen});
  outer.isolated = true;
  outer.blendMode = BM::Multiply;
  // Screen in tints t_b·t_s: M .5·0 = 0, Y 0·.6 = 0. Then the group (all 0) multiplies BD.
  ExpectComposite(Stack({Backdrop(), outer}), {.4, 0, 0, 0, 0});
  // An empty group contributes nothing.
  ExpectComposite(Stack({Backdrop(), Stack({})}), {.4, 0, 0, 0, 0});
}

TEST(Groups, KnockoutWithFractionalShapeKeepsTheRest) {
  Element partial = Paint({.y = .8f});
  partial.shape = .25f;  // an anti-aliased edge
  Group knockout = Stack({Paint({.m = .6f}), partial});
  knockout.knockout = true;
  // .75 of (0, .6, 0) survives; .25 of the source over BD: (0, 0, .8).
  ExpectComposite(Stack({Backdrop(), knockout}), {0, .45, .2, 0, 0});
}

}  // namespace
}  // namespace CompositeTest
