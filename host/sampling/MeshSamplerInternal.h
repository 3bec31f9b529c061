#pragma once
// The pieces of the samplers of function-based shadings and of triangle and patch meshes:
// colour conversion of interpolated values, a triangle rasteriser over rows, and patch
// subdivision. Coordinates are page millipoints, y up.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sampling/PaintSampler.h>
#include <values/Paint.h>

namespace Sampling {

// A converted colour (values of a converted mapping's channels) as named separation tints.
MavColor::Color ConvertedValues(const MavPaint::SeparationMapping& mapping,
                                const std::vector<float>& outputs);

// The sampler of a function-based shading or of a triangle or patch mesh.
// `shadingToPage` maps the shading's space onto the page; `objectIntent` is the rendering intent
// of the object it paints, if that sets one.
std::unique_ptr<PaintSampler> MakeMeshSampler(std::shared_ptr<const MavPaint::MeshShadingPaint> mesh,
                                              const Projector& projector,
                                              const Vexl::Transformation& shadingToPage,
                                              std::optional<MavColor::RenderingIntent> objectIntent = {});

namespace Mesh {

// How a shading's colours become tints of the composite, for values interpolated over a mesh.
// Input::T: one t per vertex, looked up in a table of the function over [tRange] as ramps do.
// Input::Channels: one value per channel of the shading's space. When converting channels is
// affine (process CMYK, spots), vertices are converted once and tints interpolated, which gives
// the same result; otherwise every pixel's interpolated channels are converted.
class ShadingTints {
 public:
  enum class Input { T, Channels };
  ShadingTints(std::shared_ptr<const MavPaint::ShadingPaint> shading, const Projector& projector,
               Input input, std::size_t channels, std::array<double, 2> tRange = {0, 1},
               std::optional<MavColor::RenderingIntent> objectIntent = {});

  std::size_t TintCount() const { return tintCount_; }
  // The rendering intent of the painted object that colours convert with, if it sets one.
  const std::optional<MavColor::RenderingIntent>& Intent() const { return intent_; }
  // Values interpolated per vertex.
  std::size_t ValueCount() const { return valueCount_; }
  // How much one unit of value `i` changes the colour: 1 for tints and channels, 1 / range for t.
  float ValueScale(std::size_t i) const;
  // The values a vertex of colour `color` (one t or one value per channel) carries.
  void VertexValues(const std::vector<float>& color, float* values) const;
  // Tints of pixel `pixel` from its interpolated values, written into the tint planes.
  void Tints(const float* values, float* const* tints, std::size_t pixel) const;

 private:
  enum class Mode { Table, Direct, Converted };
  void ConvertChannels(const std::vector<float>& channels, float* tints) const;
  bool FindAffineMap();

  std::shared_ptr<const MavPaint::ShadingPaint> shading_;
  Projector projector_;
  MavPaint::SeparationMapping convertedMapping_;
  Mode mode_ = Mode::Converted;
  std::size_t channels_ = 0, tintCount_ = 0, valueCount_ = 0;
  std::array<double, 2> tRange_{0, 1};
  std::optional<MavColor::RenderingIntent> intent_;
  std::vector<float> table_;   // Table: kTableSize × tints
  std::vector<float> affine_;  // Direct: tints × (channels + 1), the constant last
};

// Triangles with values at their vertices, rasterised row by row: each pixel takes the values
// of the last triangle added that holds its centre, interpolated barycentrically. A bucket grid
// over the triangles' bounds keeps a row from testing every triangle.
class TriangleRaster {
 public:
  explicit TriangleRaster(std::size_t valueCount) : valueCount_(valueCount) {}
  // `values`: 3 × valueCount, vertex by vertex. Triangles without area are skipped.
  void Add(const std::array<Vexl::Point, 3>& points, const float* values);
  // Builds the grid; call after the last Add.
  void Index();
  std::size_t Size() const { return weights_.size(); }
  // Pixel i at start + i · step: `values` (width × valueCount, interleaved) and `shape` (1 in
  // a triangle, 0 elsewhere; values are left as they were there).
  void FillRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* values,
               float* shape) const;

 private:
  // The three barycentric weights as affine functions of the page point: w = ex·x + ey·y + e0.
  struct Weights {
    std::array<double, 3> ex, ey, e0;
  };
  void Candidates(Vexl::Point first, Vexl::Point last, std::vector<std::uint32_t>& out) const;

  std::size_t valueCount_;
  std::vector<Weights> weights_;
  std::vector<float> values_;
  std::vector<Vexl::Rectangle> boxes_;  // until Index()
  Vexl::Rectangle bounds_ = Vexl::Rectangle::Null();
  std::size_t gridSize_ = 0;
  std::vector<std::uint32_t> cellStart_, cellItems_;
};

// A patch in page space: control points p[i][j] (i along u, j along v) of a tensor-product
// surface, and the values of its corners (u, v) = (0, 0), (0, 1), (1, 1), (1, 0), valueCount
// each, in that order.
struct TensorPatch {
  std::array<std::array<Vexl::Point, 4>, 4> p;
  std::vector<float> cornerValues;
};

// A patch of the mesh as a tensor patch: a Coons patch's four inner points derived from its
// boundary so that both describe the same surface.
TensorPatch ToTensorPatch(const MavPaint::MeshShadingPaint::Patch& patch,
                          const Vexl::Transformation& shadingToPage);

// Adds the patches to `raster` as triangles, later patches over earlier ones: each patch is
// halved in u and v until its surface lies within `tolerance` (millipoints) of two triangles and
// its values are near linear (ValueScale gives their weight), or it is within `tolerance` in
// size. Throws std::invalid_argument when that needs more than `maxTriangles` triangles.
void SubdividePatches(const std::vector<TensorPatch>& patches, const ShadingTints& tints,
                      double tolerance, std::size_t maxTriangles, TriangleRaster& raster);

// The raster of `mesh` placed by `shadingToPage` in the inks of `projector`, divided for
// `tolerance` (0 for triangle meshes), its colours converted with `intent` (an object's, if it
// sets one): one kept from an earlier sampler, or `build`'s, kept
// for later ones. A page's fills each make their own sampler, and a mesh under transparency
// spans many fills. A few rasters are kept; those of paints that are gone are dropped.
// Thread-safe.
std::shared_ptr<const TriangleRaster> CachedRaster(
    const std::shared_ptr<const MavPaint::MeshShadingPaint>& mesh, const Vexl::Transformation& shadingToPage,
    const Projector& projector, double tolerance, std::optional<MavColor::RenderingIntent> intent,
    const std::function<std::unique_ptr<TriangleRaster>()>& build);

}  // namespace Mesh

}  // namespace Sampling
