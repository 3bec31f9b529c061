#include <sampling/MeshSamplerInternal.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>
#include <stdexcept>

namespace Sampling {

namespace {

using Mesh::ShadingTints;
using Mesh::TriangleRaster;

// Triangles a patch mesh may be divided into: about 100 bytes each with five inks, so a mesh
// that needs more at the output resolution is refused before it takes gigabytes.
constexpr std::size_t kMaxPatchTriangles = std::size_t{1} << 21;
// Patch surfaces stay within this share of a pixel of the triangles that render them.
constexpr double kFlatnessInPixels = 0.5;
// The picker's single points have no pixel: patches are divided as for 0.05 pt pixels.
constexpr double kPointTolerance = 50;

std::optional<std::vector<float>> BackgroundTints(const MavPaint::ShadingPaint& shading,
                                                  const Projector& projector,
                                                  std::optional<MavColor::RenderingIntent> intent) {
  const auto background = shading.GetConvertedBackground(nullptr, intent);
  if (!background) return std::nullopt;
  std::vector<float> tints(projector.Size());
  projector.Project(ConvertedValues(shading.GetConvertedSeparationMapping(nullptr), *background), tints.data());
  return tints;
}

// The page to the shading's space, needed only to test points against its box.
Vexl::Transformation BoxTest(const MavPaint::ShadingPaint& shading, const Vexl::Transformation& shadingToPage) {
  const double determinant = shadingToPage.Determinant();
  if (shading.GetBox().IsNull() || !std::isfinite(determinant) || determinant == 0) return {};
  return shadingToPage.Inverse();
}

// What the mesh samplers share: nothing outside the shading's box; where nothing else paints
// inside it, the background (patterns only) or no shape.
class MeshSamplerBase : public PaintSampler {
 protected:
  MeshSamplerBase(ShadingTints tints, const MavPaint::ShadingPaint& shading, const Projector& projector,
                  const Vexl::Transformation& shadingToPage)
      : PaintSampler(tints.TintCount()),
        tints_(std::move(tints)),
        background_(BackgroundTints(shading, projector, tints_.Intent())),
        box_(shading.GetBox()),
        pageToShading_(BoxTest(shading, shadingToPage)) {}

  bool InBox(Vexl::Point start, Vexl::Point step, std::size_t i) const {
    if (box_.IsNull()) return true;
    return box_.Contains(pageToShading_.Apply({start.x + step.x * double(i), start.y + step.y * double(i)}));
  }
  void Unpainted(float* const* tints, float* shape, std::size_t i, bool inBox) const {
    const bool background = background_ && inBox;
    shape[i] = background ? 1.0f : 0.0f;
    for (std::size_t c = 0; c < Channels(); ++c) tints[c][i] = background ? (*background_)[c] : 0.0f;
  }
  // Tints and shape of a row from the values `raster` interpolates.
  void SampleRaster(const TriangleRaster& raster, Vexl::Point start, Vexl::Point step, std::size_t width,
                    float* const* tints, float* shape) const {
    const std::size_t n = tints_.ValueCount();
    std::vector<float> values(width * n);
    raster.FillRow(start, step, width, values.data(), shape);
    for (std::size_t i = 0; i < width; ++i) {
      const bool inBox = InBox(start, step, i);
      if (shape[i] > 0 && inBox) tints_.Tints(&values[i * n], tints, i);
      else Unpainted(tints, shape, i, inBox);
    }
  }

  ShadingTints tints_;
  std::optional<std::vector<float>> background_;
  Vexl::Rectangle box_;
  Vexl::Transformation pageToShading_;
};

// Function-based shading: the function at the domain point under each pixel.
class FunctionSampler final : public MeshSamplerBase {
 public:
  FunctionSampler(const std::shared_ptr<const MavPaint::MeshShadingPaint>& mesh, const Projector& projector,
                  const Vexl::Transformation& domainToPage, std::optional<MavColor::RenderingIntent> intent)
      : MeshSamplerBase(ShadingTints(mesh, projector, ShadingTints::Input::Channels,
                                     std::size_t(mesh->GetFunction()->OutputCount()), {0, 1}, intent),
                        *mesh, projector, domainToPage),
        function_(mesh->GetFunction()),
        domain_(mesh->GetDomain()),
        pageToDomain_(domainToPage.Inverse()) {}

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    const Vexl::Point p0 = pageToDomain_.Apply(start), d = pageToDomain_.ApplyLinear(step);
    std::vector<float> values(tints_.ValueCount());
    for (std::size_t i = 0; i < width; ++i) {
      const double x = p0.x + d.x * double(i), y = p0.y + d.y * double(i);
      const bool inBox = box_.IsNull() || box_.Contains({x, y});
      if (!inBox || x < domain_[0] || x > domain_[1] || y < domain_[2] || y > domain_[3]) {
        Unpainted(tints, shape, i, inBox);
        continue;
      }
      tints_.VertexValues(function_->Evaluate({x, y}), values.data());
      tints_.Tints(values.data(), tints, i);
      shape[i] = 1.0f;
    }
  }

 private:
  std::shared_ptr<const MavPaint::Function> function_;
  std::array<double, 4> domain_;
  Vexl::Transformation pageToDomain_;
};

// Free-form and lattice triangle meshes, rasterised as they are.
class TriangleMeshSampler final : public MeshSamplerBase {
 public:
  TriangleMeshSampler(const std::shared_ptr<const MavPaint::MeshShadingPaint>& mesh, ShadingTints tints,
                      const Projector& projector, const Vexl::Transformation& shadingToPage)
      : MeshSamplerBase(std::move(tints), *mesh, projector, shadingToPage),
        raster_(Mesh::CachedRaster(mesh, shadingToPage, projector, 0, tints_.Intent(),
                                   [&] { return Build(*mesh, shadingToPage); })) {}

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    SampleRaster(*raster_, start, step, width, tints, shape);
  }

