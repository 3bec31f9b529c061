#include <gtest/gtest.h>

#include "TesselTestSupport.h"

namespace Tessel::Testing {
namespace {

using TesselFixed::Build;
using TesselFixed::Region;
using Select = Input::TObject::TSelectMode;

const TFill& FillAt(const TesselFixed::Graph& graph, Vexl::Point p) {
  const Region* region = RegionAt(graph, p, 1);
  if (!region) throw std::logic_error("probe on a border");
  return *region->GetFill();
}

std::vector<const TFill::TComponent*> Components(TFill::TGraphicsComponentIterator it) {
  std::vector<const TFill::TComponent*> result;
  while (const TFill::TComponent* component = it.Next()) result.push_back(component);
  return result;
}

TEST(Fill, NumbersFollowTheTopElementThenTheNextOneDown) {
  Element a, b, c;
  Input input;
  input.AddElement(&a, {Rectangle(0, 0, 300, 100)});
  input.AddElement(&b, {Rectangle(100, 0, 300, 100)});
  input.AddElement(&c, {Rectangle(200, 0, 300, 100)});
  const auto graph = Build(input);
  ExpectValidPlanarMap(*graph);
  // Strips, left to right: {a}, {a,b}, {a,b,c}, {b,c}, {c}.
  const int onlyA = FillAt(*graph, {50, 50}).GetNumber(), ab = FillAt(*graph, {150, 50}).GetNumber();
  const int abc = FillAt(*graph, {250, 50}).GetNumber(), bc = FillAt(*graph, {350, 50}).GetNumber();
  const int onlyC = FillAt(*graph, {450, 50}).GetNumber();
  EXPECT_EQ(FillAt(*graph, {-50, 50}).GetNumber(), 0);
  EXPECT_LT(0, onlyA);
  EXPECT_LT(onlyA, ab);
  EXPECT_LT(ab, onlyC);
  EXPECT_LT(onlyC, bc);
  EXPECT_LT(bc, abc);
}

TEST(Fill, EqualAttributesOnTwoElementsAreBothListed) {
  Element shared;
  Input input;
  input.AddElement(&shared, {Rectangle(0, 0, 100, 100)});
  input.AddElement(&shared, {Rectangle(50, 0, 100, 100)});
  const auto graph = Build(input);
  EXPECT_EQ(AttributesOf(FillAt(*graph, {75, 50})), (std::vector<const TElementAttribute*>{&shared, &shared}));
  EXPECT_NE(&FillAt(*graph, {75, 50}), &FillAt(*graph, {25, 50}));
}

TEST(Fill, ComponentTreeHoldsOnlyWhatCovers) {
  Element e1, e2, e3;
  Group g;
  Input input;
  input.BeginGroup(&g);
  input.AddElement(&e1, {Rectangle(0, 0, 100, 100)});
  input.AddElement(&e2, {Rectangle(200, 0, 100, 100)});
  input.EndGroup();
  input.BeginGroup(nullptr);
  input.AddElement(&e3, {Rectangle(0, 0, 300, 100)});
  input.EndGroup();
  const auto graph = Build(input);
  const TFill& fill = FillAt(*graph, {50, 50});
  EXPECT_EQ(AttributesOf(fill), (std::vector<const TElementAttribute*>{&e1, &e3}));
  const auto top = Components({fill.GetTopGroup(), Select::kCovering, false});
  ASSERT_EQ(top.size(), 2u);
  ASSERT_NE(top[0]->Group(), nullptr);
  EXPECT_EQ(top[0]->Group()->GroupAttribute(), &g);
  EXPECT_EQ(top[1]->Group()->GroupAttribute(), nullptr);
  const auto inside = Components({*top[0]->Group(), Select::kCovering, false});
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0]->Element()->Attribute(), &e1);
  // The plain group dissolves when asked to; elements only in painting order with mode 3.
  const auto expanded = Components({fill.GetTopGroup(), Select::kCovering, true});
  ASSERT_EQ(expanded.size(), 2u);
  EXPECT_EQ(expanded[1]->Element()->Attribute(), &e3);
  const auto elements = Components({fill.GetTopGroup(), Select::kCoveringElements, true});
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0]->Element()->Attribute(), &e1);
  EXPECT_EQ(elements[1]->Element()->Attribute(), &e3);
  EXPECT_THROW(TFill::TGraphicsComponentIterator(fill.GetTopGroup(), Select(1), false), std::invalid_argument);
}

TEST(Fill, SoftMaskArtworkComesBeforeWhatItMasksAndOnlyWhereThatPaints) {
  Element artwork, masked;
  SoftMask mask;
  Input input;
  input.BeginSoftMask(&mask);
  input.AddElement(&artwork, {Rectangle(0, 0, 200, 100)});
  input.EndSoftMask();
  input.AddElement(&masked, {Rectangle(100, 0, 200, 100)});
  const auto graph = Build(input);
  ExpectValidPlanarMap(*graph);
  EXPECT_EQ(FillAt(*graph, {50, 50}).NElements(), 0);
  const TFill& both = FillAt(*graph, {150, 50});
  EXPECT_EQ(AttributesOf(both), (std::vector<const TElementAttribute*>{&artwork, &masked}));
  const auto top = Components({both.GetTopGroup(), Select::kCovering, true});
  ASSERT_EQ(top.size(), 1u);
  TFill::TMaskComponentIterator masks(*top[0], false);
  const TFill::TSoftMask* first = masks.Next();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->SoftMaskAttribute(), &mask);
  EXPECT_EQ(masks.Next(), nullptr);
  const auto maskArtwork = Components({*first, Select::kCovering, false});
  ASSERT_EQ(maskArtwork.size(), 1u);
  EXPECT_EQ(maskArtwork[0]->Element()->Attribute(), &artwork);
  // Where the mask's artwork is absent the mask still acts, with no artwork.
  const TFill& alone = FillAt(*graph, {250, 50});
  EXPECT_EQ(AttributesOf(alone), (std::vector<const TElementAttribute*>{&masked}));
  TFill::TMaskComponentIterator aloneMasks(alone.GetElement(0), true);
  const TFill::TSoftMask* empty = aloneMasks.Next();
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(Components({*empty, Select::kCovering, false}).empty());
}

TEST(Fill, OpaqueWhenAnOpaqueElementShowsThroughItsGroups) {
  Element opaque, clear;
  opaque.opaque = true;
  Group keeps, fades;
  fades.keeps = false;
  Input input;
  input.AddElement(&clear, {Rectangle(0, 0, 400, 100)});
  input.BeginGroup(&keeps);
  input.AddElement(&opaque, {Rectangle(100, 0, 100, 100)});
  input.EndGroup();
  input.BeginGroup(&fades);
  input.AddElement(&opaque, {Rectangle(300, 0, 100, 100)});
  input.EndGroup();
  const auto graph = Build(input);
  EXPECT_FALSE(FillAt(*graph, {50, 50}).IsOpaque());
  EXPECT_TRUE(FillAt(*graph, {150, 50}).IsOpaque());
  EXPECT_FALSE(FillAt(*graph, {350, 50}).IsOpaque());
}

}  // namespace
}  // namespace Tessel::Testing
