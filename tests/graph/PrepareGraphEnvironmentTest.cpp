#include <module/Exports.h>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <module/GraphEnvironmentImpl.h>
#include <tessel/Graph.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc::Build;

using CorvelTest::Box;

const Corvel::LayerPredicate kAllLayers = [](const auto& p) { return p->visible; };
const Corvel::ObjectPredicate kAllObjects = [](const MavDoc::ContentObject&) { return true; };

TEST(PrepareGraphEnvironment, PageContentUsesThePageBoxEvenBeyondIt) {
  MavDoc::Document document;
  auto& content = document.AddPage(Box(0, 0, 5000, 8000)).GetContent();
  Add(content, FilledRectangle(Box(-3000, 0, 20000, 1000), Flat({{"Cyan", 1.0f}})));
  const auto environment = Corvel::PrepareGraphEnvironment(content, kAllLayers, true, kAllObjects);
  ASSERT_NE(environment.GetImpl(), nullptr);
  EXPECT_EQ(environment.GetImpl()->bounds, Box(0, 0, 5000, 8000));
  EXPECT_EQ(environment.GetImpl()->content, &content);
  ASSERT_NE(environment.GetImpl()->graph->GetTesselGraph(), nullptr);
}

TEST(PrepareGraphEnvironment, GroupContentUsesItsOwnBoundsInPageSpace) {
  MavDoc::Document document;
  auto& content = document.AddPage(Box(0, 0, 100000, 100000)).GetContent();
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  group.SetTransformation(Vexl::Transformation::Translation(10000, 20000), 0);
  Add(group, FilledRectangle(Box(0, 0, 3000, 4000), Flat({{"Cyan", 1.0f}})));
  const auto environment =
      Corvel::PrepareGraphEnvironment(group.GetContent(), kAllLayers, true, kAllObjects);
  EXPECT_EQ(environment.GetImpl()->bounds, Box(10000, 20000, 3000, 4000));
}

TEST(PrepareGraphEnvironment, BuildBoundsReachAThousandBeyondTheWorkingRectangle) {
  const auto options = Corvel::FlatteningOptions(Box(0, 0, 5000, 8000));
  ASSERT_TRUE(options.bounds.has_value());
  EXPECT_EQ(options.bounds->rectangle, Box(-1000, -1000, 7000, 10000));
  EXPECT_FALSE(options.bounds->hint);
  EXPECT_TRUE(options.transparency);
  EXPECT_EQ(options.flatteningTolerance, 0.005);
}

TEST(PrepareGraphEnvironment, PredicatesAreNotNeededAfterTheBuild) {
  MavDoc::Document document;
  auto& content = document.AddPage(Box(0, 0, 5000, 5000)).GetContent();
  Add(content, FilledRectangle(Box(0, 0, 1000, 1000), Flat({{"Cyan", 1.0f}})));
  auto layers = std::make_unique<Corvel::LayerPredicate>(kAllLayers);
  auto objects = std::make_unique<Corvel::ObjectPredicate>(kAllObjects);
  auto environment = Corvel::PrepareGraphEnvironment(content, *layers, true, *objects);
  layers.reset();
  objects.reset();
  const auto& attributes = environment.GetImpl()->graph->GetAttributes();
  EXPECT_EQ(attributes.elements.size(), 1u);
  auto moved = std::move(environment);
  EXPECT_EQ(environment.GetImpl(), nullptr);
  EXPECT_EQ(moved.GetImpl()->graph->GetAttributes().elements.size(), 1u);
}

TEST(PrepareGraphEnvironment, UnselectedObjectsStayOutOfTheMap) {
  MavDoc::Document document;
  auto& content = document.AddPage(Box(0, 0, 5000, 5000)).GetContent();
  Add(content, FilledRectangle(Box(0, 0, 1000, 1000), Flat({{"Cyan", 1.0f}})));
  auto& hidden = Add(content, MakeLayer("hidden", false));
  Add(hidden, FilledRectangle(Box(0, 0, 1000, 1000), Flat({{"Black", 1.0f}})));
  const auto environment = Corvel::PrepareGraphEnvironment(content, kAllLayers, true, kAllObjects);
  EXPECT_EQ(environment.GetImpl()->graph->GetAttributes().elements.size(), 1u);
  EXPECT_THROW(Corvel::PrepareGraphEnvironment(content, kAllLayers, true, Corvel::ObjectPredicate()),
               std::bad_function_call);
}

}  // namespace
