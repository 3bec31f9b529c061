#include <gtest/gtest.h>

#include <flatten/FlattenedResult.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;
using MavBlend::BlendMode;

struct TextTest : PageFixture, ::testing::Test {
  // A "glyph" of two bars in the text's own space.
  static std::shared_ptr<const Vexl::Compound> Glyphs() {
    std::vector<Vexl::Subpath> bars{Vexl::MakeRectangle(Box(0, 0, 1000, 5000))->GetSubpaths()[0],
                                    Vexl::MakeRectangle(Box(3000, 0, 1000, 5000))->GetSubpaths()[0]};
    return std::make_shared<const Vexl::Compound>(std::move(bars));
  }
};

TEST_F(TextTest, FilledTextFlattensAsItsGlyphs) {
  Add(content, FilledRectangle(Box(0, 0, 20000, 20000), Flat({{"Cyan", 1.0f}})));
  auto& text = Add(content, std::make_unique<MavDoc::Text>("II", Glyphs(), 0));
  text.SetFillPaint(Flat({{"Magenta", 1.0f}}));
  text.SetTransparency(Blend(BlendMode::Multiply, 0.5f));
  text.SetTransformation(Vexl::Transformation::Translation(2000, 2000), 0);
  auto environment = Prepare();
  const auto result = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  // The cyan square with the glyphs cut out, and the glyphs: cyan under half magenta.
  ASSERT_EQ(result.size(), 2u);
  const auto& glyphs = dynamic_cast<const MavDoc::Path&>(*result[0]);
  EXPECT_NEAR(Area(*glyphs.GetOutline()), 2 * 1000.0 * 5000.0, 1);
  const auto& colour = dynamic_cast<const MavPaint::FlatPaint&>(*glyphs.GetFillPaint()).GetColor();
  EXPECT_NEAR(colour.Find("Magenta")->value, 0.5f, 1e-5);
  EXPECT_NEAR(colour.Find("Cyan")->value, 1.0f, 1e-5);
}

TEST_F(TextTest, InvisibleTextPaintsNothingAndClippingTextClips) {
  auto& invisible = Add(content, std::make_unique<MavDoc::Text>("II", Glyphs(), 3));
  invisible.SetFillPaint(Flat({{"Black", 1.0f}}));
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  auto& clip = Add(group, std::make_unique<MavDoc::Text>("II", Glyphs(), 7));
  clip.SetClippingObject(true);
  Add(group, FilledRectangle(Box(0, 0, 20000, 20000), Flat({{"Yellow", 1.0f}}), Blend(BlendMode::Screen, 1)));
  auto environment = Prepare();
  const auto result = Corvel::GetFlattenedResult(environment, false, std::nullopt);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_NEAR(Area(*dynamic_cast<const MavDoc::Path&>(*result[0]).GetOutline()), 1e7, 1);
}

}  // namespace
