#include <io/pdf/reader/ReaderCodecsInternal.h>
#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <io/pdf/reader/ReaderImagesInternal.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace CorvelPdf::Detail {

namespace {

// Images wider or taller than this are damaged or hostile whatever the byte limit says.
constexpr double kMaxImageSide = 1 << 20;

struct Layout {
  int width = 0;
  int height = 0;
  int components = 1;
  int bpc = 8;
  std::size_t rowBytes = 0;
};

Layout CheckLayout(ReaderContext& context, QPDFObjectHandle dict, int components, int bpc) {
  const double width = NumberOr(dict.getKey("/Width"), 0),
               height = NumberOr(dict.getKey("/Height"), 0);
  if (!(width >= 1 && height >= 1) || width > kMaxImageSide || height > kMaxImageSide) {
    throw ReadError(
        "", "image with bad size " + std::to_string(width) + " x " + std::to_string(height));
  }
  if (bpc != 1 && bpc != 2 && bpc != 4 && bpc != 8 && bpc != 16) {
    throw ReadError("", "image with " + std::to_string(bpc) + " bits per component");
  }
  Layout layout{static_cast<int>(width), static_cast<int>(height), components, bpc, 0};
  layout.rowBytes = (static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(components) *
                         static_cast<std::size_t>(bpc) +
                     7) /
                    8;
  // The decoded picture takes at most 2 bytes per sample, 4 channels per index.
  const double pictureBytes = width * height * std::max(components, 4) * 2;
  if (static_cast<double>(layout.rowBytes) * height >
          static_cast<double>(context.Limits().maxImageBytes) ||
      pictureBytes > static_cast<double>(context.Limits().maxImageBytes)) {
    throw ReadError("", "image of " + std::to_string(layout.width) + " x " +
                            std::to_string(layout.height) + " exceeds the limit of " +
                            std::to_string(context.Limits().maxImageBytes) + " decoded bytes");
  }
  return layout;
}

using Samples = std::function<std::optional<std::string>()>;

std::optional<std::string> SampleData(ReaderContext& context, const Layout& layout,
                                      const Samples& samples) {
  auto data = samples();
  const std::size_t needed = layout.rowBytes * static_cast<std::size_t>(layout.height);
  if (data && data->size() < needed) {
    context.Warn("image data shorter than its size: padded with zeros");
    data->resize(needed, '\0');
  }
  return data;
}

void UnpackRow(const std::string& data, const Layout& layout, int row,
               std::vector<std::uint32_t>& out) {
  const std::size_t count =
      static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.components);
  out.resize(count);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data()) +
                      layout.rowBytes * static_cast<std::size_t>(row);
  if (layout.bpc == 8) {
    std::copy(bytes, bytes + count, out.begin());
  } else if (layout.bpc == 16) {
    for (std::size_t i = 0; i < count; ++i)
      out[i] = (std::uint32_t{bytes[2 * i]} << 8) | bytes[2 * i + 1];
  } else {
    const unsigned mask = (1u << layout.bpc) - 1;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t bit = i * static_cast<std::size_t>(layout.bpc);
      out[i] = (bytes[bit / 8] >> (8 - layout.bpc - bit % 8)) & mask;
    }
  }
}

std::shared_ptr<const MavImg::PaintedPicture> MakePicture(
    ReaderContext& context, std::shared_ptr<const MavImg::PictureBuffer> buffer,
    MavPaint::SeparationMapping mapping, std::vector<MavImg::ChannelInfo> infos, bool interpolate,
    bool fromLossyData = false) {
  auto source = std::make_shared<MavImg::BufferedPictureSource>(
      std::move(buffer), std::move(mapping), std::move(infos), nullptr, std::nullopt, nullptr,
      Vexl::Transformation{});
  source->SetFromLossyData(fromLossyData);
  auto data = MavImg::PictureData::Factory(&context.Document(), source).Get();
  return MavImg::PaintedPicture::Factory(&context.Document(), data, interpolate).Get();
}

