#pragma once
// A page as print work often has it: a large photograph (a baseline JPEG the generator makes:
// smooth gradients with grain, seeded) faded out by a soft mask of its own, under vector
// artwork, some of it transparent. Tests and benchmarks of rasterised pictures flatten it.

#include <filesystem>
#include <string>

namespace CorvelTestPages {

struct PhotoPageOptions {
  int width = 3000, height = 2000;  // photo pixels
  int components = 4;               // 4 DeviceCMYK, 3 DeviceRGB
  int quality = 85;                 // of the input JPEG
  bool jpeg = true;                 // false: the photo is stored losslessly (Flate) instead
  // Grain amplitude in levels of 255 (uniform, ±): camera noise on smooth tones.
  int grain = 6;
  unsigned seed = 1;
  // Photo size on the page, points; the page is A4 portrait and the photo sits in its top part.
  double placedWidth = 510, placedHeight = 340;
};

// The photo's pixels per inch on the page, across and down.
double PhotoResolution(const PhotoPageOptions& options);

// Writes the one-page PDF to `path`.
void WritePhotoPage(const std::filesystem::path& path, const PhotoPageOptions& options = {});

}  // namespace CorvelTestPages
