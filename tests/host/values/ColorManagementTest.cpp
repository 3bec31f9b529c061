// Colour management: conversions agree with lcms2 called directly on the same profiles; Lab
// white is paper white; pictures convert as their flat colours do.
#include <values/ColorManagement.h>
#include <values/Conversion.h>
#include <values/Picture.h>

#include <gtest/gtest.h>
#include <lcms2.h>

#include <random>

namespace {

using namespace MavColor;

ColorSettings Managed(RenderingIntent intent = RenderingIntent::Perceptual) {
  ColorSettings settings;
  settings.managed = true;
  settings.intent = intent;
  return settings;
}

// lcms2 on the default profiles, straight: the reference the layer must agree with.
std::array<float, 4> Reference(const char* source, cmsUInt32Number format, const float* in, int intent) {
  cmsHPROFILE from = format == TYPE_Lab_FLT ? cmsCreateLab4Profile(nullptr)
                                            : cmsOpenProfileFromFile(DefaultProfilePath(source).c_str(), "r");
  cmsHPROFILE to = cmsOpenProfileFromFile(DefaultProfilePath("default_cmyk.icc").c_str(), "r");
  cmsHTRANSFORM t = cmsCreateTransform(from, format, to, TYPE_CMYK_FLT, static_cast<cmsUInt32Number>(intent),
                                       cmsFLAGS_BLACKPOINTCOMPENSATION);
  float out[4];
  cmsDoTransform(t, in, out, 1);
  cmsDeleteTransform(t);
  cmsCloseProfile(from);
  cmsCloseProfile(to);
  return {out[0] / 100, out[1] / 100, out[2] / 100, out[3] / 100};
}

TEST(ColorManagement, RgbAndLabAgreeWithLcmsOnAGridAndTwoIntents) {
  for (const auto intent : {RenderingIntent::Perceptual, RenderingIntent::RelativeColorimetric}) {
    const ScopedColorSettings scope(Managed(intent));
    for (float r = 0; r <= 1; r += 0.25f)
      for (float g = 0; g <= 1; g += 0.25f)
        for (float b = 0; b <= 1; b += 0.25f) {
          const float rgb[] = {r, g, b};
          const auto expected = Reference("default_rgb.icc", TYPE_RGB_FLT, rgb, static_cast<int>(intent));
          const auto got = ProcessToCMYK(DeviceRGB{}, rgb);
          for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[i], 1.0 / 255) << r << " " << g << " " << b;
        }
    for (float l = 0; l <= 100; l += 25)
      for (float a = -60; a <= 60; a += 40) {
        const float lab[] = {l, a, -a / 2};
        const auto expected = Reference(nullptr, TYPE_Lab_FLT, lab, static_cast<int>(intent));
        const auto got = ProcessToCMYK(Lab{{0.9642, 1.0, 0.8249}}, lab);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[i], 1.0 / 255) << l << " " << a;
      }
  }
}

TEST(ColorManagement, LabWhiteIsPaperWhiteAndGrayGoesToBlackAlone) {
  const ScopedColorSettings scope(Managed());
  const float white[] = {100, 0, 0};
  for (float ink : ProcessToCMYK(Lab{{0.9642, 1.0, 0.8249}}, white)) EXPECT_NEAR(ink, 0, 1.0 / 255);
  // With a D65 white point too: the white of the space is paper white.
  for (float ink : ProcessToCMYK(Lab{{0.9505, 1.0, 1.089}}, white)) EXPECT_NEAR(ink, 0, 1.0 / 255);
  const float gray[] = {0.3f};
  const auto k = ProcessToCMYK(DeviceGray{}, gray);
  EXPECT_EQ(k[0] + k[1] + k[2], 0);
  EXPECT_NEAR(k[3], 0.7, 1e-6);
}

TEST(ColorManagement, UnmanagedConversionStaysNaiveAndSettingsRestore) {
  const float rgb[] = {0.2f, 0.5f, 0.8f};
  {
    const ScopedColorSettings scope(Managed());
    EXPECT_GT(ProcessToCMYK(DeviceRGB{}, rgb)[1], 0.4);  // not 1 − G
  }
  const auto naive = ProcessToCMYK(DeviceRGB{}, rgb);
  EXPECT_FLOAT_EQ(naive[0], 0.8f);
  EXPECT_FLOAT_EQ(naive[1], 0.5f);
  EXPECT_FLOAT_EQ(naive[3], 0.0f);
}

TEST(ColorManagement, ProfilesAreCheckedWhenLoaded) {
  EXPECT_EQ(LoadProfile(DefaultProfilePath("default_cmyk.icc"), 4)->GetComponentCount(), 4);
  EXPECT_THROW(LoadProfile(DefaultProfilePath("default_rgb.icc"), 4), std::runtime_error);
  EXPECT_THROW(LoadProfile("/no/such/profile.icc"), std::runtime_error);
  EXPECT_THROW(ParseProfile({1, 2, 3}, 0, "three bytes"), std::runtime_error);
}

// Random RGB pictures: each pixel of the managed copy is its flat colour's conversion.
TEST(ColorManagement, PicturesConvertAsTheirColoursDo) {
  const ScopedColorSettings scope(Managed());
  std::mt19937 random(19);
  MavImg::PictureBuffer::Factory factory(16, 8, 3, 8);
  for (int row = 0; row < 8; ++row)
    for (int i = 0; i < 16 * 3; ++i) factory.GetRowPtr(row)[i] = static_cast<std::uint8_t>(random());
  auto buffer = factory.GetResult();
  ColorList<SeparationMappingPolicy> mapping;
  mapping.SetColorSpace(DeviceRGB{});
  for (int c = 0; c < 3; ++c) mapping.Append({"RGB" + std::to_string(c), static_cast<std::uint64_t>(c)});
  std::vector<MavImg::ChannelInfo> infos;
  for (int c = 0; c < 3; ++c) infos.emplace_back("RGB" + std::to_string(c), 0, std::array<double, 2>{0, 1});
  const MavImg::BufferedPictureSource source(buffer, mapping, infos, nullptr, std::nullopt, nullptr,
                                             Vexl::Transformation::Identity());
  const auto cmyk = source.GetManagedCMYK();
  ASSERT_TRUE(cmyk);
  ASSERT_EQ(cmyk->GetChannels(), 4);
  for (int row = 0; row < 8; ++row)
    for (int column = 0; column < 16; ++column) {
      float rgb[3];
      for (int c = 0; c < 3; ++c) rgb[c] = static_cast<float>(buffer->GetSample(column, row, c));
      const auto expected = ProcessToCMYK(DeviceRGB{}, rgb);
      // lcms2 reads 8-bit pictures through a precalculated table: within the oracle's 2/255.
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(cmyk->GetSample(column, row, i), expected[i], 2.0 / 255);
    }
}

}  // namespace
