#include <values/ColorManagement.h>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace MavColor {

namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

// The transforms of one source space: floats for flat colours and Lab pictures, bytes for other
// pictures.
struct Transforms {
  Transform floats, bytes;
  std::shared_ptr<const ICCProfile> keepAlive;  // the key holds its address
};

std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}
ColorSettings& Settings() {
  static ColorSettings settings;
  return settings;
}
std::uint64_t& Generation() {
  static std::uint64_t generation = 0;
  return generation;
}
// By source key and intent.
std::map<std::pair<std::string, RenderingIntent>, Transforms>& Cache() {
  static std::map<std::pair<std::string, RenderingIntent>, Transforms> cache;
  return cache;
}

cmsCIExyY ToXyY(const std::array<double, 3>& xyz) {
  const double sum = xyz[0] + xyz[1] + xyz[2];
  if (!(sum > 0)) return {0.3457, 0.3585, 1.0};  // D50
  return {xyz[0] / sum, xyz[1] / sum, 1.0};
}

Profile Open(const ICCProfile& profile) {
  return Profile(cmsOpenProfileFromMem(profile.GetBytes().data(),
                                       static_cast<cmsUInt32Number>(profile.GetBytes().size())));
}

Profile OpenDefault(const std::shared_ptr<const ICCProfile>& chosen, const char* name) {
  if (chosen) return Open(*chosen);
  return Profile(cmsOpenProfileFromFile(DefaultProfilePath(name).c_str(), "r"));
}

Profile CalRGBProfile(const CalRGB& cal) {
  const auto& m = cal.matrix;
  const cmsCIExyYTRIPLE primaries{ToXyY({m[0], m[1], m[2]}), ToXyY({m[3], m[4], m[5]}),
                                  ToXyY({m[6], m[7], m[8]})};
  cmsToneCurve* curves[3];
  for (int i = 0; i < 3; ++i) curves[i] = cmsBuildGamma(nullptr, cal.gamma[i]);
  const cmsCIExyY white = ToXyY(cal.whitePoint);
  Profile profile(cmsCreateRGBProfile(&white, &primaries, curves));
  for (auto* curve : curves) cmsFreeToneCurve(curve);
  return profile;
}

Profile CalGrayProfile(const CalGray& cal) {
  cmsToneCurve* curve = cmsBuildGamma(nullptr, cal.gamma);
  const cmsCIExyY white = ToXyY(cal.whitePoint);
  Profile profile(cmsCreateGrayProfile(&white, curve));
  cmsFreeToneCurve(curve);
  return profile;
}

// The source profile of a space and the key of its transforms; a null profile when the space
// is not converted through profiles.
struct Source {
  Profile profile;
  std::string key;
  std::shared_ptr<const ICCProfile> keepAlive;
};

std::string Address(const void* p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

Source SourceOf(const ColorSpace& space) {
  const ColorSettings& s = Settings();
  return std::visit(
      [&](const auto& v) -> Source {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, DeviceRGB>) {
          return {OpenDefault(s.rgb, "default_rgb.icc"), "rgb", nullptr};
        } else if constexpr (std::is_same_v<T, DeviceGray>) {
          if (!s.gray) return {};
          return {Open(*s.gray), "gray", nullptr};
        } else if constexpr (std::is_same_v<T, CalRGB>) {
          std::ostringstream key;
          key << "calrgb";
          for (double d : v.whitePoint) key << ' ' << d;
          for (double d : v.gamma) key << ' ' << d;
          for (double d : v.matrix) key << ' ' << d;
          return {CalRGBProfile(v), key.str(), nullptr};
        } else if constexpr (std::is_same_v<T, CalGray>) {
          std::ostringstream key;
          key << "calgray " << v.gamma;
          for (double d : v.whitePoint) key << ' ' << d;
          return {CalGrayProfile(v), key.str(), nullptr};
        } else if constexpr (std::is_same_v<T, Lab>) {
          const cmsCIExyY white = ToXyY(v.whitePoint);
          std::ostringstream key;
          key << "lab";
          for (double d : v.whitePoint) key << ' ' << d;
          return {Profile(cmsCreateLab4Profile(&white)), key.str(), nullptr};
        } else if constexpr (std::is_same_v<T, ICCGray> || std::is_same_v<T, ICCRGB> ||
                             std::is_same_v<T, ICCThreeComponent>) {
          if (!v.profile) return {};
          return {Open(*v.profile), "icc " + Address(v.profile.get()), v.profile};
        } else if constexpr (std::is_same_v<T, FourComponent>) {
          // ICC-based CMYK from another profile than the output's converts CMYK to CMYK;
          // DeviceCMYK, and CMYK in the output's own profile, stay as they are.
          if (v.kind != FourComponent::kICCKind || !v.profile) return {};
          if (s.output && *s.output == *v.profile) return {};
          return {Open(*v.profile), "icc " + Address(v.profile.get()), v.profile};
        } else {
          return {};
        }
      },
      space);
}