// One 8-bit channel, 255 where `painted(raw sample)` holds.
std::shared_ptr<const MavImg::PictureBuffer> StencilBuffer(const std::string& data,
                                                           const Layout& layout,
                                                           bool paintedOnOne) {
  MavImg::PictureBuffer::Factory factory(layout.width, layout.height, 1, 8);
  std::vector<std::uint32_t> raw;
  for (int row = 0; row < layout.height; ++row) {
    UnpackRow(data, layout, row, raw);
    auto* out = factory.GetRowPtr(row);
    for (std::size_t i = 0; i < raw.size(); ++i) out[i] = ((raw[i] != 0) == paintedOnOne) ? 255 : 0;
  }
  return factory.GetResult();
}

std::shared_ptr<const MavImg::PaintedPicture> GrayPicture(
    ReaderContext& context, std::shared_ptr<const MavImg::PictureBuffer> buffer) {
  MavPaint::SeparationMapping mapping(MavColor::DeviceGray{});
  mapping.Append({"Gray", 0});
  return MakePicture(context, std::move(buffer), std::move(mapping),
                     {MavImg::ChannelInfo("Gray", 0, {0, 1})}, false);
}

bool DecodeInverted(QPDFObjectHandle dict) {
  auto decode = dict.getKey("/Decode");
  return decode.isArray() && decode.getArrayNItems() >= 1 &&
         NumberOr(decode.getArrayItem(0), 0) == 1;
}

std::vector<std::array<double, 2>> DecodeRanges(QPDFObjectHandle dict,
                                                const ReaderColorSpace& space, int bpc) {
  std::vector<std::array<double, 2>> decode;
  const bool indexed = space.family == ReaderColorSpace::Family::Indexed;
  for (const auto& range : space.ranges)
    decode.push_back(indexed ? std::array<double, 2>{0, std::ldexp(1.0, bpc) - 1} : range);
  if (dict.hasKey("/Decode")) {
    const auto numbers = NumbersOf(dict.getKey("/Decode"), "/Decode");
    if (numbers.size() == 2 * decode.size()) {
      for (std::size_t i = 0; i < decode.size(); ++i)
        decode[i] = {numbers[2 * i], numbers[2 * i + 1]};
    }
  }
  return decode;
}

struct ColorPlan {
  const ReaderColorSpace* channels;  // the space the output channels hold (base for Indexed)
  const ReaderColorSpace* indexed;   // the Indexed space, or null
  std::vector<std::array<double, 2>> decode;
  std::vector<double> colorKey;  // /Mask array: raw min and max per component
};

void ConvertRow(const ColorPlan& plan, const Layout& layout, const std::vector<std::uint32_t>& raw,
                std::uint8_t* out, int outBits) {
  const double maxRaw = std::ldexp(1.0, layout.bpc) - 1;
  const std::size_t components = static_cast<std::size_t>(layout.components);
  std::size_t o = 0;
  for (std::size_t i = 0; i < raw.size(); i += components) {
    if (plan.indexed) {
      const double value =
          plan.decode[0][0] + raw[i] * (plan.decode[0][1] - plan.decode[0][0]) / maxRaw;
      const auto index = static_cast<std::size_t>(
          std::clamp(std::lround(value), 0L, static_cast<long>(plan.indexed->hival)));
      const std::size_t n = static_cast<std::size_t>(plan.channels->ComponentCount());
      for (std::size_t k = 0; k < n; ++k) out[o++] = plan.indexed->palette[index * n + k];
      continue;
    }
    for (std::size_t k = 0; k < components; ++k) {
      const auto& d = plan.decode[k];
      const auto& r = plan.channels->ranges[k];
      const double value = d[0] + raw[i + k] * (d[1] - d[0]) / maxRaw;
      const double unit = std::clamp((value - r[0]) / (r[1] - r[0]), 0.0, 1.0);
      if (outBits == 16) {
        const auto v = static_cast<std::uint16_t>(std::lround(unit * 65535));
        out[o++] = static_cast<std::uint8_t>(v >> 8);
        out[o++] = static_cast<std::uint8_t>(v & 0xFF);
      } else {
        out[o++] = static_cast<std::uint8_t>(std::lround(unit * 255));
      }
    }
  }
}

