#include <values/Blend.h>
#include <values/Color.h>

#include <gtest/gtest.h>

namespace {

using namespace MavColor;

TEST(ColorList, AccessByNameAppendsZeroEntryOnce) {
  Color color;
  color["PANTONE 123 C"].value = 0.5f;
  EXPECT_EQ(color["Cyan"].value, 0.0f);
  color["PANTONE 123 C"].value = 0.75f;
  ASSERT_EQ(color.Size(), 2u);
  EXPECT_EQ(color.GetEntries()[0].name, "PANTONE 123 C");
  EXPECT_EQ(color.GetEntries()[0].value, 0.75f);
  EXPECT_EQ(color.GetEntries()[1].name, "Cyan");
}

TEST(ColorList, NamesCompareByteForByte) {
  Color color = MakeSeparationColor({{"Black", 1.0f}});
  EXPECT_EQ(color.Find("black"), nullptr);
  EXPECT_EQ(color.Find("Black "), nullptr);
  ASSERT_NE(color.Find("Black"), nullptr);
}

TEST(ColorList, SpaceFixesProcessComponents) {
  EXPECT_EQ(ProcessComponentCount(ColorSpace{}), 0);
  EXPECT_EQ(ProcessComponentCount(AllSeparations{}), 1);
  EXPECT_EQ(ProcessComponentCount(DeviceGray{}), 1);
  EXPECT_EQ(ProcessComponentCount(ICCGray{}), 1);
  EXPECT_EQ(ProcessComponentCount(CalRGB{}), 3);
  EXPECT_EQ(ProcessComponentCount(Lab{}), 3);
  EXPECT_EQ(ProcessComponentCount(FourComponent{}), 4);

  Color cmyk = MakeCMYKColor(0.1f, 0.2f, 0.3f, 0.4f);
  cmyk["Spot"].value = 1;
  EXPECT_EQ(cmyk.NamedBegin(), 4u);
  EXPECT_EQ(cmyk.NamedCount(), 1u);
  EXPECT_EQ(cmyk.GetEntries()[3].name, "Black");
}

TEST(ICCProfile, EqualByBytesAndNullSafe) {
  auto a = std::make_shared<const ICCProfile>(std::vector<std::uint8_t>{1, 2, 3}, 4);
  auto b = std::make_shared<const ICCProfile>(std::vector<std::uint8_t>{1, 2, 3}, 4);
  auto c = std::make_shared<const ICCProfile>(std::vector<std::uint8_t>{1, 2, 4}, 4);
  std::shared_ptr<const ICCProfile> none;
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(a == none);
  EXPECT_TRUE(none == std::shared_ptr<const ICCProfile>());
  EXPECT_TRUE(ColorSpace(ICCRGB{a}) == ColorSpace(ICCRGB{b}));
  EXPECT_FALSE(ColorSpace(ICCRGB{a}) == ColorSpace(ICCGray{a}));
}

TEST(Transparency, FactoryValidatesAndKeepsSettings) {
  using namespace MavBlend;
  const auto t = Transparency::Factory()
                     .SetBlendMode(BlendMode::ColorBurn)
                     .SetFillAlpha(0.25f)
                     .SetKnockout(true)
                     .Get();
  EXPECT_EQ(t->GetBlendMode(), BlendMode::ColorBurn);
  EXPECT_EQ(t->GetFillAlpha(), 0.25f);
  EXPECT_EQ(t->GetStrokeAlpha(), 1.0f);
  EXPECT_TRUE(t->IsKnockout());
  EXPECT_FALSE(t->IsIsolated());
  EXPECT_THROW(Transparency::Factory().SetFillAlpha(1.5f), std::invalid_argument);
  EXPECT_THROW(Transparency::Factory().SetStrokeAlpha(std::nanf("")), std::invalid_argument);
  const auto copy = Transparency::Factory(t).SetIsolated(true).Get();
  EXPECT_EQ(copy->GetFillAlpha(), 0.25f);
  EXPECT_TRUE(copy->IsIsolated());
}

TEST(Transparency, WhitePreservingModesAreNormalThroughSoftLight) {
  using MavBlend::BlendMode;
  int preserving = 0;
  for (int m = 0; m < MavBlend::kBlendModeCount; ++m) {
    preserving += MavBlend::IsWhitePreserving(static_cast<BlendMode>(m)) ? 1 : 0;
  }
  EXPECT_EQ(preserving, 10);
  EXPECT_TRUE(MavBlend::IsWhitePreserving(BlendMode::SoftLight));
  EXPECT_FALSE(MavBlend::IsWhitePreserving(BlendMode::Difference));
  EXPECT_STREQ(MavBlend::BlendModeName(BlendMode::Luminosity), "Luminosity");
}

TEST(Transparency, NormalOpaqueNeedsModeAlphaAndNoMask) {
  using namespace MavBlend;
  EXPECT_TRUE(FillIsNormalOpaque(nullptr));
  EXPECT_TRUE(FillIsNormalOpaque(Transparency::GetDefault().get()));
  const auto half = Transparency::Factory().SetStrokeAlpha(0.5f).Get();
  EXPECT_TRUE(FillIsNormalOpaque(half.get()));
  EXPECT_FALSE(StrokeIsNormalOpaque(half.get()));
  const auto multiply = Transparency::Factory().SetBlendMode(BlendMode::Multiply).Get();
  EXPECT_FALSE(FillIsNormalOpaque(multiply.get()));
}

}  // namespace
