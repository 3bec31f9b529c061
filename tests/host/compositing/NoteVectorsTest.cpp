// The hand-checked stacks of the transparency model note (§7), tints C M Y K Spot1. Each runs
// through point evaluation and through row evaluation, flat and with per-pixel inputs.

#include "CompositingTestSupport.h"

namespace CompositeTest {
namespace {

using BM = BlendMode;

TEST(NoteVectors, SeparableModesOverOpaqueBackdrop) {
  // T01: t = .5·t_b + .5·t_s.
  ExpectComposite(
      Stack({Paint({.c = .2f, .m = .4f}), Paint({.c = .8f, .y = .6f, .k = .1f}, BM::Normal, .5f)}),
      {.5, .2, .3, .05, 0});
  // T02: Multiply in tints, t_b + t_s − t_b·t_s.
  ExpectComposite(Stack({Paint({.c = .2f, .m = .4f, .y = .6f}),
                         Paint({.c = .5f, .m = .5f, .k = .3f}, BM::Multiply)}),
                  {.6, .7, .6, .3, 0});
  // T03: .4·t_b + .6·T02.
  ExpectComposite(Stack({Paint({.c = .2f, .m = .4f, .y = .6f}),
                         Paint({.c = .5f, .m = .5f, .k = .3f}, BM::Multiply, .6f)}),
                  {.44, .58, .6, .18, 0});
  // T04: Screen in tints, t_b·t_s.
  ExpectComposite(Stack({Paint({.c = .6f, .m = .3f, .k = .5f}),
                         Paint({.c = .5f, .m = .5f, .y = .5f, .k = .2f}, BM::Screen)}),
                  {.3, .15, 0, .1, 0});
}

TEST(NoteVectors, SpotsKeepTheirIdentity) {
  const Element deviceN = Paint({.c = .3f, .spot = .4f});
  // T05: Multiply leaves the unpainted cyan plate alone; the spot multiplies.
  ExpectComposite(Stack({deviceN, Paint({.spot = .5f}, BM::Multiply)}), {.3, 0, 0, 0, .7});
  // T06: Normal erases the plates the paint does not name.
  ExpectComposite(Stack({deviceN, Paint({.spot = .5f})}), {0, 0, 0, 0, .5});
  // T07: the spot is composited with Normal; unpainted process plates give |1 − 1| = 0,
  // full ink.
  ExpectComposite(Stack({deviceN, Paint({.spot = .5f}, BM::Difference)}), {.7, 1, 1, 1, .5});
}

TEST(NoteVectors, GroupsIsolatedKnockoutAlphaAndBlendMode) {
  Group multiplyHalf = Stack({Paint({.m = .6f}, BM::Multiply, .5f)});
  // T08: non-isolated; backdrop removed and re-composited.
  ExpectComposite(Stack({Backdrop(), multiplyHalf}), {.4, .3, 0, 0, 0});
  // T09: isolated; the group is (0, .6) at alpha .5 over BD.
  multiplyHalf.isolated = true;
  ExpectComposite(Stack({Backdrop(), multiplyHalf}), {.2, .3, 0, 0, 0});
  // T10: knockout; the Y element knocks out the M element.
  Group pair = Stack({Paint({.m = .6f}, BM::Normal, .5f), Paint({.y = .8f}, BM::Normal, .5f)});
  pair.knockout = true;
  ExpectComposite(Stack({Backdrop(), pair}), {.2, 0, .4, 0, 0});
  // T11: the same pair without knockout.
  pair.knockout = false;
  ExpectComposite(Stack({Backdrop(), pair}), {.1, .15, .4, 0, 0});
  // T12: group alpha .5 on an isolated group whose Y erases M.
  Group opaquePair = Stack({Paint({.m = .6f}), Paint({.y = .8f})});
  opaquePair.isolated = true;
  opaquePair.constantAlpha = .5f;
  ExpectComposite(Stack({Backdrop(), opaquePair}), {.2, 0, .4, 0, 0});
  // T13: group blend mode Multiply.
  Group multiplied = Stack({Paint({.m = .6f})});
  multiplied.isolated = true;
  multiplied.blendMode = BM::Multiply;
  ExpectComposite(Stack({Backdrop(), multiplied}), {.4, .6, 0, 0, 0});
}

TEST(NoteVectors, SoftMasks) {
  const auto masked = [](std::shared_ptr<const SoftMask> mask, float alpha = 1,
                         Ink ink = {.m = 1}) {
    Element element = Paint(ink, BM::Normal, alpha);
    element.softMask = std::move(mask);
    return element;
  };
  SoftMask blackOnly;  // luminosity, CMYK, BC black
  blackOnly.elements = {Colour({0, 0, 0, .25f})};
  // T14: Y = (.3 + .59 + .11)(1 − .25) = .75.
  ExpectComposite(Stack({Backdrop(), masked(Mask(blackOnly))}), {.1, .75, 0, 0, 0});
  // T15: a DeviceGray mask group painting gray .75 (stored as 1 − .75).
  SoftMask gray;
  gray.space = SeparationSpace::DeviceGray();
  gray.elements = {Colour({.25f})};
  ExpectComposite(Stack({Backdrop(), masked(Mask(gray))}), {.1, .75, 0, 0, 0});
  // T16: TR x², m = .5625.
  SoftMask squared = blackOnly;
  squared.transfer = [](double x) { return x * x; };
  ExpectComposite(Stack({Backdrop(), masked(Mask(squared))}), {.175, .5625, 0, 0, 0});
  // T17: an empty group shows BC, K .5 → Y = .5.
  SoftMask empty;
  empty.backdrop = {0, 0, 0, .5f};
  ExpectComposite(Stack({Backdrop(), masked(Mask(empty))}), {.2, .5, 0, 0, 0});
  // T18: alpha mask m = .6 on an element at ca .5: α_s = .3.
  SoftMask alpha;
  alpha.kind = SoftMask::Kind::Alpha;
  alpha.elements = {Colour({1, 0, 0, 0}, .6f)};
  ExpectComposite(Stack({Backdrop(), masked(Mask(alpha), .5f, {.y = 1})}), {.28, 0, .3, 0, 0});
}

TEST(NoteVectors, NonSeparableModesInCmyk) {
  const Element backdrop = Paint({.c = .2f, .m = .8f, .y = .4f, .k = .3f});
  const Ink source{.c = .1f, .m = .1f, .y = .7f, .k = .5f};
  // T19: RGB_b (.8, .2, .6), RGB_s (.9, .9, .3); SetLum to .834 clips at x > 1 to
  // (1, .735106, .911702); K from the source.
  ExpectComposite(Stack({backdrop, Paint(source, BM::Luminosity)}),
                  {0, 1 - .735106, 1 - .911702, .5, 0});
  // T20: SetLum(RGB_s, .424) clips at n < 0 to (.476404, .476404, 0); K from the backdrop.
  ExpectComposite(Stack({backdrop, Paint(source, BM::Color)}),
                  {1 - .476404, 1 - .476404, 1, .3, 0});
}

TEST(NoteVectors, AlphaIsShapeKnocksOutPartially) {
  Element shapeHalf = Paint({.y = .8f}, BM::Normal, .5f);
  shapeHalf.alphaIsShape = true;
  Group knockout = Stack({Paint({.m = .6f}), shapeHalf});
  knockout.knockout = true;
  // T21: half of (0, .6, 0) survives; the other half is the source over BD.
  ExpectComposite(Stack({Backdrop(), knockout}), {0, .3, .4, 0, 0});
  // T22: without AIS the knockout is complete, as in T10.
  std::get<Element>(knockout.elements[1].content).alphaIsShape = false;
  ExpectComposite(Stack({Backdrop(), knockout}), {.2, 0, .4, 0, 0});
}

TEST(NoteVectors, GhostscriptCrossChecks) {
  // ColorDodge over solid ink with an unpainted source keeps the ink (PDF 2.0 rule).
  ExpectComposite(Stack({Paint({.c = 1}), Paint({}, BM::ColorDodge)}), {1, 0, 0, 0, 0});
  // ColorBurn of full ink onto no ink leaves no ink.
  ExpectComposite(Stack({Paint({}), Paint({.c = 1}, BM::ColorBurn)}), {0, 0, 0, 0, 0});
  // Spots: Luminosity composites them with Normal; Screen multiplies tints.
  ExpectComposite(Stack({Paint({.spot = .4f}), Paint({.spot = .5f}, BM::Luminosity)}),
                  {0, 0, 0, 0, .5});
  ExpectComposite(Stack({Paint({.spot = .4f}), Paint({.spot = .5f}, BM::Screen)}),
                  {0, 0, 0, 0, .2});
  // A spot inside an isolated group at group alpha .5.
  Group spotGroup = Stack({Paint({.spot = .6f})});
  spotGroup.isolated = true;
  spotGroup.constantAlpha = .5f;
  ExpectComposite(Stack({spotGroup}), {0, 0, 0, 0, .3});
  // Luminosity masks: C-only .5 gives .85; C .2 M .3 Y .4 K .1 gives .719 · .9 = .6471.
  for (const auto& [tints, m] : {std::pair{std::vector<float>{.5f, 0, 0, 0}, .85},
                                 std::pair{std::vector<float>{.2f, .3f, .4f, .1f}, .6471}}) {
    SoftMask mask;
    mask.elements = {Colour(tints)};
    Element element = Paint({.m = 1});
    element.softMask = Mask(mask);
    ExpectComposite(Stack({element}), {0, m, 0, 0, 0});
  }
}

}  // namespace
}  // namespace CompositeTest
