#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/ReaderCodecsInternal.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace CorvelPdf::Detail {

namespace {

constexpr std::uint32_t kMaxColumns = 1 << 20;  // as for other images

[[noreturn]] void FailCcitt(const std::string& why) { throw ReadError("", "CCITTFaxDecode: " + why); }

// How libtiff's fax codec is to read the data.
struct Coding {
  std::uint16_t compression = COMPRESSION_CCITTFAX4;
  std::uint32_t t4Options = 0;
  std::optional<int> faxMode;  // set after opening, over what the compression implies
};

// An end-of-line code is eleven zero bits or more, then a one; no run-length code starts so.
bool StartsWithEndOfLine(std::string_view data) {
  int zeros = 0;
  for (unsigned char byte : data) {
    for (int bit = 7; bit >= 0; --bit) {
      if (byte & (1 << bit)) return zeros >= 11;
      ++zeros;
    }
  }
  return false;
}

// libtiff's Group 3 codec finds each row after an end-of-line code and skips the zero bits
// before it, which covers /EncodedByteAlign there. Rows without end-of-line codes are only
// possible one-dimensionally, through its codec for TIFF's modified Huffman compression.
Coding CodingOf(const CcittParams& params, std::string_view data) {
  const bool endOfLines = params.endOfLine || StartsWithEndOfLine(data);
  if (params.k < 0) {
    if (params.encodedByteAlign) FailCcitt("byte-aligned Group 4 data not supported");
    return {COMPRESSION_CCITTFAX4, 0, std::nullopt};
  }
  if (params.k > 0) {
    if (!endOfLines) FailCcitt("two-dimensional Group 3 data without end-of-line codes not supported");
    return {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, std::nullopt};
  }
  if (endOfLines) return {COMPRESSION_CCITTFAX3, 0, std::nullopt};
  return {COMPRESSION_CCITTRLE, 0,
          FAXMODE_NORTC | FAXMODE_NOEOL | (params.encodedByteAlign ? FAXMODE_BYTEALIGN : 0)};
}

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A little-endian TIFF (TIFF 6.0 §2) of one image in one strip: the data. White is 0 in it.
std::string WrapInTiff(std::string_view data, std::uint32_t columns, std::uint32_t rows,
                       const Coding& coding) {
  enum : std::uint16_t { kShort = 3, kLong = 4 };
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const bool group3 = coding.compression == COMPRESSION_CCITTFAX3;
  const std::size_t count = group3 ? 10 : 9;
  const std::size_t offset = 8 + 2 + 12 * count + 4;
  if (data.size() > 0xFFFFFFFFu - offset) FailCcitt("data too long");
  std::vector<Entry> entries{{256, kLong, columns},
                             {257, kLong, rows},
                             {258, kShort, 1},
                             {259, kShort, coding.compression},
                             {262, kShort, 0},
                             {273, kLong, static_cast<std::uint32_t>(offset)},
                             {277, kShort, 1},
                             {278, kLong, rows},
                             {279, kLong, static_cast<std::uint32_t>(data.size())}};
  if (group3) entries.push_back({292, kLong, coding.t4Options});
  std::string tiff("II\x2a\x00\x08\x00\x00\x00", 8);
  Put16(tiff, static_cast<std::uint32_t>(entries.size()));
  for (const auto& e : entries) {
    Put16(tiff, e.tag);
    Put16(tiff, e.type);
    Put32(tiff, 1);
    Put32(tiff, e.value);  // a short sits in the first two bytes, little-endian as well
  }
  Put32(tiff, 0);  // no further image
  tiff.append(data);
  return tiff;
}

}  // namespace

namespace {

// The TIFF libtiff reads, in memory.
struct MemoryFile {
  std::string_view bytes;
  std::uint64_t at = 0;
};

MemoryFile& FileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t ReadFile(thandle_t handle, void* buffer, tmsize_t size) {
  auto& file = FileOf(handle);
  if (size <= 0 || file.at >= file.bytes.size()) return 0;
  const std::size_t count =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(size), file.bytes.size() - file.at);
  std::memcpy(buffer, file.bytes.data() + file.at, count);
  file.at += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteFile(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekFile(thandle_t handle, toff_t offset, int whence) {
  auto& file = FileOf(handle);
  const std::uint64_t base = whence == SEEK_CUR   ? file.at
                             : whence == SEEK_END ? file.bytes.size()
                                                  : 0;
  file.at = base + offset;  // reads past the end return nothing
  return file.at;
}

int CloseFile(thandle_t) { return 0; }
toff_t SizeOfFile(thandle_t handle) { return FileOf(handle).bytes.size(); }
int MapFile(thandle_t, void**, toff_t*) { return 0; }
void UnmapFile(thandle_t, void*, toff_t) {}

// What libtiff says about one file, the first of each kind kept: later ones follow from it.
// Rows of the wrong length are only warned about (the codec pads or cuts them, as other readers
// do, and some encoders write them); bad codes and data ending early are errors.
struct CcittMessages {
  std::string error;
  std::string warning;
};

std::string Formatted(const char* format, va_list arguments) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, arguments);
  return text;
}

