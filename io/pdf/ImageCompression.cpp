#include <io/pdf/ImageCompressionInternal.h>

#include <zlib.h>

#include <algorithm>
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

// Deflates what it is given piece by piece, as one zlib stream.
class StreamingDeflate {
 public:
  StreamingDeflate() {
    if (deflateInit(&stream_, Z_DEFAULT_COMPRESSION) != Z_OK)
      throw std::runtime_error("zlib could not start compressing an image");
  }
  ~StreamingDeflate() { deflateEnd(&stream_); }
  StreamingDeflate(const StreamingDeflate&) = delete;
  StreamingDeflate& operator=(const StreamingDeflate&) = delete;

  void Add(const std::string& data) { Run(data, Z_NO_FLUSH); }
  std::string Finish() {
    Run({}, Z_FINISH);
    return std::move(out_);
  }

 private:
  void Run(const std::string& data, int flush) {
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream_.avail_in = static_cast<uInt>(data.size());
    for (;;) {
      const std::size_t used = out_.size();
      out_.resize(used + kChunk);
      stream_.next_out = reinterpret_cast<Bytef*>(out_.data() + used);
      stream_.avail_out = static_cast<uInt>(kChunk);
      const int status = deflate(&stream_, flush);
      out_.resize(used + kChunk - stream_.avail_out);
      if (status == Z_STREAM_ERROR) throw std::runtime_error("zlib could not compress an image");
      if (flush == Z_FINISH ? status == Z_STREAM_END : stream_.avail_in == 0 && stream_.avail_out != 0)
        return;
    }
  }

  static constexpr std::size_t kChunk = 1 << 16;
  z_stream stream_{};
  std::string out_;
};

// The rows filtered one by one and deflated as they come.
std::string Predicted(const ImageRows& samples, int rows, int columns, int colors, int bits) {
  const std::size_t rowBytes = (static_cast<std::size_t>(columns) * colors * bits + 7) / 8;
  const std::size_t pixelBytes = std::max<std::size_t>(1, static_cast<std::size_t>(colors * bits) / 8);
  StreamingDeflate deflater;
  std::string row, above, candidate, filtered;
  for (int r = 0; r < rows; ++r) {
    row.clear();
    samples(r, row);
    if (row.size() != rowBytes) throw std::logic_error("an image row has the wrong length");
    const auto* here = reinterpret_cast<const unsigned char*>(row.data());
    const auto* over = r ? reinterpret_cast<const unsigned char*>(above.data()) : nullptr;
    std::size_t best = 0, bestCost = 0;
    for (int type : {0, 1, 2, 4}) {
      candidate.clear();
      Filter(type, here, over, rowBytes, pixelBytes, candidate);
      const std::size_t cost = Cost(candidate, 0);
      if (type == 0 || cost < bestCost) best = static_cast<std::size_t>(type), bestCost = cost;
    }
    filtered.clear();
    Filter(static_cast<int>(best), here, over, rowBytes, pixelBytes, filtered);
    deflater.Add(filtered);
    std::swap(row, above);
  }
  return deflater.Finish();
}

}  // namespace

QPDFObjectHandle PredictedImageStream(WriterState& state, int rows, int columns, int colors,
                                      int bits, ImageRows samples, QPDFObjectHandle dictionary) {
  auto parameters = QPDFObjectHandle::newDictionary();
  parameters.replaceKey("/Predictor", QPDFObjectHandle::newInteger(15));
  parameters.replaceKey("/Colors", QPDFObjectHandle::newInteger(colors));
  parameters.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(bits));
  parameters.replaceKey("/Columns", QPDFObjectHandle::newInteger(columns));
  auto stream = state.NewStream("", dictionary);
  state.SetEncodedData(
      stream,
      [samples = std::move(samples), rows, columns, colors, bits] {
        return Predicted(samples, rows, columns, colors, bits);
      },
      QPDFObjectHandle::newName("/FlateDecode"), parameters);
  return stream;
}

}  // namespace CorvelPdf::Detail
