// Element coverage scanned row by row against point containment computed directly from the
// outlines (Vexl::Contains): polygons and stars (self-intersecting, both fill rules), rows along
// x and at an angle, and clips of the element and of its groups.
#include <gtest/gtest.h>

#include <random>

#include <sampling/ElementCoverage.h>
#include <vexl/Measure.h>

#include "../tessel/TesselTestSupport.h"

namespace {

using namespace Tessel::Testing;

constexpr double kCoveragePage = 100000;  // millipoints
constexpr std::size_t kCoverageWidth = 97;

// Polygons only: their edges are exact, so the scan must agree with containment everywhere.
CompoundPtr RandomPolygonal(std::mt19937& random) {
  std::uniform_real_distribution<double> at(10000, 90000), size(3000, 40000);
  switch (random() % 3) {
    case 0: return Rectangle(at(random), at(random), size(random), size(random));
    case 1: return Star(at(random), at(random), size(random), 5 + static_cast<int>(random() % 3));
    default: {
      std::vector<Vexl::Point> points;
      for (int i = 0; i < 7; ++i) points.push_back({at(random), at(random)});
      return Polygon(points);
    }
  }
}

bool InsideAll(const std::vector<Tessel::Outline>& outlines, Vexl::Point p) {
  for (const auto& o : outlines)
    if (!Vexl::Contains(*o.compound, p, o.rule)) return false;
  return true;
}

// Rows of the element at random places and angles, against containment at each centre.
void ExpectRowsMatch(const Sampling::ElementCoverage& coverage, std::uint32_t node,
                     const std::vector<Tessel::Outline>& outlines, std::mt19937& random,
                     bool alongX) {
  std::uniform_real_distribution<double> at(0, kCoveragePage), angle(0, 6.283);
  for (int row = 0; row < 40; ++row) {
    const Vexl::Point start{at(random) * 0.2 + 0.37, at(random) + 0.61};
    const double turn = alongX ? 0 : angle(random), length = kCoveragePage / kCoverageWidth;
    const Vexl::Point step{length * std::cos(turn), alongX ? 0 : length * std::sin(turn)};
    std::vector<float> shape(kCoverageWidth, 1.0f);
    coverage.CoverRow(node, start, step, kCoverageWidth, shape.data());
    for (std::size_t i = 0; i < kCoverageWidth; ++i) {
      const Vexl::Point p{start.x + double(i) * step.x, start.y + double(i) * step.y};
      ASSERT_EQ(shape[i], InsideAll(outlines, p) ? 1.0f : 0.0f)
          << "pixel " << i << " at (" << p.x << ", " << p.y << ")";
    }
  }
}

TEST(ElementCoverage, RowsAgreeWithContainmentForBothRulesAndAnyAngle) {
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    Element attribute;
    Tessel::Input input;
    std::vector<std::vector<Tessel::Outline>> outlines;
    for (int i = 0; i < 4; ++i) {
      const auto rule = random() % 2 ? Vexl::FillRule::EvenOdd : Vexl::FillRule::NonZero;
      outlines.push_back({{RandomPolygonal(random), rule}});
      input.AddElement(&attribute, outlines.back().front());
    }
    const std::vector<std::uint32_t> nodes{0, 1, 2, 3};
    const Sampling::ElementCoverage coverage(input, nodes, 1);
    for (std::uint32_t n = 0; n < 4; ++n) {
      ExpectRowsMatch(coverage, n, outlines[n], random, true);
      ExpectRowsMatch(coverage, n, outlines[n], random, false);
    }
  }
}

TEST(ElementCoverage, ClipsOfTheElementAndItsGroupsNarrowIt) {
  std::mt19937 random(7);
  Element attribute;
  Group group;
  Tessel::Input input;
  const Tessel::Outline groupClip{Star(50000, 50000, 45000, 5), Vexl::FillRule::EvenOdd};
  const Tessel::Outline ownClip{Rectangle(20000, 0, 50000, kCoveragePage), Vexl::FillRule::NonZero};
  const Tessel::Outline shape{Circle(50000, 50000, 40000), Vexl::FillRule::NonZero};
  input.BeginGroup(&group, {groupClip});
  const auto node = input.AddElement(&attribute, shape, {false, {ownClip}, "clipped"});
  input.EndGroup();
  const std::vector<std::uint32_t> nodes{node};
  // The circle is cut into chords within 0.01 millipoint: far below the probes' spacing.
  const Sampling::ElementCoverage coverage(input, nodes, 0.01);
  const auto bounds = coverage.Bounds(node);
  EXPECT_NEAR(bounds.Left(), 20000, 1);
  EXPECT_NEAR(bounds.Right(), 70000, 1);
  ExpectRowsMatch(coverage, node, {shape, ownClip, groupClip}, random, true);
}

TEST(ElementCoverage, RefusesNodesThatAreNotElements) {
  Group group;
  Element attribute;
  Tessel::Input input;
  input.BeginGroup(&group);
  input.AddElement(&attribute, {Rectangle(0, 0, 10, 10)});
  input.EndGroup();
  const std::vector<std::uint32_t> groupNode{0};
  EXPECT_THROW(Sampling::ElementCoverage(input, groupNode, 1), std::invalid_argument);
  const Sampling::ElementCoverage coverage(input, std::vector<std::uint32_t>{1}, 1);
  float shape = 1;
  EXPECT_THROW(coverage.CoverRow(0, {0, 0}, {1, 0}, 1, &shape), std::out_of_range);
}

}  // namespace