std::vector<MavImg::ChannelInfo> ChannelInfos(ReaderContext& context,
                                              const ReaderColorSpace& space) {
  std::vector<MavImg::ChannelInfo> infos;
  const auto& separations = context.Document().GetSeparationInfo();
  for (std::size_t i = 0; i < space.names.size(); ++i) {
    infos.emplace_back(space.names[i], 0, space.ranges[i]);
    if (space.family == ReaderColorSpace::Family::Named) {
      if (auto found = MavDoc::Separation::Find(separations, space.names[i]);
          found != separations.end()) {
        infos.back().SetRepresentation(found->GetRepresentation().cmyk);
      }
    }
  }
  return infos;
}

// Opacity from a colour-key /Mask: 0 where every raw component lies in its range.
void ColorKeyRow(const ColorPlan& plan, const std::vector<std::uint32_t>& raw,
                 std::size_t components, std::uint8_t* out) {
  for (std::size_t i = 0, p = 0; i < raw.size(); i += components, ++p) {
    bool masked = true;
    for (std::size_t k = 0; k < components && masked; ++k) {
      masked = raw[i + k] >= plan.colorKey[2 * k] && raw[i + k] <= plan.colorKey[2 * k + 1];
    }
    out[p] = masked ? 0 : 255;
  }
}

DecodedImage DecodeStencil(ReaderContext& context, QPDFObjectHandle dict, const Samples& samples) {
  const Layout layout = CheckLayout(context, dict, 1, 1);
  const auto data = SampleData(context, layout, samples);
  if (!data) return {};
  MavPaint::SeparationMapping mapping;
  mapping.Append({"Mask", 0});
  DecodedImage image;
  image.stencil = true;
  image.inverted = !DecodeInverted(dict);
  const bool interpolate =
      dict.getKey("/Interpolate").isBool() && dict.getKey("/Interpolate").getBoolValue();
  // Keeps the raw bits: 255 where the sample is 1.
  image.picture = MakePicture(context, StencilBuffer(*data, layout, true), std::move(mapping),
                              {MavImg::ChannelInfo("Mask", 1, {0, 1})}, interpolate);
  return image;
}

std::shared_ptr<const MavImg::PaintedPicture> ReadOpacity(ReaderContext& context,
                                                          QPDFObjectHandle dict,
                                                          QPDFObjectHandle resources);

// Whether the image's data is JPEG (its filters, with full names, include /DCTDecode).
bool IsJpeg(QPDFObjectHandle dict) {
  auto filter = dict.getKey("/Filter");
  if (filter.isName()) return filter.getName() == "/DCTDecode";
  if (!filter.isArray()) return false;
  for (auto& f : filter.aitems()) {
    if (f.isNameAndEquals("/DCTDecode")) return true;
  }
  return false;
}

bool IsJpx(QPDFObjectHandle dict) {
  auto filter = dict.getKey("/Filter");
  if (filter.isArray() && filter.getArrayNItems() > 0)
    filter = filter.getArrayItem(filter.getArrayNItems() - 1);
  return filter.isNameAndEquals("/JPXDecode");
}

