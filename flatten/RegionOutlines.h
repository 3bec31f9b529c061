#pragma once
// Regions grouped by the stack of elements that covers them, and their outlines.

#include <memory>
#include <vector>

#include <graph/AttributedGraph.h>
#include <tessel/Graph.h>
#include <vexl/Compound.h>

namespace Corvel {

// One flattening unit: every region whose fill has one stack of element attributes. Points
// into the graph it was made from and must not outlive it.
struct RegionGroup {
  // The fill of the first region (in the graph's order) with this stack; stands for all.
  const Tessel::TFill* fill = nullptr;
  // Never empty; in the graph's region order.
  std::vector<const TesselFixed::Region*> regions;
};

// The groups of a graph's covered regions, one per distinct stack, in descending stack order:
// stacks whose first differing attribute was drawn later come first, and a stack comes before
// any stack it extends.
std::vector<RegionGroup> GroupRegionsByStack(const AttributedGraph& graph);

// The outline of the union of `regions`, in page millipoints, with the input's curves restored.
std::shared_ptr<const Vexl::Compound> MakeCompound(
    const DocumentGraph::GraphBase& graph, const std::vector<const TesselFixed::Region*>& regions);
// The outline of one region.
std::shared_ptr<const Vexl::Compound> MakeRegionCompound(const DocumentGraph::GraphBase& graph,
                                                         const TesselFixed::Region* region);

}  // namespace Corvel
