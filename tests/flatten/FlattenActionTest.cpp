#include <gtest/gtest.h>

#include <sstream>

#include <flatten/RegionOutlines.h>
#include <mavdoc/Describe.h>

#include "FlattenTestSupport.h"
#include <tests/TestRectangles.h>

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

using CorvelTest::kSquare;
const Corvel::LayerPredicate kByFlag = [](const auto& layer) { return layer->visible; };

struct FlattenActionTest : PageFixture, ::testing::Test {
  std::vector<MavDoc::ContentObject*> Flatten(MavDoc::Content& target, const Corvel::ObjectPredicate& chosen) {
    return Corvel::FlattenAction(target, kByFlag, true, chosen, false, 300);
  }
  std::vector<MavDoc::ContentObject*> FlattenAll(MavDoc::Content& target) {
    return Flatten(target, [](const MavDoc::ContentObject&) { return true; });
  }
  std::string Described() const {
    std::ostringstream out;
    MavDoc::Describe(document, out);
    return out.str();
  }
  // Two overlapping transparent squares.
  void AddTransparentPair(MavDoc::Content& target) {
    Add(target, FilledRectangle(Box(10000, 10000, 30000, 30000), Flat({{"Cyan", 0.5f}})));
    Add(target, FilledRectangle(Box(20000, 20000, 30000, 30000), Flat({{"Magenta", 0.5f}}),
                                Blend(BlendMode::Multiply, 0.5f)));
  }
};

std::vector<const MavDoc::ContentObject*> ChildrenOf(const MavDoc::Content& content) {
  std::vector<const MavDoc::ContentObject*> out;
  for (const auto& child : content.GetChildren()) out.push_back(&child);
  return out;
}

TEST_F(FlattenActionTest, NothingSelectedChangesNothing) {
  AddTransparentPair(content);
  const std::string before = Described();
  EXPECT_TRUE(Flatten(content, [](const MavDoc::ContentObject&) { return false; }).empty());
  EXPECT_EQ(Described(), before);
}

TEST_F(FlattenActionTest, NewObjectsTakeTheBottomObjectsPlaceAtTheTop) {
  auto& below = Add(content, FilledRectangle(Box(70000, 70000, 10000, 10000), Flat({{"Yellow", 1.0f}})));
  AddTransparentPair(content);
  auto& above = Add(content, FilledRectangle(Box(70000, 70000, 10000, 10000), Flat({{"Black", 1.0f}})));
  const auto inserted = Flatten(content, [&](const MavDoc::ContentObject& o) { return &o != &below && &o != &above; });
  // Cyan alone, the overlap, Magenta alone.
  ASSERT_EQ(inserted.size(), 3u);
  const auto children = ChildrenOf(content);
  ASSERT_EQ(children.size(), 5u);
  EXPECT_EQ(children.front(), &below);
  EXPECT_EQ(children.back(), &above);
  for (auto* object : inserted) {
    EXPECT_NE(std::find(children.begin() + 1, children.end() - 1, object), children.end() - 1);
    EXPECT_TRUE(dynamic_cast<const MavDoc::Path&>(*object).GetTransformation().IsIdentity());
    EXPECT_EQ(object->GetParent(), nullptr);
  }
}

TEST_F(FlattenActionTest, FlatteningAGroupsContentKeepsPagePlacement) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  const auto groupToPage = Vexl::Transformation::Scaling(0.5, 2) * Vexl::Transformation::Translation(5000, -3000);
  group.SetTransformation(groupToPage, 0);
  AddTransparentPair(group.GetContent());
  // Page extent of the pair: x (10..50) · .5 + 5 = 10..30 pt, y (10..50) · 2 − 3 = 17..97 pt.
  // The group itself is not chosen, so the new objects stay in it.
  const auto inserted = Flatten(group.GetContent(), [&](const MavDoc::ContentObject& o) { return &o != &group; });
  ASSERT_EQ(inserted.size(), 3u);
  Vexl::Rectangle pageBounds = Vexl::Rectangle::Null();
  double pageArea = 0;
  for (auto* object : inserted) {
    EXPECT_EQ(object->GetParent(), &group);
    const auto& path = dynamic_cast<const MavDoc::Path&>(*object);
    const Vexl::Compound onPage = *path.GetOutline() * (path.GetTransformation() * groupToPage);
    pageBounds = Vexl::Union(pageBounds, onPage.GetBoundingBox());
    pageArea += Area(onPage);
  }
  EXPECT_NEAR(pageBounds.x, 10000, 1);
  EXPECT_NEAR(pageBounds.y, 17000, 1);
  EXPECT_NEAR(pageBounds.Right(), 30000, 1);
  EXPECT_NEAR(pageBounds.Top(), 97000, 1);
  // Two 30 × 30 pt squares overlapping 20 × 20 pt: 1400 pt² in group space, times .5 · 2.
  EXPECT_NEAR(pageArea, 1400e6, 1e3);
}

