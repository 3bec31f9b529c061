#include <graph/AttributeEquality.h>

#include <cmath>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>

namespace {

using namespace Corvel;
using namespace MavDoc::Build;
using DocumentGraph::ElementAttribute;
using DocumentGraph::GroupAttribute;
using DocumentGraph::SoftMaskAttribute;
using MavBlend::BlendMode;
using MavBlend::Transparency;

Vexl::Transformation Shifted(double tx) { return Vexl::Transformation::Translation(tx, 0); }

TEST(TransformationsEqual, AllowsFiveUnitsInTheLastPlace) {
  const double x = 1234.5678;
  double near = x, far = x;
  for (int i = 0; i < 5; ++i) near = std::nextafter(near, 1e9);
  for (int i = 0; i < 6; ++i) far = std::nextafter(far, 1e9);
  EXPECT_TRUE(TransformationsEqual(Shifted(x), Shifted(near)));
  EXPECT_FALSE(TransformationsEqual(Shifted(x), Shifted(far)));
  EXPECT_TRUE(TransformationsEqual(Shifted(0.0), Shifted(-0.0)));
  // Across zero: the tiniest negative and positive numbers are two units apart.
  EXPECT_TRUE(TransformationsEqual(Shifted(-4.9e-324), Shifted(4.9e-324)));
  Vexl::Transformation skewed = Shifted(x);
  skewed.d = std::nextafter(1.0, 2.0) + 1e-12;
  EXPECT_FALSE(TransformationsEqual(Shifted(x), skewed));
  EXPECT_FALSE(TransformationsEqual(Shifted(1e300), Shifted(-1e300)));
}

struct ElementFixture : ::testing::Test {
  MavDoc::Path path{Vexl::MakeRectangle({0, 0, 10, 10, false})};
  std::shared_ptr<MavDoc::HalftoneSet> halftone = std::make_shared<MavDoc::HalftoneSet>("h");

  ElementAttribute Flat(std::shared_ptr<const Transparency> t, float cyan = 0.5f,
                        Vexl::Transformation at = {}) {
    return ElementAttribute(path, std::move(t), false, MavDoc::Build::Flat({{"Cyan", cyan}}),
                            halftone, at, &path, true);
  }
};

TEST_F(ElementFixture, AlphasWithinTenMillionthsAreEqual) {
  EXPECT_TRUE(ElementAttributesEqual(Flat(Blend(BlendMode::Normal, 0.5f)),
                                     Flat(Blend(BlendMode::Normal, 0.500005f))));
  EXPECT_FALSE(ElementAttributesEqual(Flat(Blend(BlendMode::Normal, 0.5f)),
                                      Flat(Blend(BlendMode::Normal, 0.50002f))));
  EXPECT_FALSE(ElementAttributesEqual(Flat(Blend(BlendMode::Normal, 0.5f)),
                                      Flat(Blend(BlendMode::Multiply, 0.5f))));
  EXPECT_FALSE(ElementAttributesEqual(Flat(nullptr, 0.5f), Flat(nullptr, 0.6f)));
}

TEST_F(ElementFixture, AlphaIsShapeMattersOnlyBelowFullAlphaOrWithMasks) {
  auto ais = [](float alpha) {
    return Transparency::Factory().SetFillAlpha(alpha).SetAlphaIsShape(true).Get();
  };
  auto plain = [](float alpha) { return Transparency::Factory().SetFillAlpha(alpha).Get(); };
  EXPECT_TRUE(ElementAttributesEqual(Flat(plain(1)), Flat(ais(1))));
  EXPECT_FALSE(ElementAttributesEqual(Flat(plain(0.5f)), Flat(ais(0.5f))));
}

TEST_F(ElementFixture, FlatPaintsIgnorePlacementShadingsDoNot) {
  EXPECT_TRUE(ElementAttributesEqual(Flat(nullptr, 0.5f, Shifted(0)),
                                     Flat(nullptr, 0.5f, Shifted(1000))));
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(
      std::vector<float>{0}, std::vector<float>{1}, 1.0);
  common.mapping["Cyan"].channel = 0;
  auto ramp = std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{0, 0},
                                                                  Vexl::Point{100, 0});
  auto shaded = [&](double tx) {
    return ElementAttribute(path, nullptr, false, ramp, halftone, Shifted(tx), &path, true);
  };
  EXPECT_TRUE(ElementAttributesEqual(shaded(100), shaded(std::nextafter(100.0, 200.0))));
  EXPECT_FALSE(ElementAttributesEqual(shaded(100), shaded(100.001)));
}

TEST_F(ElementFixture, HalftoneSetsCompareByIdentity) {
  ElementAttribute a = Flat(nullptr);
  ElementAttribute b(path, nullptr, false, MavDoc::Build::Flat({{"Cyan", 0.5f}}),
                     std::make_shared<MavDoc::HalftoneSet>("h"), {}, &path, true);
  EXPECT_FALSE(ElementAttributesEqual(a, b));
}

std::shared_ptr<const MavBlend::SoftMask> MaskWithBackdrop(std::vector<float> backdrop) {
  return MavBlend::SoftMask::Factory(MavDoc::Content::MakeSoftMaskContent(nullptr))
      .SetBackdropColor(std::move(backdrop))
      .Get();
}

TEST(SoftMaskAttributesEqual, BackdropsOfDifferentLengthNeverMatch) {
  auto masked = [](std::vector<float> backdrop) {
    return Transparency::Factory().SetSoftMask(MaskWithBackdrop(std::move(backdrop))).Get();
  };
  const SoftMaskAttribute one(masked({0.0f}), {}, {});
  const SoftMaskAttribute four(masked({0.0f, 0.0f, 0.0f, 0.0f}), {}, {});
  const SoftMaskAttribute oneAgain(masked({0.000001f}), {}, {});
  EXPECT_FALSE(SoftMaskAttributesEqual(one, four));
  EXPECT_TRUE(SoftMaskAttributesEqual(one, oneAgain));
  const SoftMaskAttribute moved(masked({0.0f}), {}, MavColor::DeviceCMYK{});
  EXPECT_FALSE(SoftMaskAttributesEqual(one, moved));
}

TEST(GroupAttributesEqual, FlagsAndColourSpacesDecide) {
  auto group = [](bool isolated, bool knockout, MavColor::GroupColorSpace space = {}) {
    return GroupAttribute(
        Transparency::Factory().SetIsolated(isolated).SetKnockout(knockout).Get(), false, {},
        std::move(space), true);
  };
  EXPECT_TRUE(GroupAttributesEqual(group(true, false), group(true, false)));
  EXPECT_FALSE(GroupAttributesEqual(group(true, false), group(false, false)));
  EXPECT_FALSE(GroupAttributesEqual(group(false, true), group(false, false)));
  MavColor::CalGray gamma2;
  gamma2.gamma = 2.2;
  EXPECT_FALSE(GroupAttributesEqual(group(false, false, gamma2), group(false, false)));
  EXPECT_TRUE(GroupAttributesEqual(group(false, false, gamma2), group(false, false, gamma2)));
}

}  // namespace
