// The seam count on hand-made planes: a hairline lighter than both sides where the seamless
// renders are solid is a seam; a gap one of them has too is artwork.
#include <gtest/gtest.h>
#include <tools/oracle/Seams.h>

#include <stdexcept>

namespace {

using CorvelOracle::Plane;
using CorvelOracle::SeparationRender;

constexpr int kSeamPlaneSize = 12;

// A cyan plane of `ink` with column `column` set to `lineInk` (no line when column < 0).
SeparationRender Cyan(int ink, int column = -1, int lineInk = 0, int size = kSeamPlaneSize) {
  Plane plane{"Cyan", size, size, std::vector<std::uint8_t>(size * size, ink)};
  for (int row = 0; column >= 0 && row < size; ++row) plane.ink[row * size + column] = lineInk;
  return SeparationRender(size, size, 72, {plane});
}

TEST(SeamCount, HairlineBetweenTwoPiecesIsASeamPerPixel) {
  const auto count = CorvelOracle::CountSeams(Cyan(200, 5, 150), Cyan(200));
  EXPECT_EQ(count.pixels, static_cast<std::size_t>(kSeamPlaneSize));
  EXPECT_EQ(count.inArtwork, 0u);
}

TEST(SeamCount, DipsWithinTheThresholdAreNotSeams) {
  EXPECT_EQ(CorvelOracle::CountSeams(Cyan(200, 5, 192), Cyan(200)).pixels, 0u);
  EXPECT_EQ(CorvelOracle::CountSeams(Cyan(200, 5, 191), Cyan(200)).pixels,
            static_cast<std::size_t>(kSeamPlaneSize));
}

TEST(SeamCount, PairOfDippingPixelsIsACornerNotASeam) {
  auto lone = Cyan(200);
  Plane plane = lone.GetPlanes().front();
  plane.ink[5 * kSeamPlaneSize + 5] = plane.ink[6 * kSeamPlaneSize + 6] = 100;
  EXPECT_EQ(CorvelOracle::CountSeams(SeparationRender(kSeamPlaneSize, kSeamPlaneSize, 72, {plane}), Cyan(200)).pixels,
            0u);
}

TEST(SeamCount, GapTheAliasedRenderHasIsArtwork) {
  const auto count = CorvelOracle::CountSeams(Cyan(200, 5, 100), Cyan(200, 5, 0));
  EXPECT_EQ(count.pixels, 0u);
  EXPECT_EQ(count.inArtwork, static_cast<std::size_t>(kSeamPlaneSize));
}

TEST(SeamCount, DipAnyReferenceShowsAsLightIsArtwork) {
  const auto solid = Cyan(200), sliver = Cyan(200, 5, 105);
  // Partly lighter in the averaged render (a sliver narrower than a pixel), solid in the aliased.
  const auto count = CorvelOracle::CountSeams(Cyan(200, 5, 100), {&solid, &sliver});
  EXPECT_EQ(count.pixels, 0u);
  EXPECT_EQ(count.inArtwork, static_cast<std::size_t>(kSeamPlaneSize));
  // Both solid: the dip is the paper between two pieces, and the report says where it runs.
  const auto seam = CorvelOracle::CountSeams(Cyan(200, 5, 100), {&solid, &solid});
  EXPECT_EQ(seam.pixels, static_cast<std::size_t>(kSeamPlaneSize));
  ASSERT_EQ(seam.runs.size(), 1u);
  EXPECT_EQ(seam.runs[0].pixels, static_cast<std::size_t>(kSeamPlaneSize));
  EXPECT_DOUBLE_EQ(seam.runs[0].x, 5.5);
}

// A fine render's blocks averaged: an edge a quarter into a pixel covers it by a quarter, and a
// page no whole number of pixels high keeps its bottom edge on the last row, as Ghostscript puts it.
TEST(SeamlessRender, AveragesBlocksFromThePageBottom) {
  constexpr int kWidth = 3, kHeight = 2, kFactor = 4;
  // 9 fine rows for 2 coarse ones: the first fine row lies above the coarse render's top.
  const int fineHeight = kHeight * kFactor + 1, fineWidth = kWidth * kFactor;
  Plane fine{"Cyan", fineWidth, fineHeight, std::vector<std::uint8_t>(fineWidth * fineHeight, 0)};
  // Full ink in fine column 1 to the right, and in the fine row above the top: a coarse column
  // of 3/4 then full.
  for (int row = 0; row < fineHeight; ++row) {
    for (int column = 1; column < fineWidth; ++column) fine.ink[row * fineWidth + column] = 255;
  }
  const SeparationRender render(fineWidth, fineHeight, 288, {fine});
  const auto seamless = CorvelOracle::SeamlessRender(render, kFactor, kWidth, kHeight);
  EXPECT_DOUBLE_EQ(seamless.GetResolution(), 72);
  EXPECT_EQ(seamless.InkAt("Cyan", 0, 0), 191);
  EXPECT_EQ(seamless.InkAt("Cyan", 0, 1), 191);
  EXPECT_EQ(seamless.InkAt("Cyan", 2, 1), 255);
  EXPECT_THROW(CorvelOracle::SeamlessRender(render, kFactor, kWidth + 1, kHeight),
               std::invalid_argument);
}

// A separation the seamless render lacks has no ink there: nothing for a dip to lie below.
TEST(SeamCount, PlaneMissingFromTheSeamlessRenderHasNoInk) {
  const SeparationRender blank(kSeamPlaneSize, kSeamPlaneSize, 72, {});
  const auto count = CorvelOracle::CountSeams(Cyan(200, 5, 100), blank);
  EXPECT_EQ(count.pixels, 0u);
  EXPECT_EQ(count.inArtwork, static_cast<std::size_t>(kSeamPlaneSize));
}

TEST(SeamCount, RendersOfDifferentSizesAreRefused) {
  EXPECT_THROW(CorvelOracle::CountSeams(Cyan(200), Cyan(200, -1, 0, kSeamPlaneSize + 1)),
               std::invalid_argument);
}

}  // namespace
