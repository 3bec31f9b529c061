// Colour management: conversions agree with lcms2 called directly on the same profiles; Lab
// white is paper white; pictures, Lab ones too, convert as their flat colours do.
#include <values/ColorManagement.h>
#include <values/Conversion.h>
#include <values/Picture.h>

#include <gtest/gtest.h>
#include <lcms2.h>

#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include <tests/IntentTestProfile.h>

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

// Random 16-bit Lab pictures over their channels' ranges: each pixel of the converted copy is
// its flat colour's conversion, managed or naive (Lab has no device reading, so both take the
// profiles), and L* 100, a* = b* = 0 is paper white.
TEST(ColorManagement, LabPicturesConvertAsTheirColoursDoManagedOrNaive) {
  std::mt19937 random(23);
  constexpr int kColumns = 16, kRows = 4;
  MavImg::PictureBuffer::Factory factory(kColumns, kRows, 3, 16);
  for (int row = 0; row < kRows; ++row)
    for (int i = 0; i < kColumns * 3 * 2; ++i)
      factory.GetRowPtr(row)[i] = static_cast<std::uint8_t>(random());
  // The first pixel white: L* at the top of its range, a* and b* halfway along theirs.
  const std::uint8_t white[] = {0xFF, 0xFF, 0x80, 0x00, 0x80, 0x00};
  std::copy(std::begin(white), std::end(white), factory.GetRowPtr(0));
  auto buffer = factory.GetResult();
  const std::array<std::array<double, 2>, 3> ranges{{{0, 100}, {-100, 100}, {-60, 60}}};
  const Lab space{{0.9505, 1.0, 1.089}, {0, 0, 0}, {-100, 100, -60, 60}};
  ColorList<SeparationMappingPolicy> mapping;
  mapping.SetColorSpace(space);
  std::vector<MavImg::ChannelInfo> infos;
  for (int c = 0; c < 3; ++c) {
    mapping.Append({"Lab" + std::to_string(c), static_cast<std::uint64_t>(c)});
    infos.emplace_back("Lab" + std::to_string(c), 0, ranges[static_cast<std::size_t>(c)]);
  }
  const MavImg::BufferedPictureSource source(buffer, mapping, infos, nullptr, std::nullopt, nullptr,
                                             Vexl::Transformation::Identity());
  for (const bool managed : {true, false}) {
    ColorSettings settings;
    settings.managed = managed;
    const ScopedColorSettings scope(settings);
    const auto cmyk = source.GetManagedCMYK();
    ASSERT_TRUE(cmyk) << "managed " << managed;
    for (int i = 0; i < 4; ++i)
      EXPECT_LE(cmyk->GetSample(0, 0, i), 1.0 / 255) << "white, ink " << i;
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column) {
        float lab[3];
        for (std::size_t c = 0; c < 3; ++c)
          lab[c] = static_cast<float>(ranges[c][0] +
                                      buffer->GetSample(column, row, static_cast<int>(c)) *
                                          (ranges[c][1] - ranges[c][0]));
        const auto expected = ProcessToCMYK(space, lab);
        for (int i = 0; i < 4; ++i)
          EXPECT_NEAR(cmyk->GetSample(column, row, i), expected[i], 2.0 / 255)
              << "managed " << managed << ", L*a*b* " << lab[0] << " " << lab[1] << " " << lab[2];
      }
  }
  // Naive flat Lab colours are the managed ones too.
  const float green[] = {60, -50, 20};
  std::array<float, 4> managed;
  {
    const ScopedColorSettings scope(Managed());
    managed = ProcessToCMYK(space, green);
  }
  const auto naive = ProcessToCMYK(space, green);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(naive[i], managed[i], 1e-6) << i;
}

// Each object's colours convert with its own rendering intent, into an output profile whose
// intents differ clearly: flat colours as lcms2 converts them straight with that intent, pictures
// as their flat colours, on several threads at once. An object without one takes the settings'
// intent; settings that override objects' intents (corvel flatten --intent) use theirs for all.
TEST(ColorManagement, ObjectsConvertWithTheirOwnIntentUnlessTheSettingsOverrideIt) {
  const auto outputBytes = CorvelTest::IntentTestProfile();
  std::ifstream rgbFile(DefaultProfilePath("default_rgb.icc"), std::ios::binary);
  const std::vector<std::uint8_t> rgbBytes((std::istreambuf_iterator<char>(rgbFile)), {});
  ColorSettings settings = Managed();
  settings.output = ParseProfile(outputBytes, 4, "the intents test profile");
  const float rgb[] = {0.2f, 0.6f, 0.9f};
  std::vector<std::vector<float>> expected;
  for (int intent = 0; intent < 4; ++intent)
    expected.push_back(CorvelTest::LcmsRgbToCmyk(rgbBytes, outputBytes, rgb, intent));
  for (int intent = 1; intent < 4; ++intent) {  // the profile tells the intents apart
    float apart = 0;
    for (int i = 0; i < 4; ++i) apart = std::max(apart, std::fabs(expected[0][i] - expected[intent][i]));
    EXPECT_GT(apart, 10.0 / 255) << "intent " << intent;
  }
  const auto expectIntent = [&](const std::array<float, 4>& got, int intent, const std::string& what) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[intent][i], 1.0 / 255) << what << ", ink " << i;
  };
  {
    const ScopedColorSettings scope(settings);
    expectIntent(ProcessToCMYK(DeviceRGB{}, rgb), 0, "no intent");
    std::vector<std::thread> threads;
    std::vector<std::array<float, 4>> got(4 * 50);
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&, t] {
        for (int n = 0; n < 50; ++n)
          got[t * 50 + n] = ProcessToCMYK(DeviceRGB{}, rgb, static_cast<RenderingIntent>((t + n) % 4));
      });
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t)
      for (int n = 0; n < 50; ++n) expectIntent(got[t * 50 + n], (t + n) % 4, "object's intent");

    MavImg::PictureBuffer::Factory factory(2, 1, 3, 8);
    for (int i = 0; i < 6; ++i) factory.GetRowPtr(0)[i] = static_cast<std::uint8_t>(std::lround(rgb[i % 3] * 255));
    ColorList<SeparationMappingPolicy> mapping;
    mapping.SetColorSpace(DeviceRGB{});
    std::vector<MavImg::ChannelInfo> infos;
    for (int c = 0; c < 3; ++c) {
      mapping.Append({"RGB" + std::to_string(c), static_cast<std::uint64_t>(c)});
      infos.emplace_back("RGB" + std::to_string(c), 0, std::array<double, 2>{0, 1});
    }
    const MavImg::BufferedPictureSource source(factory.GetResult(), mapping, infos, nullptr, std::nullopt,
                                               nullptr, Vexl::Transformation::Identity());
    for (int intent = 0; intent < 4; ++intent) {
      const auto cmyk = source.GetManagedCMYK(static_cast<RenderingIntent>(intent));
      ASSERT_TRUE(cmyk);
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(cmyk->GetSample(1, 0, i), expected[intent][i], 2.0 / 255) << intent;
    }
  }
  settings.intent = RenderingIntent::Saturation;
  settings.overrideObjectIntents = true;
  const ScopedColorSettings scope(settings);
  for (int intent = 0; intent < 4; ++intent)
    expectIntent(ProcessToCMYK(DeviceRGB{}, rgb, static_cast<RenderingIntent>(intent)), 2, "overridden");
  expectIntent(ProcessToCMYK(DeviceRGB{}, rgb), 2, "overridden, no intent");
}

}  // namespace
