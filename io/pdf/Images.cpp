#include <io/pdf/ColorSpacesInternal.h>
#include <io/pdf/ImageCompressionInternal.h>
#include <io/pdf/ImagesInternal.h>
#include <io/pdf/JpegCompressionInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>

#include <algorithm>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// Marks an output component that no buffer channel feeds: written as sample 0.
constexpr int kNoChannel = -1;

// The layout of the written image: its colour space and, per component, the buffer channel.
struct ImageLayout {
  PdfColorSpace space;
  std::vector<int> channels;
};

ImageLayout DeviceLayout(const MavImg::BufferedPictureSource& source, const char* spaceName) {
  ImageLayout layout{{QPDFObjectHandle::newName(spaceName), 0}, {}};
  for (const auto& entry : source.GetMapping().GetEntries()) {
    layout.channels.push_back(entry.IsMapped() ? static_cast<int>(entry.channel) : kNoChannel);
  }
  layout.space.components = static_cast<int>(layout.channels.size());
  return layout;
}

ImageLayout InkLayout(WriterState& state, const MavImg::BufferedPictureSource& source,
                      const std::string& where) {
  std::vector<std::pair<std::uint64_t, std::string>> mapped;
  for (const auto& entry : source.GetMapping().GetEntries()) {
    if (entry.IsMapped()) mapped.emplace_back(entry.channel, entry.name);
  }
  if (mapped.empty()) throw std::invalid_argument(where + ": picture maps no separation");
  std::sort(mapped.begin(), mapped.end());
  const auto& process = MavColor::ProcessInkNames();
  const bool processOnly = std::all_of(mapped.begin(), mapped.end(), [&](const auto& m) {
    return std::find(process.begin(), process.end(), m.second) != process.end();
  });
  ImageLayout layout;
  if (processOnly) {
    layout.space = InkColorSpace(state, {process.begin(), process.end()});
    layout.channels.assign(4, kNoChannel);
    for (const auto& [channel, name] : mapped) {
      const auto index = std::find(process.begin(), process.end(), name) - process.begin();
      layout.channels[static_cast<std::size_t>(index)] = static_cast<int>(channel);
    }
    return layout;
  }
  std::vector<std::string> names;
  for (const auto& [channel, name] : mapped) {
    names.push_back(name);
    layout.channels.push_back(static_cast<int>(channel));
  }
  layout.space = InkColorSpace(state, names);
  return layout;
}

ImageLayout LayoutOf(WriterState& state, const MavImg::BufferedPictureSource& source,
                     const std::string& where) {
  const auto& mapping = source.GetMapping();
  // Calibrated and ICC gray and RGB pictures are written as the device space they convert
  // like: our colour conversion treats them alike.
  if (mapping.NamedCount() == 0 && mapping.Size() == mapping.ProcessCount()) {
    const auto& space = mapping.GetColorSpace();
    if (std::holds_alternative<MavColor::DeviceGray>(space) || std::holds_alternative<MavColor::CalGray>(space) ||
        std::holds_alternative<MavColor::ICCGray>(space)) {
      return DeviceLayout(source, "/DeviceGray");
    }
    if (std::holds_alternative<MavColor::DeviceRGB>(space) || std::holds_alternative<MavColor::CalRGB>(space) ||
        std::holds_alternative<MavColor::ICCRGB>(space)) {
      return DeviceLayout(source, "/DeviceRGB");
    }
  }
  return InkLayout(state, source, where);
}

// The rows of the buffer's samples in the layout's components, made as the encoder asks for
// them (the buffer is shared, not copied).
ImageRows SampleRows(std::shared_ptr<const MavImg::PictureBuffer> buffer, std::vector<int> channels) {
  return [buffer = std::move(buffer), channels = std::move(channels)](int row, std::string& out) {
    const std::size_t bytes = static_cast<std::size_t>(buffer->GetBitsPerChannel() / 8);
    const auto sourceChannels = static_cast<std::size_t>(buffer->GetChannels());
    const std::uint8_t* pixel = buffer->GetRowPtr(row);
    for (int column = 0; column < buffer->GetColumns(); ++column, pixel += sourceChannels * bytes) {
      for (int channel : channels) {
        for (std::size_t b = 0; b < bytes; ++b) {
          out += channel == kNoChannel
                     ? '\0'
                     : static_cast<char>(pixel[static_cast<std::size_t>(channel) * bytes + b]);
        }
      }
    }
  };
}

// /Decode from each channel's range; null when every range is the default [0 1].
QPDFObjectHandle DecodeArray(const MavImg::BufferedPictureSource& source,
                             const std::vector<int>& channels) {
  std::vector<double> decode;
  bool plain = true;
  for (int channel : channels) {
    std::array<double, 2> range{0, 1};
    if (channel != kNoChannel &&
        static_cast<std::size_t>(channel) < source.GetChannelInfos().size()) {
      range = source.GetChannelInfos()[static_cast<std::size_t>(channel)].GetRange();
    }
    plain = plain && range[0] == 0 && range[1] == 1;
    decode.insert(decode.end(), {range[0], range[1]});
  }
  return plain ? QPDFObjectHandle() : NumberArray(decode);
}

QPDFObjectHandle ImageDictionary(const MavImg::PictureBuffer& buffer, int bitsPerComponent) {
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
  dictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(buffer.GetColumns()));
  dictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(buffer.GetRows()));
  dictionary.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(bitsPerComponent));
  return dictionary;
}

