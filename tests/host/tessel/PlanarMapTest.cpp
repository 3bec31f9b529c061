#include <gtest/gtest.h>

#include <cmath>

#include "TesselTestSupport.h"

namespace Tessel::Testing {
namespace {

using TesselFixed::Build;
using TesselFixed::Graph;
using TesselFixed::Region;

std::shared_ptr<const Graph> BuildChecked(const Input& input) {
  auto graph = Build(input);
  ExpectValidPlanarMap(*graph);
  return graph;
}

// Total area of the bounded regions whose fill lists `attribute`.
double CoveredArea(const Graph& graph, const TElementAttribute* attribute) {
  double area = 0;
  for (const Region* region : graph.GetRegions()) {
    const auto attributes = AttributesOf(*region->GetFill());
    if (std::find(attributes.begin(), attributes.end(), attribute) != attributes.end()) area += region->GetArea();
  }
  return area;
}

std::size_t CountWithFill(const Graph& graph, int elements) {
  std::size_t count = 0;
  for (const Region* region : graph.GetRegions()) count += region->GetFill()->NElements() == elements;
  return count;
}

TEST(PlanarMap, EmptyInputGivesOnlyTheUnboundedRegion) {
  const auto graph = BuildChecked(Input());
  ASSERT_EQ(graph->GetRegions().size(), 1u);
  EXPECT_TRUE(graph->GetRegions()[0]->IsUnbounded());
  EXPECT_TRUE(graph->GetRegions()[0]->GetContours().empty());
  EXPECT_EQ(graph->GetRegions()[0]->GetFill()->NElements(), 0);
}

TEST(PlanarMap, BoundsAloneGiveAnUncoveredRegionAndTheOutside) {
  Input input;
  input.SetBounds({0, 0, 1000, 500, false});
  const auto graph = BuildChecked(input);
  ASSERT_EQ(graph->GetRegions().size(), 2u);
  EXPECT_EQ(graph->GetRegions()[0]->GetFill(), graph->GetRegions()[1]->GetFill());
  const Region* inside = graph->GetRegions()[0]->IsUnbounded() ? graph->GetRegions()[1] : graph->GetRegions()[0];
  EXPECT_DOUBLE_EQ(inside->GetArea(), 500000.0);
}

TEST(PlanarMap, OverlappingSquaresGiveThreeCoveredRegions) {
  Element a, b;
  Input input;
  input.AddElement(&a, {Rectangle(0, 0, 100, 100)});
  input.AddElement(&b, {Rectangle(50, 50, 100, 100)});
  const auto graph = BuildChecked(input);
  EXPECT_EQ(graph->GetRegions().size(), 4u);
  EXPECT_EQ(CountWithFill(*graph, 2), 1u);
  EXPECT_DOUBLE_EQ(CoveredArea(*graph, &a), 10000.0);
  EXPECT_DOUBLE_EQ(CoveredArea(*graph, &b), 10000.0);
  const Region* both = RegionAt(*graph, {75, 75}, 1);
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(AttributesOf(*both->GetFill()), (std::vector<const TElementAttribute*>{&a, &b}));
  EXPECT_DOUBLE_EQ(both->GetArea(), 2500.0);
}

TEST(PlanarMap, RingHasAHoleHoldingAnUncoveredRegion) {
  Element ring;
  Vexl::Compound outer = *Circle(0, 0, 10000), inner = *Circle(0, 0, 4000);
  std::vector<Vexl::Subpath> subpaths = outer.GetSubpaths();
  subpaths.push_back(inner.GetSubpaths()[0]);
  Input input;
  input.AddElement(&ring, {std::make_shared<const Vexl::Compound>(subpaths), Vexl::FillRule::EvenOdd});
  const auto graph = BuildChecked(input);
  ASSERT_EQ(graph->GetRegions().size(), 3u);
  const Region* covered = RegionAt(*graph, {7000, 0}, 1);
  const Region* hole = RegionAt(*graph, {0, 0}, 1);
  ASSERT_TRUE(covered && hole);
  EXPECT_EQ(covered->GetContours().size(), 2u);
  EXPECT_TRUE(covered->GetContours()[0].IsOuter());
  EXPECT_FALSE(covered->GetContours()[1].IsOuter());
  EXPECT_EQ(hole->GetFill()->NElements(), 0);
  EXPECT_FALSE(hole->IsUnbounded());
  EXPECT_NEAR(covered->GetArea(), M_PI * (1e8 - 1.6e7), M_PI * 14000 * 2 * 5.0);
}

TEST(PlanarMap, SquaresTouchingAtACornerStaySeparateRegions) {
  Element e;
  Vexl::Compound first = *Rectangle(0, 0, 100, 100), second = *Rectangle(100, 100, 100, 100);
  std::vector<Vexl::Subpath> subpaths{first.GetSubpaths()[0], second.GetSubpaths()[0]};
  Input input;
  input.AddElement(&e, {std::make_shared<const Vexl::Compound>(subpaths)});
  const auto graph = BuildChecked(input);
  EXPECT_EQ(CountWithFill(*graph, 1), 2u);
}

TEST(PlanarMap, StarFillRulesDecideTheCentre) {
  Element e;
  for (const auto rule : {Vexl::FillRule::NonZero, Vexl::FillRule::EvenOdd}) {
    Input input;
    input.AddElement(&e, {Star(0, 0, 10000, 5), rule});
    const auto graph = BuildChecked(input);
    const Region* centre = RegionAt(*graph, {0, 0}, 1);
    ASSERT_NE(centre, nullptr);
    EXPECT_EQ(centre->GetFill()->NElements(), rule == Vexl::FillRule::NonZero ? 1 : 0);
    // Non-zero: the whole star is one region; even-odd: five spikes around an uncovered centre.
    EXPECT_EQ(CountWithFill(*graph, 1), rule == Vexl::FillRule::NonZero ? 1u : 5u);
  }
}

TEST(PlanarMap, DuplicatesAndSharedEdgesNeitherLoseNorDoubleArea) {
  std::vector<std::unique_ptr<Element>> elements;
  Input input;
  for (int i = 0; i < 50; ++i) {
    elements.push_back(std::make_unique<Element>());
    input.AddElement(elements.back().get(), {Rectangle(1000 * (i % 5), 0, 1000, 1000)});
  }
  const auto graph = BuildChecked(input);
  EXPECT_EQ(CountWithFill(*graph, 10), 5u);
  for (const auto& element : elements) EXPECT_DOUBLE_EQ(CoveredArea(*graph, element.get()), 1e6);
}

TEST(PlanarMap, ZeroAreaSubpathsAddNoRegion) {
  Element e;
  Input input;
  input.AddElement(&e, {Polygon({{0, 0}, {1000, 1000}, {0, 0}})});
  input.AddElement(&e, {Polygon({{5, 5}, {5, 5}, {5, 5}})});
  const auto graph = BuildChecked(input);
  EXPECT_EQ(graph->GetRegions().size(), 1u);
}

TEST(PlanarMap, ClipsAndGroupClipsCutCoverage) {
  Element e;
  Group g;
  Input input;
  input.BeginGroup(&g, {{Rectangle(0, 0, 600, 1000)}});
  input.AddElement(&e, {Rectangle(0, 0, 1000, 1000)}, {false, {{Rectangle(0, 0, 1000, 500)}}, "clipped"});
  input.EndGroup();
  const auto graph = BuildChecked(input);
  EXPECT_DOUBLE_EQ(CoveredArea(*graph, &e), 300000.0);
}

TEST(PlanarMap, BoundsClipEverythingAndShapesFarOutsideDisappear) {
  Element inside, far, around;
  Input input;
  input.SetBounds({0, 0, 1000, 1000, false});
  input.AddElement(&around, {Rectangle(-5e6, -5e6, 1e7, 1e7)});
  input.AddElement(&far, {Circle(3e7, 3e7, 1000)});
  input.AddElement(&inside, {Rectangle(500, 500, 2000, 2000)});
  const auto graph = BuildChecked(input);
  EXPECT_DOUBLE_EQ(CoveredArea(*graph, &around), 1e6);
  EXPECT_DOUBLE_EQ(CoveredArea(*graph, &inside), 250000.0);
  EXPECT_EQ(CoveredArea(*graph, &far), 0.0);
  double total = 0;
  for (const Region* region : graph->GetRegions()) total += region->GetArea();
  EXPECT_DOUBLE_EQ(total, 1e6);
}

TEST(PlanarMap, PencilOfTrianglesThroughOnePointKeepsItsArea) {
  Element e;
  Input input;
  double expected = 0;
  const auto blades = Pencil(0, 0, 50000, 40);
  for (const auto& blade : blades) input.AddElement(&e, {blade});
  for (const auto& blade : blades) {
    const auto& p = blade->GetSubpaths()[0];
    const Vexl::Point a = p.GetStart(), b = p.GetSegments()[0].end, c = p.GetSegments()[1].end;
    expected += 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
  }
  const auto graph = BuildChecked(input);
  // Every blade is its own region; the grid moves each corner by at most 1/32 millipoint.
  EXPECT_NEAR(CoveredArea(*graph, &e), expected, 40 * 100000 / 32.0);
  EXPECT_EQ(CountWithFill(*graph, 1), 40u);
}

TEST(PlanarMap, BadCoordinatesAreRejectedNamingTheObject) {
  Element e;
  Input input;
  input.AddElement(&e, {Rectangle(0, 0, 10, 10)});
  input.AddElement(&e, {Polygon({{0, 0}, {NAN, 5}, {5, 5}})}, {false, {}, "bad"});
  try {
    Build(input);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("element 1 'bad'"), std::string::npos) << error.what();
  }
  EXPECT_THROW(Build(Input(), {0.0}), std::invalid_argument);
  Input open;
  open.BeginGroup(nullptr);
  EXPECT_THROW(Build(open), std::logic_error);
  Input unmasked;
  unmasked.BeginSoftMask(nullptr);
  unmasked.EndSoftMask();
  EXPECT_THROW(unmasked.EndGroup(), std::logic_error);
}

// Geometry beyond the fixed range is folded onto a box around the bounds: what lies inside the
// bounds keeps its exact area and winding, whatever the outline does far away.
TEST(PlanarMap, GeometryBeyondTheRangeKeepsWhatLiesInsideTheBounds) {
  Element wide, loop, hole;
  Input input;
  input.SetBounds({0, 0, 1000, 500, false});
  input.AddElement(&wide, {Rectangle(-1e9, -1e9, 2e9, 2e9)});
  // A triangle whose far corners lie 10^9 away on both sides: inside the bounds, the strip
  // below the line y = x / 4 + 100.
  input.AddElement(&loop, {Polygon({{-1e9, -2.5e8 + 100}, {1e9, 2.5e8 + 100}, {1e9, -1e9}, {-1e9, -1e9}})});
  // An even-odd ring far bigger than the range whose hole holds the bounds: covers nothing.
  auto ring = Rectangle(-2e9, -2e9, 4e9, 4e9)->GetSubpaths();
  const auto inner = Rectangle(-1.5e9, -1.5e9, 3e9, 3e9)->GetSubpaths();
  ring.insert(ring.end(), inner.begin(), inner.end());
  input.AddElement(&hole, {std::make_shared<const Vexl::Compound>(ring), Vexl::FillRule::EvenOdd});
  auto graph = Build(input);
  ExpectValidPlanarMap(*graph);
  EXPECT_NEAR(CoveredArea(*graph, &wide), 500000.0, 1);
  EXPECT_NEAR(CoveredArea(*graph, &loop), 1000 * 100 + 1000 * 1000 / 8.0, 2);
  EXPECT_NEAR(CoveredArea(*graph, &hole), 0.0, 1);
}

TEST(PlanarMap, SameInputGivesTheSameMap) {
  std::mt19937 random(7);
  const Artwork artwork = RandomArtwork(random, 30, 100000);
  const auto first = Build(MakeInput(artwork)), second = Build(MakeInput(artwork));
  ASSERT_EQ(first->GetRegions().size(), second->GetRegions().size());
  for (std::size_t i = 0; i < first->GetRegions().size(); ++i) {
    const auto a = first->GetRegions()[i]->GetContours(), b = second->GetRegions()[i]->GetContours();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t c = 0; c < a.size(); ++c) {
      ASSERT_EQ(a[c].GetBorders().size(), b[c].GetBorders().size());
      for (std::size_t k = 0; k < a[c].GetBorders().size(); ++k) {
        ASSERT_EQ(a[c].GetBorders()[k].GetPoint(0), b[c].GetBorders()[k].GetPoint(0));
      }
    }
  }
}

}  // namespace
}  // namespace Tessel::Testing
