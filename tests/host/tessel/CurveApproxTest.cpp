#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <tessel/CurveApprox.h>
#include <vexl/Measure.h>

#include "TesselTestSupport.h"

namespace Tessel::Testing {
namespace {

using TesselFixed::Region;

// Records every drawing step as a segment (start, controls, end); lines have equal controls.
class SegmentRecorder : public ADT::TContourEngine {
 public:
  using Segment = std::array<Vexl::Point, 4>;
  void MoveTo(Vexl::Point p) override { start_ = current_ = p; }
  void LineTo(Vexl::Point p) override { Add({current_, current_, p, p}); }
  void CubicTo(Vexl::Point c1, Vexl::Point c2, Vexl::Point end) override { Add({current_, c1, c2, end}); }
  void Close() override {
    if (!(current_ == start_)) LineTo(start_);
  }
  std::vector<Segment> segments;
  int cubics = 0;

 private:
  void Add(const Segment& s) {
    segments.push_back(s);
    cubics += !(s[1] == s[0] && s[2] == s[3]);
    current_ = s[3];
  }
  Vexl::Point start_, current_;
};

double Distance(Vexl::Point a, Vexl::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(CurveApprox, UntouchedCircleComesBackAsItsFourCubics) {
  Element e;
  const auto circle = Circle(12345.6, -7000.25, 40000);
  Input input;
  input.AddElement(&e, {circle});
  CurveApprox::TData data;
  const auto graph = TesselFixed::Build(input, {5.0}, &data);
  const Region* region = RegionAt(*graph, {12345.6, -7000.25}, 1);
  ASSERT_NE(region, nullptr);
  SegmentRecorder recorder;
  CurveApprox::TOutputEngine engine(recorder, data);
  TesselFixed::FeedToEngine(*region, engine, true);
  ASSERT_EQ(recorder.segments.size(), 4u);
  const auto& original = circle->GetSubpaths()[0];
  for (const auto& segment : recorder.segments) {
    // Find the input cubic starting at this segment's start and compare every control point.
    double best = 1e300;
    Vexl::Point from = original.GetStart();
    for (const Vexl::Segment& cubic : original.GetSegments()) {
      const double error = std::max({Distance(segment[0], from), Distance(segment[1], cubic.control1),
                                     Distance(segment[2], cubic.control2), Distance(segment[3], cubic.end)});
      best = std::min(best, error);
      from = cubic.end;
    }
    EXPECT_LT(best, 1.0);
  }
}

TEST(CurveApprox, NeighboursEmitTheSameSharedBorders) {
  int cubics = 0;
  for (int seed = 1; seed <= kRandomCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(static_cast<unsigned>(seed));
    const Artwork artwork = RandomArtwork(random, 3 + seed % 8, 100000);
    CurveApprox::TData data;
    const auto graph = TesselFixed::Build(MakeInput(artwork), {5.0}, &data);
    SegmentRecorder recorder;
    CurveApprox::TOutputEngine engine(recorder, data);
    for (const Region* region : graph->GetRegions()) TesselFixed::FeedToEngine(*region, engine, true);
    std::map<SegmentRecorder::Segment, int, decltype([](const auto& a, const auto& b) {
               return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](Vexl::Point p, Vexl::Point q) {
                 return std::tie(p.x, p.y) < std::tie(q.x, q.y);
               });
             })>
        count;
    for (const auto& s : recorder.segments) ++count[s];
    for (const auto& [s, n] : count) {
      const SegmentRecorder::Segment reversed{s[3], s[2], s[1], s[0]};
      const auto it = count.find(reversed);
      ASSERT_TRUE(it != count.end() && it->second == n) << "segment from " << s[0].x << ", " << s[0].y;
    }
    cubics += recorder.cubics;
  }
  EXPECT_GT(cubics, 0);
}

TEST(CurveApprox, StraightInputStaysStraightAndEnvelopesDropInnerBorders) {
  Element a, b;
  Input input;
  input.AddElement(&a, {Rectangle(0, 0, 1000, 1000)});
  input.AddElement(&b, {Rectangle(500, 0, 1000, 1000)});
  CurveApprox::TData data;
  const auto graph = TesselFixed::Build(input, {}, &data);
  const auto envelope = TesselFixed::Envelope::Create(graph, [](const Region* r) { return r->GetFill()->NElements() > 0; });
  ASSERT_EQ(envelope.NLoops(), 1u);
  EXPECT_DOUBLE_EQ(envelope.GetArea(), 1.5e6);
  SegmentRecorder recorder;
  CurveApprox::TOutputEngine engine(recorder, data);
  TesselFixed::FeedToEngine(envelope, engine, true);
  EXPECT_EQ(recorder.cubics, 0);
  EXPECT_EQ(recorder.segments.size(), 8u);  // the 1500 × 1000 outline, split at the squares' corners
  const auto none = TesselFixed::Envelope::Create(graph, [](const Region*) { return false; });
  EXPECT_EQ(none.NLoops(), 0u);
}

TEST(CurveApprox, EnvelopeOfRingKeepsItsHoleUnlessAskedNotTo) {
  Element ring;
  const Vexl::Compound outer = *Circle(0, 0, 10000), inner = *Circle(0, 0, 4000);
  std::vector<Vexl::Subpath> subpaths{outer.GetSubpaths()[0], inner.GetSubpaths()[0]};
  Input input;
  input.AddElement(&ring, {std::make_shared<const Vexl::Compound>(subpaths), Vexl::FillRule::EvenOdd});
  CurveApprox::TData data;
  const auto graph = TesselFixed::Build(input, {}, &data);
  const auto envelope = TesselFixed::Envelope::Create(graph, [](const Region* r) { return r->GetFill()->NElements() > 0; });
  for (const bool holes : {true, false}) {
    Vexl::CompoundEngine target;
    CurveApprox::TOutputEngine engine(target, data);
    TesselFixed::FeedToEngine(envelope, engine, holes);
    const auto compound = target.GetResult();
    ASSERT_EQ(compound->GetSubpaths().size(), holes ? 2u : 1u);
    // Curves come back exactly, so the area is the input's, not the polygon's.
    const double expected = Vexl::SignedArea(outer) - (holes ? Vexl::SignedArea(inner) : 0.0);
    EXPECT_NEAR(std::fabs(Vexl::SignedArea(*compound)), expected, 1e-6 * expected);
  }
}

}  // namespace
}  // namespace Tessel::Testing