// A soft mask with /Matte says the image's colours were mixed with the matte colour by their
// opacity (c' = m + a (c - m)); composited as they are, half-covered edges would show the matte
// twice. The colours are taken back to c = m + (c' - m) / a, where the mask has the image's size.
void UnpremultiplyMatte(ReaderContext& context, QPDFObjectHandle dict, const ColorPlan& plan,
                        const std::shared_ptr<const MavImg::PaintedPicture>& opacity,
                        const Layout& layout, int outBits,
                        MavImg::PictureBuffer::Factory& factory) {
  auto smask = dict.getKey("/SMask");
  if (!smask.isStream() || !smask.getDict().hasKey("/Matte") || !opacity) return;
  const auto matte = NumbersOf(smask.getDict().getKey("/Matte"), "/Matte");
  const auto* source = dynamic_cast<const MavImg::BufferedPictureSource*>(
      opacity->GetPictureData(true)->GetSource().get());
  const auto components = static_cast<std::size_t>(plan.channels->ComponentCount());
  const auto& buffer = source ? source->GetBuffer() : nullptr;
  if (matte.size() != components || !buffer || buffer->GetColumns() != layout.width ||
      buffer->GetRows() != layout.height) {
    context.Warn("pre-multiplied image soft masks (/Matte) that do not match their image read as "
                 "not pre-multiplied");
    return;
  }
  const bool sixteen = outBits == 16;
  const double top = sixteen ? 65535 : 255;
  for (int row = 0; row < layout.height; ++row) {
    std::uint8_t* out = factory.GetRowPtr(row);
    for (int column = 0; column < layout.width; ++column) {
      const double alpha = buffer->GetSample(column, row, 0);
      for (std::size_t k = 0; k < components; ++k) {
        const auto& r = plan.channels->ranges[k];
        const double m = std::clamp((matte[k] - r[0]) / (r[1] - r[0]), 0.0, 1.0);
        const std::size_t at =
            (static_cast<std::size_t>(column) * components + k) * (sixteen ? 2 : 1);
        const double stored = sixteen ? (out[at] << 8 | out[at + 1]) / top : out[at] / top;
        const double unit = alpha > 0 ? std::clamp(m + (stored - m) / alpha, 0.0, 1.0) : m;
        const auto v = static_cast<std::uint32_t>(std::lround(unit * top));
        if (sixteen) {
          out[at] = static_cast<std::uint8_t>(v >> 8);
          out[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
        } else {
          out[at] = static_cast<std::uint8_t>(v);
        }
      }
    }
  }
}

DecodedImage DecodeJpxImage(ReaderContext& context, QPDFObjectHandle dict, const Samples& samples,
                            QPDFObjectHandle resources);

}  // namespace

DecodedImage DecodeImage(ReaderContext& context, QPDFObjectHandle dict, const Samples& samples,
                         QPDFObjectHandle resources) {
  if (IsJpx(dict)) return DecodeJpxImage(context, dict, samples, resources);
  if (dict.getKey("/ImageMask").isBool() && dict.getKey("/ImageMask").getBoolValue()) {
    return DecodeStencil(context, dict, samples);
  }
  if (!dict.hasKey("/ColorSpace")) throw ReadError("", "image without /ColorSpace");
  const auto space = ReadColorSpace(context, dict.getKey("/ColorSpace"), resources);
  if (space->family == ReaderColorSpace::Family::Pattern)
    throw ReadError("", "image in a Pattern colour space");
  DecodedImage image;
  if (space->paintsNothing) return image;
  const int bpc = static_cast<int>(NumberOr(dict.getKey("/BitsPerComponent"), 8));
  const Layout layout = CheckLayout(context, dict, space->ComponentCount(), bpc);
  const bool indexed = space->family == ReaderColorSpace::Family::Indexed;
  ColorPlan plan{indexed ? space->base.get() : space.get(),
                 indexed ? space.get() : nullptr,
                 DecodeRanges(dict, *space, bpc),
                 {}};
  if (auto mask = dict.getKey("/Mask"); mask.isArray()) plan.colorKey = NumbersOf(mask, "/Mask");
  if (!plan.colorKey.empty() &&
      plan.colorKey.size() != 2 * static_cast<std::size_t>(layout.components)) {
    context.Warn("colour-key image mask of the wrong length ignored");
    plan.colorKey.clear();
  }
  const auto data = SampleData(context, layout, samples);
  if (!data) return image;
  const int outBits = bpc == 16 && !indexed ? 16 : 8;
  const int channels = plan.channels->ComponentCount();
  MavImg::PictureBuffer::Factory factory(layout.width, layout.height, channels, outBits);
  std::unique_ptr<MavImg::PictureBuffer::Factory> keyFactory;
  if (!plan.colorKey.empty())
    keyFactory =
        std::make_unique<MavImg::PictureBuffer::Factory>(layout.width, layout.height, 1, 8);
  std::vector<std::uint32_t> raw;
  for (int row = 0; row < layout.height; ++row) {
    UnpackRow(*data, layout, row, raw);
    ConvertRow(plan, layout, raw, factory.GetRowPtr(row), outBits);
    if (keyFactory)
      ColorKeyRow(plan, raw, static_cast<std::size_t>(layout.components),
                  keyFactory->GetRowPtr(row));
  }
  if (keyFactory)
    image.opacity = GrayPicture(context, keyFactory->GetResult());
  else
    image.opacity = ReadOpacity(context, dict, resources);
  if (!keyFactory && !indexed)
    UnpremultiplyMatte(context, dict, plan, image.opacity, layout, outBits, factory);
  const bool interpolate =
      dict.getKey("/Interpolate").isBool() && dict.getKey("/Interpolate").getBoolValue();
  image.picture = MakePicture(context, factory.GetResult(), MakeMapping(*plan.channels),
                              ChannelInfos(context, *plan.channels), interpolate, IsJpeg(dict));
  return image;
}

