#include <io/pdf/ImageCompressionInternal.h>

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace CorvelPdf::Detail {

namespace {

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Appends the row filtered with PNG filter `type` (0 none, 1 sub, 2 up, 4 Paeth).
void Filter(int type, const unsigned char* row, const unsigned char* above, std::size_t bytes,
            std::size_t pixelBytes, std::string& out) {
  out += static_cast<char>(type);
  for (std::size_t i = 0; i < bytes; ++i) {
    const int a = i >= pixelBytes ? row[i - pixelBytes] : 0;
    const int b = above ? above[i] : 0;
    const int c = above && i >= pixelBytes ? above[i - pixelBytes] : 0;
    const int predicted = type == 1 ? a : type == 2 ? b : type == 4 ? Paeth(a, b, c) : 0;
    out += static_cast<char>(static_cast<unsigned char>(row[i] - predicted));
  }
}

// The usual heuristic: the filter whose output has the smallest sum of signed magnitudes.
std::size_t Cost(const std::string& filtered, std::size_t from) {
  std::size_t cost = 0;
  for (std::size_t i = from + 1; i < filtered.size(); ++i) {
    const auto v = static_cast<signed char>(filtered[i]);
    cost += static_cast<std::size_t>(v < 0 ? -v : v);
  }
  return cost;
}

std::string Deflate(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib could not compress an image");
  }
  out.resize(size);
  return out;
}

// The samples filtered row by row and deflated.
std::string Predicted(const std::string& samples, int columns, int colors, int bits) {
  const std::size_t rowBytes = (static_cast<std::size_t>(columns) * colors * bits + 7) / 8;
  const std::size_t pixelBytes = std::max<std::size_t>(1, static_cast<std::size_t>(colors * bits) / 8);
  const std::size_t rows = rowBytes ? samples.size() / rowBytes : 0;
  std::string filtered;
  filtered.reserve(samples.size() + rows);
  std::string candidate;
  const auto* data = reinterpret_cast<const unsigned char*>(samples.data());
  for (std::size_t r = 0; r < rows; ++r) {
    const unsigned char* row = data + r * rowBytes;
    const unsigned char* above = r ? row - rowBytes : nullptr;
    std::size_t best = 0, bestCost = 0;
    for (int type : {0, 1, 2, 4}) {
      candidate.clear();
      Filter(type, row, above, rowBytes, pixelBytes, candidate);
      const std::size_t cost = Cost(candidate, 0);
      if (type == 0 || cost < bestCost) best = static_cast<std::size_t>(type), bestCost = cost;
    }
    Filter(static_cast<int>(best), row, above, rowBytes, pixelBytes, filtered);
  }
  return Deflate(filtered);
}

}  // namespace

QPDFObjectHandle PredictedImageStream(WriterState& state, std::string samples, int columns,
                                      int colors, int bits, QPDFObjectHandle dictionary) {
  auto parameters = QPDFObjectHandle::newDictionary();
  parameters.replaceKey("/Predictor", QPDFObjectHandle::newInteger(15));
  parameters.replaceKey("/Colors", QPDFObjectHandle::newInteger(colors));
  parameters.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(bits));
  parameters.replaceKey("/Columns", QPDFObjectHandle::newInteger(columns));
  auto stream = state.NewStream("", dictionary);
  state.SetEncodedData(
      stream,
      [samples = std::move(samples), columns, colors, bits] {
        return Predicted(samples, columns, colors, bits);
      },
      QPDFObjectHandle::newName("/FlateDecode"), parameters);
  return stream;
}

}  // namespace CorvelPdf::Detail