TEST_F(FlattenActionTest, ASelectedGroupIsReplacedInItsPlace) {
  auto& below = Add(content, FilledRectangle(Box(70000, 70000, 10000, 10000), Flat({{"Yellow", 1.0f}})));
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, 0.8f), true, false));
  group.SetTransformation(Vexl::Transformation::Translation(1000, 0), 0);
  AddTransparentPair(group.GetContent());
  auto& above = Add(content, FilledRectangle(Box(70000, 70000, 10000, 10000), Flat({{"Black", 1.0f}})));
  const auto inserted = Flatten(content, [&](const MavDoc::ContentObject& o) { return &o != &below && &o != &above; });
  ASSERT_EQ(inserted.size(), 3u);
  const auto children = ChildrenOf(content);
  ASSERT_EQ(children.size(), 5u);
  EXPECT_EQ(children.front(), &below);
  EXPECT_EQ(children.back(), &above);
  for (const auto* child : children) EXPECT_EQ(dynamic_cast<const MavDoc::Group*>(child), nullptr);
  for (auto* object : inserted) EXPECT_EQ(object->GetParent(), nullptr);
}

TEST_F(FlattenActionTest, TheClimbLeavesAFlattenedGroupContentWhenItsGroupIsSelected) {
  auto& neighbour = Add(content, FilledRectangle(Box(70000, 70000, 10000, 10000), Flat({{"Yellow", 1.0f}})));
  auto& outer = Add(content, std::make_unique<MavDoc::Group>());
  outer.SetTransformation(Vexl::Transformation::Translation(5000, 0), 0);
  auto& inner = Add(outer, std::make_unique<MavDoc::Group>());
  AddTransparentPair(inner.GetContent());
  const auto inserted = Flatten(inner.GetContent(), [&](const MavDoc::ContentObject& o) { return &o != &neighbour; });
  ASSERT_EQ(inserted.size(), 3u);
  // The anchor climbs from the square through the chosen inner and outer groups to the page:
  // the new objects sit just below the outer group, in page coordinates.
  const auto children = ChildrenOf(content);
  ASSERT_EQ(children.size(), 5u);
  EXPECT_EQ(children.front(), &neighbour);
  EXPECT_EQ(children.back(), &outer);
  EXPECT_EQ(inner.GetContent().Size(), 0u);
  Vexl::Rectangle pageBounds = Vexl::Rectangle::Null();
  for (auto* object : inserted) {
    EXPECT_EQ(object->GetParent(), nullptr);
    const auto& path = dynamic_cast<const MavDoc::Path&>(*object);
    EXPECT_TRUE(path.GetTransformation().IsIdentity());
    pageBounds = Vexl::Union(pageBounds, path.GetOutline()->GetBoundingBox());
  }
  // The pair spans 10..50 pt both ways in the inner group, moved 5 pt right by the outer one.
  EXPECT_NEAR(pageBounds.x, 15000, 1);
  EXPECT_NEAR(pageBounds.Right(), 55000, 1);
  EXPECT_NEAR(pageBounds.y, 10000, 1);
  EXPECT_NEAR(pageBounds.Top(), 50000, 1);
}

TEST_F(FlattenActionTest, ResultsComeInTheOrderOfTheStacks) {
  Add(content, FilledRectangle(Box(0, 0, 40000, 40000), Flat({{"Magenta", 0.5f}})));
  Add(content, FilledRectangle(Box(30000, 30000, 30000, 30000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply)));
  std::vector<double> expectedAreas;
  {
    const auto environment = Prepare();
    for (const auto& group : Corvel::GroupRegionsByStack(GraphOf(environment))) {
      expectedAreas.push_back(Area(*Corvel::MakeCompound(GraphOf(environment), group.regions)));
    }
  }
  // Areas 1500, 100 and 800 pt²: the order shows.
  ASSERT_EQ(expectedAreas.size(), 3u);
  const auto inserted = FlattenAll(content);
  ASSERT_EQ(inserted.size(), 3u);
  for (std::size_t i = 0; i < inserted.size(); ++i) {
    EXPECT_NEAR(Area(*dynamic_cast<const MavDoc::Path&>(*inserted[i]).GetOutline()), expectedAreas[i], 1e3);
  }
}

TEST_F(FlattenActionTest, ASingularHoldingGroupLeavesTheDocumentAsItWas) {
  // The group's scale underflows its determinant (1e-200² is below the smallest double) while
  // its members, scaled back up, are of ordinary size on the page.
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  group.SetTransformation(Vexl::Transformation::Scaling(1e-200, 1e-200), 0);
  const auto scaleBack = Vexl::Transformation::Scaling(1e200, 1e200);
  Add(group.GetContent(), FilledRectangle(Box(10000, 10000, 30000, 30000), Flat({{"Cyan", 0.5f}})))
      .SetTransformation(scaleBack, 0);
  Add(group.GetContent(), FilledRectangle(Box(20000, 20000, 30000, 30000), Flat({{"Magenta", 0.5f}}),
                                          Blend(BlendMode::Multiply, 0.5f)))
      .SetTransformation(scaleBack, 0);
  const std::string before = Described();
  const Corvel::ObjectPredicate notTheGroup = [&](const MavDoc::ContentObject& o) { return &o != &group; };
  ASSERT_FALSE(Corvel::GroupRegionsByStack(GraphOf(Prepare(notTheGroup))).empty());
  try {
    Flatten(content, notTheGroup);
    ADD_FAILURE() << "expected a refusal";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Determinant of transformation matrix is zero, can not calculate inverse");
  }
  EXPECT_EQ(Described(), before);
  EXPECT_EQ(group.GetContent().Size(), 2u);
}

TEST_F(FlattenActionTest, AnEmptyObjectPredicateLeavesTheDocumentAsItWas) {
  AddTransparentPair(content);
  const std::string before = Described();
  EXPECT_THROW(Flatten(content, Corvel::ObjectPredicate{}), std::bad_function_call);
  EXPECT_EQ(Described(), before);
}

}  // namespace
