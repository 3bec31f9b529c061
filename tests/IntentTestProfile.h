#pragma once
// A CMYK output profile whose rendering intents differ clearly, for tests of per-object intents:
// Ghostscript's own CMYK profiles give the same colours (within 0.004) for every intent but
// absolute colorimetric. Built with lcms2 (ICC v2, Lab PCS): one colorimetric CMYK-to-Lab table,
// and a Lab-to-CMYK table per intent: relative colorimetric through sRGB with half black
// generation, perceptual the same 20 % lighter, saturation with every ink raised to the power
// 0.6. Its media white is yellowish, so absolute colorimetric differs from relative too.

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace CorvelTest {

namespace IntentProfileDetail {

struct Conversions {
  cmsHTRANSFORM labToRgb, rgbToLab;
  int intent;
};

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

inline cmsUInt16Number Word(double v) { return static_cast<cmsUInt16Number>(std::lround(Clamp01(v) * 65535)); }

inline int LabToCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  const auto& c = *static_cast<const Conversions*>(cargo);
  cmsCIELab lab;
  cmsLabEncoded2FloatV2(&lab, in);
  double rgb[3];
  cmsDoTransform(c.labToRgb, &lab, rgb, 1);
  double ink[3] = {1 - Clamp01(rgb[0]), 1 - Clamp01(rgb[1]), 1 - Clamp01(rgb[2])};
  const double k = std::min({ink[0], ink[1], ink[2]}) * 0.5;
  for (double& v : ink) {
    v = (v - k) / (1 - k + 1e-9);
    if (c.intent == INTENT_PERCEPTUAL) v *= 0.8;
    if (c.intent == INTENT_SATURATION) v = std::pow(Clamp01(v), 0.6);
  }
  for (int i = 0; i < 3; ++i) out[i] = Word(ink[i]);
  out[3] = Word(k);
  return 1;
}

inline int CmykToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  const auto& c = *static_cast<const Conversions*>(cargo);
  const double k = in[3] / 65535.0;
  const double rgb[3] = {(1 - in[0] / 65535.0) * (1 - k), (1 - in[1] / 65535.0) * (1 - k),
                         (1 - in[2] / 65535.0) * (1 - k)};
  cmsCIELab lab;
  cmsDoTransform(c.rgbToLab, rgb, &lab, 1);
  cmsFloat2LabEncodedV2(out, &lab);
  return 1;
}

}  // namespace IntentProfileDetail

// The profile's bytes.
inline std::vector<std::uint8_t> IntentTestProfile() {
  using namespace IntentProfileDetail;
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  Conversions conversions{
      cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0),
      cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0), 0};
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 2.1);
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetColorSpace(profile, cmsSigCmykData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsMLU* text = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(text, "en", "US", "Corvel intents test CMYK");
  cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
  cmsWriteTag(profile, cmsSigCopyrightTag, text);
  cmsMLUfree(text);
  const cmsCIEXYZ paper{0.93, 0.96, 0.70};
  cmsWriteTag(profile, cmsSigMediaWhitePointTag, &paper);
  const cmsTagSignature toLab[] = {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag};
  const cmsTagSignature toCmyk[] = {cmsSigBToA0Tag, cmsSigBToA1Tag, cmsSigBToA2Tag};
  for (int intent = 0; intent < 3; ++intent) {
    conversions.intent = intent;
    cmsPipeline* forward = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(table, CmykToLab, &conversions, 0);
    cmsPipelineInsertStage(forward, cmsAT_BEGIN, table);
    cmsWriteTag(profile, toLab[intent], forward);
    cmsPipelineFree(forward);
    cmsPipeline* backward = cmsPipelineAlloc(nullptr, 3, 4);
    table = cmsStageAllocCLut16bit(nullptr, 17, 3, 4, nullptr);
    cmsStageSampleCLut16bit(table, LabToCmyk, &conversions, 0);
    cmsPipelineInsertStage(backward, cmsAT_BEGIN, table);
    cmsWriteTag(profile, toCmyk[intent], backward);
    cmsPipelineFree(backward);
  }
  cmsUInt32Number size = 0;
  std::vector<std::uint8_t> bytes;
  if (cmsSaveProfileToMem(profile, nullptr, &size)) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  cmsCloseProfile(profile);
  cmsDeleteTransform(conversions.labToRgb);
  cmsDeleteTransform(conversions.rgbToLab);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  if (bytes.empty()) throw std::runtime_error("lcms2 could not write the intents test profile");
  return bytes;
}

// `rgb` (0..1) converted by lcms2 called straight from `rgbProfile` into `cmykProfile` with
// `intent` and black point compensation, as CMYK tints (0..1).
inline std::vector<float> LcmsRgbToCmyk(const std::vector<std::uint8_t>& rgbProfile,
                                        const std::vector<std::uint8_t>& cmykProfile, const float rgb[3],
                                        int intent) {
  cmsHPROFILE from = cmsOpenProfileFromMem(rgbProfile.data(), static_cast<cmsUInt32Number>(rgbProfile.size()));
  cmsHPROFILE to = cmsOpenProfileFromMem(cmykProfile.data(), static_cast<cmsUInt32Number>(cmykProfile.size()));
  cmsHTRANSFORM transform = cmsCreateTransform(from, TYPE_RGB_FLT, to, TYPE_CMYK_FLT,
                                               static_cast<cmsUInt32Number>(intent),
                                               cmsFLAGS_BLACKPOINTCOMPENSATION);
  float out[4] = {0, 0, 0, 0};
  if (transform) cmsDoTransform(transform, rgb, out, 1);
  if (transform) cmsDeleteTransform(transform);
  cmsCloseProfile(from);
  cmsCloseProfile(to);
  if (!transform) throw std::runtime_error("lcms2 could not make the reference transform");
  return {out[0] / 100, out[1] / 100, out[2] / 100, out[3] / 100};
}

}  // namespace CorvelTest
