#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/ReaderCodecsInternal.h>
#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace CorvelPdf::Detail {

namespace {

constexpr std::uint64_t kMaxSide = 1 << 20;  // as for other images
constexpr std::uint32_t kMaxPrecision = 31;  // what OpenJPEG's int samples hold

struct CodecFree {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamFree {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageFree {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecFree>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamFree>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageFree>;

[[noreturn]] void FailJpx(const std::string& why) { throw ReadError("", "JPXDecode: " + why); }

// OpenJPEG's messages end with a new line; the first error says what went wrong.
struct JpxMessages {
  std::string error;
  std::string warning;

  [[noreturn]] void Fail(const std::string& what) const {
    const std::string& detail = error.empty() ? warning : error;
    FailJpx(detail.empty() ? what : what + " (" + detail + ")");
  }
};

std::string Trimmed(const char* message) {
  std::string text = message ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

void OnError(const char* message, void* user) {
  auto& messages = *static_cast<JpxMessages*>(user);
  if (messages.error.empty()) messages.error = Trimmed(message);
}

void OnWarning(const char* message, void* user) {
  static_cast<JpxMessages*>(user)->warning = Trimmed(message);
}

// The bytes OpenJPEG reads, skips and seeks in.
struct MemoryReader {
  std::string_view data;
  std::size_t at = 0;
};

OPJ_SIZE_T ReadBytes(void* buffer, OPJ_SIZE_T size, void* user) {
  auto& reader = *static_cast<MemoryReader*>(user);
  if (reader.at >= reader.data.size()) return static_cast<OPJ_SIZE_T>(-1);
  const std::size_t count = std::min<std::size_t>(size, reader.data.size() - reader.at);
  std::memcpy(buffer, reader.data.data() + reader.at, count);
  reader.at += count;
  return count;
}

OPJ_OFF_T SkipBytes(OPJ_OFF_T count, void* user) {
  auto& reader = *static_cast<MemoryReader*>(user);
  const auto size = static_cast<OPJ_OFF_T>(reader.data.size());
  const OPJ_OFF_T target =
      std::clamp<OPJ_OFF_T>(static_cast<OPJ_OFF_T>(reader.at) + count, 0, size);
  const OPJ_OFF_T moved = target - static_cast<OPJ_OFF_T>(reader.at);
  reader.at = static_cast<std::size_t>(target);
  return moved == 0 && count != 0 ? -1 : moved;
}

OPJ_BOOL SeekTo(OPJ_OFF_T position, void* user) {
  auto& reader = *static_cast<MemoryReader*>(user);
  if (position < 0 || static_cast<std::uint64_t>(position) > reader.data.size()) return OPJ_FALSE;
  reader.at = static_cast<std::size_t>(position);
  return OPJ_TRUE;
}

StreamPtr MemoryStream(MemoryReader& reader) {
  StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!stream) FailJpx("out of memory");
  opj_stream_set_user_data(stream.get(), &reader, nullptr);
  opj_stream_set_user_data_length(stream.get(), reader.data.size());
  opj_stream_set_read_function(stream.get(), ReadBytes);
  opj_stream_set_skip_function(stream.get(), SkipBytes);
  opj_stream_set_seek_function(stream.get(), SeekTo);
  return stream;
}

// A JP2 file starts with its signature box; a raw codestream with SOC and SIZ markers.
OPJ_CODEC_FORMAT FormatOf(std::string_view data) {
  static constexpr char kJp2[] = "\x00\x00\x00\x0cjP  \r\n\x87\n";
  if (data.substr(0, 12) == std::string_view(kJp2, 12)) return OPJ_CODEC_JP2;
  if (data.substr(0, 4) == std::string_view("\xff\x4f\xff\x51", 4)) return OPJ_CODEC_J2K;
  FailJpx(data.empty() ? "no data" : "neither a JP2 file nor a JPEG 2000 codestream");
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

// Before decoding: OpenJPEG keeps every component as 32-bit samples, besides what is returned.
void CheckSize(const opj_image_t& image, std::size_t maxBytes) {
  const std::uint64_t width = image.x1 > image.x0 ? image.x1 - image.x0 : 0,
                      height = image.y1 > image.y0 ? image.y1 - image.y0 : 0;
  if (width == 0 || height == 0 || image.numcomps == 0 || !image.comps) FailJpx("empty image");
  if (width > kMaxSide || height > kMaxSide) {
    FailJpx("image of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
  }
  std::uint64_t bytes = width * height * image.numcomps * 2;
  for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
    const auto& c = image.comps[i];
    if (c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > kMaxPrecision)
      FailJpx("component " + std::to_string(i) + " of unsupported precision or sampling");
    bytes += (CeilDiv(image.x1, c.dx) - CeilDiv(image.x0, c.dx)) *
             (CeilDiv(image.y1, c.dy) - CeilDiv(image.y0, c.dy)) * 4;
  }
  if (bytes > maxBytes) {
    FailJpx("image of " + std::to_string(width) + " x " + std::to_string(height) + " with " +
         std::to_string(image.numcomps) + " components exceeds the limit of " +
         std::to_string(maxBytes) + " decoded bytes");
  }
}

ImagePtr DecodeCodestream(std::string_view data, const JpxRequest& request) {
  CodecPtr codec(opj_create_decompress(FormatOf(data)));
  if (!codec) FailJpx("out of memory");
  JpxMessages messages;
  opj_set_error_handler(codec.get(), OnError, &messages);
  opj_set_warning_handler(codec.get(), OnWarning, &messages);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  // Indices of an /Indexed space must stay indices, not go through the file's own palette.
  if (request.indexed) parameters.flags |= OPJ_DPARAMETERS_IGNORE_PCLR_CMAP_CDEF_FLAG;
  if (!opj_setup_decoder(codec.get(), &parameters)) messages.Fail("decoder refused its setup");
  // Truncated data is an error, not a partly grey picture.
  opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE);
  MemoryReader reader{data};
  const StreamPtr stream = MemoryStream(reader);
  opj_image_t* header = nullptr;
  const bool read = opj_read_header(stream.get(), codec.get(), &header);
  ImagePtr image(header);
  if (!read || !image) messages.Fail("unreadable header");
  CheckSize(*image, request.maxBytes);
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get())) {
    messages.Fail("damaged or truncated data");
  }
  for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
    const auto& c = image->comps[i];
    if (!c.data || c.w == 0 || c.h == 0)
      messages.Fail("component " + std::to_string(i) + " not decoded");
  }
  return image;
}

// Which components hold colour and which one opacity.
struct Channels {
  std::vector<OPJ_UINT32> color;
  const opj_image_comp_t* alpha = nullptr;
  bool premultiplied = false;
};

std::size_t ColourCount(const opj_image_t& image, std::size_t available,
                        const JpxRequest& request) {
  if (request.colorComponents > 0) return static_cast<std::size_t>(request.colorComponents);
  switch (image.color_space) {
    case OPJ_CLRSPC_GRAY:
      return 1;
    case OPJ_CLRSPC_SRGB:
    case OPJ_CLRSPC_SYCC:
    case OPJ_CLRSPC_EYCC:
      return 3;
    case OPJ_CLRSPC_CMYK:
      return 4;
    default:
      break;
  }
  // Nothing in the file says: one component more than gray, RGB or CMYK need is the alpha.
  const bool extra =
      request.sMaskInData != 0 && (available == 2 || available == 4 || available == 5);
  return extra ? available - 1 : available;
}

Channels ChooseChannels(const opj_image_t& image, const JpxRequest& request) {
  Channels channels;
  for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
    // Channel definitions (JP2 cdef boxes) mark opacity: 1 plain, 2 pre-multiplied.
    if (image.comps[i].alpha != 0) {
      if (!channels.alpha) {
        channels.alpha = &image.comps[i];
        channels.premultiplied = image.comps[i].alpha == 2;
      }
    } else {
      channels.color.push_back(i);
    }
  }
  const std::size_t count = ColourCount(image, channels.color.size(), request);
  if (channels.color.size() < count) {
    FailJpx("the image has " + std::to_string(channels.color.size()) + " colour components, " +
         std::to_string(count) + " needed");
  }
  // A raw codestream has no channel definitions: the component after the colour is the alpha.
  if (!channels.alpha && channels.color.size() > count)
    channels.alpha = &image.comps[channels.color[count]];
  channels.color.resize(count);
  if (request.sMaskInData == 0) channels.alpha = nullptr;
  channels.premultiplied = channels.alpha && (channels.premultiplied || request.sMaskInData == 2);
  return channels;
}

