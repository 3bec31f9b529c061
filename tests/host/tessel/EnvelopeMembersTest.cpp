#include <tessel/Envelope.h>

#include <random>

#include <gtest/gtest.h>

#include "TesselTestSupport.h"

namespace {

using namespace Tessel::Testing;

// Unions of random region sets agree loop for loop whether members are named by a predicate
// over the whole map or listed.
TEST(Envelope, MemberListAgreesWithPredicate) {
  const unsigned seed = 20261206;
  SCOPED_TRACE(seed);
  std::mt19937 random(seed);
  const Artwork artwork = RandomArtwork(random, 12, 100000);
  const auto input = MakeInput(artwork);
  const auto graph = TesselFixed::Build(input);
  const auto& regions = graph->GetRegions();
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<const TesselFixed::Region*> members;
    for (const auto* region : regions) {
      if (!region->IsUnbounded() && random() % 3 == 0) members.push_back(region);
    }
    const auto listed = TesselFixed::Envelope::Create(
        graph, std::span<const TesselFixed::Region* const>(members));
    const auto predicated = TesselFixed::Envelope::Create(graph, [&](const TesselFixed::Region* r) {
      return std::find(members.begin(), members.end(), r) != members.end();
    });
    double expected = 0;
    for (const auto* region : members) expected += region->GetArea();
    EXPECT_NEAR(listed.GetArea(), expected, 1e-6 * std::max(1.0, expected));
    EXPECT_EQ(listed.NLoops(), predicated.NLoops());
    EXPECT_NEAR(listed.GetArea(), predicated.GetArea(), 1e-9 * std::max(1.0, expected));
  }
}

}  // namespace
