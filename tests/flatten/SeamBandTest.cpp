// Seam bands on hand-computed maps: a band lies within the two regions of its border, as wide as
// the border's pixels need, and ends on the bisector where the later region has a sharp corner.
#include <flatten/SeamBand.h>
#include <gtest/gtest.h>
#include <tessel/Graph.h>
#include <tessel/Input.h>
#include <vexl/Measure.h>

#include <cmath>

namespace {

struct SeamBandShape : Tessel::TElementAttribute {};

// The band's whole reach across the border: its width and the slack its simplified border
// allows (half the width).
constexpr double kReach = 1.5 * Corvel::kSeamBandWidth;

class SeamBandTest : public ::testing::Test {
 protected:
  // Left: a 40 pt square; right: `right` beside it, meeting it along x = 40 pt.
  void Build(std::shared_ptr<const Vexl::Compound> right) {
    Tessel::Input input;
    input.AddElement(&left_, {Vexl::MakeRectangle({0, 0, 40000, 40000, false})});
    input.AddElement(&right_, {std::move(right)});
    graph_ = TesselFixed::Build(input);
  }
  const TesselFixed::Region& RegionOf(const SeamBandShape& shape) const {
    for (const auto* region : graph_->GetRegions()) {
      const auto* fill = region->GetFill();
      if (fill->NElements() == 1 && fill->GetElement(0).Attribute() == &shape) return *region;
    }
    throw std::logic_error("no region of the shape");
  }
  // The left square's band along its border with the right shape.
  std::vector<Vexl::Subpath> Band(const Corvel::SeamKeepOff& keepOff = {}) const {
    const auto& own = RegionOf(left_);
    const auto& across = RegionOf(right_);
    std::vector<const TesselFixed::Border*> along;
    for (const auto& contour : own.GetContours()) {
      for (const auto& border : contour.GetBorders()) {
        if (border.GetRightSide() == &across) along.push_back(&border);
      }
    }
    return Corvel::SeamBandAlong(along, own, across, keepOff);
  }
  // Nonzero winding of the band's polygons around p.
  static bool Covers(const std::vector<Vexl::Subpath>& band, Vexl::Point p) {
    int winding = 0;
    for (const auto& subpath : band) {
      Vexl::Point a = subpath.GetStart();
      for (std::size_t i = 0; i <= subpath.GetSegments().size(); ++i) {
        const Vexl::Point b =
            i < subpath.GetSegments().size() ? subpath.GetSegments()[i].end : subpath.GetStart();
        if ((a.y <= p.y) != (b.y <= p.y)) {
          const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
          if (x > p.x) winding += b.y > a.y ? 1 : -1;
        }
        a = b;
      }
    }
    return winding != 0;
  }

  SeamBandShape left_, right_;
  std::shared_ptr<const TesselFixed::Graph> graph_;
};

// Two squares side by side: a strip on both sides of their 40 pt border, its ends square on
// the left (the square's edge continues the end) and cut on the bisector of the right square's
// corners, which keeps the band off the right square's top and bottom edges.
TEST_F(SeamBandTest, SquaresSideBySide) {
  Build(Vexl::MakeRectangle({40000, 0, 40000, 40000, false}));
  const auto band = Band();
  ASSERT_FALSE(band.empty());
  double area = 0;
  for (const auto& subpath : band) area += Vexl::SignedArea(subpath);
  EXPECT_NEAR(area, 2 * kReach * 40000 - kReach * kReach, 10);
  EXPECT_TRUE(Covers(band, {40000 + 0.9 * Corvel::kSeamBandWidth, 20000}));
  EXPECT_TRUE(Covers(band, {40000 - 0.9 * Corvel::kSeamBandWidth, 20000}));
  EXPECT_FALSE(Covers(band, {40000 + kReach + 50, 20000}));
  // Never beyond the two squares; on the right, nearer the border than the top edge.
  EXPECT_FALSE(Covers(band, {40300, 40050}));
  EXPECT_FALSE(Covers(band, {40300, -50}));
  EXPECT_FALSE(Covers(band, {40500, 39700}));
  EXPECT_TRUE(Covers(band, {40300, 39500}));
}

// The right square's other borders meet regions painted before the left square's piece: the band
// keeps a pixel's diagonal at 300 ppi (0.34 pt) off them and covers the rest of its border.
TEST_F(SeamBandTest, KeepsOffBordersWithEarlierPaint) {
  Build(Vexl::MakeRectangle({40000, 0, 40000, 40000, false}));
  const auto& own = RegionOf(left_);
  const auto band = Band([&](const TesselFixed::Region* region) { return region != &own; });
  ASSERT_FALSE(band.empty());
  // 0.2 pt below the top edge, 0.1 pt right of the border: the bisector alone keeps it.
  EXPECT_FALSE(Covers(band, {40100, 39800}));
  EXPECT_FALSE(Covers(band, {40100, 200}));
  EXPECT_TRUE(Covers(band, {40100, 39500}));
  EXPECT_TRUE(Covers(band, {40400, 20000}));
  EXPECT_TRUE(Band().size() > 0 && Covers(Band(), {40100, 39800}));
}

// A right triangle whose corner at the top of the border is 45 degrees: the band ends on the
// corner's bisector (22.5 degrees off the border) instead of running along the hypotenuse, and
// never leaves the triangle.
TEST_F(SeamBandTest, SharpCornerEndsOnItsBisector) {
  Vexl::CompoundFactory triangle;
  Vexl::Subpath outline({40000, 0}, true);
  outline.LineTo({80000, 0});
  outline.LineTo({40000, 40000});
  triangle.AddSubpath(outline);
  Build(triangle.GetResult());
  const auto band = Band();
  ASSERT_FALSE(band.empty());
  // Along the hypotenuse, 1 pt from the corner and 0.1 pt inside: nearer the hypotenuse.
  EXPECT_FALSE(Covers(band, {40636, 39222}));
  // Nearer the border, within the bisector.
  EXPECT_TRUE(Covers(band, {40200, 38800}));
  // Outside the triangle, close to the hypotenuse.
  EXPECT_FALSE(Covers(band, {40600, 39500}));
}

}  // namespace
