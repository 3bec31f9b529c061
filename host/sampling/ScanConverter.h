#pragma once
// Scan conversion of a fill into 8-bit separation planes, row by row.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <mavdoc/Content.h>
#include <tessel/Fill.h>
#include <vexl/Geometry.h>
#include <vexl/PixelRect.h>

namespace Sampling {
class FillProgram;
class ElementCoverage;
}
namespace Composite {
class RowEvaluator;
}

namespace MavSc {

// A world rectangle (in raster space, millipoints, y up) laid onto columns × rows of pixels;
// row 0 is the top row.
class Environment {
 public:
  // Throws std::invalid_argument for a negative pixel count or an empty world with pixels.
  Environment(const Vexl::Rectangle& world, std::int64_t columns, std::int64_t rows);

  const Vexl::Rectangle& GetWorld() const { return world_; }
  std::int64_t GetColumns() const { return columns_; }
  std::int64_t GetRows() const { return rows_; }
  // The pixels a world rectangle touches, clipped to the grid (empty when it misses it).
  MavMath::Rectangle<long long> WorldToTarget(const Vexl::Rectangle& rectangle) const;
  // The world rectangle a pixel rectangle covers.
  Vexl::Rectangle TargetToWorld(const MavMath::Rectangle<long long>& pixels) const;
  // The world point at the centre of pixel (column, row).
  Vexl::Point PixelCentre(double column, double row) const;

 private:
  Vexl::Rectangle world_;
  std::int64_t columns_, rows_;
};

// The separations to render, in plane order.
class Options {
 public:
  explicit Options(std::vector<std::string> blendingSeparations)
      : blending_(std::move(blendingSeparations)) {}
  const std::vector<std::string>& GetBlendingSeparations() const { return blending_; }

 private:
  std::vector<std::string> blending_;
};

// Everything one scan conversion needs: the compiled fill and where its pixels lie.
class ObjectCollection {
 public:
  ObjectCollection(std::unique_ptr<Sampling::FillProgram> program, Environment environment,
                   MavMath::Rectangle<long long> pixels, const Vexl::Transformation& rasterToPage);
  ObjectCollection(ObjectCollection&&) noexcept;
  ObjectCollection& operator=(ObjectCollection&&) noexcept;
  ~ObjectCollection();

 private:
  friend class ScanConverter;
  std::unique_ptr<Sampling::FillProgram> program_;
  Environment environment_;
  MavMath::Rectangle<long long> pixels_;
  Vexl::Transformation rasterToPage_;
};

// Compiles `fill` for rendering the pixel rectangle of `environment`; `pageToRaster` maps page
// space into the environment's world. Throws std::invalid_argument when it cannot be inverted
// or when the fill holds paints that cannot be rendered yet. With `coverage`, elements paint
// only where they cover (see Sampling::FillProgram); it must outlive the scan converter.
ObjectCollection CollectTesselFillComponents(const Environment& environment,
                                             const Options& options, const MavDoc::Content& content,
                                             const MavMath::Rectangle<long long>& pixels,
                                             const Tessel::TFill* fill,
                                             const Vexl::Transformation& pageToRaster,
                                             const Sampling::ElementCoverage* coverage = nullptr);

// Renders successive rows of the collection's pixel rectangle, top to bottom.
class ScanConverter {
 public:
  explicit ScanConverter(ObjectCollection collection);
  ~ScanConverter();

  // Writes the next row: one plane of `width` bytes per separation (plane c at c · width),
  // 255 = full ink. `width` must not exceed the rectangle's width. Returns false (and writes
  // nothing) when every row has been delivered.
  bool GetLine255PlaneInterleaved(std::uint8_t* line, std::size_t width);

 private:
  ObjectCollection collection_;
  std::unique_ptr<Composite::RowEvaluator> evaluator_;
  long long nextRow_;
  std::vector<std::vector<float>> planes_;  // per input: channel planes then the shape plane
};

}  // namespace MavSc
