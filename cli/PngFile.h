#pragma once
// 8-bit RGB images written as PNG files (libpng).

#include <cstdint>
#include <string>
#include <vector>

namespace CorvelCli {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width × height × 3, rows top to bottom
};

// Throws std::runtime_error naming the file when it cannot be written.
void WritePng(const std::string& path, const RgbImage& image);

}  // namespace CorvelCli
