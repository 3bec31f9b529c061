// The hand-checked compositing vectors, built as document artwork, mapped, and picked from the
// fill where all the artwork overlaps. Expected tints in the order Cyan, Magenta, Yellow, Black,
// Spot1; every stack is painted over white paper.

#include <gtest/gtest.h>

#include "SamplingTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace SamplingTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

constexpr double kTolerance = 1e-4;
using CorvelTest::kSquare;

struct NoteVector : MappedPage, ::testing::Test {
  void ExpectOverlap(std::vector<float> expected) {
    Map();
    const auto picked = Pick(DeepestFill(), {35000, 35000});
    ASSERT_EQ(picked.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_NEAR(picked[i], expected[i], kTolerance) << "ink " << Inks()[i];
    }
  }
  // The opaque Normal backdrop (C .4) of the group and mask vectors.
  void AddBackdrop() { Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.4f}}))); }

  std::shared_ptr<MavDoc::Content> NewMaskContent() {
    return MavDoc::Content::MakeSoftMaskContent(&document);
  }
};

std::shared_ptr<const MavBlend::Transparency> Masked(std::shared_ptr<const MavBlend::SoftMask> mask,
                                                     float alpha = 1) {
  return MavBlend::Transparency::Factory().SetFillAlpha(alpha).SetSoftMask(std::move(mask)).Get();
}

TEST_F(NoteVector, NormalAtHalfAlphaAveragesTints) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.4f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.8f}, {"Yellow", 0.6f}, {"Black", 0.1f}}),
                               Blend(BlendMode::Normal, 0.5f)));
  // t = .5 t_b + .5 t_s: C .1 + .4, M .2, Y .3, K .05.
  ExpectOverlap({0.5f, 0.2f, 0.3f, 0.05f, 0});
}

TEST_F(NoteVector, MultiplyAddsInkLikeOverprint) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.4f}, {"Yellow", 0.6f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Magenta", 0.5f}, {"Black", 0.3f}}),
                               Blend(BlendMode::Multiply)));
  // t = t_b + t_s − t_b t_s: C .2 + .5 − .1, M .4 + .5 − .2, Y .6, K .3.
  ExpectOverlap({0.6f, 0.7f, 0.6f, 0.3f, 0});
}

TEST_F(NoteVector, MultiplyAtAlphaMixesWithTheBackdrop) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.4f}, {"Yellow", 0.6f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Magenta", 0.5f}, {"Black", 0.3f}}),
                               Blend(BlendMode::Multiply, 0.6f)));
  // .4 t_b + .6 (multiplied): C .08 + .36, M .16 + .42, Y .24 + .36, K .18.
  ExpectOverlap({0.44f, 0.58f, 0.6f, 0.18f, 0});
}

TEST_F(NoteVector, ScreenMultipliesTints) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.6f}, {"Magenta", 0.3f}, {"Black", 0.5f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.5f}, {"Magenta", 0.5f}, {"Yellow", 0.5f},
                                              {"Black", 0.2f}}),
                               Blend(BlendMode::Screen)));
  // tint = t_b t_s: .6·.5, .3·.5, 0·.5, .5·.2.
  ExpectOverlap({0.3f, 0.15f, 0, 0.1f, 0});
}

TEST_F(NoteVector, SpotUnderMultiplyKeepsTheOtherPlates) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.3f}, {"Spot1", 0.4f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Spot1", 0.5f}}), Blend(BlendMode::Multiply)));
  // Spot .4 + .5 − .2; Cyan: the source leaves it white, Multiply keeps the backdrop .3.
  ExpectOverlap({0.3f, 0, 0, 0, 0.7f});
}

TEST_F(NoteVector, SpotUnderDifferenceIsPaintedNormal) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.3f}, {"Spot1", 0.4f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Spot1", 0.5f}}), Blend(BlendMode::Difference)));
  // Spot: Difference is not white-preserving, so Normal: .5. Process inks on additive values:
  // C |.7 − 1| = .3 → tint .7; M, Y, K |1 − 1| = 0 → tint 1.
  ExpectOverlap({0.7f, 1, 1, 1, 0.5f});
}

