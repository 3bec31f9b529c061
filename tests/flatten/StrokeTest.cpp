#include <gtest/gtest.h>

#include <flatten/FlattenedResult.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

struct StrokeTest : PageFixture, ::testing::Test {};

// The flat colour of the result path that covers `p`, as (ink, tint) pairs.
const MavColor::Color* ColourAt(const std::vector<std::unique_ptr<MavDoc::ContentObject>>& result, Vexl::Point p) {
  for (const auto& object : result) {
    const auto* path = dynamic_cast<const MavDoc::Path*>(object.get());
    if (path && Vexl::Contains(*path->GetOutline(), p, Vexl::FillRule::NonZero)) {
      return &dynamic_cast<const MavPaint::FlatPaint&>(*path->GetFillPaint()).GetColor();
    }
  }
  return nullptr;
}

TEST_F(StrokeTest, ATransparentStrokeFlattensOverItsFill) {
  auto& square = Add(content, FilledRectangle(Box(10000, 10000, 20000, 20000), Flat({{"Cyan", 1.0f}})));
  square.SetStrokePaint(Flat({{"Magenta", 1.0f}}));
  square.SetStrokeStyle({4000, MavDoc::LineCap::Butt, MavDoc::LineJoin::Miter, 10, {}, 0});
  square.SetTransparency(MavBlend::Transparency::Factory().SetStrokeAlpha(0.5f).Get());
  auto environment = Prepare();
  const auto result = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  // Inside, clear of the stroke: cyan. On the inner half of the stroke: cyan under half magenta
  // (Normal at alpha 0.5 erases half the cyan). On the outer half: half magenta alone.
  const auto* inside = ColourAt(result, {20000, 20000});
  const auto* inner = ColourAt(result, {11000, 20000});
  const auto* outer = ColourAt(result, {9000, 20000});
  ASSERT_TRUE(inside && inner && outer);
  EXPECT_NEAR(inside->Find("Cyan")->value, 1.0f, 1e-5);
  EXPECT_EQ(inside->Find("Magenta"), nullptr);
  EXPECT_NEAR(inner->Find("Cyan")->value, 0.5f, 1e-5);
  EXPECT_NEAR(inner->Find("Magenta")->value, 0.5f, 1e-5);
  EXPECT_NEAR(outer->Find("Magenta")->value, 0.5f, 1e-5);
  EXPECT_EQ(outer->Find("Cyan"), nullptr);
  EXPECT_EQ(ColourAt(result, {7000, 20000}), nullptr);  // beyond the stroke's outer edge
}

}  // namespace
