#include <flatten/PlaceNewObject.h>

#include <gtest/gtest.h>

#include <flatten/RegionOutlines.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

const MavDoc::LayerPredicate kVisibleLayers = [](const auto& layer) { return layer->visible; };

TEST(IsSelected, AChosenGroupBelowTheNearestLayerAnswersFirst) {
  MavDoc::Document document;
  auto& content = document.AddPage(Box(0, 0, 1000, 1000)).GetContent();
  auto& layer = Add(content, MakeLayer("off", false));
  auto& group = Add(layer, std::make_unique<MavDoc::Group>());
  auto& path = Add(group, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  const std::function<bool(const MavDoc::ContentObject&)> onlyGroup =
      [&](const MavDoc::ContentObject& o) { return &o == &group; };
  EXPECT_TRUE(Corvel::IsSelected(path, kVisibleLayers, true, onlyGroup));
  EXPECT_FALSE(Corvel::IsSelected(path, kVisibleLayers, false, onlyGroup));

  // With the layer between the object and the chosen group, the layer's verdict stands.
  auto& outer = Add(content, std::make_unique<MavDoc::Group>());
  auto& inner = Add(outer, MakeLayer("off", false));
  auto& hidden = Add(inner, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  const std::function<bool(const MavDoc::ContentObject&)> onlyOuter =
      [&](const MavDoc::ContentObject& o) { return &o == &outer; };
  EXPECT_FALSE(Corvel::IsSelected(hidden, kVisibleLayers, true, onlyOuter));
  EXPECT_FALSE(Corvel::IsSelected(hidden, kVisibleLayers, false, onlyOuter));
  EXPECT_THROW(Corvel::IsSelected(hidden, kVisibleLayers, true, {}), std::bad_function_call);
}

struct PlaceTest : PageFixture, ::testing::Test {
  // Places a new square for the single stack of the content and returns the record.
  DocumentEdit::ObjectAndPosContainer PlaceForOnlyStack(
      const std::function<bool(const MavDoc::ContentObject&)>& predicate) {
    environment = std::make_unique<Corvel::GraphEnvironment>(Prepare(predicate));
    const auto groups = Corvel::GroupRegionsByStack(GraphOf(*environment));
    EXPECT_EQ(groups.size(), 1u);
    return Corvel::PlaceNewObject(FilledRectangle(Box(0, 0, 10, 10), Flat({{"Black", 1.0f}})),
                                  groups.at(0).fill, kVisibleLayers, true, predicate);
  }
  std::unique_ptr<Corvel::GraphEnvironment> environment;
};

TEST_F(PlaceTest, TheClimbTakesTheSelectedGroupsPlace) {
  auto& below = Add(content, FilledRectangle(Box(50000, 50000, 1, 1), Flat({{"Yellow", 1.0f}})));
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Multiply, 0.5f), false, false));
  group.SetTransformation(Vexl::Transformation::Translation(1000, 0), 0);
  Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  const auto record = PlaceForOnlyStack([&](const MavDoc::ContentObject& o) { return &o != &below; });
  EXPECT_EQ(record.container, nullptr);
  EXPECT_EQ(record.position, &below);
  // The position's parent is the top level: the transformation stays as made.
  const auto& placed = dynamic_cast<const MavDoc::Path&>(*record.object);
  EXPECT_TRUE(placed.GetTransformation().IsIdentity());
}

TEST_F(PlaceTest, ObjectsInAnUnselectedGroupKeepTheirPageSpot) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  group.SetTransformation(Vexl::Transformation::Scaling(2, 2) *
                              Vexl::Transformation::Translation(500, 0), 0);
  auto& path = Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}}),
                                          Blend(BlendMode::Screen, 0.4f)));
  const auto record = PlaceForOnlyStack([&](const MavDoc::ContentObject& o) { return &o == &path; });
  EXPECT_EQ(record.container, &group);
  EXPECT_EQ(record.position, nullptr);
  const auto& placed = dynamic_cast<const MavDoc::Path&>(*record.object);
  const Vexl::Point page =
      (placed.GetTransformation() * group.GetTransformation()).Apply({100, 200});
  EXPECT_NEAR(page.x, 100, 1e-9);
  EXPECT_NEAR(page.y, 200, 1e-9);
}

TEST_F(PlaceTest, ASingularHoldingGroupIsRefused) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  auto& flat = Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 1.0f}})));
  (void)flat;
  auto environment = Prepare();
  const auto groups = Corvel::GroupRegionsByStack(GraphOf(environment));
  ASSERT_FALSE(groups.empty());
  group.SetTransformation(Vexl::Transformation::Scaling(0, 1), 0);
  try {
    Corvel::PlaceNewObject(FilledRectangle(Box(0, 0, 1, 1), Flat({{"Black", 1.0f}})),
                           groups[0].fill, kVisibleLayers, true, [](const auto&) { return false; });
    ADD_FAILURE() << "expected a refusal";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Determinant of transformation matrix is zero, can not calculate inverse");
  }
}

}  // namespace