namespace {

std::shared_ptr<const MavImg::PaintedPicture> ReadOpacity(ReaderContext& context,
                                                          QPDFObjectHandle dict,
                                                          QPDFObjectHandle resources) {
  auto smask = dict.getKey("/SMask");
  auto mask = dict.getKey("/Mask");
  if (smask.isStream()) {
    auto maskDict = smask.getDict();
    if (!maskDict.hasKey("/ColorSpace"))
      maskDict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceGray"));
    const auto decoded = DecodeImage(
        context, maskDict, [&] { return ImageStreamData(context, smask); }, resources);
    return decoded.stencil ? nullptr : decoded.picture;
  }
  if (mask.isStream()) {
    auto maskDict = mask.getDict();
    const Layout layout = CheckLayout(context, maskDict, 1, 1);
    const auto bits = SampleData(context, layout, [&] { return ImageStreamData(context, mask); });
    if (!bits) return nullptr;
    // Explicit masks paint where the sample is 0, or 1 with /Decode [1 0] (ISO 32000-1 §8.9.6.3).
    return GrayPicture(context, StencilBuffer(*bits, layout, DecodeInverted(maskDict)));
  }
  return nullptr;
}

const char* DeviceSpaceOf(JpxColor color) {
  switch (color) {
    case JpxColor::Gray:
      return "/DeviceGray";
    case JpxColor::Rgb:
      return "/DeviceRGB";
    case JpxColor::Cmyk:
      return "/DeviceCMYK";
    default:
      return nullptr;
  }
}

JpxRequest JpxRequestOf(ReaderContext& context, QPDFObjectHandle dict, QPDFObjectHandle resources) {
  JpxRequest request;
  request.maxBytes = context.Limits().maxImageBytes;
  request.sMaskInData = static_cast<int>(NumberOr(dict.getKey("/SMaskInData"), 0));
  if (dict.hasKey("/ColorSpace")) {
    const auto space = ReadColorSpace(context, dict.getKey("/ColorSpace"), resources);
    request.colorComponents = space->ComponentCount();
    request.indexed = space->family == ReaderColorSpace::Family::Indexed;
  }
  return request;
}

// A JPEG 2000 codestream says its own size, depth and often its colour space (ISO 32000-1
// §7.4.9): it is decoded first, then read as an image of 8 or 16 bits whose /Decode is ignored.
// Its alpha, with /SMaskInData, is the image's opacity in place of /SMask.
DecodedImage DecodeJpxImage(ReaderContext& context, QPDFObjectHandle dict, const Samples& samples,
                            QPDFObjectHandle resources) {
  if (dict.getKey("/ImageMask").isBool() && dict.getKey("/ImageMask").getBoolValue())
    throw ReadError("", "JPXDecode image mask");
  const auto codestream = samples();
  if (!codestream) return {};
  JpxImage jpx = DecodeJpx(*codestream, JpxRequestOf(context, dict, resources));
  auto plain = dict.shallowCopy();
  if (!dict.hasKey("/ColorSpace")) {
    const char* space = DeviceSpaceOf(jpx.color);
    if (!space) {
      throw ReadError("", "JPXDecode image of " + std::to_string(jpx.components) +
                              " components without /ColorSpace");
    }
    plain.replaceKey("/ColorSpace", QPDFObjectHandle::newName(space));
  }
  plain.replaceKey("/Width", QPDFObjectHandle::newInteger(jpx.width));
  plain.replaceKey("/Height", QPDFObjectHandle::newInteger(jpx.height));
  plain.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(jpx.bits));
  for (const char* key : {"/Filter", "/DecodeParms", "/Decode", "/SMaskInData"})
    plain.removeKey(key);
  const bool alpha = !jpx.alpha.empty();
  if (alpha) {
    plain.removeKey("/SMask");
    plain.removeKey("/Mask");
  }
  auto image = DecodeImage(
      context, plain, [&] { return std::optional<std::string>(std::move(jpx.samples)); },
      resources);
  if (alpha && image.picture) {
    MavImg::PictureBuffer::Factory factory(jpx.width, jpx.height, 1, 8);
    const auto width = static_cast<std::size_t>(jpx.width);
    for (int row = 0; row < jpx.height; ++row)
      std::memcpy(factory.GetRowPtr(row), jpx.alpha.data() + row * width, width);
    image.opacity = GrayPicture(context, factory.GetResult());
  }
  return image;
}

}  // namespace

