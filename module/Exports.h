#pragma once
// The module's exported operations.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <mavdoc/Objects.h>
#include <module/GraphEnvironment.h>

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

struct FlattenOptions {
  bool inkTypeStacking = false;
  double resolution = 1200;          // pixels per inch of rasterised line art
  double gradientResolution = 300;   // pixels per inch of rasterised shadings
  Seams seams = Seams::Abut;
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
