// Areas measured by spans: unions, fill rules and clips against areas counted independently
// (unit cells of a grid, the circle's formula, the square's side).
#include <cli/AreaSpans.h>
#include <gtest/gtest.h>
#include <vexl/Measure.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

using CorvelCli::AreaShape;
using CorvelCli::FilledOutline;
using CorvelCli::UnionAreaInSquarePoints;

constexpr double kPoint = 1000;  // millipoints
const Vexl::Rectangle kPage{0, 0, 595 * kPoint, 842 * kPoint};

FilledOutline Outline(const Vexl::Compound& compound,
                      Vexl::FillRule rule = Vexl::FillRule::NonZero) {
  return CorvelCli::MakeFilledOutline(compound, Vexl::Transformation::Identity(), rule);
}

AreaShape Box(double x, double y, double w, double h) {
  return {Outline(*Vexl::MakeRectangle({x * kPoint, y * kPoint, w * kPoint, h * kPoint})), {}};
}

TEST(AreaSpans, UnionOfRandomRectanglesIsTheCountOfCoveredUnitCells) {
  const unsigned seed = 20261207;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> position(0, 60), size(1, 30);
  for (int round = 0; round < 20; ++round) {
    std::vector<AreaShape> shapes;
    std::vector<bool> cells(100 * 100, false);
    const int count = 1 + round % 7;
    for (int i = 0; i < count; ++i) {
      const int x = position(random), y = position(random), w = size(random), h = size(random);
      shapes.push_back(Box(x, y, w, h));
      for (int cx = x; cx < x + w; ++cx)
        for (int cy = y; cy < y + h; ++cy) cells[cy * 100 + cx] = true;
    }
    const double expected = double(std::count(cells.begin(), cells.end(), true));
    EXPECT_NEAR(UnionAreaInSquarePoints(shapes, kPage), expected, 1e-6)
        << "seed " << seed << ", round " << round;
  }
}

TEST(AreaSpans, ClipsLimitTheirObjectToTheirIntersection) {
  AreaShape shape = Box(100, 100, 100, 100);
  shape.clips.push_back(std::make_shared<FilledOutline>(Box(150, 50, 200, 200).painted));
  EXPECT_NEAR(UnionAreaInSquarePoints({shape}, kPage), 50 * 100, 1e-6);
  shape.clips.push_back(std::make_shared<FilledOutline>(Box(0, 180, 400, 100).painted));
  EXPECT_NEAR(UnionAreaInSquarePoints({shape}, kPage), 50 * 20, 1e-6);
  shape.clips.push_back(std::make_shared<FilledOutline>(Box(0, 0, 10, 10).painted));
  EXPECT_EQ(UnionAreaInSquarePoints({shape}, kPage), 0);
}

// Many stripes up the whole page under one clip shared by all of them, as a page's objects
// share their group's clip: each stripe counts where it meets the clip, however far apart.
TEST(AreaSpans, ManyShapesUnderOneSharedClipCountWhereTheyMeetIt) {
  const auto clip = std::make_shared<FilledOutline>(Box(100, 50.25, 200, 750).painted);
  std::vector<AreaShape> stripes;
  double expected = 0;
  for (int i = 0; i < 140; ++i) {
    const double bottom = 6.0 * i, top = bottom + 4;
    AreaShape stripe = Box(0, bottom, 595, 4);
    stripe.clips.push_back(clip);
    stripes.push_back(stripe);
    expected += 200 * std::max(0.0, std::min(top, 800.25) - std::max(bottom, 50.25));
  }
  EXPECT_NEAR(UnionAreaInSquarePoints(stripes, kPage), expected, 1e-6);
  // Every stripe under the clip, and the same ones again: the union counts once.
  stripes.insert(stripes.end(), stripes.begin(), stripes.end());
  EXPECT_NEAR(UnionAreaInSquarePoints(stripes, kPage), expected, 1e-6);
}

TEST(AreaSpans, FillRulesDecideWhetherANestedLoopIsAHole) {
  // Two loops of the same direction, one inside the other.
  std::vector<Vexl::Subpath> loops;
  for (const auto& loop :
       {*Vexl::MakeRectangle({0, 0, 100 * kPoint, 100 * kPoint}),
        *Vexl::MakeRectangle({20 * kPoint, 20 * kPoint, 50 * kPoint, 50 * kPoint})})
    loops.push_back(loop.GetSubpaths().front());
  const Vexl::Compound nested(loops);
  EXPECT_NEAR(UnionAreaInSquarePoints({{Outline(nested), {}}}, kPage), 10000, 1e-6);
  EXPECT_NEAR(UnionAreaInSquarePoints({{Outline(nested, Vexl::FillRule::EvenOdd), {}}}, kPage),
              7500, 1e-6);
}

TEST(AreaSpans, OnlyWhatLiesOnThePageCounts) {
  EXPECT_NEAR(UnionAreaInSquarePoints({Box(-50, -50, 100, 100)}, kPage), 2500, 1e-6);
  EXPECT_EQ(UnionAreaInSquarePoints({Box(600, 0, 100, 100)}, kPage), 0);
  EXPECT_EQ(UnionAreaInSquarePoints({}, kPage), 0);
}

// Curves become chords within the polyline tolerance, so a curve's area may fall short by up to
// that tolerance along its length; slanted straight edges measure exactly but for the lines'
// spacing.
TEST(AreaSpans, CurvesAndSlantedEdgesMeasureAsTheirOutlinesAreLong) {
  const unsigned seed = 7;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> radius(5, 200), angle(0, std::numbers::pi),
      centre(250, 350);
  for (int round = 0; round < 10; ++round) {
    const double r = radius(random);
    const auto circle = Vexl::MakeEllipse({centre(random) * kPoint, centre(random) * kPoint},
                                          r * kPoint, r * kPoint);
    // Green's theorem on the cubics themselves, no polylines or lines.
    const double exact = Vexl::SignedArea(*circle) / (kPoint * kPoint);
    EXPECT_NEAR(exact, std::numbers::pi * r * r, 1e-3 * exact);
    const double shortfall =
        2 * std::numbers::pi * r * CorvelCli::kPolylineToleranceInMillipoints / kPoint;
    EXPECT_NEAR(UnionAreaInSquarePoints({{Outline(*circle), {}}}, kPage), exact, shortfall)
        << "seed " << seed << ", radius " << r;
    // A square of side r turned about its corner, then moved onto the page.
    const auto turned = Vexl::Transformation::Rotation(angle(random)) *
                        Vexl::Transformation::Translation(300 * kPoint, 400 * kPoint);
    const auto square = CorvelCli::MakeFilledOutline(
        *Vexl::MakeRectangle({0, 0, r * kPoint, r * kPoint}), turned, Vexl::FillRule::NonZero);
    EXPECT_NEAR(UnionAreaInSquarePoints({{square, {}}}, kPage), r * r, 1e-4 * r * r)
        << "seed " << seed;
  }
}

}  // namespace
