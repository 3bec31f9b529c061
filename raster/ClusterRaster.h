#pragma once
// A cluster of overlapping objects rendered whole, without a planar map: on the pixel grid of
// the run, each element's coverage comes from scanning its own outline (and clips) at pixel
// centres, and the stack of the elements meeting each tile is composited per pixel by the same
// compositor the raster fallback uses. The image is clipped by the union of the elements'
// outlines, so that its border runs on object edges, as vector pieces would.

#include <memory>
#include <span>

#include <raster/FillRasterizer.h>
#include <tessel/Input.h>

namespace Corvel {

// The new object for the cluster `elements` (node indices of `input`, ascending; soft-mask
// artwork together with what it masks): a clipped image (or a flat path when every pixel is
// the same) at `resolution` pixels per inch over the working rectangle's grid; null when the
// cluster inks nothing. Elements never reach beyond their own outlines, but an element's own
// clips do not narrow the image's clip: an even-odd or self-overlapping outline, or a clipped
// element, can leave the image showing a little more of the cluster's composite than the
// artwork paints (correct wherever nothing else lies under it).
std::unique_ptr<MavDoc::ContentObject> RasterizeCluster(const FillRasterizer& rasterizer,
                                                        const Tessel::Input& input,
                                                        std::span<const std::uint32_t> elements,
                                                        double resolution);

// The union of the elements' shapes as one nonzero outline: each element's subpaths reversed
// when it winds clockwise overall, so that no two elements cancel where they overlap. Soft-mask
// artwork is left out (it paints nothing itself).
std::shared_ptr<const Vexl::Compound> ClusterOutline(const Tessel::Input& input,
                                                     std::span<const std::uint32_t> elements);

}  // namespace Corvel