std::shared_ptr<const MavImg::PaintedPicture> StandInPicture(ReaderContext& context) {
  MavImg::PictureBuffer::Factory factory(1, 1, 1, 8);
  factory.GetRowPtr(0)[0] = 128;
  return GrayPicture(context, factory.GetResult());
}

QPDFObjectHandle ExpandInlineImageDict(QPDFObjectHandle dict) {
  static const std::map<std::string, std::string> keys{
      {"/BPC", "/BitsPerComponent"}, {"/CS", "/ColorSpace"}, {"/D", "/Decode"},
      {"/DP", "/DecodeParms"},       {"/F", "/Filter"},      {"/H", "/Height"},
      {"/IM", "/ImageMask"},         {"/I", "/Interpolate"}, {"/W", "/Width"}};
  static const std::map<std::string, std::string> filters{
      {"/AHx", "/ASCIIHexDecode"}, {"/A85", "/ASCII85Decode"},  {"/LZW", "/LZWDecode"},
      {"/Fl", "/FlateDecode"},     {"/RL", "/RunLengthDecode"}, {"/CCF", "/CCITTFaxDecode"},
      {"/DCT", "/DCTDecode"}};
  auto expanded = QPDFObjectHandle::newDictionary();
  for (auto [key, value] : dict.ditems()) {
    const auto found = keys.find(key);
    expanded.replaceKey(found == keys.end() ? key : found->second, value);
  }
  auto expandFilter = [&](QPDFObjectHandle f) {
    if (!f.isName()) return f;
    const auto found = filters.find(f.getName());
    return found == filters.end() ? f : QPDFObjectHandle::newName(found->second);
  };
  auto filter = expanded.getKey("/Filter");
  if (filter.isName()) expanded.replaceKey("/Filter", expandFilter(filter));
  if (filter.isArray()) {
    auto list = QPDFObjectHandle::newArray();
    for (auto& f : filter.aitems()) list.appendItem(expandFilter(f));
    expanded.replaceKey("/Filter", list);
  }
  return expanded;
}

std::optional<std::string> InlineImageData(ReaderContext& context, QPDFObjectHandle dict,
                                           const std::string& raw) {
  if (!dict.hasKey("/Filter")) return raw;
  auto stream = QPDFObjectHandle::newStream(&context.Pdf(), raw);
  // The whole dictionary: fax and JBIG2 data take their size from it.
  auto streamDict = stream.getDict();
  for (auto [key, value] : dict.ditems()) {
    if (key != "/Length") streamDict.replaceKey(key, value);
  }
  return ImageStreamData(context, stream);
}

}  // namespace CorvelPdf::Detail