TEST_F(NoteVector, LuminosityModeTakesTheSourceLuminosity) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.8f}, {"Yellow", 0.4f},
                                              {"Black", 0.3f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.1f}, {"Magenta", 0.1f}, {"Yellow", 0.7f},
                                              {"Black", 0.5f}}),
                               Blend(BlendMode::Luminosity)));
  // RGB_b (.8, .2, .6), Lum .424; RGB_s (.9, .9, .3), Lum .834; shift +.41 → (1.21, .61, 1.01);
  // clip above 1 with factor (1 − .834) / (1.21 − .834) = .166 / .376 → (1, .735106, .911702);
  // K from the source .5. Tints: 0, .264894, .088298, .5.
  ExpectOverlap({0, 0.264894f, 0.088298f, 0.5f, 0});
}

TEST_F(NoteVector, ColorModeKeepsTheBackdropLuminosityAndBlack) {
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.2f}, {"Magenta", 0.8f}, {"Yellow", 0.4f},
                                              {"Black", 0.3f}})));
  Add(content, FilledRectangle(kSquare, Flat({{"Cyan", 0.1f}, {"Magenta", 0.1f}, {"Yellow", 0.7f},
                                              {"Black", 0.5f}}),
                               Blend(BlendMode::Color)));
  // SetLum(RGB_s, .424): −.41 → (.49, .49, −.11); clip below 0 with factor .424 / .534 →
  // (.476404, .476404, 0); K from the backdrop .3. Tints .523596, .523596, 1, .3.
  ExpectOverlap({0.523596f, 0.523596f, 1, 0.3f, 0});
}

TEST_F(NoteVector, NonIsolatedGroupBlendsWithThePageBackdrop) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal), false, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}}), Blend(BlendMode::Multiply, 0.5f)));
  // Inside: C .4, M .3 with group alpha .5; backdrop removed (C 2·.4 − .4 = .4, M .6) and
  // composited again at .5 over C .4: (.4, .3).
  ExpectOverlap({0.4f, 0.3f, 0, 0, 0});
}

TEST_F(NoteVector, IsolatedGroupBlendsOnlyWithinItself) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal), true, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}}), Blend(BlendMode::Multiply, 0.5f)));
  // Group (0, .6) at alpha .5 over C .4: C .5·.4, M .5·.6.
  ExpectOverlap({0.2f, 0.3f, 0, 0, 0});
}

TEST_F(NoteVector, KnockoutGroupKeepsOnlyItsTopElement) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal), false, true));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}}), Blend(BlendMode::Normal, 0.5f)));
  Add(group, FilledRectangle(kSquare, Flat({{"Yellow", 0.8f}}), Blend(BlendMode::Normal, 0.5f)));
  // The Yellow element composites over the initial backdrop only: C .5·.4, Y .5·.8; M is gone.
  ExpectOverlap({0.2f, 0, 0.4f, 0, 0});
}

TEST_F(NoteVector, NonKnockoutGroupStacksBothElements) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal), false, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}}), Blend(BlendMode::Normal, 0.5f)));
  Add(group, FilledRectangle(kSquare, Flat({{"Yellow", 0.8f}}), Blend(BlendMode::Normal, 0.5f)));
  // After the first (.2, .3, 0); the second halves that and adds Y .4.
  ExpectOverlap({0.1f, 0.15f, 0.4f, 0, 0});
}

TEST_F(NoteVector, GroupAlphaActsOnTheGroupAsAWhole) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, 0.5f), true, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}})));
  Add(group, FilledRectangle(kSquare, Flat({{"Yellow", 0.8f}})));
  // Group colour (0, 0, .8), opaque; at .5 over C .4: (.2, 0, .4).
  ExpectOverlap({0.2f, 0, 0.4f, 0, 0});
}

TEST_F(NoteVector, GroupBlendModeMultipliesTheGroupResult) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Multiply), true, false));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}})));
  // Group (0, .6) multiplied onto (.4, 0).
  ExpectOverlap({0.4f, 0.6f, 0, 0, 0});
}

