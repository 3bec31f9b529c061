#include <io/pdf/MeshShadingsInternal.h>

#include <io/pdf/PdfSyntaxInternal.h>

#include <algorithm>
#include <cmath>

namespace CorvelPdf::Detail {

namespace {

// Every field is a whole number of bytes, so no reader's idea of where padding goes matters.
constexpr int kFlagBits = 8, kCoordinateBits = 32, kComponentBits = 16;
constexpr double kCoordinateMax = 4294967295.0, kComponentMax = 65535.0;

// The range one field of the stream is spread over: [low, high], never empty.
struct Range {
  double low = INFINITY, high = -INFINITY;
  void See(double v) { low = std::min(low, v), high = std::max(high, v); }
  void Close() {
    if (!(low <= high)) low = 0, high = 1;
    if (high <= low) high = low + 1;
  }
};

// Packs big-endian fields of whole bytes.
class Packer {
 public:
  explicit Packer(std::vector<Range> ranges) : ranges_(std::move(ranges)) {}
  void Flag() { data_ += '\0'; }
  void Point(Vexl::Point p) {
    Field(p.x / kMilliPointsPerPoint, ranges_[0], kCoordinateMax, 4);
    Field(p.y / kMilliPointsPerPoint, ranges_[1], kCoordinateMax, 4);
  }
  void Color(const std::vector<float>& color) {
    for (std::size_t c = 0; c + 2 < ranges_.size(); ++c)
      Field(c < color.size() ? color[c] : 0.0, ranges_[c + 2], kComponentMax, 2);
  }
  std::string& Data() { return data_; }

 private:
  void Field(double v, const Range& range, double max, int bytes) {
    const double code = std::clamp(std::round((v - range.low) / (range.high - range.low) * max), 0.0, max);
    const auto raw = static_cast<std::uint32_t>(code);
    for (int b = bytes - 1; b >= 0; --b) data_ += static_cast<char>((raw >> (8 * b)) & 0xff);
  }
  std::vector<Range> ranges_;
  std::string data_;
};

// x, y, then one range per colour component, over every vertex or control point.
std::vector<Range> Ranges(const MavPaint::MeshShadingPaint& mesh, std::size_t components) {
  std::vector<Range> ranges(2 + components);
  auto point = [&](Vexl::Point p) { ranges[0].See(p.x / kMilliPointsPerPoint), ranges[1].See(p.y / kMilliPointsPerPoint); };
  auto color = [&](const std::vector<float>& c) {
    for (std::size_t k = 0; k < components; ++k) ranges[2 + k].See(k < c.size() ? c[k] : 0.0);
  };
  for (const auto& triangle : mesh.GetTriangles())
    for (const auto& vertex : triangle.vertices) point(vertex.point), color(vertex.color);
  for (const auto& patch : mesh.GetPatches()) {
    for (const auto& p : patch.controlPoints) point(p);
    for (const auto& c : patch.cornerColors) color(c);
  }
  for (auto& range : ranges) range.Close();
  return ranges;
}

QPDFObjectHandle FunctionBased(const MavPaint::MeshShadingPaint& mesh, QPDFObjectHandle dictionary) {
  const auto domain = mesh.GetDomain();
  dictionary.replaceKey("/ShadingType", QPDFObjectHandle::newInteger(1));
  dictionary.replaceKey("/Domain", NumberArray({domain[0], domain[1], domain[2], domain[3]}));
  // The paint's transformation takes domain units to millipoints, and the stream's shading
  // space is in points: domain units are thousandths of its units.
  dictionary.replaceKey("/Matrix", NumberArray({1 / kMilliPointsPerPoint, 0, 0, 1 / kMilliPointsPerPoint, 0, 0}));
  return dictionary;
}

}  // namespace

std::size_t MeshColorComponents(const MavPaint::MeshShadingPaint& mesh) {
  if (mesh.GetFunction()) return 1;
  if (!mesh.GetTriangles().empty()) return mesh.GetTriangles().front().vertices[0].color.size();
  if (!mesh.GetPatches().empty()) return mesh.GetPatches().front().cornerColors[0].size();
  return mesh.GetSeparationMapping().Size();
}

QPDFObjectHandle WriteMeshShadingObject(WriterState& state, const MavPaint::MeshShadingPaint& mesh,
                                        QPDFObjectHandle dictionary) {
  if (mesh.GetType() == MavPaint::Paint::kFunctionBased) return state.MakeIndirect(FunctionBased(mesh, dictionary));
  const std::size_t components = MeshColorComponents(mesh);
  const auto ranges = Ranges(mesh, components);
  Packer packer(ranges);
  for (const auto& triangle : mesh.GetTriangles()) {
    for (const auto& vertex : triangle.vertices) packer.Flag(), packer.Point(vertex.point), packer.Color(vertex.color);
  }
  for (const auto& patch : mesh.GetPatches()) {
    packer.Flag();
    for (const auto& p : patch.controlPoints) packer.Point(p);
    for (const auto& c : patch.cornerColors) packer.Color(c);
  }
  const bool patches = mesh.GetType() == MavPaint::Paint::kCoons || mesh.GetType() == MavPaint::Paint::kTensor;
  const int type = patches ? mesh.GetType() - 1 : 4;  // kCoons, kTensor are PDF types 6, 7
  std::vector<double> decode;
  for (const auto& range : ranges) decode.insert(decode.end(), {range.low, range.high});
  dictionary.replaceKey("/ShadingType", QPDFObjectHandle::newInteger(type));
  dictionary.replaceKey("/BitsPerFlag", QPDFObjectHandle::newInteger(kFlagBits));
  dictionary.replaceKey("/BitsPerCoordinate", QPDFObjectHandle::newInteger(kCoordinateBits));
  dictionary.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(kComponentBits));
  dictionary.replaceKey("/Decode", NumberArray(decode));
  return state.NewStream(packer.Data(), dictionary);
}

}  // namespace CorvelPdf::Detail
