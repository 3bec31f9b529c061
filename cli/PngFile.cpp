#include <cli/PngFile.h>
#include <png.h>

#include <stdexcept>

namespace CorvelCli {

void WritePng(const std::string& path, const RgbImage& image) {
  // The simplified API reports failures in its result instead of jumping out of the caller.
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr)) {
    const std::string why = png.message;
    png_image_free(&png);
    throw std::runtime_error("cannot write " + path + ": " + why);
  }
}

}  // namespace CorvelCli
