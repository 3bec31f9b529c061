#pragma once
// One new opaque object per stack of elements.

#include <memory>

#include <color/ColorSampling.h>
#include <flatten/RegionOutlines.h>
#include <flatten/SeamPlan.h>
#include <raster/FillRasterizer.h>

namespace Corvel {

// The new object of a group: a flat path when the stack composites to one colour, otherwise
// what the raster fallback renders, or a path without ink when it inks nothing. Null when the
// group yields nothing. With a reach (see SeamPlan.h), the object also covers regions of later
// pieces: a flat path the regions and bands the plan gave it, a rendered piece the regions
// across its borders that ExtendUnderLaterPieces takes.
std::unique_ptr<MavDoc::ContentObject> CreateRegionObject(
    const RegionGroup& group, const AttributedGraph& graph, MavDoc::Content& content,
    const SamplingContext& sampling, FillRasterizer& rasterizer, const SeamReach& reach = {});

// A path on the outline of `regions` (the group's, or more) and `band` (closed subpaths, filled
// with the outline by the nonzero rule) filled with `colour` and the halftone set of the stack's
// bottom element; null when the outline is empty.
std::unique_ptr<MavDoc::Path> MakeFlatPath(const AttributedGraph& graph, const RegionGroup& group,
                                           MavDoc::Content& content, MavColor::Color colour);
std::unique_ptr<MavDoc::Path> MakeFlatPath(const AttributedGraph& graph, const RegionGroup& group,
                                           const std::vector<const TesselFixed::Region*>& regions,
                                           MavDoc::Content& content, MavColor::Color colour,
                                           const std::vector<Vexl::Subpath>& band = {});

}  // namespace Corvel
