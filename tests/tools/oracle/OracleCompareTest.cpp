// Comparing separation renders: made by hand here, so that every count is known exactly.
#include <gtest/gtest.h>
#include <tools/oracle/Comparison.h>

namespace {

using CorvelOracle::Plane;
using CorvelOracle::SeparationRender;

constexpr int kSize = 30;

// A kSize² plane with `ink` on columns [left, left + 10) and rows [5, 15).
Plane Square(const std::string& name, int left, std::uint8_t ink = 255) {
  Plane plane{name, kSize, kSize, std::vector<std::uint8_t>(kSize * kSize, 0)};
  for (int row = 5; row < 15; ++row) {
    for (int column = left; column < left + 10; ++column) plane.ink[row * kSize + column] = ink;
  }
  return plane;
}

SeparationRender Render(std::vector<Plane> planes) {
  return SeparationRender(kSize, kSize, 72, std::move(planes));
}

const CorvelOracle::SeparationDifference& Find(const CorvelOracle::Comparison& c,
                                               const std::string& name) {
  for (const auto& s : c.separations) {
    if (s.name == name) return s;
  }
  throw std::out_of_range("no separation " + name);
}

TEST(OracleCompare, RenderAgreesWithItself) {
  const auto render = Render({Square("Cyan", 5), Square("PANTONE 123 C", 12, 100)});
  const auto comparison = CorvelOracle::Compare(render, render);
  EXPECT_TRUE(comparison.Agrees());
  ASSERT_EQ(comparison.separations.size(), 2u);
  for (const auto& s : comparison.separations) {
    EXPECT_EQ(s.maxDifference, 0) << s.name;
    EXPECT_EQ(s.pixelsOver, 0u) << s.name;
    EXPECT_GT(s.pixelsCompared, 0u) << s.name;
  }
}

TEST(OracleCompare, ShiftWithinTheOutlineBandAgrees) {
  const auto comparison =
      CorvelOracle::Compare(Render({Square("Cyan", 5)}), Render({Square("Cyan", 6)}));
  EXPECT_TRUE(comparison.Agrees());
  EXPECT_EQ(Find(comparison, "Cyan").maxDifference, 0);
}

TEST(OracleCompare, ShiftBeyondTheBandCountsThePixelsOutsideIt) {
  const auto comparison =
      CorvelOracle::Compare(Render({Square("Cyan", 5)}), Render({Square("Cyan", 15)}));
  EXPECT_FALSE(comparison.Agrees());
  const auto& cyan = Find(comparison, "Cyan");
  // Edges at columns 4|5, 14|15 and 24|25 band columns 2–7, 12–17, 22–27; edges at rows 4|5
  // and 14|15 band rows 2–7 and 12–17. Differing and unbanded: columns 8–11 and 18–21 on rows
  // 8–11.
  EXPECT_EQ(cyan.pixelsOver, 32u);
  EXPECT_EQ(cyan.maxDifference, 255);
  EXPECT_EQ(cyan.firstColumn, 8);
  EXPECT_EQ(cyan.firstRow, 8);
  EXPECT_EQ(cyan.pixelsCompared, std::size_t{kSize * kSize} - comparison.pixelsInBand);
}

TEST(OracleCompare, SmallDifferencesWithinToleranceAgree) {
  const auto comparison =
      CorvelOracle::Compare(Render({Square("Black", 5, 100)}), Render({Square("Black", 5, 102)}));
  EXPECT_TRUE(comparison.Agrees());
  EXPECT_EQ(Find(comparison, "Black").maxDifference, 2);
  const auto over =
      CorvelOracle::Compare(Render({Square("Black", 5, 100)}), Render({Square("Black", 5, 103)}));
  EXPECT_FALSE(over.Agrees());
  EXPECT_EQ(Find(over, "Black").pixelsOver, 4u * 4u) << "the 10 × 10 square less its band";
}

TEST(OracleCompare, MissingPlaneCountsAsNoInk) {
  const auto blank = Render({Square("Cyan", 5), Square("Spot", 5, 0)});
  const auto withoutSpot = Render({Square("Cyan", 5)});
  const auto agreeing = CorvelOracle::Compare(blank, withoutSpot);
  EXPECT_TRUE(agreeing.Agrees());
  EXPECT_TRUE(Find(agreeing, "Spot").inFirst);
  EXPECT_FALSE(Find(agreeing, "Spot").inSecond);

  const auto inked = Render({Square("Cyan", 5), Square("Spot", 5, 128)});
  const auto differing = CorvelOracle::Compare(withoutSpot, inked);
  EXPECT_FALSE(differing.Agrees());
  EXPECT_EQ(Find(differing, "Spot").maxDifference, 128);
}

TEST(OracleCompare, ReportHasOneLinePerSeparation) {
  const auto comparison = CorvelOracle::Compare(Render({Square("Cyan", 5), Square("Black", 5)}),
                                                Render({Square("Cyan", 15)}));
  const std::string report = comparison.Report();
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3) << report;
  EXPECT_NE(report.find("Cyan"), std::string::npos);
  EXPECT_NE(report.find("DIFFERS"), std::string::npos);
  EXPECT_NE(report.find("no plane in the second render"), std::string::npos);
  EXPECT_LT(report.find("Cyan"), report.find("Black")) << "process planes in press order";
}

TEST(OracleCompare, RendersOfDifferentSizesAreRefused) {
  const SeparationRender small(10, 10, 72, {});
  EXPECT_THROW(CorvelOracle::Compare(small, Render({})), std::invalid_argument);
}

}  // namespace