 private:
  std::unique_ptr<TriangleRaster> Build(const MavPaint::MeshShadingPaint& mesh,
                                        const Vexl::Transformation& shadingToPage) const {
    const std::size_t n = tints_.ValueCount();
    auto raster = std::make_unique<TriangleRaster>(n);
    std::vector<float> values(3 * n);
    for (const auto& triangle : mesh.GetTriangles()) {
      std::array<Vexl::Point, 3> points;
      for (std::size_t k = 0; k < 3; ++k) {
        points[k] = shadingToPage.Apply(triangle.vertices[k].point);
        tints_.VertexValues(triangle.vertices[k].color, &values[k * n]);
      }
      raster->Add(points, values.data());
    }
    raster->Index();
    return raster;
  }

  std::shared_ptr<const TriangleRaster> raster_;
};

// Coons and tensor patch meshes: divided into triangles for the pixel size of the rows asked
// for, on the first row and again when rows come with smaller pixels.
class PatchMeshSampler final : public MeshSamplerBase {
 public:
  PatchMeshSampler(const std::shared_ptr<const MavPaint::MeshShadingPaint>& mesh, ShadingTints tints,
                   const Projector& projector, const Vexl::Transformation& shadingToPage)
      : MeshSamplerBase(std::move(tints), *mesh, projector, shadingToPage),
        mesh_(mesh),
        projector_(projector),
        shadingToPage_(shadingToPage) {}

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    SampleRaster(RasterFor(std::hypot(step.x, step.y)), start, step, width, tints, shape);
  }

 private:
  // Tolerances are powers of two so that rows whose pixels differ by rounding share a raster.
  const TriangleRaster& RasterFor(double pixel) const {
    const double wanted = pixel > 0 ? pixel * kFlatnessInPixels : kPointTolerance;
    const double tolerance = std::exp2(std::floor(std::log2(wanted)));
    std::lock_guard<std::mutex> lock(mutex_);
    if (!raster_ || tolerance < tolerance_) {
      raster_ = Mesh::CachedRaster(mesh_, shadingToPage_, projector_, tolerance, tints_.Intent(),
                                   [&] { return Build(tolerance); });
      tolerance_ = tolerance;
    }
    return *raster_;
  }
  std::unique_ptr<TriangleRaster> Build(double tolerance) const {
    const std::size_t n = tints_.ValueCount();
    std::vector<Mesh::TensorPatch> patches;
    for (const auto& patch : mesh_->GetPatches()) {
      patches.push_back(Mesh::ToTensorPatch(patch, shadingToPage_));
      auto& values = patches.back().cornerValues;
      values.resize(4 * n);
      for (std::size_t k = 0; k < 4; ++k) tints_.VertexValues(patch.cornerColors[k], &values[k * n]);
    }
    auto raster = std::make_unique<TriangleRaster>(n);
    Mesh::SubdividePatches(patches, tints_, tolerance, kMaxPatchTriangles, *raster);
    raster->Index();
    return raster;
  }

  std::shared_ptr<const MavPaint::MeshShadingPaint> mesh_;
  Projector projector_;
  Vexl::Transformation shadingToPage_;
  mutable std::mutex mutex_;
  mutable std::shared_ptr<const TriangleRaster> raster_;
  mutable double tolerance_ = 0;
};

// The range of the vertices' t, over which the function is tabulated.
std::array<double, 2> TRange(const MavPaint::MeshShadingPaint& mesh) {
  double low = INFINITY, high = -INFINITY;
  auto see = [&](const std::vector<float>& color) {
    if (!color.empty() && std::isfinite(color[0])) low = std::min(low, double(color[0])), high = std::max(high, double(color[0]));
  };
  for (const auto& triangle : mesh.GetTriangles())
    for (const auto& vertex : triangle.vertices) see(vertex.color);
  for (const auto& patch : mesh.GetPatches())
    for (const auto& color : patch.cornerColors) see(color);
  return low <= high ? std::array<double, 2>{low, high} : std::array<double, 2>{0, 1};
}

// Channels a vertex colour holds: the first vertex tells.
std::size_t ColorChannels(const MavPaint::MeshShadingPaint& mesh) {
  if (!mesh.GetTriangles().empty()) return mesh.GetTriangles().front().vertices[0].color.size();
  if (!mesh.GetPatches().empty()) return mesh.GetPatches().front().cornerColors[0].size();
  return 0;
}

}  // namespace

std::unique_ptr<PaintSampler> MakeMeshSampler(std::shared_ptr<const MavPaint::MeshShadingPaint> mesh,
                                              const Projector& projector,
                                              const Vexl::Transformation& shadingToPage,
                                              std::optional<MavColor::RenderingIntent> intent) {
  if (mesh->GetType() == MavPaint::Paint::kFunctionBased) {
    return std::make_unique<FunctionSampler>(mesh, projector, shadingToPage, intent);
  }
  ShadingTints tints = mesh->GetFunction()
                           ? ShadingTints(mesh, projector, ShadingTints::Input::T, 1, TRange(*mesh), intent)
                           : ShadingTints(mesh, projector, ShadingTints::Input::Channels, ColorChannels(*mesh),
                                          {0, 1}, intent);
  if (mesh->GetType() == MavPaint::Paint::kFreeForm || mesh->GetType() == MavPaint::Paint::kLattice) {
    return std::make_unique<TriangleMeshSampler>(mesh, std::move(tints), projector, shadingToPage);
  }
  return std::make_unique<PatchMeshSampler>(mesh, std::move(tints), projector, shadingToPage);
}

}  // namespace Sampling
