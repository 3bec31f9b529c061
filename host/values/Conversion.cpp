#include <values/ColorManagement.h>
#include <values/Conversion.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace MavColor {

namespace {

float Clamp01(double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); }

std::array<float, 4> FromRGB(double r, double g, double b) {
  return {Clamp01(1 - r), Clamp01(1 - g), Clamp01(1 - b), 0.0f};
}

double SRGBEncode(double linear) {
  linear = std::clamp(linear, 0.0, 1.0);
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// CIE L*a*b* (against `white`) to sRGB through XYZ.
std::array<float, 4> FromLab(const Lab& lab, const float* c) {
  const double fy = (c[0] + 16) / 116.0, fx = fy + c[1] / 500.0, fz = fy - c[2] / 200.0;
  auto inverse = [](double f) { return f > 6.0 / 29 ? f * f * f : 3 * 36.0 / 841 * (f - 4.0 / 29); };
  const double x = lab.whitePoint[0] * inverse(fx), y = lab.whitePoint[1] * inverse(fy),
               z = lab.whitePoint[2] * inverse(fz);
  const double r = 3.2406 * x - 1.5372 * y - 0.4986 * z;
  const double g = -0.9689 * x + 1.8758 * y + 0.0415 * z;
  const double b = 0.0557 * x - 0.2040 * y + 1.0570 * z;
  return FromRGB(SRGBEncode(r), SRGBEncode(g), SRGBEncode(b));
}

}  // namespace

std::array<float, 4> ProcessToCMYK(const ColorSpace& space, const float* c,
                                   std::optional<RenderingIntent> objectIntent) {
  if (const auto managed = ManagedToCMYK(space, c, objectIntent)) return *managed;
  return std::visit(
      [c](const auto& s) -> std::array<float, 4> {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, DeviceGray> || std::is_same_v<T, CalGray> ||
                      std::is_same_v<T, ICCGray>) {
          return {0, 0, 0, Clamp01(1 - c[0])};
        } else if constexpr (std::is_same_v<T, DeviceRGB> || std::is_same_v<T, CalRGB> ||
                             std::is_same_v<T, ICCRGB> || std::is_same_v<T, ICCThreeComponent>) {
          // Other three-component ICC spaces read as RGB.
          return FromRGB(c[0], c[1], c[2]);
        } else if constexpr (std::is_same_v<T, Lab>) {
          return FromLab(s, c);
        } else if constexpr (std::is_same_v<T, FourComponent>) {
          return {Clamp01(c[0]), Clamp01(c[1]), Clamp01(c[2]), Clamp01(c[3])};
        } else {
          throw std::invalid_argument("Colour space has no process components to convert");
        }
      },
      space);
}

Color ToSeparations(const Color& color, std::optional<RenderingIntent> objectIntent) {
  if (std::holds_alternative<AllSeparations>(color.GetColorSpace()) ||
      std::holds_alternative<std::monostate>(color.GetColorSpace())) {
    return color;
  }
  Color converted;
  converted.keepZeroEntries = color.keepZeroEntries;
  converted.sourceCode = 1;
  const std::size_t process = color.ProcessCount();
  if (color.Size() < process) throw std::invalid_argument("Colour lacks process components");
  std::vector<float> values(process);
  for (std::size_t i = 0; i < process; ++i) values[i] = color.GetEntries()[i].value;
  const auto cmyk = ProcessToCMYK(color.GetColorSpace(), values.data(), objectIntent);
  for (int i = 0; i < 4; ++i) converted[ProcessInkNames()[i]].value = cmyk[i];
  for (std::size_t i = process; i < color.Size(); ++i) {
    converted[color.GetEntries()[i].name].value = color.GetEntries()[i].value;
  }
  return converted;
}

ColorList<ChannelMappingPolicy> ToSeparations(
    const ColorList<SeparationMappingPolicy>& mapping,
    const std::vector<std::array<double, 2>>& ranges) {
  ColorList<ChannelMappingPolicy> converted;
  const auto& space = mapping.GetColorSpace();
  if (std::holds_alternative<AllSeparations>(space)) converted.SetColorSpace(space);
  auto rangeOf = [&](std::uint64_t channel) {
    return channel < ranges.size() ? ranges[channel] : std::array<double, 2>{0, 1};
  };
  const std::size_t process = std::holds_alternative<AllSeparations>(space) ? 0 : mapping.ProcessCount();
  const auto& entries = mapping.GetEntries();
  if (process == 1) {
    converted.Append({"Black", entries.at(0).channel, {1, 0}});
  } else if (process == 3) {
    if (std::holds_alternative<Lab>(space)) {
      throw std::invalid_argument(
          "Lab pictures cannot be converted to separations without ICC profiles");
    }
    for (int i = 0; i < 3; ++i) converted.Append({ProcessInkNames()[i], entries.at(i).channel, {1, 0}});
  } else if (process == 4) {
    for (int i = 0; i < 4; ++i) {
      converted.Append({ProcessInkNames()[i], entries.at(i).channel, rangeOf(entries[i].channel)});
    }
  }
  for (std::size_t i = process; i < entries.size(); ++i) {
    converted.Append({entries[i].name, entries[i].channel, rangeOf(entries[i].channel)});
  }
  return converted;
}

}  // namespace MavColor
