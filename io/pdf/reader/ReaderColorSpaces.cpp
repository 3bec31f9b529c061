#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <io/pdf/reader/ReaderFunctionsInternal.h>

#include <algorithm>
#include <cmath>

namespace CorvelPdf::Detail {

namespace {

// Colour spaces naming each other through resources deeper than this are a cycle.
constexpr int kMaxSpaceNesting = 8;
// ISO 32000-1 §8.6.6.3: at most 256 palette entries.
constexpr int kMaxHival = 255;
// DeviceN may have up to 32 colorants (ISO 32000-1 Annex C); more is a damaged file.
constexpr std::size_t kMaxColorants = 32;

ColorSpacePtr Read(ReaderContext& context, QPDFObjectHandle space, QPDFObjectHandle resources,
                   int depth);

std::shared_ptr<ReaderColorSpace> Process(MavColor::ColorSpace space,
                                          std::vector<std::string> names,
                                          std::vector<double> initial) {
  auto result = std::make_shared<ReaderColorSpace>();
  result->space = std::move(space);
  result->ranges.assign(names.size(), {0, 1});
  result->names = std::move(names);
  result->initial = std::move(initial);
  return result;
}

std::vector<std::string> ProcessNames(int count) {
  switch (count) {
    case 1:
      return {"Gray"};
    case 3:
      return {"Red", "Green", "Blue"};
    default:
      return {"Cyan", "Magenta", "Yellow", "Black"};
  }
}

template <std::size_t N>
std::array<double, N> ArrayOr(QPDFObjectHandle dict, const char* key,
                              std::array<double, N> fallback) {
  if (!dict.hasKey(key)) return fallback;
  const auto values = NumbersOf(dict.getKey(key), key);
  if (values.size() != N)
    throw ReadError("", std::string("colour space ") + key + " has the wrong length");
  std::array<double, N> result{};
  std::copy(values.begin(), values.end(), result.begin());
  return result;
}

ColorSpacePtr ReadCalibrated(const std::string& family, QPDFObjectHandle dict) {
  if (!dict.isDictionary()) throw ReadError("", family + " without its dictionary");
  const auto white = ArrayOr<3>(dict, "/WhitePoint", {0.9505, 1.0, 1.089});
  const auto black = ArrayOr<3>(dict, "/BlackPoint", {0, 0, 0});
  if (family == "CalGray") {
    return Process(MavColor::CalGray{white, black, NumberOr(dict.getKey("/Gamma"), 1)}, {"Gray"},
                   {0});
  }
  if (family == "CalRGB") {
    return Process(MavColor::CalRGB{white, black, ArrayOr<3>(dict, "/Gamma", {1, 1, 1}),
                                    ArrayOr<9>(dict, "/Matrix", {1, 0, 0, 0, 1, 0, 0, 0, 1})},
                   ProcessNames(3), {0, 0, 0});
  }
  const auto range = ArrayOr<4>(dict, "/Range", {-100, 100, -100, 100});
  auto lab = Process(MavColor::Lab{white, black, range}, {"L", "a", "b"},
                     {0, std::clamp(0.0, range[0], range[1]), std::clamp(0.0, range[2], range[3])});
  lab->ranges = {{0, 100}, {range[0], range[1]}, {range[2], range[3]}};
  return lab;
}

ColorSpacePtr ReadIccBased(ReaderContext& context, QPDFObjectHandle stream,
                           QPDFObjectHandle resources, int depth) {
  if (!stream.isStream()) throw ReadError("", "ICCBased without its profile stream");
  auto dict = stream.getDict();
  const int n = static_cast<int>(NumberOr(dict.getKey("/N"), 0));
  if (n != 1 && n != 3 && n != 4) throw ReadError("", "ICCBased with /N " + std::to_string(n));
  std::string bytes;
  try {
    bytes = StreamBytes(stream);
  } catch (const std::exception&) {
    context.Warn("unreadable ICC profile replaced by its alternate space");
    if (dict.hasKey("/Alternate"))
      return Read(context, dict.getKey("/Alternate"), resources, depth + 1);
    return n == 1 ? DeviceGraySpace() : n == 3 ? DeviceRGBSpace() : DeviceCMYKSpace();
  }
  auto profile = std::make_shared<const MavColor::ICCProfile>(
      std::vector<std::uint8_t>(bytes.begin(), bytes.end()), n);
  // The data colour space signature sits at bytes 16 to 19 of the profile header.
  const bool lab = bytes.size() >= 20 && bytes.compare(16, 4, "Lab ") == 0;
  MavColor::ColorSpace space;
  if (n == 1)
    space = MavColor::ICCGray{profile};
  else if (n == 3 && !lab)
    space = MavColor::ICCRGB{profile};
  else if (n == 3)
    space = MavColor::ICCThreeComponent{profile};
  else
    space = MavColor::FourComponent{profile, MavColor::FourComponent::kICCKind, 0};
  auto result =
      Process(std::move(space), lab ? std::vector<std::string>{"L", "a", "b"} : ProcessNames(n),
              std::vector<double>(static_cast<std::size_t>(n), 0));
  if (n == 4) result->initial = {0, 0, 0, 1};
  if (dict.hasKey("/Range")) {
    const auto range = NumbersOf(dict.getKey("/Range"), "/Range");
    if (range.size() == 2 * static_cast<std::size_t>(n)) {
      for (int i = 0; i < n; ++i)
        result->ranges[static_cast<std::size_t>(i)] = {range[2 * static_cast<std::size_t>(i)],
                                                       range[2 * static_cast<std::size_t>(i) + 1]};
    }
  }
  return result;
}

ColorSpacePtr ReadIndexed(ReaderContext& context, QPDFObjectHandle array,
                          QPDFObjectHandle resources, int depth) {
  if (array.getArrayNItems() != 4) throw ReadError("", "Indexed colour space needs 4 elements");
  auto result = std::make_shared<ReaderColorSpace>();
  result->family = ReaderColorSpace::Family::Indexed;
  result->base = Read(context, array.getArrayItem(1), resources, depth + 1);
  if (result->base->family != ReaderColorSpace::Family::Process &&
      result->base->family != ReaderColorSpace::Family::Named) {
    throw ReadError("", "Indexed colour space on a pattern or indexed base");
  }
  result->hival = static_cast<int>(NumberOr(array.getArrayItem(2), -1));
  if (result->hival < 0 || result->hival > kMaxHival)
    throw ReadError("", "Indexed colour space with bad hival");
  auto lookup = array.getArrayItem(3);
  const std::string table = lookup.isStream()   ? StreamBytes(lookup)
                            : lookup.isString() ? lookup.getStringValue()
                                                : std::string();
  const std::size_t needed = static_cast<std::size_t>(result->hival + 1) *
                             static_cast<std::size_t>(result->base->ComponentCount());
  if (table.size() < needed) context.Warn("short Indexed palette padded with zeros");
  result->palette.assign(
      table.begin(), table.begin() + static_cast<std::ptrdiff_t>(std::min(needed, table.size())));
  result->palette.resize(needed, 0);
  result->names = {"Index"};
  result->ranges = {{0, static_cast<double>(result->hival)}};
  result->initial = {0};
  result->paintsNothing = result->base->paintsNothing;
  return result;
}

bool IsProcessName(const std::string& name) {
  const auto& process = MavColor::ProcessInkNames();
  return std::find(process.begin(), process.end(), name) != process.end();
}

// Adds a spot to the document: its look is the alternate colour at full tint of that colorant.
void RegisterSpots(ReaderContext& context, const std::vector<std::string>& names,
                   QPDFObjectHandle alternate, QPDFObjectHandle tint, QPDFObjectHandle resources,
                   int depth) {
  std::vector<std::size_t> spots;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto& info = context.Document().GetSeparationInfo();
    if (names[i] != "None" && names[i] != "All" && !IsProcessName(names[i]) &&
        MavDoc::Separation::Find(info, names[i]) == info.end()) {
      spots.push_back(i);
    }
  }
  if (spots.empty()) return;
  std::array<float, 4> black{0, 0, 0, 1};
  ColorSpacePtr alternateSpace;
  std::shared_ptr<const MavPaint::Function> function;
  try {
    alternateSpace = Read(context, alternate, resources, depth + 1);
    function = ReadFunction(context, tint, static_cast<int>(names.size()));
  } catch (const std::exception& e) {
    context.Warn(std::string("spot colour appearance unknown (") + e.what() + "), shown as black");
  }
  for (std::size_t i : spots) {
    std::array<float, 4> cmyk = black;
    if (function && alternateSpace && alternateSpace->family == ReaderColorSpace::Family::Process) {
      std::vector<double> inputs(names.size(), 0.0);
      inputs[i] = 1;
      const auto outputs = function->Evaluate(inputs);
      cmyk = ApproximateCmyk(*alternateSpace, outputs);
    }
    context.Document().AddSeparation(MavDoc::Separation::Entry(
        names[i], MavDoc::Separation::kNormalInk, MavDoc::Separation::Representation{cmyk}));
  }
}

ColorSpacePtr ReadSeparation(ReaderContext& context, QPDFObjectHandle array,
                             QPDFObjectHandle resources, int depth) {
  if (array.getArrayNItems() != 4 || !array.getArrayItem(1).isName()) {
    throw ReadError("", "Separation colour space needs a name, an alternate and a tint transform");
  }
  const std::string name = NameOf(array.getArrayItem(1));
  if (name == "All") {
    auto all = Process(MavColor::AllSeparations{}, {"All"}, {1});
    return all;
  }
  auto result = std::make_shared<ReaderColorSpace>();
  result->family = ReaderColorSpace::Family::Named;
  result->names = {name};
  result->ranges = {{0, 1}};
  result->initial = {1};
  result->paintsNothing = name == "None";
  RegisterSpots(context, result->names, array.getArrayItem(2), array.getArrayItem(3), resources,
                depth);
  return result;
}

void RegisterColorants(ReaderContext& context, QPDFObjectHandle attributes,
                       QPDFObjectHandle resources, int depth) {
  if (!attributes.isDictionary()) return;
  auto colorants = attributes.getKey("/Colorants");
  if (!colorants.isDictionary()) return;
  for (auto [key, value] : colorants.ditems()) {
    if (value.isArray()) Read(context, value, resources, depth + 1);
  }
}

ColorSpacePtr ReadDeviceN(ReaderContext& context, QPDFObjectHandle array,
                          QPDFObjectHandle resources, int depth) {
  if (array.getArrayNItems() < 4 || !array.getArrayItem(1).isArray()) {
    throw ReadError("", "DeviceN colour space needs names, an alternate and a tint transform");
  }
  auto result = std::make_shared<ReaderColorSpace>();
  result->family = ReaderColorSpace::Family::Named;
  for (auto& name : array.getArrayItem(1).aitems()) {
    if (!name.isName()) throw ReadError("", "DeviceN colorant is not a name");
    result->names.push_back(NameOf(name));
  }
  if (result->names.empty() || result->names.size() > kMaxColorants) {
    throw ReadError("", "DeviceN with " + std::to_string(result->names.size()) + " colorants");
  }
  result->ranges.assign(result->names.size(), {0, 1});
  result->initial.assign(result->names.size(), 1);
  result->paintsNothing = std::all_of(result->names.begin(), result->names.end(),
                                      [](const std::string& n) { return n == "None"; });
  if (array.getArrayNItems() > 4)
    RegisterColorants(context, array.getArrayItem(4), resources, depth);
  RegisterSpots(context, result->names, array.getArrayItem(2), array.getArrayItem(3), resources,
                depth);
  return result;
}

ColorSpacePtr ReadPattern(ReaderContext& context, QPDFObjectHandle array,
                          QPDFObjectHandle resources, int depth) {
  auto result = std::make_shared<ReaderColorSpace>();
  result->family = ReaderColorSpace::Family::Pattern;
  if (array.isArray() && array.getArrayNItems() > 1) {
    result->base = Read(context, array.getArrayItem(1), resources, depth + 1);
    result->names = result->base->names;
    result->ranges = result->base->ranges;
  }
  return result;
}

ColorSpacePtr ReadArraySpace(ReaderContext& context, QPDFObjectHandle array,
                             QPDFObjectHandle resources, int depth) {
  if (array.getArrayNItems() < 1) throw ReadError("", "empty colour space array");
  const std::string family = NameOf(array.getArrayItem(0));
  auto second = array.getArrayNItems() > 1 ? array.getArrayItem(1) : QPDFObjectHandle::newNull();
  if (family == "CalGray" || family == "CalRGB" || family == "Lab")
    return ReadCalibrated(family, second);
  if (family == "ICCBased") return ReadIccBased(context, second, resources, depth);
  if (family == "Indexed" || family == "I") return ReadIndexed(context, array, resources, depth);
  if (family == "Separation") return ReadSeparation(context, array, resources, depth);
  if (family == "DeviceN") return ReadDeviceN(context, array, resources, depth);
  if (family == "Pattern") return ReadPattern(context, array, resources, depth);
  if (array.getArrayNItems() == 1)
    return Read(context, array.getArrayItem(0), resources, depth + 1);
  throw ReadError("", "unknown colour space /" + family);
}

// The default colour space that stands for a device space in these resources (ISO 32000-1
// §8.6.5.6), or null. A default that is itself a name is ignored: it could only name a device
// space again.
ColorSpacePtr DefaultSpace(ReaderContext& context, const char* key, QPDFObjectHandle resources,
                           int depth) {
  auto spaces = resources.isDictionary() ? resources.getKey("/ColorSpace") : QPDFObjectHandle::newNull();
  if (!spaces.isDictionary()) return nullptr;
  auto space = spaces.getKey(key);
  if (!space.isArray()) return nullptr;
  try {
    return Read(context, space, resources, depth + 1);
  } catch (const ReadError& e) {
    context.Warn(std::string(key + 1) + " unreadable (" + e.Why() + "): the device space is used");
    return nullptr;
  }
}

ColorSpacePtr ReadNamed(ReaderContext& context, const std::string& name, QPDFObjectHandle resources,
                        int depth) {
  const auto device = [&](const char* key, ColorSpacePtr (*space)()) {
    auto remapped = DefaultSpace(context, key, resources, depth);
    const int components = space()->ComponentCount();
    return remapped && remapped->ComponentCount() == components ? remapped : space();
  };
  if (name == "DeviceGray" || name == "G") return device("/DefaultGray", DeviceGraySpace);
  if (name == "DeviceRGB" || name == "RGB") return device("/DefaultRGB", DeviceRGBSpace);
  if (name == "DeviceCMYK" || name == "CMYK") return device("/DefaultCMYK", DeviceCMYKSpace);
  if (name == "Pattern") return ReadPattern(context, QPDFObjectHandle::newNull(), resources, depth);
  auto spaces =
      resources.isDictionary() ? resources.getKey("/ColorSpace") : QPDFObjectHandle::newNull();
  if (!spaces.isDictionary() || !spaces.hasKey("/" + name)) {
    throw ReadError("", "colour space /" + name + " not in the resources");
  }
  return Read(context, spaces.getKey("/" + name), resources, depth + 1);
}

ColorSpacePtr Read(ReaderContext& context, QPDFObjectHandle space, QPDFObjectHandle resources,
                   int depth) {
  if (depth > kMaxSpaceNesting) throw ReadError("", "colour spaces refer to each other in a cycle");
  if (space.isName()) return ReadNamed(context, NameOf(space), resources, depth);
  if (!space.isArray()) throw ReadError("", "colour space is neither a name nor an array");
  const bool cacheable = space.isIndirect();
  if (cacheable) {
    if (auto found = context.ColorSpaces().find(space.getObjGen());
        found != context.ColorSpaces().end()) {
      return found->second;
    }
  }
  auto result = ReadArraySpace(context, space, resources, depth);
  if (cacheable) context.ColorSpaces()[space.getObjGen()] = result;
  return result;
}

// sRGB companding of a linear value.
double Compand(double linear) {
  linear = std::clamp(linear, 0.0, 1.0);
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// CIE L*a*b* to sRGB (ISO 32000-1 §8.6.5.4 for Lab to XYZ; the sRGB matrix for D65, without
// chromatic adaptation: good enough for an ink's preview appearance).
std::array<double, 3> LabToRgb(double l, double a, double b, const std::array<double, 3>& white) {
  auto g = [](double x) { return x >= 6.0 / 29 ? x * x * x : 108.0 / 841 * (x - 4.0 / 29); };
  const double m = (l + 16) / 116;
  const double x = white[0] * g(m + a / 500), y = white[1] * g(m), z = white[2] * g(m - b / 200);
  return {Compand(3.2406 * x - 1.5372 * y - 0.4986 * z),
          Compand(-0.9689 * x + 1.8758 * y + 0.0415 * z),
          Compand(0.0557 * x - 0.2040 * y + 1.0570 * z)};
}

}  // namespace

ColorSpacePtr DeviceGraySpace() {
  static const ColorSpacePtr space = Process(MavColor::DeviceGray{}, ProcessNames(1), {0});
  return space;
}

ColorSpacePtr DeviceRGBSpace() {
  static const ColorSpacePtr space = Process(MavColor::DeviceRGB{}, ProcessNames(3), {0, 0, 0});
  return space;
}

ColorSpacePtr DeviceCMYKSpace() {
  static const ColorSpacePtr space =
      Process(MavColor::FourComponent{}, ProcessNames(4), {0, 0, 0, 1});
  return space;
}

ColorSpacePtr ReadColorSpace(ReaderContext& context, QPDFObjectHandle space,
                             QPDFObjectHandle resources) {
  return Read(context, space, resources, 0);
}

MavColor::Color MakeColor(const ReaderColorSpace& space, std::span<const double> values) {
  auto value = [&](std::size_t i) {
    const double v =
        i < values.size() && std::isfinite(values[i]) ? values[i] : space.initial.at(i);
    return std::clamp(v, std::min(space.ranges[i][0], space.ranges[i][1]),
                      std::max(space.ranges[i][0], space.ranges[i][1]));
  };
  if (space.paintsNothing) return MavColor::Color{};
  if (space.family == ReaderColorSpace::Family::Indexed) {
    const auto index = static_cast<std::size_t>(std::lround(value(0)));
    const auto& base = *space.base;
    std::vector<double> baseValues;
    for (std::size_t k = 0; k < base.names.size(); ++k) {
      const double byte = space.palette[index * base.names.size() + k] / 255.0;
      baseValues.push_back(base.ranges[k][0] + byte * (base.ranges[k][1] - base.ranges[k][0]));
    }
    return MakeColor(base, baseValues);
  }
  if (space.family == ReaderColorSpace::Family::Named) {
    MavColor::Color color;
    for (std::size_t i = 0; i < space.names.size(); ++i) {
      if (space.names[i] != "None") color[space.names[i]].value = static_cast<float>(value(i));
    }
    return color;
  }
  MavColor::Color color(space.space);
  for (std::size_t i = 0; i < space.names.size(); ++i) {
    color.Append({space.names[i], static_cast<float>(value(i))});
  }
  return color;
}

MavPaint::SeparationMapping MakeMapping(const ReaderColorSpace& space) {
  MavPaint::SeparationMapping mapping(
      space.family == ReaderColorSpace::Family::Process ? space.space : MavColor::ColorSpace{});
  for (std::size_t i = 0; i < space.names.size(); ++i) {
    if (space.names[i] != "None") mapping.Append({space.names[i], i});
  }
  return mapping;
}

MavColor::GroupColorSpace GroupSpaceOf(ReaderContext& context, const ReaderColorSpace& space) {
  if (space.family == ReaderColorSpace::Family::Process) {
    const auto& s = space.space;
    if (std::holds_alternative<MavColor::DeviceGray>(s)) return MavColor::DeviceGray{};
    if (std::holds_alternative<MavColor::DeviceRGB>(s)) return MavColor::DeviceRGB{};
    if (const auto* four = std::get_if<MavColor::FourComponent>(&s)) {
      if (four->profile) return MavColor::ICCCMYK{four->profile};
      return MavColor::DeviceCMYK{};
    }
    if (const auto* cal = std::get_if<MavColor::CalGray>(&s)) return *cal;
    if (const auto* cal = std::get_if<MavColor::CalRGB>(&s)) return *cal;
    if (const auto* icc = std::get_if<MavColor::ICCGray>(&s)) return *icc;
    if (const auto* icc = std::get_if<MavColor::ICCRGB>(&s)) return *icc;
  }
  context.Warn("transparency group colour space that cannot blend ignored");
  return std::monostate{};
}

// Gray: K = 1 − gray. RGB: C, M, Y = 1 − R, G, B with full grey-component replacement
// (K = min(C, M, Y), taken out of C, M and Y). Lab goes through sRGB. CMYK is kept.
std::array<float, 4> ApproximateCmyk(const ReaderColorSpace& space, std::span<const float> values) {
  auto v = [&](std::size_t i) {
    return i < values.size() ? std::clamp(static_cast<double>(values[i]), -1000.0, 1000.0) : 0.0;
  };
  std::array<double, 3> rgb{};
  switch (space.names.size()) {
    case 1:
      return {0, 0, 0, static_cast<float>(std::clamp(1 - v(0), 0.0, 1.0))};
    case 4:
      return {static_cast<float>(std::clamp(v(0), 0.0, 1.0)),
              static_cast<float>(std::clamp(v(1), 0.0, 1.0)),
              static_cast<float>(std::clamp(v(2), 0.0, 1.0)),
              static_cast<float>(std::clamp(v(3), 0.0, 1.0))};
    case 3:
      if (space.names[0] == "L") {
        const auto* lab = std::get_if<MavColor::Lab>(&space.space);
        rgb = LabToRgb(v(0), v(1), v(2),
                       lab ? lab->whitePoint : std::array<double, 3>{0.9505, 1.0, 1.089});
      } else {
        rgb = {std::clamp(v(0), 0.0, 1.0), std::clamp(v(1), 0.0, 1.0), std::clamp(v(2), 0.0, 1.0)};
      }
      break;
    default:
      return {0, 0, 0, 1};
  }
  const double c = 1 - rgb[0], m = 1 - rgb[1], y = 1 - rgb[2];
  const double k = std::min({c, m, y});
  return {static_cast<float>(c - k), static_cast<float>(m - k), static_cast<float>(y - k),
          static_cast<float>(k)};
}

}  // namespace CorvelPdf::Detail