cmsUInt32Number FloatFormat(cmsColorSpaceSignature signature) {
  switch (signature) {
    case cmsSigGrayData: return TYPE_GRAY_FLT;
    case cmsSigLabData: return TYPE_Lab_FLT;
    case cmsSigRgbData: return TYPE_RGB_FLT;
    case cmsSigCmykData: return TYPE_CMYK_FLT;
    default: return 0;
  }
}

cmsUInt32Number ByteFormat(cmsColorSpaceSignature signature) {
  switch (signature) {
    case cmsSigGrayData: return TYPE_GRAY_8;
    case cmsSigRgbData: return TYPE_RGB_8;
    case cmsSigCmykData: return TYPE_CMYK_8;
    default: return 0;  // Lab pictures take the floats
  }
}

// The transforms for the space and intent, made on first use; null when the space is not
// managed. The cache keeps them at stable addresses until the settings change. Lab goes through
// the profiles even when conversion is not managed: it names colours, not device values, so no
// naive formula reads it (Ghostscript's non-ICC conversion leaves it to the profiles too).
const Transforms* TransformsFor(const ColorSpace& space, RenderingIntent renderingIntent) {
  if (!Settings().managed && !std::holds_alternative<Lab>(space)) return nullptr;
  std::lock_guard<std::mutex> lock(Lock());
  Source source = SourceOf(space);
  if (source.key.empty()) return nullptr;
  const auto key = std::make_pair(source.key, renderingIntent);
  auto found = Cache().find(key);
  if (found != Cache().end()) return &found->second;
  Transforms& made = Cache()[key];
  made.keepAlive = source.keepAlive;
  Profile output = OpenDefault(Settings().output, "default_cmyk.icc");
  if (!source.profile || !output || cmsGetColorSpace(output.get()) != cmsSigCmykData) return &made;
  const auto signature = cmsGetColorSpace(source.profile.get());
  const auto intent = static_cast<cmsUInt32Number>(renderingIntent);
  // Without the one-pixel cache a transform may run on several threads at once.
  cmsUInt32Number flags = cmsFLAGS_NOCACHE;
  if (Settings().blackPointCompensation) flags |= cmsFLAGS_BLACKPOINTCOMPENSATION;
  if (const auto format = FloatFormat(signature)) {
    made.floats.reset(cmsCreateTransform(source.profile.get(), format, output.get(), TYPE_CMYK_FLT,
                                         intent, flags));
  }
  if (const auto format = ByteFormat(signature)) {
    // Pictures take the finer precalculated table: the 8-bit one strays 2/255 from flat colours.
    made.bytes.reset(cmsCreateTransform(source.profile.get(), format, output.get(), TYPE_CMYK_8,
                                        intent, flags | cmsFLAGS_HIGHRESPRECALC));
  }
  return &made;
}

}  // namespace

const ColorSettings& CurrentColorSettings() { return Settings(); }

RenderingIntent IntentFor(std::optional<RenderingIntent> objectIntent) {
  const ColorSettings& settings = Settings();
  return objectIntent && !settings.overrideObjectIntents ? *objectIntent : settings.intent;
}

ScopedColorSettings::ScopedColorSettings(ColorSettings settings) {
  std::lock_guard<std::mutex> lock(Lock());
  earlier_ = Settings();
  Settings() = std::move(settings);
  Cache().clear();
  ++Generation();
}

ScopedColorSettings::~ScopedColorSettings() {
  std::lock_guard<std::mutex> lock(Lock());
  Settings() = std::move(earlier_);
  Cache().clear();
  ++Generation();
}

std::uint64_t ColorSettingsGeneration() {
  std::lock_guard<std::mutex> lock(Lock());
  return Generation();
}

std::string DefaultProfilePath(const std::string& name) {
  return "/usr/share/color/icc/ghostscript/" + name;
}

