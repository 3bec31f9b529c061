#include <values/Paint.h>

#include <gtest/gtest.h>

namespace {

using namespace MavPaint;

ShadingCommon CyanRamp() {
  ShadingCommon common;
  common.function = std::make_shared<const ExponentialFunction>(std::vector<float>{0},
                                                                std::vector<float>{1}, 1.0);
  common.mapping["Cyan"].channel = 0;
  return common;
}

TEST(Paint, FlatPaintsCompareByValue) {
  auto a = FlatPaint::Factory(MavColor::MakeSeparationColor({{"Cyan", 0.5f}}), nullptr, nullptr).Get();
  auto b = FlatPaint::Factory(MavColor::MakeSeparationColor({{"Cyan", 0.5f}}), nullptr, nullptr).Get();
  auto c = FlatPaint::Factory(MavColor::MakeSeparationColor({{"Cyan", 0.6f}}), nullptr, nullptr).Get();
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(*a == *b);
  EXPECT_FALSE(*a == *c);
  EXPECT_EQ(a->GetType(), Paint::kFlat);
}

TEST(Paint, ShadingsCompareGeometryAndFunction) {
  AxialShadingPaint a(CyanRamp(), {0, 0}, {1000, 0});
  AxialShadingPaint b(CyanRamp(), {0, 0}, {1000, 0});
  AxialShadingPaint c(CyanRamp(), {0, 0}, {2000, 0});
  RadialShadingPaint r(CyanRamp(), {0, 0}, 0, {0, 0}, 1000);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(a == r);
  EXPECT_EQ(r.GetType(), Paint::kRadial);
  EXPECT_THROW(RadialShadingPaint(CyanRamp(), {0, 0}, -1, {0, 0}, 1), std::invalid_argument);
}

TEST(Paint, TransformMovesShadingsOnly) {
  auto flat = FlatPaint::Factory(MavColor::MakeSeparationColor({{"Black", 1.0f}}), nullptr, nullptr).Get();
  const auto shift = Vexl::Transformation::Translation(500, 0);
  EXPECT_EQ(Transform(flat, shift).get(), flat.get());

  std::shared_ptr<const Paint> axial =
      std::make_shared<const AxialShadingPaint>(CyanRamp(), Vexl::Point{0, 0}, Vexl::Point{1000, 0});
  auto moved = Transform(axial, shift);
  const auto& shading = dynamic_cast<const ShadingPaint&>(*moved);
  EXPECT_EQ(shading.GetTransformation().Apply({0, 0}), (Vexl::Point{500, 0}));
  EXPECT_FALSE(*moved == *axial);
}

TEST(Paint, MeshShadingChecksPatchSize) {
  MeshShadingPaint::Patch patch;
  patch.controlPoints.resize(12);
  EXPECT_NO_THROW(MeshShadingPaint(Paint::kCoons, CyanRamp(), {0, 1, 0, 1}, {}, {patch}));
  EXPECT_THROW(MeshShadingPaint(Paint::kTensor, CyanRamp(), {0, 1, 0, 1}, {}, {patch}),
               std::invalid_argument);
  EXPECT_THROW(MeshShadingPaint(9, CyanRamp(), {0, 1, 0, 1}, {}, {}), std::invalid_argument);
}

}  // namespace
