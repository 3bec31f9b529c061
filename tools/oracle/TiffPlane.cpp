#include <tiffio.h>
#include <tools/oracle/TiffPlaneInternal.h>

#include <memory>
#include <stdexcept>

namespace CorvelOracle::Detail {

namespace {

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

template <class T>
T Field(TIFF* tiff, ttag_t tag, T fallback) {
  T value = fallback;
  if (TIFFGetFieldDefaulted(tiff, tag, &value) != 1) return fallback;
  return value;
}

}  // namespace

Plane ReadTiffPlane(const std::filesystem::path& file, const std::string& name) {
  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(file.c_str(), "r"));
  if (!tiff) throw std::runtime_error("Cannot open the plane " + file.string());
  const auto width = Field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGEWIDTH, 0);
  const auto height = Field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGELENGTH, 0);
  const auto bits = Field<std::uint16_t>(tiff.get(), TIFFTAG_BITSPERSAMPLE, 0);
  const auto samples = Field<std::uint16_t>(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 0);
  if (bits != 8 || samples != 1 || width == 0 || height == 0) {
    throw std::runtime_error("The plane " + file.string() + " is not an 8-bit one-sample image");
  }
  Plane plane{name, static_cast<int>(width), static_cast<int>(height), {}};
  plane.ink.resize(static_cast<std::size_t>(width) * height);
  for (std::uint32_t row = 0; row < height; ++row) {
    std::uint8_t* line = plane.ink.data() + static_cast<std::size_t>(row) * width;
    if (TIFFReadScanline(tiff.get(), line, row, 0) < 0) {
      throw std::runtime_error("Cannot read row " + std::to_string(row) + " of " + file.string());
    }
    // tiffsep writes 255 for no ink and 0 for full ink.
    for (std::uint32_t column = 0; column < width; ++column) line[column] = 255 - line[column];
  }
  return plane;
}

}  // namespace CorvelOracle::Detail
