#include <tessel/Graph.h>

#include <random>

#include <gtest/gtest.h>

#include <examples/Catalogue.h>
#include <vexl/Measure.h>
#include <vexl/Stroke.h>

#include "TesselTestSupport.h"

namespace {

using namespace Tessel::Testing;

constexpr double kPage = 100000;
constexpr double kTolerance = 5;

// Random artwork with stroke outlines (curved, dashed, all caps and joins) and text (glyphs of
// arcs and overlapping strokes, holes reversed) added: the map keeps every invariant, and the
// fill found at random points is the set of shapes covering them.
TEST(PlanarMapProperty, StrokedArtworkKeepsEveryInvariant) {
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(static_cast<unsigned>(seed) + 1000);
    Artwork artwork = RandomArtwork(random, 4 + seed % 6, kPage);
    std::uniform_real_distribution<double> position(0, kPage), width(50, 3000);
    for (int i = 0; i < 4; ++i) {
      Vexl::Subpath curve({position(random), position(random)}, i % 3 == 0);
      curve.CubicTo({position(random), position(random)}, {position(random), position(random)},
                    {position(random), position(random)});
      curve.LineTo({position(random), position(random)});
      Vexl::StrokeParameters pen;
      pen.width = width(random);
      pen.cap = static_cast<Vexl::CapStyle>(i % 3);
      pen.join = static_cast<Vexl::JoinStyle>((i + 1) % 3);
      if (i % 2) pen.dashes = {pen.width * 4, pen.width * 2};
      auto outline = std::make_shared<const Vexl::Compound>(
          Vexl::OutlineStroke(Vexl::Compound({curve}), pen, {}, kTolerance));
      artwork.shapes.push_back({outline, Vexl::FillRule::NonZero});
      artwork.attributes.push_back(std::make_unique<Element>());
    }
    std::uniform_real_distribution<double> height(4, 30), angle(0, 6.3);
    for (int i = 0; i < 2; ++i) {
      const auto place = Vexl::Transformation::Rotation(angle(random)) *
                         Vexl::Transformation::Translation(position(random), position(random));
      auto glyphs = std::make_shared<const Vexl::Compound>(*Corvel::Examples::Lettering("CORVEL", height(random)) * place);
      artwork.shapes.push_back({glyphs, Vexl::FillRule::NonZero});
      artwork.attributes.push_back(std::make_unique<Element>());
    }
    const auto graph = TesselFixed::Build(MakeInput(artwork), {kTolerance});
    ExpectValidPlanarMap(*graph);
    std::uniform_real_distribution<double> coordinate(0, kPage);
    for (int i = 0; i < 100; ++i) {
      const Vexl::Point p{coordinate(random), coordinate(random)};
      const TesselFixed::Region* region = RegionAt(*graph, p, 2 * kTolerance);
      if (!region) continue;
      std::vector<const Tessel::TElementAttribute*> expected;
      for (std::size_t k = 0; k < artwork.shapes.size(); ++k) {
        if (Vexl::Contains(*artwork.shapes[k].compound, p, artwork.shapes[k].rule)) {
          expected.push_back(artwork.attributes[k].get());
        }
      }
      ASSERT_EQ(AttributesOf(*region->GetFill()), expected) << "at " << p.x << ", " << p.y;
    }
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
