#include <outline/GroupReconstruction.h>
#include <outline/RegionsPerFill.h>

#include <gtest/gtest.h>

#include <mavdoc/Describe.h>
#include <module/Exports.h>

#include "../flatten/FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

struct OutlineTest : PageFixture, ::testing::Test {
  std::unique_ptr<Corvel::AttributedGraph> BuildOutlineGraph() {
    DocumentGraph::GraphBase::Options options;
    const DocumentGraph::GraphBase::ObjectSelection selection{
        [](const auto& l) { return l->visible; }, true, [](const auto&) { return true; }, false};
    return Corvel::BuildGraph<DocumentGraph::TransparentAttributeCreator>(options, content, selection);
  }
  std::vector<MavDoc::ContentObject*> Optimize() {
    return Corvel::OptimizeForOutlineViewAction(
        content, [](const auto& l) { return l->visible; }, true, [](const auto&) { return true; });
  }
  std::string Picture() {
    std::ostringstream out;
    MavDoc::Describe(content, out);
    return out.str();
  }
};

TEST_F(OutlineTest, SeparateAreasOfOneFillEndInOneOutline) {
  auto paint = Flat({{"Cyan", 1.0f}});
  auto& under = Add(content, FilledRectangle(Box(0, 0, 60000, 10000), paint));
  Add(content, FilledRectangle(Box(20000, 0, 20000, 10000), Flat({{"Black", 1.0f}})));
  (void)under;
  const auto graph = BuildOutlineGraph();
  const auto results = Corvel::GetRegionsPerFill(content, *graph);
  ASSERT_EQ(results.size(), 2u);  // the black square; the cyan band's two ends
  EXPECT_EQ(results[1].outline->GetSubpaths().size(), 2u);
  EXPECT_NEAR(Area(*results[1].outline), 2 * 20000.0 * 10000.0, 1);
}

TEST_F(OutlineTest, EqualColoursWithOtherHalftonesStayApart) {
  auto left = FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 1));
  auto right = FilledRectangle(Box(10000, 0, 10000, 10000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Screen, 1));
  left->SetHalftoneSet(std::make_shared<MavDoc::HalftoneSet>("a"));
  right->SetHalftoneSet(std::make_shared<MavDoc::HalftoneSet>("b"));
  Add(content, std::move(left));
  Add(content, std::move(right));
  const auto graph = BuildOutlineGraph();
  EXPECT_EQ(Corvel::GetRegionsPerFill(content, *graph).size(), 2u);
}

TEST_F(OutlineTest, TouchingRegionsWithAlikeTreesMerge) {
  // Two touching squares, different objects with equal paint and transparency.
  Add(content, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 0.5f)));
  Add(content, FilledRectangle(Box(10000, 0, 10000, 10000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 0.5f)));
  const auto graph = BuildOutlineGraph();
  const auto results = Corvel::GetRegionsPerFill(content, *graph);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outline->GetSubpaths().size(), 1u);
  EXPECT_TRUE(std::holds_alternative<Corvel::NotFlat>(results[0].colour));  // never sampled
}

TEST_F(OutlineTest, AnOpaqueRegionAboveFillsTheHoleAndKeepsItsOwnResult) {
  Add(content, FilledRectangle(Box(0, 0, 30000, 30000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 0.5f)));
  Add(content, FilledRectangle(Box(10000, 10000, 10000, 10000), Flat({{"Black", 1.0f}})));
  const auto graph = BuildOutlineGraph();
  const auto results = Corvel::GetRegionsPerFill(content, *graph);
  ASSERT_EQ(results.size(), 2u);
  // The black square comes first (higher fill); the cyan frame's outline has no hole.
  EXPECT_EQ(results[1].outline->GetSubpaths().size(), 1u);
  EXPECT_NEAR(Area(*results[1].outline), 30000.0 * 30000.0, 1);
  EXPECT_NEAR(Area(*results[0].outline), 10000.0 * 10000.0, 1);
}

TEST_F(OutlineTest, AHoleNeighbourBelowStaysAHole) {
  Add(content, FilledRectangle(Box(10000, 10000, 10000, 10000), Flat({{"Black", 1.0f}})));
  auto frame = std::make_unique<MavDoc::Path>(std::make_shared<const Vexl::Compound>(
      std::vector<Vexl::Subpath>{Vexl::MakeRectangle(Box(0, 0, 30000, 30000))->GetSubpaths()[0],
                                 Vexl::MakeRectangle(Box(10000, 10000, 10000, 10000))->GetSubpaths()[0]}));
  frame->SetFillRule(Vexl::FillRule::EvenOdd);
  frame->SetFillPaint(Flat({{"Cyan", 0.5f}}));
  frame->SetTransparency(Blend(BlendMode::Multiply, 0.5f));
  Add(content, std::move(frame));
  const auto graph = BuildOutlineGraph();
  const auto results = Corvel::GetRegionsPerFill(content, *graph);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_NEAR(Area(*results[0].outline), 30000.0 * 30000.0 - 1e8, 1);
}

TEST_F(OutlineTest, AnImageFillingTheOutlineIsNotClipped) {
  const auto outline = Vexl::MakeRectangle(Box(1000, 2000, 3000, 4000));
  Corvel::RebuildContext context(&document, outline);
  const auto placed = Vexl::Transformation::Scaling(3, 4) * Vexl::Transformation::Translation(1000, 2000);
  EXPECT_TRUE(Corvel::OutlineIsImageFrame(context, placed));
  const auto flipped = Vexl::Transformation::Scaling(3, -4) * Vexl::Transformation::Translation(1000, 6000);
  EXPECT_TRUE(Corvel::OutlineIsImageFrame(context, flipped));
  EXPECT_FALSE(Corvel::OutlineIsImageFrame(context, Vexl::Transformation::Scaling(3, 4)));
  Corvel::RebuildContext curved(&document, Vexl::MakeEllipse({0, 0}, 500, 500));
  EXPECT_FALSE(Corvel::OutlineIsImageFrame(curved, Vexl::Transformation::Identity()));
}

TEST_F(OutlineTest, PlainGroupsDissolveAndFailuresChangeNothing) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  Add(group, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"Cyan", 0.5f}}), Blend(BlendMode::Multiply, 0.5f)));
  const std::string before = Picture();
  EXPECT_THROW(Corvel::OptimizeForOutlineViewAction(content, [](const auto&) { return true; }, true, {}),
               std::bad_function_call);
  EXPECT_EQ(Picture(), before);
  // The plain group goes; its member comes back as one path on the region, blending as before.
  Optimize();
  ASSERT_EQ(content.Size(), 1u);
  const auto* path = dynamic_cast<const MavDoc::Path*>(&*content.GetChildren().begin());
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->GetTransparency()->GetBlendMode(), BlendMode::Multiply);
  EXPECT_NEAR(Area(*path->GetOutline()), 1e8, 1);
}

}  // namespace