int OnError(TIFF*, void* user, const char*, const char* format, va_list arguments) {
  auto& messages = *static_cast<CcittMessages*>(user);
  if (messages.error.empty()) messages.error = Formatted(format, arguments);
  return 1;  // handled: libtiff's global handlers stay quiet
}

int OnWarning(TIFF*, void* user, const char*, const char* format, va_list arguments) {
  auto& messages = *static_cast<CcittMessages*>(user);
  std::string text = Formatted(format, arguments);
  auto& kept = text.rfind("Premature EOF", 0) == 0 ? messages.error : messages.warning;
  if (kept.empty()) kept = std::move(text);
  return 1;
}

struct OptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffClose {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The strip decoded, one bit a pixel and 1 black; `warning` gets what was repaired.
std::string DecodeStrip(const std::string& tiff, const Coding& coding, std::size_t size,
                        std::size_t maxBytes, std::string& warning) {
  MemoryFile file{tiff};
  CcittMessages messages;
  std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) FailCcitt("out of memory");
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxBytes + tiff.size()));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &messages);
  std::unique_ptr<TIFF, TiffClose> reader(
      TIFFClientOpenExt("CCITTFaxDecode", "rm", &file, ReadFile, WriteFile, SeekFile, CloseFile,
                        SizeOfFile, MapFile, UnmapFile, options.get()));
  if (!reader) FailCcitt("cannot start decoding (" + messages.error + ")");
  if (coding.faxMode) TIFFSetField(reader.get(), TIFFTAG_FAXMODE, *coding.faxMode);
  messages = {};
  std::string bits(size, '\0');
  if (TIFFReadEncodedStrip(reader.get(), 0, bits.data(), static_cast<tmsize_t>(size)) < 0 ||
      !messages.error.empty()) {
    const std::string& detail = messages.error.empty() ? messages.warning : messages.error;
    FailCcitt("damaged or truncated data" + (detail.empty() ? std::string() : " (" + detail + ")"));
  }
  warning = messages.warning;
  return bits;
}

// From libtiff's rows (1 black) to PDF's (0 black unless /BlackIs1), `size.width` wide.
std::string PdfRows(const std::string& bits, std::uint32_t columns, std::uint32_t rows,
                    BitmapSize size, bool blackIs1) {
  const std::size_t inBytes = (columns + 7) / 8, outBytes = (size.width + 7) / 8;
  const char white = blackIs1 ? '\0' : '\xff';
  std::string out(outBytes * rows, white);
  for (std::size_t row = 0; row < rows; ++row) {
    const char* in = bits.data() + row * inBytes;
    char* to = out.data() + row * outBytes;
    for (std::size_t i = 0; i < std::min(inBytes, outBytes); ++i)
      to[i] = static_cast<char>(blackIs1 ? in[i] : ~in[i]);
    // Columns the data lacks are white.
    for (std::uint32_t x = columns; x < static_cast<std::uint32_t>(size.width); ++x) {
      const auto bit = static_cast<char>(0x80 >> (x % 8));
      to[x / 8] = static_cast<char>(blackIs1 ? to[x / 8] & ~bit : to[x / 8] | bit);
    }
  }
  return out;
}

}  // namespace

std::string DecodeCcitt(std::string_view data, const CcittParams& params, BitmapSize size,
                        std::size_t maxBytes, std::string& warning) {
  if (params.columns < 1 || static_cast<std::uint32_t>(params.columns) > kMaxColumns)
    FailCcitt("bad /Columns " + std::to_string(params.columns));
  const auto columns = static_cast<std::uint32_t>(params.columns);
  const auto rows = static_cast<std::uint32_t>(params.rows > 0 ? std::min(params.rows, size.height)
                                                               : size.height);
  const std::size_t bytes = (columns + 7) / 8 * static_cast<std::size_t>(rows);
  if (rows == 0) FailCcitt("no rows");
  if (bytes > maxBytes) {
    FailCcitt(std::to_string(columns) + " columns x " + std::to_string(rows) +
         " rows exceed the limit of " + std::to_string(maxBytes) + " decoded bytes");
  }
  const Coding coding = CodingOf(params, data);
  const std::string tiff = WrapInTiff(data, columns, rows, coding);
  const std::string bits = DecodeStrip(tiff, coding, bytes, maxBytes, warning);
  return PdfRows(bits, columns, rows, size, params.blackIs1);
}

}  // namespace CorvelPdf::Detail
