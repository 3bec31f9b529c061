#include <io/pdf/reader/ReaderMeshesInternal.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace CorvelPdf::Detail {

namespace {

// Beyond this many vertices a mesh is treated as hostile.
constexpr std::size_t kMaxMeshVertices = std::size_t{1} << 22;

using Triangle = MavPaint::MeshShadingPaint::Triangle;
using Patch = MavPaint::MeshShadingPaint::Patch;

// Reads the packed values of a mesh stream.
class MeshReader {
 public:
  MeshReader(std::string data, QPDFObjectHandle dict, const ReaderColorSpace& space,
             bool hasFunction, bool hasFlags)
      : data_(std::move(data)), space_(space) {
    bitsPerCoordinate_ = static_cast<int>(NumberOr(dict.getKey("/BitsPerCoordinate"), 0));
    bitsPerComponent_ = static_cast<int>(NumberOr(dict.getKey("/BitsPerComponent"), 0));
    bitsPerFlag_ = hasFlags ? static_cast<int>(NumberOr(dict.getKey("/BitsPerFlag"), 0)) : 0;
    decode_ = NumbersOf(dict.getKey("/Decode"), "/Decode");
    components_ = hasFunction || space.family == ReaderColorSpace::Family::Indexed
                      ? 1
                      : space.ComponentCount();
    CheckDepths(hasFlags);
  }

  bool HasData(int bitsNeeded) const {
    return bitPos_ + static_cast<std::size_t>(bitsNeeded) <= data_.size() * 8;
  }
  int PointBits() const { return 2 * bitsPerCoordinate_; }
  int ColorBits() const { return components_ * bitsPerComponent_; }
  int VertexBits() const { return PointBits() + ColorBits(); }
  int FlagBits() const { return bitsPerFlag_; }
  void Align() { bitPos_ = (bitPos_ + 7) / 8 * 8; }

  // Only the flag's two low bits count; the rest pad it to its width.
  int ReadFlag() { return static_cast<int>(Bits(bitsPerFlag_) & 3u); }
  Vexl::Point ReadPoint() {
    const double x = Scaled(Bits(bitsPerCoordinate_), bitsPerCoordinate_, 0);
    const double y = Scaled(Bits(bitsPerCoordinate_), bitsPerCoordinate_, 1);
    return {x * 1000, y * 1000};
  }
  std::vector<float> ReadColor() {
    std::vector<double> values;
    for (int i = 0; i < components_; ++i)
      values.push_back(
          Scaled(Bits(bitsPerComponent_), bitsPerComponent_, 2 + static_cast<std::size_t>(i)));
    if (space_.family != ReaderColorSpace::Family::Indexed || components_ != 1 || !space_.base ||
        functionInput_) {
      return {values.begin(), values.end()};
    }
    // Indexed without function: the vertex holds a palette index.
    const auto color = MakeColor(space_, values);
    std::vector<float> expanded;
    for (const auto& entry : color.GetEntries()) expanded.push_back(entry.value);
    return expanded;
  }
  void SetFunctionInput(bool functionInput) { functionInput_ = functionInput; }

 private:
  // Depths are checked against what the format allows: any other value is a damaged file, and
  // guessing a layout would paint noise.
  void CheckDepths(bool hasFlags) const {
    auto allowed = [](int bits, std::initializer_list<int> values) {
      return std::find(values.begin(), values.end(), bits) != values.end();
    };
    if (!allowed(bitsPerCoordinate_, {1, 2, 4, 8, 12, 16, 24, 32}))
      throw ReadError("", "mesh shading with /BitsPerCoordinate " + std::to_string(bitsPerCoordinate_));
    if (!allowed(bitsPerComponent_, {1, 2, 4, 8, 12, 16}))
      throw ReadError("", "mesh shading with /BitsPerComponent " + std::to_string(bitsPerComponent_));
    if (hasFlags && !allowed(bitsPerFlag_, {2, 4, 8}))
      throw ReadError("", "mesh shading with /BitsPerFlag " + std::to_string(bitsPerFlag_));
    if (components_ < 1 || decode_.size() < 4 + 2 * static_cast<std::size_t>(components_))
      throw ReadError("", "mesh shading /Decode needs " + std::to_string(4 + 2 * components_) + " numbers");
  }

  std::uint64_t Bits(int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i, ++bitPos_) {
      const std::size_t byte = bitPos_ / 8;
      const unsigned bit = byte < data_.size()
                               ? (static_cast<unsigned char>(data_[byte]) >> (7 - bitPos_ % 8)) & 1u
                               : 0u;
      value = (value << 1) | bit;
    }
    return value;
  }
  double Scaled(std::uint64_t raw, int bits, std::size_t pair) const {
    const double low = decode_[2 * pair], high = decode_[2 * pair + 1];
    return low + static_cast<double>(raw) * (high - low) / (std::ldexp(1.0, bits) - 1);
  }

  std::string data_;
  const ReaderColorSpace& space_;
  std::vector<double> decode_;
  int bitsPerCoordinate_ = 0, bitsPerComponent_ = 0, bitsPerFlag_ = 0, components_ = 1;
  std::size_t bitPos_ = 0;
  bool functionInput_ = false;
};

void CheckCount(std::size_t vertices) {
  if (vertices > kMaxMeshVertices) throw ReadError("", "mesh shading with too many vertices");
}

