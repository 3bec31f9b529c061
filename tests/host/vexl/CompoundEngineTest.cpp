#include <gtest/gtest.h>
#include <vexl/Compound.h>
#include <vexl/ContourEngine.h>

#include <stdexcept>

namespace Vexl {
namespace {

Compound MixedCompound() {
  Subpath curved({0, 0}, true);
  curved.CubicTo({10, 0}, {20, 10}, {20, 20});
  curved.LineTo({0, 20});
  Subpath open({100, 100});
  open.LineTo({200, 100});
  open.CubicTo({250, 150}, {150, 250}, {100, 200});
  Subpath lonePoint({-5, -5});
  Subpath closedLonePoint({-7, -7}, true);
  return Compound({curved, open, lonePoint, closedLonePoint});
}

TEST(CompoundEngine, FeedThenGetResultGivesAnEqualCompound) {
  const Compound original = MixedCompound();
  CompoundEngine engine;
  FeedCompound(original, engine);
  EXPECT_EQ(*engine.GetResult(), original);
  EXPECT_TRUE(engine.GetResult()->IsEmpty());
  FeedCompound(original, engine);  // ready for the next compound
  EXPECT_EQ(*engine.GetResult(), original);
}

TEST(CompoundEngine, SegmentAfterCloseStartsAtThePreviousStart) {
  CompoundEngine engine;
  engine.MoveTo({1, 1});
  engine.LineTo({5, 1});
  engine.Close();
  engine.LineTo({5, 5});
  engine.CubicTo({6, 6}, {7, 7}, {8, 8});
  const auto result = engine.GetResult();
  ASSERT_EQ(result->GetSubpaths().size(), 2u);
  const Subpath& second = result->GetSubpaths()[1];
  EXPECT_EQ(second.GetStart(), (Point{1, 1}));
  EXPECT_EQ(second.GetSegments().size(), 2u);
  EXPECT_FALSE(second.IsClosed());
}

TEST(CompoundEngine, MoveToWhileOpenLeavesThatContourOpen) {
  CompoundEngine engine;
  engine.MoveTo({0, 0});
  engine.LineTo({1, 0});
  engine.MoveTo({5, 5});
  engine.LineTo({6, 5});
  engine.Close();
  engine.Close();  // nothing left to close
  const auto result = engine.GetResult();
  ASSERT_EQ(result->GetSubpaths().size(), 2u);
  EXPECT_FALSE(result->GetSubpaths()[0].IsClosed());
  EXPECT_TRUE(result->GetSubpaths()[1].IsClosed());
}

TEST(CompoundEngine, SegmentWithoutAnyStartThrows) {
  CompoundEngine engine;
  EXPECT_THROW(engine.LineTo({1, 1}), std::logic_error);
  engine.MoveTo({0, 0});
  (void)engine.GetResult();
  EXPECT_THROW(engine.CubicTo({1, 1}, {2, 2}, {3, 3}), std::logic_error);
}

}  // namespace
}  // namespace Vexl
