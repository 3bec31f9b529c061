#pragma once
// Which flat pieces reach under which later pieces' regions, chosen border by border.
//
// Under anti-aliasing a border pixel shows each paint that covers part of it blended over what
// was there: the first paint that covers it whole hides the paper, and every later paint that
// covers only one side lets what lies under it show by the share of the other side. Reaching
// under a later piece's region hides the paper along that region's border with this piece, but
// the reach's own edge runs along the region's other borders and shows there unless something
// painted later covers the whole pixel. Regions can only be taken whole, so some borders cannot
// be made clean (where three pieces meet, one of them shows between the other two or the paper
// does); the plan tries, region by region, the sets of earlier flat neighbours that could take
// the region and keeps the set that leaves the fewest borders lighter than the blend of their
// two sides, with the flat pieces' inks known.
//
// Printing stays the same whatever the plan: a region is only taken by pieces painted before
// its own piece, which paints it again, opaque and exact (see SeamExtension.h).

#include <color/ColorSampling.h>
#include <flatten/SeamExtension.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Corvel {

// What one piece paints beyond its own regions.
struct SeamReach {
  // Regions of pieces painted after this one: a rendered piece reaches under them by the rule
  // of ExtendUnderLaterPieces.
  std::function<bool(const TesselFixed::Region*)> paintedLater;
  // A flat piece: its own regions and those the plan gives it. Empty for other pieces.
  std::vector<const TesselFixed::Region*> flatRegions;
};

class SeamPlan {
 public:
  // `groups` as GroupRegionsByStack gives them (painted from the last to the first); the flat
  // colour of each is sampled with `sampling`.
  SeamPlan(const AttributedGraph& graph, const std::vector<RegionGroup>& groups,
           const SamplingContext& sampling);

  SeamReach Reach(std::size_t group) const;

 private:
  const std::vector<RegionGroup>& groups_;
  PieceOrder order_;
  // By group: the regions a flat piece takes beyond its own; nothing for pieces the plan leaves
  // to the neighbour rule (rendered ones, colours without inks).
  std::vector<std::optional<std::vector<const TesselFixed::Region*>>> taken_;
};

}  // namespace Corvel
