#pragma once
// The raster fallback: fills that are not one flat colour rendered into separation images,
// clipped to their regions, or flat paths where a rendered tile is constant.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <docgraph/GraphBase.h>
#include <mavdoc/Objects.h>
#include <module/ParallelTasks.h>
#include <sampling/ScanConverter.h>
#include <tessel/Graph.h>

namespace Corvel {

struct RasterGeometry;

// A test on regions of the map, such as "belongs to a piece painted later".
using RegionTest = std::function<bool(const TesselFixed::Region*)>;

// Renders the fills of one run. Immutable during the run.
class FillRasterizer {
 public:
  FillRasterizer(const DocumentGraph::GraphBase* graph, MavDoc::Content* content,
                 const Vexl::Rectangle& workingRectangle, double resolution, bool inkTypeStacking,
                 std::optional<std::string> separation);

  // The rendered object of a group's regions: a path or clipped image, or a group of them
  // (flags 511); a value holding null when no region covers a pixel; no value when the fill
  // inks no separation. With `paintedLater`, each image or path also covers the regions across
  // its borders that the test takes or that a later image of this fill paints, and images
  // reach a pixel beyond their regions' bounds, so that the clip has pixels to show there.
  std::optional<std::unique_ptr<MavDoc::ContentObject>> RasterizeFill(
      const std::vector<const TesselFixed::Region*>& regions, const Tessel::TFill* fill,
      const RegionTest& paintedLater = {}) const;

  const DocumentGraph::GraphBase* graph;
  MavDoc::Content* content;
  Vexl::Rectangle workingRectangle;
  double resolution;
  // Shadings are smooth: they need fewer pixels than the edges and text around them. The same
  // as `resolution` unless set.
  double gradientResolution;
  bool inkTypeStacking;
  std::optional<std::string> separation;
  // Renders independent images (and a cluster's tiles) on spare threads; one after another
  // when empty.
  ParallelTasks renderTasks = {};
  // Samples (pixels × inks) one rendered image may hold; an image that would need more is
  // rendered coarser (see RenderLimit.h). 0: no limit.
  double maxRenderedSamples = 0;
  // When given, receives a message for each image rendered coarser than asked.
  std::vector<std::string>* warnings = nullptr;
};

// Planning records: a tile is a pixel rectangle with the region outlines it holds; a job is
// one rendering, clipped by the union of its regions.
struct RasterTile {
  MavMath::Rectangle<long long> pixelRect;
  std::vector<std::shared_ptr<const Vexl::Compound>> outlines;
  std::vector<const TesselFixed::Region*> regions;  // one per outline
};

struct RasterJob {
  std::shared_ptr<const Vexl::Compound> clip;
  MavMath::Rectangle<long long> pixelRect;
};

// The rendered pixels of one job: width × height × names.size() bytes, pixel-interleaved,
// 255 = full ink.
struct RenderedTile {
  std::size_t width = 0, height = 0;
  std::vector<std::string> names;
  std::vector<std::uint8_t> bytes;
};

// The new object of a rendered job: a path in the job's clip painted with the colour when
// every pixel is the same, else the image (its all-zero channels left out) in the clip, which
// takes over the tile's pixels.
std::unique_ptr<MavDoc::ContentObject> ClippedTileObject(const FillRasterizer& rasterizer,
                                                         const RasterGeometry& geometry,
                                                         const RasterJob& job,
                                                         RenderedTile&& tile);

// The jobs for a fill's regions: tiles binned into a 6 × 6 grid, then merged while one image
// costs less than two (bytes, plus 16384 per image). With `paintedLater`, jobs reach under
// later pieces as RasterizeFill describes.
std::vector<RasterJob> PlanRasterJobs(const DocumentGraph::GraphBase& graph,
                                      const std::vector<const TesselFixed::Region*>& regions,
                                      const Vexl::Transformation& pageToRaster,
                                      const MavSc::Environment& environment,
                                      std::size_t separationCount,
                                      const RegionTest& paintedLater = {});

}  // namespace Corvel