TEST_F(NoteVector, KnockoutWithAlphaIsShapeKnocksOutPartially) {
  AddBackdrop();
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal), false, true));
  Add(group, FilledRectangle(kSquare, Flat({{"Magenta", 0.6f}})));
  Add(group, FilledRectangle(kSquare, Flat({{"Yellow", 0.8f}}),
                             MavBlend::Transparency::Factory().SetFillAlpha(0.5f).SetAlphaIsShape(true).Get()));
  // Shape .5: half of the earlier result (0, .6, 0) plus half of the source over the initial
  // backdrop (0, 0, .8); group alpha 1 hides the page backdrop.
  ExpectOverlap({0, 0.3f, 0.4f, 0, 0});
}

TEST_F(NoteVector, LuminosityMaskOfBlackArtwork) {
  AddBackdrop();
  auto maskContent = NewMaskContent();
  Add(*maskContent, FilledRectangle(kSquare, Flat({{"Black", 0.25f}})));
  auto mask = MavBlend::SoftMask::Factory(maskContent).SetColorSpace(MavColor::DeviceCMYK{}).Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Magenta", 1.0f}}), Masked(mask)));
  // Y = (.3 + .59 + .11)(1 − .25) = .75 = α_s: C .25·.4, M .75.
  ExpectOverlap({0.1f, 0.75f, 0, 0, 0});
}

TEST_F(NoteVector, LuminosityMaskTransferFunctionSquares) {
  AddBackdrop();
  auto maskContent = NewMaskContent();
  Add(*maskContent, FilledRectangle(kSquare, Flat({{"Black", 0.25f}})));
  auto square = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0},
                                                                      std::vector<float>{1}, 2.0);
  auto mask = MavBlend::SoftMask::Factory(maskContent)
                  .SetColorSpace(MavColor::DeviceCMYK{})
                  .SetTransferFunction(square)
                  .Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Magenta", 1.0f}}), Masked(mask)));
  // m = .75² = .5625: C .4375·.4 = .175, M .5625.
  ExpectOverlap({0.175f, 0.5625f, 0, 0, 0});
}

TEST_F(NoteVector, LuminosityMaskWithoutArtworkShowsItsBackdropColour) {
  AddBackdrop();
  auto mask = MavBlend::SoftMask::Factory(NewMaskContent())
                  .SetColorSpace(MavColor::DeviceCMYK{})
                  .SetBackdropColor({0, 0, 0, 0.5f})
                  .Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Magenta", 1.0f}}), Masked(mask)));
  // The mask group paints nothing: Y of the backdrop colour = 1 · (1 − .5) = .5.
  ExpectOverlap({0.2f, 0.5f, 0, 0, 0});
}

TEST_F(NoteVector, LuminosityMaskCompositesOverItsBackdropColourBeforeTheTransfer) {
  AddBackdrop();
  auto maskContent = NewMaskContent();
  Add(*maskContent, FilledRectangle(kSquare, Flat({{"Black", 0.25f}}), Blend(BlendMode::Normal, 0.5f)));
  auto square = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0},
                                                                      std::vector<float>{1}, 2.0);
  auto mask = MavBlend::SoftMask::Factory(maskContent)
                  .SetColorSpace(MavColor::DeviceCMYK{})
                  .SetBackdropColor({0, 0, 0, 0.5f})
                  .SetTransferFunction(square)
                  .Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Magenta", 1.0f}}), Masked(mask)));
  // Mask colour K = .5·.5 (backdrop colour) + .5·.25 (artwork at alpha .5) = .375;
  // Y = 1 − .375 = .625; m = .625² = .390625. C (1 − m)·.4 = .24375, M .390625.
  ExpectOverlap({0.24375f, 0.390625f, 0, 0, 0});
}

TEST_F(NoteVector, AlphaMaskTakesTheArtworkAlpha) {
  AddBackdrop();
  auto maskContent = NewMaskContent();
  Add(*maskContent, FilledRectangle(kSquare, Flat({{"Cyan", 1.0f}}), Blend(BlendMode::Normal, 0.6f)));
  auto mask = MavBlend::SoftMask::Factory(maskContent).SetAlpha(true).Get();
  Add(content, FilledRectangle(kSquare, Flat({{"Yellow", 1.0f}}), Masked(mask, 0.5f)));
  // m = .6, α_s = .5·.6 = .3: C .7·.4 = .28, Y .3.
  ExpectOverlap({0.28f, 0, 0.3f, 0, 0});
}

}  // namespace
