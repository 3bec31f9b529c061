#include <tools/oracle/TiffPlaneInternal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace CorvelOracle::Detail {

namespace {

// Big-endian reads from the file's bytes, each checked against its end.
class PsdReader {
 public:
  PsdReader(std::string bytes, std::string file) : bytes_(std::move(bytes)), file_(std::move(file)) {}

  std::uint32_t Read(int size) {
    Need(static_cast<std::size_t>(size));
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes_[at_++]);
    return value;
  }
  void Skip(std::size_t count) {
    Need(count);
    at_ += count;
  }
  std::size_t At() const { return at_; }
  void Need(std::size_t count) const {
    if (bytes_.size() - at_ < count) throw std::runtime_error(file_ + " ends early");
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::string file_;
  std::size_t at_ = 0;
};

// Image resource 1006 names the channels after the four process ones, as Pascal strings.
std::vector<std::string> PsdSpotNames(PsdReader& reader) {
  const std::size_t end = reader.Read(4) + reader.At();
  std::vector<std::string> names;
  while (reader.At() + 12 <= end) {
    reader.Skip(4);  // "8BIM"
    const std::uint32_t id = reader.Read(2);
    const std::uint32_t nameLength = reader.Read(1);
    reader.Skip(nameLength + ((nameLength + 1) % 2));
    const std::uint32_t size = reader.Read(4);
    const std::size_t dataEnd = reader.At() + size;
    if (id == 1006) {
      while (reader.At() < dataEnd) {
        const std::uint32_t length = reader.Read(1);
        reader.Need(length);
        names.push_back(reader.Bytes().substr(reader.At(), length));
        reader.Skip(length);
      }
    }
    reader.Skip(dataEnd - reader.At() + size % 2);
  }
  reader.Skip(end - reader.At());
  return names;
}

}  // namespace

std::vector<Plane> ReadPsdPlanes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open " + file.string());
  PsdReader reader(std::string(std::istreambuf_iterator<char>(in), {}), file.string());
  if (reader.Read(4) != 0x38425053) throw std::runtime_error(file.string() + " is not a PSD file");
  reader.Skip(8);  // version, reserved
  const std::uint32_t channels = reader.Read(2), height = reader.Read(4), width = reader.Read(4);
  const std::uint32_t depth = reader.Read(2), mode = reader.Read(2);
  if (depth != 16 || mode != 4 || channels < 4 || width == 0 || height == 0) {
    throw std::runtime_error(file.string() + " is not a 16-bit CMYK PSD file");
  }
  reader.Skip(reader.Read(4));  // colour mode data
  std::vector<std::string> names{"Cyan", "Magenta", "Yellow", "Black"};
  for (std::string& spot : PsdSpotNames(reader)) names.push_back(std::move(spot));
  reader.Skip(reader.Read(4));  // layers and masks
  if (reader.Read(2) != 0) throw std::runtime_error(file.string() + " is compressed");
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  std::vector<Plane> planes;
  for (std::uint32_t channel = 0; channel < channels; ++channel) {
    // Ghostscript leaves a spot unnamed when the page declares it but paints it only through a
    // blend mode (never with its own colour space).
    std::string name = channel < names.size() ? names[channel] : std::string();
    if (name.empty()) name = "Unnamed spot " + std::to_string(channel - 3);
    Plane plane{name, static_cast<int>(width), static_cast<int>(height), {}};
    plane.ink.resize(pixels);
    // 65535 is no ink; sixteen bits round to the nearest of 255 ink levels.
    for (std::size_t i = 0; i < pixels; ++i) {
      plane.ink[i] = static_cast<std::uint8_t>(std::lround((65535 - reader.Read(2)) / 257.0));
    }
    // Spots the page declares but never paints come as unnamed, empty channels; tiffsep writes
    // no file for them.
    const bool empty = std::all_of(plane.ink.begin(), plane.ink.end(), [](auto ink) { return ink == 0; });
    if (channel < 4 || !empty) planes.push_back(std::move(plane));
  }
  return planes;
}

}  // namespace CorvelOracle::Detail