std::shared_ptr<const ICCProfile> LoadProfile(const std::string& path, int components) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the ICC profile " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  return ParseProfile(std::move(bytes), components, path);
}

std::shared_ptr<const ICCProfile> ParseProfile(std::vector<std::uint8_t> bytes, int components,
                                               const std::string& what) {
  Profile profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
  if (!profile) throw std::runtime_error(what + " is not an ICC profile");
  const int channels = static_cast<int>(cmsChannelsOf(cmsGetColorSpace(profile.get())));
  if (components != 0 && channels != components) {
    throw std::runtime_error(what + " is a profile of " + std::to_string(channels) +
                             " channels, not " + std::to_string(components));
  }
  return std::make_shared<const ICCProfile>(std::move(bytes), channels);
}

std::string ProfileDescription(const ICCProfile& profile) {
  Profile open = Open(profile);
  if (!open) return "(unreadable profile)";
  char text[256] = {};
  cmsGetProfileInfoASCII(open.get(), cmsInfoDescription, "en", "US", text, sizeof text);
  return text;
}

bool IsManaged(const ColorSpace& space) {
  const Transforms* transforms = TransformsFor(space, IntentFor({}));
  return transforms && transforms->floats;
}

bool ArePixelsManaged(const ColorSpace& space) {
  const Transforms* transforms = TransformsFor(space, IntentFor({}));
  if (!transforms) return false;
  return std::holds_alternative<Lab>(space) ? transforms->floats != nullptr
                                            : transforms->bytes != nullptr;
}

std::optional<std::array<float, 4>> ManagedToCMYK(const ColorSpace& space, const float* components,
                                                  std::optional<RenderingIntent> objectIntent) {
  const Transforms* transforms = TransformsFor(space, IntentFor(objectIntent));
  if (!transforms || !transforms->floats) return std::nullopt;
  // lcms2 reads float CMYK in percent.
  const int count = ProcessComponentCount(space);
  const float scale = count == 4 ? 100.0f : 1.0f;
  float in[4] = {components[0] * scale, 0, 0, 0};
  for (int i = 1; i < count && i < 4; ++i) in[i] = components[i] * scale;
  float out[4];
  cmsDoTransform(transforms->floats.get(), in, out, 1);
  std::array<float, 4> cmyk;
  for (int i = 0; i < 4; ++i) cmyk[i] = std::clamp(out[i] / 100.0f, 0.0f, 1.0f);
  return cmyk;
}

bool ManagedPixelsToCMYK(const ColorSpace& space, const std::uint8_t* in, std::size_t stride,
                         std::uint8_t* out, std::size_t pixels, std::optional<RenderingIntent> objectIntent) {
  const Transforms* transforms = TransformsFor(space, IntentFor(objectIntent));
  if (!transforms || !transforms->bytes) return false;
  const auto count = static_cast<std::size_t>(ProcessComponentCount(space));
  if (stride == count) {
    cmsDoTransform(transforms->bytes.get(), in, out, static_cast<cmsUInt32Number>(pixels));
    return true;
  }
  // Interleaved with other channels: gather the process samples a row's worth at a time.
  std::vector<std::uint8_t> packed(pixels * count);
  for (std::size_t p = 0; p < pixels; ++p)
    std::copy(in + p * stride, in + p * stride + count, packed.begin() + static_cast<std::ptrdiff_t>(p * count));
  cmsDoTransform(transforms->bytes.get(), packed.data(), out, static_cast<cmsUInt32Number>(pixels));
  return true;
}

bool ManagedLabPixelsToCMYK(const ColorSpace& space, const float* lab, std::uint8_t* out,
                            std::size_t pixels, std::optional<RenderingIntent> objectIntent) {
  if (!std::holds_alternative<Lab>(space)) return false;
  const Transforms* transforms = TransformsFor(space, IntentFor(objectIntent));
  if (!transforms || !transforms->floats) return false;
  // The flat colours' float transform: a precalculated 16-bit Lab table would run some eight
  // times faster but strays up to 8/255 from the flat colours on saturated ones.
  std::vector<float> cmyk(pixels * 4);
  cmsDoTransform(transforms->floats.get(), lab, cmyk.data(), static_cast<cmsUInt32Number>(pixels));
  for (std::size_t i = 0; i < cmyk.size(); ++i)
    out[i] = static_cast<std::uint8_t>(std::lround(std::clamp(cmyk[i] / 100.0f, 0.0f, 1.0f) * 255));
  return true;
}

}  // namespace MavColor
