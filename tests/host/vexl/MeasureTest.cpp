#include <gtest/gtest.h>
#include <vexl/Measure.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>

#include "VexlTestSupport.h"

namespace Vexl {
namespace {

using Testing::kRandomCases;

constexpr unsigned kMeasureSeed = 31337;
constexpr double kKappa = 0.5522847498;
// The four-cubic circle lies outside the true circle by at most 0.027 % of the radius, so its
// area exceeds π r² by at most about twice that.
constexpr double kKappaAreaError = 2 * 2.8e-4;

// ½∮(x dy − y dx) over one cubic by 4-point Gauss–Legendre: exact for the degree-5 integrand.
double QuadratureArea(Point p0, const Segment& s) {
  constexpr std::array<double, 4> kNodes = {-0.8611363115940526, -0.3399810435848563,
                                            0.3399810435848563, 0.8611363115940526};
  constexpr std::array<double, 4> kWeights = {0.3478548451374538, 0.6521451548625461,
                                              0.6521451548625461, 0.3478548451374538};
  double area = 0;
  for (std::size_t i = 0; i < kNodes.size(); ++i) {
    const double t = (1 + kNodes[i]) / 2, u = 1 - t;
    const Point p = Testing::DeCasteljau(p0, s.control1, s.control2, s.end, t);
    const double dx =
        3 * (u * u * (s.control1.x - p0.x) + 2 * u * t * (s.control2.x - s.control1.x) +
             t * t * (s.end.x - s.control2.x));
    const double dy =
        3 * (u * u * (s.control1.y - p0.y) + 2 * u * t * (s.control2.y - s.control1.y) +
             t * t * (s.end.y - s.control2.y));
    area += kWeights[i] / 2 * (p.x * dy - p.y * dx) / 2;
  }
  return area;
}

Subpath Square(double left, double bottom, double size, bool counterClockwise) {
  Subpath square({left, bottom}, true);
  if (counterClockwise) {
    square.LineTo({left + size, bottom});
    square.LineTo({left + size, bottom + size});
    square.LineTo({left, bottom + size});
  } else {
    square.LineTo({left, bottom + size});
    square.LineTo({left + size, bottom + size});
    square.LineTo({left + size, bottom});
  }
  return square;
}

TEST(SignedArea, CircleOfFourCubicsMatchesItsClosedFormAndPiR2) {
  const double r = 1e5;
  const double area = SignedArea(*MakeEllipse({3e6, -2e6}, r, r));
  // Sum of the four quarter arcs, each ½∮ over (1,0) (1,k) (k,1) (0,1): (10 + 12k − 3k²)/20.
  const double exact = (10 + 12 * kKappa - 3 * kKappa * kKappa) / 5 * r * r;
  EXPECT_NEAR(area, exact, 1e-12 * exact);
  EXPECT_GT(area, std::numbers::pi * r * r);
  EXPECT_LT(area, std::numbers::pi * r * r * (1 + kKappaAreaError));
}

TEST(SignedArea, RandomCubicsMatchQuadrature) {
  SCOPED_TRACE("seed " + std::to_string(kMeasureSeed));
  std::mt19937 rng(kMeasureSeed);
  for (int i = 0; i < kRandomCases; ++i) {
    const Subpath subpath = Testing::RandomCubicSubpath(rng, 5);
    double expected = 0, scale = 0;
    Point current = subpath.GetStart();
    for (const Segment& s : subpath.GetSegments()) {
      const double term = QuadratureArea(current, s);
      expected += term;
      scale += std::abs(term);
      current = s.end;
    }
    EXPECT_NEAR(SignedArea(subpath), expected, 1e-12 * scale);
  }
}

TEST(SignedArea, OrientationGivesTheSign) {
  const auto rectangle = MakeRectangle({10, 20, 30, 40});
  EXPECT_DOUBLE_EQ(SignedArea(*rectangle), 1200);
  EXPECT_DOUBLE_EQ(SignedArea(*rectangle * Transformation::Scaling(1, -1)), -1200);
  EXPECT_LT(SignedArea(*MakeEllipse({0, 0}, 5, 3) * Transformation::Scaling(-1, 1)), 0);
  Subpath openTriangle({0, 0});  // filled as if closed
  openTriangle.LineTo({10, 0});
  openTriangle.LineTo({0, 10});
  EXPECT_DOUBLE_EQ(SignedArea(openTriangle), 50);
  EXPECT_DOUBLE_EQ(SignedArea(Compound({Square(0, 0, 100, true), Square(25, 25, 50, false)})),
                   7500);
}

TEST(Contains, NestedSquaresFollowTheFillRule) {
  const Compound same({Square(0, 0, 100, true), Square(25, 25, 50, true)});
  EXPECT_EQ(WindingNumber(same, {50, 50}), 2);
  EXPECT_TRUE(Contains(same, {50, 50}, FillRule::NonZero));
  EXPECT_FALSE(Contains(same, {50, 50}, FillRule::EvenOdd));
  EXPECT_TRUE(Contains(same, {10, 50}, FillRule::EvenOdd));

  const Compound opposite({Square(0, 0, 100, true), Square(25, 25, 50, false)});
  EXPECT_EQ(WindingNumber(opposite, {50, 50}), 0);
  EXPECT_FALSE(Contains(opposite, {50, 50}, FillRule::NonZero));
  EXPECT_FALSE(Contains(opposite, {50, 50}, FillRule::EvenOdd));
  for (const FillRule rule : {FillRule::NonZero, FillRule::EvenOdd}) {
    EXPECT_TRUE(Contains(opposite, {10, 90}, rule));
    EXPECT_FALSE(Contains(opposite, {150, 50}, rule));
    EXPECT_FALSE(Contains(opposite, {50, -1}, rule));
  }
}

TEST(Contains, PentagramCentreIsInsideOnlyUnderNonZero) {
  Subpath star({0, 1000}, true);  // every second vertex of a regular pentagon, anticlockwise
  for (int k = 1; k < 5; ++k) {
    const double angle = std::numbers::pi / 2 + k * 4 * std::numbers::pi / 5;
    star.LineTo({1000 * std::cos(angle), 1000 * std::sin(angle)});
  }
  const Compound pentagram({star});
  EXPECT_EQ(WindingNumber(pentagram, {0, 0}), 2);
  EXPECT_TRUE(Contains(pentagram, {0, 0}, FillRule::NonZero));
  EXPECT_FALSE(Contains(pentagram, {0, 0}, FillRule::EvenOdd));
  const Point tip = {0, 700};
  EXPECT_TRUE(Contains(pentagram, tip, FillRule::NonZero));
  EXPECT_TRUE(Contains(pentagram, tip, FillRule::EvenOdd));
  const double notch = std::numbers::pi / 2 + std::numbers::pi / 5;  // between two tips
  EXPECT_EQ(WindingNumber(pentagram, {500 * std::cos(notch), 500 * std::sin(notch)}), 0);
}

TEST(WindingNumber, CircleWindsOnceInsideAndNotOutside) {
  SCOPED_TRACE("seed " + std::to_string(kMeasureSeed));
  std::mt19937 rng(kMeasureSeed + 1);
  const double r = 1e4;
  const Point centre = {5000, 5000};
  const auto circle = MakeEllipse(centre, r, r);
  const Compound clockwise = *circle * Transformation::Scaling(1, -1);
  for (int i = 0; i < 20 * kRandomCases; ++i) {
    const Point p = Testing::RandomPoint(rng, centre.x - 1.5 * r, centre.x + 1.5 * r);
    const double distance = std::hypot(p.x - centre.x, p.y - centre.y);
    if (std::abs(distance - r) < 1e-3 * r) continue;  // the curve is up to 0.027 % off the circle
    EXPECT_EQ(WindingNumber(*circle, p), distance < r ? 1 : 0) << p.x << ", " << p.y;
    EXPECT_EQ(WindingNumber(clockwise, {p.x, -p.y}), distance < r ? -1 : 0) << p.x << ", " << p.y;
  }
  EXPECT_TRUE(Contains(clockwise, {centre.x, -centre.y}, FillRule::EvenOdd));
  EXPECT_TRUE(Contains(clockwise, {centre.x, -centre.y}, FillRule::NonZero));
}

TEST(WindingNumber, SCurveLobesWindOppositeWays) {
  // y(t) = 900 t(1-t)(1-2t) over x = 300 t, closed along y = 0: a clockwise lobe above the axis
  // and an anticlockwise one below, each peaking (±50√3) at a different root of y'.
  Subpath wave({0, 0}, true);
  wave.CubicTo({100, 300}, {200, -300}, {300, 0});
  const Compound lobes({wave});
  const double peakX = 300 * (3 - std::numbers::sqrt3) / 6;
  EXPECT_EQ(WindingNumber(lobes, {peakX, 80}), -1);
  EXPECT_EQ(WindingNumber(lobes, {300 - peakX, -80}), 1);
  EXPECT_EQ(WindingNumber(lobes, {peakX, 90}), 0);
  EXPECT_EQ(WindingNumber(lobes, {300 - peakX, -90}), 0);
  EXPECT_EQ(WindingNumber(lobes, {300 - peakX, 10}), 0);
  EXPECT_NEAR(SignedArea(lobes), 0, 1e-9);  // the lobes mirror each other
}

TEST(WindingNumber, CurvesAgreeWithDenseFlatteningAwayFromTheOutline) {
  SCOPED_TRACE("seed " + std::to_string(kMeasureSeed));
  std::mt19937 rng(kMeasureSeed + 2);
  for (int i = 0; i < kRandomCases / 4; ++i) {
    const Compound curved(
        {Testing::RandomCubicSubpath(rng, 4), Testing::RandomCubicSubpath(rng, 3)});
    std::vector<std::vector<Point>> dense;
    std::vector<Subpath> flat;
    for (const Subpath& subpath : curved.GetSubpaths()) {
      dense.push_back(Testing::DenseOutline(subpath, 500));  // chord error below 0.02
      Subpath polygon(dense.back()[0], true);
      for (std::size_t k = 1; k < dense.back().size(); ++k) polygon.LineTo(dense.back()[k]);
      flat.push_back(polygon);
    }
    const Compound polygons(flat);
    for (int probe = 0; probe < 20; ++probe) {
      const Point p = Testing::RandomPoint(rng, -100, 1100);
      if (Testing::DistanceToPolyline(p, dense[0], true) < 0.5 ||
          Testing::DistanceToPolyline(p, dense[1], true) < 0.5) {
        continue;
      }
      EXPECT_EQ(WindingNumber(curved, p), WindingNumber(polygons, p)) << p.x << ", " << p.y;
    }
  }
}

TEST(MakePolyline, StaysWithinToleranceOfTheCurveBothWays) {
  SCOPED_TRACE("seed " + std::to_string(kMeasureSeed));
  std::mt19937 rng(kMeasureSeed + 3);
  for (int i = 0; i < std::max(3, kRandomCases / 40); ++i) {
    const Subpath curve = Testing::RandomCubicSubpath(rng, 2);
    // 2048 chords per cubic stay within 0.75·max|Δ²P|/2048² < 1.1e-3 of these curves, so
    // distances to them are exact to that.
    const std::vector<Point> reference = Testing::DenseOutline(curve, 2048);
    for (const double tolerance : {0.25, 2.5, 25.0}) {
      const Subpath polyline = MakePolyline(curve, tolerance);
      ASSERT_TRUE(polyline.IsPolyline());
      std::vector<Point> points{polyline.GetStart()};
      for (const Segment& s : polyline.GetSegments()) {
        for (const double t : {0.25, 0.5, 0.75}) {
          const Point onChord = Testing::Lerp(points.back(), s.end, t);
          ASSERT_LE(Testing::DistanceToPolyline(onChord, reference, false), tolerance + 1.1e-3);
        }
        points.push_back(s.end);
        ASSERT_LE(Testing::DistanceToPolyline(s.end, reference, false), 1.1e-3);
      }
      for (const Point& p : reference) {
        ASSERT_LE(Testing::DistanceToPolyline(p, points, false), tolerance + 1e-9);
      }
    }
  }
}

TEST(MakePolyline, KeepsLinesAndTheClosedFlag) {
  Subpath mixed({0, 0}, true);
  mixed.LineTo({100, 0});
  mixed.CubicTo({150, 50}, {150, 100}, {100, 150});
  mixed.LineTo({0, 100});
  const Subpath polyline = MakePolyline(mixed, 1);
  EXPECT_TRUE(polyline.IsClosed());
  EXPECT_EQ(polyline.GetStart(), (Point{0, 0}));
  ASSERT_GT(polyline.GetSegments().size(), 3u);
  EXPECT_EQ(polyline.GetSegments().front(), Segment::Line({100, 0}));
  EXPECT_EQ(polyline.GetSegments()[polyline.GetSegments().size() - 2], Segment::Line({100, 150}));
  EXPECT_EQ(polyline.GetSegments().back(), Segment::Line({0, 100}));
  const Subpath square = MakeRectangle({0, 0, 10, 10})->GetSubpaths()[0];
  EXPECT_EQ(MakePolyline(square, 1), square);
}

TEST(MakePolyline, RejectsUnusableTolerances) {
  const Subpath circle = MakeEllipse({0, 0}, 1000, 1000)->GetSubpaths()[0];
  for (const double tolerance :
       {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(MakePolyline(circle, tolerance), std::invalid_argument) << tolerance;
  }
  // Would need billions of chords: a loud failure rather than exhausting memory.
  EXPECT_THROW(MakePolyline(circle, 1e-12), std::invalid_argument);
}

}  // namespace
}  // namespace Vexl