// One component read at the image's resolution, its samples mapped to 0..outMax.
class Plane {
 public:
  Plane(const opj_image_t& image, const opj_image_comp_t& component, std::uint32_t outMax, bool raw)
      : component_(component),
        offset_(component.sgnd ? std::int64_t{1} << (component.prec - 1) : 0),
        max_((std::uint64_t{1} << component.prec) - 1),
        outMax_(outMax),
        raw_(raw),
        columns_(
            Positions(image.x0, image.x1 - image.x0, component.dx, component.x0, component.w)) {
    rows_ = Positions(image.y0, image.y1 - image.y0, component.dy, component.y0, component.h);
  }

  // Sample x of row y, written to out[x * stride].
  void Fetch(std::size_t y, std::uint32_t* out, std::size_t stride) const {
    const OPJ_INT32* row = component_.data + static_cast<std::size_t>(rows_[y]) * component_.w;
    for (std::size_t x = 0; x < columns_.size(); ++x) out[x * stride] = Scaled(row[columns_[x]]);
  }

 private:
  // Where each pixel finds its sample in a component sub-sampled by `step`.
  static std::vector<std::uint32_t> Positions(OPJ_UINT32 origin, OPJ_UINT32 count, OPJ_UINT32 step,
                                              OPJ_UINT32 first, OPJ_UINT32 available) {
    std::vector<std::uint32_t> positions(count);
    for (OPJ_UINT32 i = 0; i < count; ++i) {
      const std::int64_t at = static_cast<std::int64_t>((std::uint64_t{origin} + i) / step) - first;
      positions[i] =
          static_cast<std::uint32_t>(std::clamp<std::int64_t>(at, 0, std::int64_t{available} - 1));
    }
    return positions;
  }

