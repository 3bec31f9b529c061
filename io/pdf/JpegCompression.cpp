#include <io/pdf/JpegCompressionInternal.h>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// libjpeg reports errors through a callback that must not return: it jumps back to the
// encoder with the message kept, which then throws from ordinary C++ frames.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->back, 1);
}

void OnMessage(j_common_ptr, int) {}

// The compressor and its memory buffer, released however encoding ends.
struct Compressor {
  jpeg_compress_struct info{};
  ErrorManager errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~Compressor() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

void Configure(Compressor& c, int columns, int rows, int colors, int quality) {
  c.info.image_width = static_cast<JDIMENSION>(columns);
  c.info.image_height = static_cast<JDIMENSION>(rows);
  c.info.input_components = colors;
  c.info.in_color_space = colors == 1 ? JCS_GRAYSCALE : colors == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&c.info);
  // Inks are stored as they are, without a YCCK transform: a reader that ignores the Adobe
  // marker's transform flag still decodes the same samples. RGB keeps the usual YCbCr.
  if (colors == 4) jpeg_set_colorspace(&c.info, JCS_CMYK);
  jpeg_set_quality(&c.info, quality, TRUE);
  c.info.optimize_coding = TRUE;
}

}  // namespace

std::string EncodeJpeg(std::span<const std::uint8_t> samples, int columns, int colors,
                       int quality) {
  const std::size_t rowBytes = static_cast<std::size_t>(std::max(columns, 0)) *
                               static_cast<std::size_t>(std::max(colors, 0));
  if (columns <= 0 || rowBytes == 0 || samples.size() % rowBytes != 0 || samples.empty())
    throw std::invalid_argument("JPEG samples do not fill whole rows");
  const ImageRows rows = [&samples, rowBytes](int row, std::string& out) {
    const auto* start = samples.data() + static_cast<std::size_t>(row) * rowBytes;
    out.append(reinterpret_cast<const char*>(start), rowBytes);
  };
  return EncodeJpeg(rows, static_cast<int>(samples.size() / rowBytes), columns, colors, quality);
}

std::string EncodeJpeg(const ImageRows& samples, int rows, int columns, int colors, int quality) {
  if (colors != 1 && colors != 3 && colors != 4)
    throw std::invalid_argument("JPEG images are written with 1, 3 or 4 components, not " +
                                std::to_string(colors));
  if (quality < kMinJpegQuality || quality > kMaxJpegQuality)
    throw std::invalid_argument("JPEG quality " + std::to_string(quality) + " is not in 1..100");
  if (columns <= 0 || rows <= 0) throw std::invalid_argument("JPEG samples do not fill whole rows");
  const std::size_t rowBytes = static_cast<std::size_t>(columns) * static_cast<std::size_t>(colors);
  Compressor c;
  c.info.err = jpeg_std_error(&c.errors.base);
  c.errors.base.error_exit = OnError;
  c.errors.base.emit_message = OnMessage;
  if (setjmp(c.errors.back)) throw std::runtime_error(std::string("libjpeg: ") + c.errors.message);
  jpeg_create_compress(&c.info);
  jpeg_mem_dest(&c.info, &c.buffer, &c.size);
  Configure(c, columns, rows, colors, quality);
  jpeg_start_compress(&c.info, TRUE);
  std::string line;
  while (c.info.next_scanline < c.info.image_height) {
    line.clear();
    samples(static_cast<int>(c.info.next_scanline), line);
    if (line.size() != rowBytes) throw std::logic_error("a JPEG row has the wrong length");
    JSAMPROW row = reinterpret_cast<JSAMPROW>(line.data());
    jpeg_write_scanlines(&c.info, &row, 1);
  }
  jpeg_finish_compress(&c.info);
  return {reinterpret_cast<const char*>(c.buffer), c.size};
}

QPDFObjectHandle JpegImageStream(WriterState& state, int rows, int columns, int colors,
                                 int quality, ImageRows samples, QPDFObjectHandle dictionary) {
  auto stream = state.NewStream("", dictionary);
  state.SetEncodedData(
      stream,
      [samples = std::move(samples), rows, columns, colors, quality] {
        return EncodeJpeg(samples, rows, columns, colors, quality);
      },
      QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
  return stream;
}

}  // namespace CorvelPdf::Detail
