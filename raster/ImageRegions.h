#pragma once
// The pixel grid a fill is rendered on.

#include <optional>
#include <utility>

#include <docgraph/Attributes.h>
#include <raster/FillRasterizer.h>

namespace Corvel {

// The smaller and larger resolution (pixels per inch) an element needs: a picture's own, the
// run's for a shading, none for a flat paint.
std::optional<std::pair<double, double>> EffectiveResolution(const FillRasterizer& rasterizer,
                                                             const DocumentGraph::ElementAttribute& element);

struct RasterImageChoice {
  // The element whose picture gives the grid, or null.
  const DocumentGraph::ElementAttribute* imageElement = nullptr;
  // The highest resolution the fill's other elements need.
  std::optional<double> otherResolution;
};

RasterImageChoice ChooseRasterImage(const FillRasterizer& rasterizer, const Tessel::TFill& fill);

struct RasterGeometry {
  // Raster space to the page: the picture's object transformation, or the identity.
  Vexl::Transformation transformation;
  MavSc::Environment environment;
  // The fill holds a picture or a shading: its pixels are continuous tone.
  bool continuousTone = false;
  // Every picture in the fill (there is one at least) was read from JPEG data.
  bool fromLossyData = false;
};

// The finest picture's own grid, so that its pixels pass through unresampled: made finer by a
// whole factor when a shading needs more, or coarser where the picture is finer than the
// gradient resolution and nothing else needs more; otherwise the working rectangle at the
// needed resolution.
// `scale` (at most 1) makes the grid coarser by that factor along each axis.
RasterGeometry ComputeRasterGeometry(const FillRasterizer& rasterizer, const Tessel::TFill& fill,
                                     double scale = 1);

}  // namespace Corvel