  std::uint32_t Scaled(OPJ_INT32 value) const {
    const auto v = static_cast<std::uint64_t>(
        std::clamp<std::int64_t>(value + offset_, 0, static_cast<std::int64_t>(max_)));
    return static_cast<std::uint32_t>(raw_ ? v : (v * outMax_ + max_ / 2) / max_);
  }

  const opj_image_comp_t& component_;
  std::int64_t offset_;
  std::uint64_t max_;
  std::uint32_t outMax_;
  bool raw_;
  std::vector<std::uint32_t> columns_;
  std::vector<std::uint32_t> rows_;
};

// sYCC (JP2 colour space 18) to RGB, on samples of 0..max.
void YccToRgb(std::vector<std::uint32_t>& row, std::uint32_t max) {
  const double half = (max + 1) / 2.0;
  auto clamped = [max](double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, double(max))));
  };
  for (std::size_t i = 0; i + 2 < row.size(); i += 3) {
    const double y = row[i], cb = row[i + 1] - half, cr = row[i + 2] - half;
    row[i] = clamped(y + 1.402 * cr);
    row[i + 1] = clamped(y - 0.344136 * cb - 0.714136 * cr);
    row[i + 2] = clamped(y + 1.772 * cb);
  }
}

// Colour pre-multiplied by opacity (against black, as JPEG 2000 means it) back to plain colour.
void Unpremultiply(std::vector<std::uint32_t>& row, const std::vector<std::uint32_t>& alpha,
                   std::size_t components, std::uint32_t max) {
  for (std::size_t x = 0; x < alpha.size(); ++x) {
    if (alpha[x] == 0) continue;
    for (std::size_t k = 0; k < components; ++k) {
      auto& v = row[x * components + k];
      v = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(max, (std::uint64_t{v} * max + alpha[x] / 2) / alpha[x]));
    }
  }
}

