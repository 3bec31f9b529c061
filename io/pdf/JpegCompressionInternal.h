#pragma once
// Baseline JPEG (DCTDecode) for continuous-tone images: pictures and shadings rendered into
// separation channels lose nothing visible at a high quality and shrink several times further
// than lossless Flate can take photographic noise.

#include <io/pdf/ImageCompressionInternal.h>
#include <io/pdf/WriterStateInternal.h>

#include <cstdint>
#include <span>
#include <string>

namespace CorvelPdf::Detail {

// Quality of the encoder, 1 (smallest) to 100 (best); outside that range is refused.
inline constexpr int kMinJpegQuality = 1, kMaxJpegQuality = 100;

// A JPEG file of `samples` (rows top to bottom of `columns` pixels of `colors` 8-bit components;
// 1 gray or one ink, 3 RGB, 4 CMYK) at `quality`. Four components are stored as given under an
// Adobe marker without colour transform: PDF readers take the samples as written, so no /Decode
// is needed.
// Throws std::invalid_argument for another component count or quality, std::runtime_error when
// the encoder fails.
std::string EncodeJpeg(std::span<const std::uint8_t> samples, int columns, int colors, int quality);
// The same, asking for the `rows` rows one at a time.
std::string EncodeJpeg(const ImageRows& samples, int rows, int columns, int colors, int quality);

// A stream holding `rows` rows of samples compressed with /DCTDecode (see EncodeJpeg), with the
// other entries of `dictionary`; the rows are asked for while the stream is encoded.
QPDFObjectHandle JpegImageStream(WriterState& state, int rows, int columns, int colors,
                                 int quality, ImageRows samples, QPDFObjectHandle dictionary);

}  // namespace CorvelPdf::Detail
