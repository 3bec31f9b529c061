#pragma once
// The image filters qpdf leaves alone (ISO 32000-1 §7.4.6 to §7.4.9): CCITT fax through libtiff's
// codec, JBIG2 through jbig2dec, JPEG 2000 through OpenJPEG. Each decoder takes the bytes left
// once the general filters are removed, checks the sizes the data claims against `maxBytes`
// before the codec allocates for them, and throws ReadError, naming the filter, for damaged,
// truncated or oversized data.

#include <cstddef>
#include <string>
#include <string_view>

namespace CorvelPdf::Detail {

// The size of the image the samples are for: what the image dictionary says.
struct BitmapSize {
  int width = 0;
  int height = 0;
};

// One-bit samples in PDF's sense (0 black), rows of (width + 7) / 8 bytes. A page of another size
// than `size` is cropped, or padded with white.
std::string DecodeJbig2(std::string_view data, std::string_view globals, BitmapSize size,
                        std::size_t maxBytes);

// The /DecodeParms of /CCITTFaxDecode, with their defaults. /EndOfBlock changes nothing here: as
// many rows as the image is high are decoded; rows after an early end of block are white.
struct CcittParams {
  int k = 0;  // < 0: Group 4; 0: Group 3 one-dimensional; > 0: Group 3 two-dimensional
  bool endOfLine = false;
  bool encodedByteAlign = false;
  int columns = 1728;
  int rows = 0;  // 0: as many as the image is high
  bool blackIs1 = false;
};

// One-bit samples, 0 black unless /BlackIs1, rows of (size.width + 7) / 8 bytes; fewer rows than
// size.height when /Rows says so. Columns beyond size.width are dropped, missing ones are white.
// Rows coded too long or too short are cut or padded with white, and `warning` says so.
std::string DecodeCcitt(std::string_view data, const CcittParams& params, BitmapSize size,
                        std::size_t maxBytes, std::string& warning);

struct JpxRequest {
  int colorComponents = 0;  // those the image's /ColorSpace needs; 0: none given
  bool indexed = false;     // samples are palette indices: kept as they are, at most 8 bits
  int sMaskInData = 0;      // /SMaskInData: 1 or 2 (colour pre-multiplied) returns the alpha
  std::size_t maxBytes = 0;
};

// What the codestream's own colour space is, by its components or its JP2 header.
enum class JpxColor { Gray, Rgb, Cmyk, Unknown };

struct JpxImage {
  int width = 0;
  int height = 0;
  int components = 0;  // colour components in `samples`
  int bits = 8;        // 8, or 16 (big-endian) when a component has more than 8
  JpxColor color = JpxColor::Unknown;
  std::string samples;  // rows of interleaved components, the first row the top of the image
  std::string alpha;    // 8 bits a pixel, 255 opaque; empty without /SMaskInData or alpha
};

// Reads a JP2 file or a raw codestream. Samples are scaled to the full range of `bits` (signed
// components shifted to unsigned), sub-sampled components replicated, sYCC turned into RGB.
JpxImage DecodeJpx(std::string_view data, const JpxRequest& request);

}  // namespace CorvelPdf::Detail
