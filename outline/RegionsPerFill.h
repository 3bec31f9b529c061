#pragma once
// The outline-view planar map's regions merged into groups that look alike.

#include <memory>
#include <vector>

#include <color/ColorSampling.h>
#include <docgraph/GraphBase.h>
#include <tessel/Graph.h>

namespace Corvel {

// One group of alike regions: its fitted outline, its top fill and the seed's colour.
struct RegionResult {
  std::shared_ptr<const Vexl::Compound> outline;
  const Tessel::TFill* fill = nullptr;
  SampledColor colour;
};

// A region with its colour, sampled lazily (std::monostate until needed).
struct RegionEntry {
  const TesselFixed::Region* region = nullptr;
  SampledColor colour;
};

// The colour of a fill of two or more elements; NotFlat for one element (never sampled: it can
// only match through its component tree).
SampledColor AppearanceOfFill(const SamplingContext& context, const Tessel::TFill* fill);
// Regions match when their component trees are alike, or, failing that, when both sample to
// equal flat colours with the same halftone set.
bool RegionsMatch(const SamplingContext& context, RegionEntry& a, RegionEntry& b);
// Whether the fill hides everything below it.
bool CoversOpaquely(const Tessel::TFill& fill);

// Groups grown from each fill across matching neighbours, with opaque regions above the group
// filling its holes; sorted by the top fill's number, greatest first.
std::vector<RegionResult> GetRegionsPerFill(const MavDoc::Content& content,
                                            const DocumentGraph::GraphBase& graph);

}  // namespace Corvel
