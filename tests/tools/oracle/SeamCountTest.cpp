// The seam count on hand-made planes: a hairline lighter than both sides where the aliased render
// is solid is a seam; a gap the aliased render has too is artwork.
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

TEST(SeamCount, PlaneMissingFromTheAliasedRenderHasNoInk) {
  const SeparationRender blank(kSeamPlaneSize, kSeamPlaneSize, 72, {});
  EXPECT_EQ(CorvelOracle::CountSeams(Cyan(200, 5, 100), blank).pixels,
            static_cast<std::size_t>(kSeamPlaneSize));
}

TEST(SeamCount, RendersOfDifferentSizesAreRefused) {
  EXPECT_THROW(CorvelOracle::CountSeams(Cyan(200), Cyan(200, -1, 0, kSeamPlaneSize + 1)),
               std::invalid_argument);
}

}  // namespace
