#pragma once
// Colour management: colours of the RGB family, Lab and ICC-based spaces reach the output CMYK
// through ICC profiles (lcms2), as a print proof converts them. DeviceGray goes to Black alone
// (what proofs do by default), DeviceCMYK stays as it is. Until an application turns it on, the
// conversion stays the naive one of Conversion.h, except for Lab, which has no device reading:
// it goes through the profiles (the default ones unless the settings name others) either way.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <values/Color.h>

namespace MavColor {

struct ColorSettings {
  bool managed = false;
  // The output CMYK and the profiles that DeviceRGB and DeviceGray are read through; null takes
  // the defaults (DefaultProfilePath). Without a gray profile, DeviceGray goes to Black alone.
  std::shared_ptr<const ICCProfile> output, rgb, gray;
  // The intent of colours whose object sets none, and of every colour when
  // `overrideObjectIntents` is set (as Ghostscript's -dRenderIntent, -dOverrideRI).
  RenderingIntent intent = RenderingIntent::Perceptual;
  bool overrideObjectIntents = false;
  bool blackPointCompensation = true;
};

// The intent a colour converts with under the current settings: its object's (`objectIntent`,
// empty when the object sets none) unless the settings override it, else the settings' own.
RenderingIntent IntentFor(std::optional<RenderingIntent> objectIntent);

// The settings every conversion follows: one set for the process, chosen by the application.
const ColorSettings& CurrentColorSettings();
// Sets them for as long as it lives, then puts the earlier ones back.
class ScopedColorSettings {
 public:
  explicit ScopedColorSettings(ColorSettings settings);
  ~ScopedColorSettings();
  ScopedColorSettings(const ScopedColorSettings&) = delete;
  ScopedColorSettings& operator=(const ScopedColorSettings&) = delete;

 private:
  ColorSettings earlier_;
};

// Where the default profiles live: Ghostscript's ("default_cmyk.icc", "default_rgb.icc"), so
// that a Ghostscript proof and the flattened file agree out of the box.
std::string DefaultProfilePath(const std::string& name);
// Reads a profile file; throws std::runtime_error naming the file when it is missing or not an
// ICC profile of `components` channels (0: any).
std::shared_ptr<const ICCProfile> LoadProfile(const std::string& path, int components = 0);
// The same for bytes in memory; `what` names them in the message.
std::shared_ptr<const ICCProfile> ParseProfile(std::vector<std::uint8_t> bytes, int components,
                                               const std::string& what);
// The profile's description, for reports.
std::string ProfileDescription(const ICCProfile& profile);

// The colour's process components converted to output CMYK (0..1) through the profiles, or
// nullopt when conversion is not managed or the space is converted without profiles (DeviceGray
// without a gray profile, CMYK). `objectIntent` is the intent of the colour's object, if it sets
// one (see IntentFor). Transforms are made once per source and intent, and shared by threads.
std::optional<std::array<float, 4>> ManagedToCMYK(const ColorSpace& space, const float* components,
                                                  std::optional<RenderingIntent> objectIntent = {});

// Pixels of 8-bit process samples (ProcessComponentCount(space) bytes each, `stride` bytes
// apart) converted to 8-bit CMYK (4 bytes each). False when the space is not managed.
bool ManagedPixelsToCMYK(const ColorSpace& space, const std::uint8_t* in, std::size_t stride,
                         std::uint8_t* out, std::size_t pixels,
                         std::optional<RenderingIntent> objectIntent = {});

// Pixels of Lab values (L*, a*, b* as floats, three per pixel) of the Lab space `space`
// converted to 8-bit CMYK (4 bytes each), as their flat colours convert. False when `space` is
// not Lab or not converted through profiles.
bool ManagedLabPixelsToCMYK(const ColorSpace& space, const float* lab, std::uint8_t* out,
                            std::size_t pixels, std::optional<RenderingIntent> objectIntent = {});

// Changes whenever the settings do: caches of converted colours compare it.
std::uint64_t ColorSettingsGeneration();

// Whether ManagedToCMYK converts colours of this space under the current settings.
bool IsManaged(const ColorSpace& space);
// Whether ManagedPixelsToCMYK (for Lab, ManagedLabPixelsToCMYK) converts pixels of this space
// under the current settings.
bool ArePixelsManaged(const ColorSpace& space);

}  // namespace MavColor
