#include <tools/oracle/ProcessBlendingInternal.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <qpdf/QPDF.hh>
#include <string>

namespace CorvelOracle::Detail {

namespace {

constexpr std::array<double, 6> kGhostscriptReading{0, 100, -128, 127, -128, 127};

std::vector<double> NumbersIn(QPDFObjectHandle array) {
  std::vector<double> numbers;
  if (!array.isArray()) return numbers;
  for (auto& item : array.aitems()) {
    if (!item.isNumber()) return {};
    numbers.push_back(item.getNumericValue());
  }
  return numbers;
}

// The image's Lab /Range (a*, b*) when it paints in a Lab space, else empty.
std::vector<double> LabRangeOf(QPDFObjectHandle image) {
  auto space = image.getKey("/ColorSpace");
  if (!space.isArray() || space.getArrayNItems() != 2 ||
      !space.getArrayItem(0).isNameAndEquals("/Lab"))
    return {};
  auto range = NumbersIn(space.getArrayItem(1).getKey("/Range"));
  return range.size() == 4 ? range : std::vector<double>{-100, 100, -100, 100};
}

// How the samples read (L, a, b pairs): /Decode, else L* 0..100 and the space's range.
std::array<double, 6> ReadingOf(QPDFObjectHandle image, const std::vector<double>& range) {
  std::array<double, 6> reading{0, 100, range[0], range[1], range[2], range[3]};
  const auto decode = NumbersIn(image.getKey("/Decode"));
  if (decode.size() == 6) std::copy(decode.begin(), decode.end(), reading.begin());
  return reading;
}

// The samples' values, clipped to the space, as 16-bit samples over Ghostscript's reading.
std::string Reencoded(const std::string& samples, int bits, const std::array<double, 6>& reading,
                      const std::vector<double>& range) {
  const std::size_t bytes = static_cast<std::size_t>(bits / 8);
  const double top = bits == 16 ? 65535 : 255;
  const double lows[3] = {0, range[0], range[2]}, highs[3] = {100, range[1], range[3]};
  std::string out;
  out.reserve(samples.size() / bytes * 2);
  for (std::size_t i = 0; i + bytes <= samples.size(); i += bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(samples.data() + i);
    const double sample = bytes == 2 ? p[0] * 256 + p[1] : p[0];
    const std::size_t c = (i / bytes) % 3;
    const double value = std::clamp(
        reading[2 * c] + sample / top * (reading[2 * c + 1] - reading[2 * c]), lows[c], highs[c]);
    const double unit = (value - kGhostscriptReading[2 * c]) /
                        (kGhostscriptReading[2 * c + 1] - kGhostscriptReading[2 * c]);
    const auto word = static_cast<unsigned>(std::lround(std::clamp(unit, 0.0, 1.0) * 65535));
    out += static_cast<char>(word >> 8);
    out += static_cast<char>(word & 0xFF);
  }
  return out;
}

}  // namespace

void ReadLabImagesAsGhostscriptCan(QPDF& pdf) {
  for (auto& object : pdf.getAllObjects()) {
    if (!object.isStream()) continue;
    auto image = object.getDict();
    if (!image.getKey("/Subtype").isNameAndEquals("/Image") || image.getKey("/Mask").isArray())
      continue;
    const auto range = LabRangeOf(image);
    const int bits = image.getKey("/BitsPerComponent").isInteger()
                         ? image.getKey("/BitsPerComponent").getIntValueAsInt()
                         : 0;
    if (range.empty() || (bits != 8 && bits != 16)) continue;
    const auto reading = ReadingOf(image, range);
    if (reading == kGhostscriptReading) continue;
    std::string samples;
    try {
      const auto data = object.getStreamData(qpdf_dl_generalized);
      samples.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } catch (const std::exception&) {
      continue;  // JPEG and other image codecs: left for Ghostscript to read as it does
    }
    auto space =
        QPDFObjectHandle::newDictionary(image.getKey("/ColorSpace").getArrayItem(1).getDictAsMap());
    space.replaceKey("/Range", QPDFObjectHandle::parse("[-128 127 -128 127]"));
    object.replaceStreamData(Reencoded(samples, bits, reading, range), QPDFObjectHandle::newNull(),
                             QPDFObjectHandle::newNull());
    image.replaceKey("/ColorSpace",
                     QPDFObjectHandle::newArray({QPDFObjectHandle::newName("/Lab"), space}));
    image.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(16));
    image.removeKey("/Decode");
  }
}

}  // namespace CorvelOracle::Detail