// The picture's coverage channel as a DeviceGray soft-mask image, or null when it has none.
QPDFObjectHandle CoverageMask(WriterState& state, const MavImg::BufferedPictureSource& source) {
  const auto& infos = source.GetChannelInfos();
  const auto alpha = std::find_if(infos.begin(), infos.end(), [](const MavImg::ChannelInfo& info) {
    return info.GetType() == MavImg::ChannelInfo::kAlphaChannel;
  });
  if (alpha == infos.end()) return {};
  const auto& buffer = *source.GetBuffer();
  const int channel = static_cast<int>(alpha - infos.begin());
  if (channel >= buffer.GetChannels()) return {};
  auto dictionary = ImageDictionary(buffer, buffer.GetBitsPerChannel());
  dictionary.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceGray"));
  if (const auto range = alpha->GetRange(); range[0] != 0 || range[1] != 1) {
    dictionary.replaceKey("/Decode", NumberArray({range[0], range[1]}));
  }
  return PredictedImageStream(state, buffer.GetRows(), buffer.GetColumns(), 1,
                              buffer.GetBitsPerChannel(), SampleRows(source.GetBuffer(), {channel}),
                              dictionary);
}

// Whether the picture may be written as JPEG: a continuous-tone render of 8-bit samples in a
// device space or one process ink, when the settings ask for it (always, or automatically for
// renders of pictures that were JPEG already). Spot inks stay lossless: a
// varnish or metallic plate shows ringing that process inks hide.
bool SuitsJpeg(WriterState& state, const MavImg::BufferedPictureSource& source, const ImageLayout& layout) {
  const auto compression = state.RasterImages().compression;
  if (!source.IsContinuousTone() || compression == RasterCompression::Flate) return false;
  if (compression == RasterCompression::Automatic && !source.IsFromLossyData()) return false;
  if (source.GetBuffer()->GetBitsPerChannel() != 8) return false;
  const int components = layout.space.components;
  if (layout.space.IsDevice()) return components == 1 || components == 3 || components == 4;
  if (components != 1) return false;
  const auto& process = MavColor::ProcessInkNames();
  for (const auto& entry : source.GetMapping().GetEntries()) {
    if (entry.IsMapped() && std::find(process.begin(), process.end(), entry.name) == process.end()) return false;
  }
  return true;
}

}  // namespace

const MavImg::BufferedPictureSource& BufferedSource(const MavImg::PaintedPicture& picture,
                                                    const std::string& where) {
  const auto& data = picture.GetPictureData(false);
  if (!data) throw std::invalid_argument(where + ": picture without picture data");
  const auto* source = dynamic_cast<const MavImg::BufferedPictureSource*>(data->GetSource().get());
  if (!source) throw std::invalid_argument(where + ": picture source is not an in-memory buffer");
  return *source;
}

QPDFObjectHandle WriteImage(WriterState& state, const MavImg::PaintedPicture& picture,
                            const std::string& where) {
  const std::string key = AddressKey("image", &picture);
  if (auto found = state.Find(key); found.isInitialized()) return found;
  const auto& source = BufferedSource(picture, where);
  if (source.GetColorTable()) {
    throw std::invalid_argument(where + ": indexed pictures are not supported by the PDF writer");
  }
  const ImageLayout layout = LayoutOf(state, source, where);
  const auto& buffer = *source.GetBuffer();
  auto dictionary = ImageDictionary(buffer, buffer.GetBitsPerChannel());
  dictionary.replaceKey("/ColorSpace", layout.space.space);
  if (auto decode = DecodeArray(source, layout.channels); decode.isInitialized()) {
    dictionary.replaceKey("/Decode", decode);
  }
  if (picture.GetInterpolate())
    dictionary.replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));
  // The picture's own coverage travels as the image's soft mask.
  if (auto mask = CoverageMask(state, source); mask.isInitialized()) dictionary.replaceKey("/SMask", mask);
  const int components = static_cast<int>(layout.channels.size());
  if (SuitsJpeg(state, source, layout)) {
    return state.Remember(
        key, JpegImageStream(state, buffer.GetRows(), buffer.GetColumns(), components,
                             state.RasterImages().jpegQuality,
                             SampleRows(source.GetBuffer(), layout.channels), dictionary));
  }
  return state.Remember(
      key, PredictedImageStream(state, buffer.GetRows(), buffer.GetColumns(), components,
                                buffer.GetBitsPerChannel(), SampleRows(source.GetBuffer(), layout.channels),
                                dictionary));
}

QPDFObjectHandle WriteImageMask(WriterState& state, const MavImg::PaintedPicture& stencil,
                                bool inverted, const std::string& where) {
  const std::string key = AddressKey(inverted ? "inverted-mask" : "mask", &stencil);
  if (auto found = state.Find(key); found.isInitialized()) return found;
  const auto& buffer = *BufferedSource(stencil, where).GetBuffer();
  const std::size_t rowBytes = (static_cast<std::size_t>(buffer.GetColumns()) + 7) / 8;
  std::string data(rowBytes * static_cast<std::size_t>(buffer.GetRows()), '\0');
  for (int row = 0; row < buffer.GetRows(); ++row) {
    for (int column = 0; column < buffer.GetColumns(); ++column) {
      if (buffer.GetSample(column, row, 0) < 0.5) continue;
      data[row * rowBytes + static_cast<std::size_t>(column) / 8] |=
          static_cast<char>(0x80 >> (column % 8));
    }
  }
  auto dictionary = ImageDictionary(buffer, 1);
  dictionary.replaceKey("/ImageMask", QPDFObjectHandle::newBool(true));
  // A stencil paints where its sample decodes to 0 (ISO 32000-1 §8.9.6.2): [1 0] paints the
  // set bits, the default [0 1] the clear ones.
  dictionary.replaceKey("/Decode", inverted ? NumberArray({0, 1}) : NumberArray({1, 0}));
  if (stencil.GetInterpolate())
    dictionary.replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));
  return state.Remember(key, state.NewStream(data, dictionary));
}

}  // namespace CorvelPdf::Detail
