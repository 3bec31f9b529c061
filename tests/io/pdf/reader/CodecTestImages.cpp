#include "CodecTestImages.h"

#include <openjpeg.h>
#include <tiffio.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace CorvelPdfTest {

namespace {

// A file in memory that libtiff writes and reads again.
struct MemoryTiff {
  std::string bytes;
  std::uint64_t at = 0;
};

MemoryTiff& FileOf(thandle_t handle) { return *static_cast<MemoryTiff*>(handle); }

tmsize_t ReadTiff(thandle_t handle, void* buffer, tmsize_t size) {
  auto& file = FileOf(handle);
  if (file.at >= file.bytes.size()) return 0;
  const auto count =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(size), file.bytes.size() - file.at);
  std::memcpy(buffer, file.bytes.data() + file.at, count);
  file.at += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteTiff(thandle_t handle, void* buffer, tmsize_t size) {
  auto& file = FileOf(handle);
  const auto count = static_cast<std::size_t>(size);
  if (file.at + count > file.bytes.size()) file.bytes.resize(file.at + count);
  std::memcpy(file.bytes.data() + file.at, buffer, count);
  file.at += count;
  return size;
}

toff_t SeekTiff(thandle_t handle, toff_t offset, int whence) {
  auto& file = FileOf(handle);
  file.at = (whence == SEEK_CUR ? file.at : whence == SEEK_END ? file.bytes.size() : 0) + offset;
  return file.at;
}

int CloseTiff(thandle_t) { return 0; }
toff_t SizeOfTiff(thandle_t handle) { return FileOf(handle).bytes.size(); }
int MapTiff(thandle_t, void**, toff_t*) { return 0; }
void UnmapTiff(thandle_t, void*, toff_t) {}

struct TiffClose {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffClose>;

TiffPtr OpenTiff(MemoryTiff& file, const char* mode) {
  file.at = 0;
  TiffPtr tiff(TIFFClientOpen("test.tif", mode, &file, ReadTiff, WriteTiff, SeekTiff, CloseTiff,
                              SizeOfTiff, MapTiff, UnmapTiff));
  if (!tiff) throw std::runtime_error("libtiff cannot open the memory file");
  return tiff;
}

void Put32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace

std::string Bitmap::Packed() const {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
  std::string packed(rowBytes * static_cast<std::size_t>(height), '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (At(x, y)) packed[y * rowBytes + x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
  }
  return packed;
}

Bitmap TestBitmap(int width, int height) {
  Bitmap bitmap{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      bitmap.black.push_back(((x + y * y) % 13 < 5) != ((x / 4 + y) % 3 == 0));
  }
  return bitmap;
}

std::string EncodeFax(const Bitmap& bitmap, const FaxCoding& coding) {
  MemoryTiff file;
  {
    TiffPtr out = OpenTiff(file, "w");
    TIFFSetField(out.get(), TIFFTAG_IMAGEWIDTH, bitmap.width);
    TIFFSetField(out.get(), TIFFTAG_IMAGELENGTH, bitmap.height);
    TIFFSetField(out.get(), TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(out.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out.get(), TIFFTAG_ROWSPERSTRIP, bitmap.height);
    TIFFSetField(out.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(out.get(), TIFFTAG_COMPRESSION, coding.compression);
    if (coding.compression == COMPRESSION_CCITTFAX3)
      TIFFSetField(out.get(), TIFFTAG_GROUP3OPTIONS, coding.t4Options);
    if (coding.faxMode >= 0) TIFFSetField(out.get(), TIFFTAG_FAXMODE, coding.faxMode);
    std::string packed = bitmap.Packed();
    if (TIFFWriteEncodedStrip(out.get(), 0, packed.data(), static_cast<tmsize_t>(packed.size())) <
        0)
      throw std::runtime_error("libtiff cannot encode");
  }
  TiffPtr in = OpenTiff(file, "rm");
  toff_t* counts = nullptr;
  TIFFGetField(in.get(), TIFFTAG_STRIPBYTECOUNTS, &counts);
  std::string strip(counts[0], '\0');
  TIFFReadRawStrip(in.get(), 0, strip.data(), static_cast<tmsize_t>(strip.size()));
  return strip;
}

namespace {

struct MemoryOut {
  std::string bytes;
  std::size_t at = 0;
};

OPJ_SIZE_T WriteOut(void* buffer, OPJ_SIZE_T size, void* user) {
  auto& out = *static_cast<MemoryOut*>(user);
  if (out.at + size > out.bytes.size()) out.bytes.resize(out.at + size);
  std::memcpy(out.bytes.data() + out.at, buffer, size);
  out.at += size;
  return size;
}

OPJ_BOOL SeekOut(OPJ_OFF_T position, void* user) {
  auto& out = *static_cast<MemoryOut*>(user);
  out.at = static_cast<std::size_t>(position);
  if (out.at > out.bytes.size()) out.bytes.resize(out.at);
  return OPJ_TRUE;
}

OPJ_OFF_T SkipOut(OPJ_OFF_T count, void* user) {
  auto& out = *static_cast<MemoryOut*>(user);
  SeekOut(static_cast<OPJ_OFF_T>(out.at) + count, user);
  return count;
}

// opj_codec_t and opj_stream_t are both void*: one deleter each.
struct CodecFree {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamFree {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageFree {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

std::unique_ptr<opj_image_t, ImageFree> JpxImageOf(const JpxSource& source) {
  std::vector<opj_image_cmptparm_t> parameters(source.planes.size());
  for (auto& p : parameters) {
    std::memset(&p, 0, sizeof p);
    p.dx = p.dy = 1;
    p.w = static_cast<OPJ_UINT32>(source.width);
    p.h = static_cast<OPJ_UINT32>(source.height);
    p.prec = static_cast<OPJ_UINT32>(source.precision);
  }
  std::unique_ptr<opj_image_t, ImageFree> image(
      opj_image_create(static_cast<OPJ_UINT32>(parameters.size()), parameters.data(),
                       static_cast<OPJ_COLOR_SPACE>(source.colorSpace)));
  image->x1 = static_cast<OPJ_UINT32>(source.width);
  image->y1 = static_cast<OPJ_UINT32>(source.height);
  for (std::size_t i = 0; i < source.planes.size(); ++i) {
    std::copy(source.planes[i].begin(), source.planes[i].end(), image->comps[i].data);
    image->comps[i].alpha = static_cast<int>(i) == source.alphaChannel ? 1 : 0;
  }
  return image;
}

}  // namespace

std::string EncodeJpx(const JpxSource& source) {
  auto image = JpxImageOf(source);
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = 0;  // lossless, with the reversible wavelet of the defaults
  parameters.cp_disto_alloc = 1;
  parameters.numresolution = 3;
  parameters.tcp_mct = source.planes.size() >= 3 ? 1 : 0;
  std::unique_ptr<opj_codec_t, CodecFree> codec(
      opj_create_compress(source.jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  MemoryOut out;
  std::unique_ptr<opj_stream_t, StreamFree> stream(
      opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
  opj_stream_set_user_data(stream.get(), &out, nullptr);
  opj_stream_set_write_function(stream.get(), WriteOut);
  opj_stream_set_skip_function(stream.get(), SkipOut);
  opj_stream_set_seek_function(stream.get(), SeekOut);
  if (!opj_setup_encoder(codec.get(), &parameters, image.get()) ||
      !opj_start_compress(codec.get(), image.get(), stream.get()) ||
      !opj_encode(codec.get(), stream.get()) || !opj_end_compress(codec.get(), stream.get())) {
    throw std::runtime_error("OpenJPEG cannot encode");
  }
  return out.bytes;
}

std::string Jbig2Segment(std::uint32_t number, int type, const std::vector<std::uint8_t>& referred,
                         std::uint8_t page, const std::string& data) {
  std::string segment;
  Put32(segment, number);
  segment += static_cast<char>(type);                       // one-byte page association
  segment += static_cast<char>(referred.size() << 5);       // count, no retain bits
  for (auto r : referred) segment += static_cast<char>(r);  // one byte each below 257
  segment += static_cast<char>(page);
  Put32(segment, static_cast<std::uint32_t>(data.size()));
  return segment + data;
}

std::string Jbig2PageInformation(std::uint32_t number, std::uint32_t width, std::uint32_t height) {
  std::string data;
  Put32(data, width);
  Put32(data, height);
  Put32(data, 0);  // no resolution
  Put32(data, 0);
  data += '\0';            // flags: white default pixel, OR
  data.append("\0\0", 2);  // not striped
  return Jbig2Segment(number, 48, {}, 1, data);
}

std::string Jbig2GenericRegion(std::uint32_t number, const Bitmap& bitmap) {
  std::string data;
  Put32(data, static_cast<std::uint32_t>(bitmap.width));
  Put32(data, static_cast<std::uint32_t>(bitmap.height));
  Put32(data, 0);  // at 0, 0
  Put32(data, 0);
  data += '\0';  // combined by OR
  data += '\1';  // MMR: the rows coded as in Group 4 fax, 1 black
  data += EncodeFax(bitmap, {COMPRESSION_CCITTFAX4});
  return Jbig2Segment(number, 39, {}, 1, data);
}

// Pattern 0 a diagonal, pattern 1 a frame; the grid's cells on its diagonal take pattern 1.
bool Jbig2Halftone::Pattern(int index, int x, int y) {
  return index == 0 ? x == y : x == 0 || y == 0 || x == 7 || y == 7;
}

int Jbig2Halftone::Cell(int column, int row) { return column == row ? 1 : 0; }

std::string Jbig2Halftone::Globals() {
  Bitmap patterns{16, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) patterns.black.push_back(Pattern(x / 8, x % 8, y));
  }
  std::string data("\x01\x08\x08\x00\x00\x00\x01", 7);  // MMR; 8 x 8; two patterns
  return Jbig2Segment(1, 16, {}, 0, data + EncodeFax(patterns, {COMPRESSION_CCITTFAX4}));
}

std::string Jbig2Halftone::Page() {
  Bitmap grid{2, 2, {}};
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) grid.black.push_back(Cell(column, row));
  }
  // Region 16 x 16 at 0, 0, OR; MMR, no skipping, OR, white; grid 2 x 2 from 0, 0; vector
  // (8, 0) in 1/256 pixel.
  std::string data(
      "\0\0\0\x10\0\0\0\x10\0\0\0\0\0\0\0\0\0"
      "\x01"
      "\0\0\0\x02\0\0\0\x02\0\0\0\0\0\0\0\0"
      "\x08\x00\x00\x00",
      17 + 1 + 16 + 4);
  return Jbig2PageInformation(2, 16, 16) +
         Jbig2Segment(3, 23, {1}, 1, data + EncodeFax(grid, {COMPRESSION_CCITTFAX4}));
}

Bitmap Jbig2Halftone::Expected() {
  Bitmap page{16, 16, {}};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) page.black.push_back(Pattern(Cell(x / 8, y / 8), x % 8, y % 8));
  }
  return page;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex + ">";
}

namespace {

std::vector<std::uint8_t> FileWith(const std::string& dictEntries, const std::string& data,
                                   const Streams& before) {
  PdfBuilder pdf;
  for (const auto& [entries, bytes] : before) pdf.AddStream(entries, bytes);
  const int image = pdf.AddStream("/Type /XObject /Subtype /Image " + dictEntries, data);
  return pdf.OnePage("16 0 0 16 0 0 cm /Im Do",
                     "<< /XObject << /Im " + PdfBuilder::Ref(image) + " >> >>");
}

const MavImg::BufferedPictureSource& SourceOf(
    const std::shared_ptr<const MavImg::PaintedPicture>& picture) {
  return dynamic_cast<const MavImg::BufferedPictureSource&>(
      *picture->GetPictureData(true)->GetSource());
}

}  // namespace

CorvelPdf::ReadResult ReadImage(const std::string& dictEntries, const std::string& data,
                                const Streams& before) {
  return Read(FileWith(dictEntries, data, before));
}

std::string ReadErrorOf(const std::string& dictEntries, const std::string& data,
                        const CorvelPdf::ReadLimits& limits, const Streams& before) {
  try {
    CorvelPdf::ReadDocumentFromMemory(FileWith(dictEntries, data, before), "test.pdf", limits);
  } catch (const CorvelPdf::ReadError& e) {
    return e.what();
  }
  return "";
}

const MavImg::BufferedPictureSource& PictureOf(const CorvelPdf::ReadResult& result) {
  const auto* object = Children(FirstPage(result)).at(0);
  if (const auto* mask = dynamic_cast<const MavDoc::ImageMask*>(object))
    return SourceOf(mask->GetStencil());
  return SourceOf(As<MavDoc::Image>(object).GetPaintedPicture());
}

const MavImg::BufferedPictureSource* OpacityOf(const CorvelPdf::ReadResult& result) {
  const auto& transparency = As<MavDoc::Image>(Children(FirstPage(result)).at(0)).GetTransparency();
  if (!transparency || !transparency->GetSoftMask()) return nullptr;
  const auto& content = *transparency->GetSoftMask()->GetContent();
  return &SourceOf(As<MavDoc::Image>(Children(content).at(0)).GetPaintedPicture());
}

::testing::AssertionResult ShowsBitmap(const MavImg::BufferedPictureSource& picture,
                                       const Bitmap& bitmap, int blackValue) {
  const auto& buffer = *picture.GetBuffer();
  if (buffer.GetColumns() != bitmap.width || buffer.GetRows() != bitmap.height ||
      buffer.GetChannels() != 1 || buffer.GetBitsPerChannel() != 8) {
    return ::testing::AssertionFailure()
           << "picture of " << buffer.GetColumns() << " x " << buffer.GetRows() << ", "
           << buffer.GetChannels() << " channels of " << buffer.GetBitsPerChannel() << " bits";
  }
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      const int expected = bitmap.At(x, y) ? blackValue : 255 - blackValue;
      if (buffer.GetRowPtr(y)[x] != expected) {
        return ::testing::AssertionFailure() << "pixel " << x << ", " << y << " is "
                                             << int{buffer.GetRowPtr(y)[x]} << ", not " << expected;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace CorvelPdfTest