void StoreRow(const std::vector<std::uint32_t>& row, int bits, char* out) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (bits == 16) {
      out[2 * i] = static_cast<char>(row[i] >> 8);
      out[2 * i + 1] = static_cast<char>(row[i] & 0xFF);
    } else {
      out[i] = static_cast<char>(row[i]);
    }
  }
}

int OutputBits(const opj_image_t& image, const Channels& channels, bool indexed) {
  OPJ_UINT32 precision = 0;
  for (auto i : channels.color) precision = std::max(precision, image.comps[i].prec);
  if (indexed && precision > 8) FailJpx("palette indices of " + std::to_string(precision) + " bits");
  return precision > 8 ? 16 : 8;
}

JpxColor ColorOf(std::size_t components) {
  switch (components) {
    case 1:
      return JpxColor::Gray;
    case 3:
      return JpxColor::Rgb;
    case 4:
      return JpxColor::Cmyk;
    default:
      return JpxColor::Unknown;
  }
}

JpxImage Convert(const opj_image_t& image, const JpxRequest& request) {
  const Channels channels = ChooseChannels(image, request);
  JpxImage out;
  out.width = static_cast<int>(image.x1 - image.x0);
  out.height = static_cast<int>(image.y1 - image.y0);
  out.components = static_cast<int>(channels.color.size());
  out.bits = OutputBits(image, channels, request.indexed);
  out.color = ColorOf(channels.color.size());
  const bool ycc = image.color_space == OPJ_CLRSPC_SYCC && out.color == JpxColor::Rgb;
  if (image.color_space == OPJ_CLRSPC_EYCC && !request.indexed) FailJpx("e-sYCC colour not supported");
  const std::uint32_t max = (1u << out.bits) - 1;
  std::vector<Plane> planes;
  for (auto i : channels.color) planes.emplace_back(image, image.comps[i], max, request.indexed);
  std::optional<Plane> alpha;
  if (channels.alpha) alpha.emplace(image, *channels.alpha, max, false);
  const std::size_t width = static_cast<std::size_t>(out.width), n = planes.size();
  const std::size_t rowBytes = width * n * static_cast<std::size_t>(out.bits / 8);
  out.samples.resize(rowBytes * static_cast<std::size_t>(out.height));
  if (alpha) out.alpha.resize(width * static_cast<std::size_t>(out.height));
  std::vector<std::uint32_t> row(width * n), opacity(alpha ? width : 0);
  for (std::size_t y = 0; y < static_cast<std::size_t>(out.height); ++y) {
    for (std::size_t k = 0; k < n; ++k) planes[k].Fetch(y, row.data() + k, n);
    if (ycc) YccToRgb(row, max);
    if (alpha) {
      alpha->Fetch(y, opacity.data(), 1);
      if (channels.premultiplied) Unpremultiply(row, opacity, n, max);
      for (std::size_t x = 0; x < width; ++x)
        out.alpha[y * width + x] = static_cast<char>((opacity[x] * 255 + max / 2) / max);
    }
    StoreRow(row, out.bits, out.samples.data() + y * rowBytes);
  }
  return out;
}

}  // namespace

JpxImage DecodeJpx(std::string_view data, const JpxRequest& request) {
  const ImagePtr image = DecodeCodestream(data, request);
  return Convert(*image, request);
}

}  // namespace CorvelPdf::Detail