std::vector<Triangle> ReadFreeForm(ReaderContext& context, MeshReader& reader) {
  std::vector<Triangle> triangles;
  std::vector<MavPaint::MeshVertex> pending;
  while (reader.HasData(reader.FlagBits() + reader.VertexBits())) {
    const int flag = reader.ReadFlag();
    MavPaint::MeshVertex vertex{reader.ReadPoint(), reader.ReadColor()};
    reader.Align();  // each vertex of a free-form mesh starts on a byte boundary
    if (pending.empty() && flag != 0) {
      if (triangles.empty()) throw ReadError("", "free-form mesh starts with a shared edge");
      const auto& last = triangles.back().vertices;
      pending = flag == 1 ? std::vector<MavPaint::MeshVertex>{last[1], last[2]}
                          : std::vector<MavPaint::MeshVertex>{last[0], last[2]};
    }
    pending.push_back(std::move(vertex));
    if (pending.size() == 3) {
      triangles.push_back({{pending[0], pending[1], pending[2]}});
      pending.clear();
      CheckCount(triangles.size() * 3);
    }
  }
  if (!pending.empty())
    context.Warn("mesh shading data ends inside a triangle: the incomplete triangle is dropped");
  return triangles;
}

std::vector<Triangle> ReadLattice(ReaderContext& context, MeshReader& reader, int perRow) {
  if (perRow < 2) throw ReadError("", "lattice mesh with /VerticesPerRow below 2");
  std::vector<MavPaint::MeshVertex> vertices;
  while (reader.HasData(reader.VertexBits())) {
    vertices.push_back({reader.ReadPoint(), reader.ReadColor()});
    CheckCount(vertices.size());
  }
  std::vector<Triangle> triangles;
  const std::size_t width = static_cast<std::size_t>(perRow), rows = vertices.size() / width;
  if (vertices.size() % width != 0)
    context.Warn("lattice mesh data ends inside a row: the incomplete row is dropped");
  for (std::size_t r = 0; r + 1 < rows; ++r) {
    for (std::size_t c = 0; c + 1 < width; ++c) {
      const auto& a = vertices[r * width + c];
      const auto& b = vertices[r * width + c + 1];
      const auto& d = vertices[(r + 1) * width + c];
      const auto& e = vertices[(r + 1) * width + c + 1];
      triangles.push_back({{a, b, d}});
      triangles.push_back({{b, e, d}});
    }
  }
  return triangles;
}

std::vector<Patch> ReadPatches(ReaderContext& context, MeshReader& reader, bool tensor) {
  std::vector<Patch> patches;
  const int fullPoints = tensor ? 16 : 12;
  // Each patch starts on a byte boundary, as each free-form vertex does (Ghostscript reads
  // them so). A patch sharing an edge is the smallest: 8 (or 12) new points and 2 colours.
  for (reader.Align(); reader.HasData(reader.FlagBits() + (fullPoints - 4) * reader.PointBits() +
                                      2 * reader.ColorBits());
       reader.Align()) {
    const int flag = reader.ReadFlag();
    const int newPoints = flag != 0 ? fullPoints - 4 : fullPoints;
    if (!reader.HasData(newPoints * reader.PointBits() + (flag != 0 ? 2 : 4) * reader.ColorBits())) {
      context.Warn("patch mesh data ends inside a patch: the incomplete patch is dropped");
      break;
    }
    Patch patch;
    if (flag != 0) {
      if (patches.empty()) throw ReadError("", "patch mesh starts with a shared edge");
      const auto& prev = patches.back();
      const std::size_t from = static_cast<std::size_t>(3 * flag);  // flag 1: p03, 2: p33, 3: p30
      for (std::size_t k = 0; k < 4; ++k)
        patch.controlPoints.push_back(prev.controlPoints[(from + k) % 12]);
      patch.cornerColors[0] = prev.cornerColors[static_cast<std::size_t>(flag)];
      patch.cornerColors[1] = prev.cornerColors[static_cast<std::size_t>(flag + 1) % 4];
    }
    while (static_cast<int>(patch.controlPoints.size()) < fullPoints)
      patch.controlPoints.push_back(reader.ReadPoint());
    for (std::size_t k = flag != 0 ? 2 : 0; k < 4; ++k) patch.cornerColors[k] = reader.ReadColor();
    patches.push_back(std::move(patch));
    CheckCount(patches.size() * static_cast<std::size_t>(fullPoints));
  }
  return patches;
}

}  // namespace

std::shared_ptr<const MavPaint::ShadingPaint> ReadMeshShading(ReaderContext& context,
                                                              QPDFObjectHandle stream,
                                                              const ReaderColorSpace& space,
                                                              MavPaint::ShadingCommon common) {
  auto dict = stream.getDict();
  const int type = static_cast<int>(NumberOr(dict.getKey("/ShadingType"), 0));
  MeshReader reader(StreamBytes(stream), dict, space, common.function != nullptr, type != 5);
  reader.SetFunctionInput(common.function != nullptr);
  std::vector<Triangle> triangles;
  std::vector<Patch> patches;
  if (type == 4)
    triangles = ReadFreeForm(context, reader);
  else if (type == 5)
    triangles = ReadLattice(context, reader, static_cast<int>(NumberOr(dict.getKey("/VerticesPerRow"), 0)));
  else
    patches = ReadPatches(context, reader, type == 7);
  const int paintType = type + 1;  // PDF types 4 to 7 are paint types kFreeForm to kTensor
  return std::make_shared<MavPaint::MeshShadingPaint>(paintType, std::move(common),
                                                      std::array<double, 4>{0, 1, 0, 1},
                                                      std::move(triangles), std::move(patches));
}

}  // namespace CorvelPdf::Detail
