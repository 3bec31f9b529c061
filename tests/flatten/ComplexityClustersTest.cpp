// Clusters of the complexity budget: which elements must be flattened together, what a
// cluster costs, and the input that is mapped once the rendered clusters are left out.
#include <gtest/gtest.h>

#include <flatten/ComplexityClusters.h>

#include "../host/tessel/TesselTestSupport.h"

namespace {

using namespace Tessel::Testing;
using Kind = Tessel::Input::TObject::Kind;

std::vector<std::vector<std::uint32_t>> ElementsOf(const std::vector<Corvel::InputCluster>& clusters) {
  std::vector<std::vector<std::uint32_t>> out;
  for (const auto& c : clusters) out.push_back(c.elements);
  return out;
}

TEST(ComplexityClusters, OverlapJoinsAndCostGrowsWithThePairsSegments) {
  Element attribute;
  Tessel::Input input;
  input.AddElement(&attribute, {Rectangle(0, 0, 10000, 10000)});
  input.AddElement(&attribute, {Rectangle(50000, 50000, 10000, 10000)});  // apart
  input.AddElement(&attribute, {Rectangle(5000, 5000, 10000, 10000)});    // meets the first
  const auto clusters = Corvel::FindInputClusters(input);
  ASSERT_EQ(ElementsOf(clusters), (std::vector<std::vector<std::uint32_t>>{{0, 2}, {1}}));
  const double alone = clusters[1].cost;  // one rectangle: its segments
  EXPECT_GE(alone, 4);
  EXPECT_DOUBLE_EQ(clusters[0].cost, 2 * alone + alone * alone);
  EXPECT_DOUBLE_EQ(clusters[0].bounds.Right(), 15000);
  // A curve weighs more than a line: four cubics cost more than four lines.
  Tessel::Input round;
  round.AddElement(&attribute, {Circle(0, 0, 5000)});
  EXPECT_GT(Corvel::FindInputClusters(round).front().cost, alone);
}

TEST(ComplexityClusters, GroupsWithEffectsAndSoftMasksHoldTheirArtworkTogether) {
  Element attribute;
  Group isolated;
  SoftMask mask;
  Tessel::Input input;
  input.BeginGroup(nullptr);  // plain: its members are judged apart
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)});
  input.AddElement(&attribute, {Rectangle(90000, 0, 1000, 1000)});
  input.EndGroup();
  input.BeginGroup(&isolated);  // transparent: one cluster, however far apart
  input.AddElement(&attribute, {Rectangle(0, 50000, 1000, 1000)});
  input.AddElement(&attribute, {Rectangle(90000, 50000, 1000, 1000)});
  input.EndGroup();
  input.BeginSoftMask(&mask);  // mask artwork far from its target
  input.AddElement(&attribute, {Rectangle(0, 90000, 1000, 1000)});
  input.EndSoftMask();
  input.AddElement(&attribute, {Rectangle(90000, 90000, 1000, 1000)});
  const auto clusters = Corvel::FindInputClusters(input);
  EXPECT_EQ(ElementsOf(clusters),
            (std::vector<std::vector<std::uint32_t>>{{1}, {2}, {4, 5}, {7, 8}}));
}

TEST(ComplexityClusters, InputWithoutKeepsTheRestAndDropsWhatIsLeftEmpty) {
  Element attribute;
  Group isolated;
  SoftMask mask;
  Tessel::Input input;
  input.BeginGroup(&isolated, {{Rectangle(0, 0, 5000, 5000)}}, "kept group");
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)});        // 1 kept
  input.AddElement(&attribute, {Rectangle(500, 500, 1000, 1000)});    // 2 removed
  input.EndGroup();
  input.BeginGroup(&isolated, {}, "emptied group");
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)});        // 4 removed
  input.EndGroup();
  input.BeginSoftMask(&mask);
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)});        // 6 removed
  input.EndSoftMask();
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)}, {true, {}, "masked"});  // 7 removed
  input.AddElement(&attribute, {Rectangle(0, 0, 1000, 1000)}, {true, {}, "last"});    // 8 kept
  std::vector<bool> removed(input.GetNodes().size(), false);
  for (std::uint32_t n : {2u, 4u, 6u, 7u}) removed[n] = true;
  const Tessel::Input out = Corvel::InputWithout(input, removed);
  const auto& nodes = out.GetNodes();
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].kind, Kind::Group);
  EXPECT_EQ(nodes[0].name, "kept group");
  EXPECT_EQ(nodes[0].clips.size(), 1u);
  EXPECT_EQ(nodes[1].parent, 0u);
  EXPECT_EQ(nodes[2].parent, Tessel::Input::kNone);
  EXPECT_EQ(nodes[2].name, "last");
  EXPECT_TRUE(nodes[2].isStroke);
}

TEST(ComplexityClusters, BalanceScalesTheBudgetAndZeroRendersEverything) {
  EXPECT_DOUBLE_EQ(Corvel::BalancedBudget(8e6, 100), 8e6);
  EXPECT_DOUBLE_EQ(Corvel::BalancedBudget(8e6, 50), 1e6);
  EXPECT_LT(Corvel::BalancedBudget(8e6, 0), 0);  // below any cluster's cost
  EXPECT_THROW(Corvel::BalancedBudget(8e6, 101), std::invalid_argument);
}

}  // namespace
