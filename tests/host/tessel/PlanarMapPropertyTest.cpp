// Seeded random artwork; each case prints its seed so that a failure can be replayed.

#include <gtest/gtest.h>

#include <cmath>

#include <vexl/Measure.h>

#include "TesselTestSupport.h"

namespace Tessel::Testing {
namespace {

using TesselFixed::Graph;
using TesselFixed::Region;

constexpr double kPage = 200000;
constexpr double kTolerance = 5.0;

bool PresentAt(const Outline& shape, Vexl::Point p) { return Vexl::Contains(*shape.compound, p, shape.rule); }

// Area of a simple (not self-intersecting) shape, allowing for flattening and the grid.
double SimpleArea(const Outline& shape) { return std::fabs(Vexl::SignedArea(*shape.compound)); }

TEST(PlanarMapProperty, RandomArtworkKeepsEveryInvariant) {
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(static_cast<unsigned>(seed));
    const Artwork artwork = RandomArtwork(random, 5 + seed % 20, kPage);
    Input input = MakeInput(artwork);
    if (seed % 2) input.SetBounds({kPage / 4, kPage / 4, kPage / 2, kPage / 2, false});
    const auto graph = TesselFixed::Build(input, {kTolerance});
    ExpectValidPlanarMap(*graph);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(PlanarMapProperty, FillAtRandomPointsMatchesPointInShape) {
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(static_cast<unsigned>(seed));
    const Artwork artwork = RandomArtwork(random, 4 + seed % 12, kPage);
    Input input = MakeInput(artwork);
    const Vexl::Rectangle bounds{kPage / 8, kPage / 8, kPage * 0.75, kPage * 0.75, false};
    input.SetBounds(bounds);
    const auto graph = TesselFixed::Build(input, {kTolerance});
    std::uniform_real_distribution<double> coordinate(0, kPage);
    int probed = 0;
    for (int i = 0; i < 200; ++i) {
      const Vexl::Point p{coordinate(random), coordinate(random)};
      // Chords lie within the tolerance of the curves: probes nearer a border prove nothing.
      const Region* region = RegionAt(*graph, p, 2 * kTolerance);
      if (!region) continue;
      ++probed;
      std::vector<const TElementAttribute*> expected;
      const bool inBounds = bounds.Contains(p);
      for (std::size_t k = 0; k < artwork.shapes.size() && inBounds; ++k) {
        if (PresentAt(artwork.shapes[k], p)) expected.push_back(artwork.attributes[k].get());
      }
      ASSERT_EQ(AttributesOf(*region->GetFill()), expected) << "at " << p.x << ", " << p.y;
      ASSERT_EQ(region->IsUnbounded(), !inBounds);
    }
    EXPECT_GT(probed, 100);
  }
}

TEST(PlanarMapProperty, RegionsTileTheBoundsAndCoverEachShapeOnce) {
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(static_cast<unsigned>(seed));
    // Simple shapes only, so that the reference area is the outline's signed area.
    Artwork artwork;
    std::uniform_real_distribution<double> position(0, kPage), size(kPage / 20, kPage / 3);
    for (int i = 0; i < 10 + seed % 10; ++i) {
      const double x = position(random), y = position(random), r = size(random);
      artwork.shapes.push_back({i % 2 ? Circle(x, y, r) : Rectangle(x, y, r, r / 2),
                                random() % 2 ? Vexl::FillRule::EvenOdd : Vexl::FillRule::NonZero});
      artwork.attributes.push_back(std::make_unique<Element>());
    }
    Input input = MakeInput(artwork);
    const Vexl::Rectangle bounds{-kPage, -kPage, 3 * kPage, 3 * kPage, false};
    input.SetBounds(bounds);
    const auto graph = TesselFixed::Build(input, {kTolerance});
    double total = 0;
    std::vector<double> covered(artwork.shapes.size(), 0);
    for (const Region* region : graph->GetRegions()) {
      total += region->GetArea();
      const auto attributes = AttributesOf(*region->GetFill());
      for (std::size_t k = 0; k < artwork.shapes.size(); ++k) {
        if (std::find(attributes.begin(), attributes.end(), artwork.attributes[k].get()) != attributes.end()) {
          covered[k] += region->GetArea();
        }
      }
    }
    EXPECT_NEAR(total, bounds.width * bounds.height, 1e-3);
    for (std::size_t k = 0; k < artwork.shapes.size(); ++k) {
      const double perimeter = 8 * std::sqrt(SimpleArea(artwork.shapes[k]));
      EXPECT_NEAR(covered[k], SimpleArea(artwork.shapes[k]), perimeter * kTolerance) << "shape " << k;
      // The envelope of the shape's regions has the same area without the inner borders.
      const TElementAttribute* attribute = artwork.attributes[k].get();
      const auto envelope = TesselFixed::Envelope::Create(graph, [&](const Region* region) {
        const auto attributes = AttributesOf(*region->GetFill());
        return std::find(attributes.begin(), attributes.end(), attribute) != attributes.end();
      });
      EXPECT_NEAR(envelope.GetArea(), covered[k], 1e-6 * covered[k]);
    }
  }
}

}  // namespace
}  // namespace Tessel::Testing
