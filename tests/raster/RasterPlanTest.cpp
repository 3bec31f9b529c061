#include <raster/FillRasterizer.h>

#include <gtest/gtest.h>

#include "RasterTestSupport.h"

namespace {

using namespace RasterTest;
using namespace MavDoc::Build;
using PixelRect = MavMath::Rectangle<long long>;

// Every covered region of the page, in the map's order.
std::vector<const TesselFixed::Region*> CoveredRegions(const RasterPage& page) {
  std::vector<const TesselFixed::Region*> regions;
  for (const auto* region : page.Graph().GetTesselGraph()->GetRegions()) {
    if (region->GetFill()->NElements() > 0) regions.push_back(region);
  }
  return regions;
}

TEST(PlanRasterJobs, TwoSmallNeighboursAreRenderedAsOne) {
  RasterPage page;
  Add(page.content, FilledRectangle(Box(10000, 10000, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  Add(page.content, FilledRectangle(Box(20000, 10000, 10000, 10000), Flat({{"Magenta", 1.0f}})));
  page.Map();
  const auto regions = CoveredRegions(page);
  ASSERT_EQ(regions.size(), 2u);
  // One pixel per point: each region is 10 × 10 px. With 4 inks each costs 10·4·10 + 16384 =
  // 16784; their 20 × 10 union costs 20·4·10 + 16384 = 17184 < 33568.
  const MavSc::Environment environment(Box(0, 0, 100000, 100000), 100, 100);
  const auto jobs = Corvel::PlanRasterJobs(page.Graph(), regions, Vexl::Transformation::Identity(),
                                           environment, 4);
  ASSERT_EQ(jobs.size(), 1u);
  // Rows count from the top: y 10..20 pt is rows 80..90.
  EXPECT_EQ(jobs[0].pixelRect, (PixelRect{10, 80, 30, 90}));
  EXPECT_EQ(jobs[0].clip->GetSubpaths().size(), 2u);
  EXPECT_NEAR(Area(*jobs[0].clip), 2 * 10000.0 * 10000.0, 1);
}

TEST(PlanRasterJobs, LargeDistantTilesStayApart) {
  RasterPage page;
  Add(page.content, FilledRectangle(Box(60000, 0, 20000, 20000), Flat({{"Magenta", 1.0f}})));
  Add(page.content, FilledRectangle(Box(0, 0, 20000, 20000), Flat({{"Cyan", 1.0f}})));
  page.Map();
  const auto regions = CoveredRegions(page);
  ASSERT_EQ(regions.size(), 2u);
  // Ten pixels per point: 200 × 200 px each, 400 px apart. Apart: 2 · (200·4·200 + 16384);
  // together 800·4·200 + 16384, far more.
  const MavSc::Environment environment(Box(0, 0, 100000, 100000), 1000, 1000);
  const auto jobs = Corvel::PlanRasterJobs(page.Graph(), regions, Vexl::Transformation::Identity(),
                                           environment, 4);
  ASSERT_EQ(jobs.size(), 2u);
  // Ordered by left edge.
  EXPECT_EQ(jobs[0].pixelRect, (PixelRect{0, 800, 200, 1000}));
  EXPECT_EQ(jobs[1].pixelRect, (PixelRect{600, 800, 800, 1000}));
  for (const auto& job : jobs) EXPECT_NEAR(Area(*job.clip), 20000.0 * 20000.0, 1);
}

TEST(PlanRasterJobs, RegionsOffTheGridMakeNoJob) {
  RasterPage page;
  Add(page.content, FilledRectangle(Box(10000, 10000, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  page.Map();
  // A grid over the upper half of the page only.
  const MavSc::Environment environment(Box(0, 50000, 100000, 50000), 100, 50);
  EXPECT_TRUE(Corvel::PlanRasterJobs(page.Graph(), CoveredRegions(page), Vexl::Transformation::Identity(),
                                     environment, 4)
                  .empty());
}

}  // namespace
