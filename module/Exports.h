#pragma once
// The module's exported operations.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <mavdoc/Objects.h>
#include <module/GraphEnvironment.h>
#include <module/ParallelTasks.h>

namespace Corvel {

using LayerPredicate = std::function<bool(const std::shared_ptr<MavDoc::LayerProperties>&)>;
using ObjectPredicate = std::function<bool(const MavDoc::ContentObject&)>;

// Builds the planar map of the selected objects of `content` once, for GetFlattenedResult.
CORVEL_EXPORT GraphEnvironment PrepareGraphEnvironment(MavDoc::Content& content,
                                                       const LayerPredicate& layerPredicate,
                                                       bool selectionFlag,
                                                       const ObjectPredicate& objectPredicate);

// The flattened artwork of a prepared environment as new objects the caller owns.
CORVEL_EXPORT std::vector<std::unique_ptr<MavDoc::ContentObject>> GetFlattenedResult(
    const GraphEnvironment& environment, bool inkTypeStacking,
    const std::optional<std::string>& separation);

// Flattens the selected artwork of `content` in place; returns the inserted objects.
CORVEL_EXPORT std::vector<MavDoc::ContentObject*> FlattenAction(
    MavDoc::Content& content, const LayerPredicate& layerPredicate, bool selectionFlag,
    const ObjectPredicate& objectPredicate, bool inkTypeStacking, double resolution);

// The same, rendering shadings at `gradientResolution` (pixels per inch) and the other artwork of
// rasterised regions at `resolution`: gradients are smooth and need far fewer pixels.
CORVEL_EXPORT std::vector<MavDoc::ContentObject*> FlattenAction(
    MavDoc::Content& content, const LayerPredicate& layerPredicate, bool selectionFlag,
    const ObjectPredicate& objectPredicate, bool inkTypeStacking, double resolution,
    double gradientResolution);

// Where two new objects meet edge to edge. Abut: each covers its own regions exactly, so an
// anti-aliasing viewer or a raster/vector border in print can let the background show through
// as a hairline. None: a new object painted earlier also covers the regions of later new
// objects across its borders, which those cover again; the page prints the same.
enum class Seams { Abut, None };

// A cluster of overlapping objects too complex to map into vectors, rendered whole instead.
struct RasterisedCluster {
  std::size_t elements = 0;  // painted elements (fills, strokes) it held
  double cost = 0;           // its estimated mapping cost (see flatten/ComplexityClusters.h)
  Vexl::Rectangle bounds;    // page millipoints
  std::string reason = "complexity";
};

struct FlattenOptions {
  bool inkTypeStacking = false;
  double resolution = 1200;          // pixels per inch of rasterised line art
  double gradientResolution = 300;   // pixels per inch of rasterised shadings
  Seams seams = Seams::Abut;
  // Vector against raster, 0 to 100: at 100 every cluster of overlapping objects whose
  // estimated cost is within `complexityBudget` is mapped into vectors and the others are
  // rendered whole (at the gradient resolution, clipped on their objects' outlines); lower
  // values shrink the budget, and 0 renders every cluster.
  int balance = 100;
  // Estimated crossings a cluster may have and still be mapped: keeps a page's peak memory
  // well under 1 GB whatever it holds.
  double complexityBudget = 4e6;
  // When given, receives one record per cluster rendered whole.
  std::vector<RasterisedCluster>* rasterisedClusters = nullptr;
  // When given, the images of the page are rendered through it, several at once (and a
  // cluster rendered whole tile by tile); the output is the same as one after another.
  ParallelTasks renderTasks = {};
  // When given, told what the flattening is doing, on its own thread: "mapping overlaps",
  // "planning seams", "making pieces" and "rendering clusters", the last two with how many of
  // how many are done (0 of 0 for the others). For progress on long pages.
  std::function<void(std::string_view phase, std::size_t done, std::size_t total)> reportPhase = {};
  // Samples (pixels × inks) one rendered image may hold: an area that would need more is
  // rendered coarser, so that a page of any size stays within memory (a page-wide shading on an
  // A0 poster at 300 ppi in three inks holds 418 million; that page peaks at 433 MB). 0: no
  // limit.
  double maxRenderedSamples = 7e8;
  // When given, receives a message for each area rendered coarser than asked.
  std::vector<std::string>* warnings = nullptr;
};

// The same with every setting named.
CORVEL_EXPORT std::vector<MavDoc::ContentObject*> FlattenAction(
    MavDoc::Content& content, const LayerPredicate& layerPredicate, bool selectionFlag,
    const ObjectPredicate& objectPredicate, const FlattenOptions& options);

// Rebuilds the selected artwork of `content` so that outlines show the visible shapes.
CORVEL_EXPORT std::vector<MavDoc::ContentObject*> OptimizeForOutlineViewAction(
    MavDoc::Content& content, const LayerPredicate& layerPredicate, bool selectionFlag,
    const ObjectPredicate& objectPredicate);

}  // namespace Corvel
