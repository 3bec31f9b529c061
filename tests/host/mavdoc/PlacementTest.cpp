#include <mavdoc/Placement.h>

#include <cmath>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <vexl/Measure.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc;
using namespace MavDoc::Build;

using CorvelTest::Box;

void ExpectBox(const Vexl::Rectangle& actual, const Vexl::Rectangle& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-6);
  EXPECT_NEAR(actual.y, expected.y, 1e-6);
  EXPECT_NEAR(actual.width, expected.width, 1e-6);
  EXPECT_NEAR(actual.height, expected.height, 1e-6);
}

TEST(Placement, AbsoluteTransformationComposesInnermostFirst) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1e6, 1e6)).GetContent();
  auto& outer = Add(content, std::make_unique<Group>());
  outer.SetTransformation(Vexl::Transformation::Translation(1000, 0), 0);
  auto& inner = Add(outer, std::make_unique<Group>());
  inner.SetTransformation(Vexl::Transformation::Scaling(2, 2), 0);
  auto& path = Add(inner, FilledRectangle(Box(0, 0, 100, 100), Flat({{"Cyan", 1.0f}})));
  path.SetTransformation(Vexl::Transformation::Translation(10, 0), 0);
  // (0,0) → (10,0) by the path → (20,0) by the inner scale → (1020,0) by the outer shift.
  EXPECT_EQ(GetAbsoluteTransformation(path).Apply({0, 0}), (Vexl::Point{1020, 0}));
  EXPECT_EQ(GetContentTransformation(path).Apply({0, 0}), (Vexl::Point{1000, 0}));
}

TEST(Placement, PageBoundsOfGroupContentUseAbsoluteCoordinates) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1e6, 1e6)).GetContent();
  auto& group = Add(content, std::make_unique<Group>());
  group.SetTransformation(Vexl::Transformation::Translation(5000, 7000), 0);
  Add(group, FilledEllipse({0, 0}, 1000, 500, Flat({{"Cyan", 1.0f}})));
  ExpectBox(GetBoundingBox(group.GetContent(), kPageCoordinates), Box(4000, 6500, 2000, 1000));
  ExpectBox(GetBoundingBox(group.GetContent(), kOutlines), Box(-1000, -500, 2000, 1000));
  ExpectBox(GetBoundingBox(content, 12), Box(4000, 6500, 2000, 1000));
}

TEST(Placement, StrokesClipsAndImagesShapeTheBox) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1e6, 1e6)).GetContent();
  auto& stroked = Add(content, std::make_unique<Path>(Vexl::MakeRectangle(Box(0, 0, 100, 100))));
  stroked.SetStrokePaint(Flat({{"Black", 1.0f}}));
  stroked.SetStrokeStyle({20, LineCap::Butt, LineJoin::Round, 10, {}, 0});
  // Round joins reach half the width (10) beyond the outline; the box allows 1.5 × that.
  ExpectBox(GetBoundingBox(content, kStrokes), Box(-15, -15, 130, 130));
  ExpectBox(GetBoundingBox(content, kOutlines), Box(0, 0, 100, 100));

  auto& clipped = Add(content, std::make_unique<Group>());
  Add(clipped, FilledRectangle(Box(0, 0, 5000, 5000), Flat({{"Cyan", 1.0f}})));
  Add(clipped, ClipRectangle(Box(1000, 1000, 500, 500)));
  ExpectBox(GetBoundingBox(clipped, kClipped), Box(1000, 1000, 500, 500));
  ExpectBox(GetBoundingBox(clipped, kOutlines), Box(0, 0, 5000, 5000));

  EXPECT_THROW(GetBoundingBox(content, 2), std::invalid_argument);
  EXPECT_TRUE(GetBoundingBox(Group().GetContent(), 12).IsNull());
}

TEST(Placement, KeepingThePaintInPlaceReexpressesIt) {
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0}, std::vector<float>{1}, 1.0);
  common.mapping["Cyan"].channel = 0;
  auto ramp = std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{0, 0},
                                                                  Vexl::Point{100, 0});
  Path moved(Vexl::MakeRectangle(Box(0, 0, 100, 100)));
  moved.SetFillPaint(ramp);
  moved.SetTransformation(Vexl::Transformation::Translation(50, 0), kKeepFillPaint);
  const auto& shading = dynamic_cast<const MavPaint::ShadingPaint&>(*moved.GetFillPaint());
  // The ramp starts where it did on the page: object space (−50, 0) maps to page (0, 0).
  const Vexl::Point start = (shading.GetTransformation() * moved.GetTransformation()).Apply({0, 0});
  EXPECT_EQ(start, (Vexl::Point{0, 0}));

  moved.SetTransformation(Vexl::Transformation::Translation(80, 0), 0);
  EXPECT_EQ(moved.GetFillPaint().get(), &shading);  // mode 0 moves the paint along
  EXPECT_THROW(moved.SetTransformation(Vexl::Transformation::Scaling(0, 1), kKeepFillPaint),
               std::invalid_argument);
  EXPECT_THROW(moved.SetTransformation(Vexl::Transformation::Identity(), 8),
               std::invalid_argument);
}

TEST(Placement, SoftMasksLieWhereTheObjectSitsAndFollowItsMoves) {
  auto mask = MavBlend::SoftMask::Factory(Content::MakeSoftMaskContent(nullptr)).Get();
  Path path(Vexl::MakeRectangle(Box(0, 0, 100, 100)));
  path.SetTransparency(MavBlend::Transparency::Factory().SetSoftMask(mask).Get());
  auto maskOrigin = [&] { return path.GetTransparency()->GetSoftMask()->GetTransformation().Apply({0, 0}); };

  // Kept: the mask stays where it was in the holding content.
  path.SetTransformation(Vexl::Transformation::Translation(50, 0), kKeepSoftMask);
  EXPECT_EQ(maskOrigin(), (Vexl::Point{0, 0}));
  // Moved along: a further 30 to the right takes the mask with it.
  path.SetTransformation(Vexl::Transformation::Translation(80, 0), 0);
  EXPECT_EQ(maskOrigin(), (Vexl::Point{30, 0}));
  // Scaling about the object's origin scales the mask about it too.
  path.SetTransformation(Vexl::Transformation::Scaling(2, 2) * Vexl::Transformation::Translation(80, 0), 0);
  EXPECT_EQ(maskOrigin(), (Vexl::Point{-20, 0}));
}

}  // namespace
