#pragma once
// Which flat pieces reach under which later pieces' regions, chosen border by border.
//
// Under anti-aliasing a border pixel shows each paint that covers part of it blended over what
// was there: the first paint that covers it whole hides the paper, and every later paint that
// covers only one side lets what lies under it show by the share of the other side. Reaching
// under a later piece's region hides the paper along that region's border with this piece, but
// the reach's own edge runs along the region's other borders and shows there unless something
// painted later covers the whole pixel. A piece can also reach a region by a band a pixel wide
// along its own border with it (see SeamBand.h), which covers that border's pixels and runs along
// no other border: where three pieces meet, a region taken whole would show between the other
// two. The plan tries, region by region, for each earlier flat neighbour whether it takes the
// region, bands it or neither, and keeps the choice that leaves the fewest borders lighter than
// the blend of their two sides, with the flat pieces' inks known; at a tie, taken regions (which
// often simplify the outline) before bands (new points).
//
// Printing stays the same whatever the plan: a region is only taken by pieces painted before
// its own piece, which paints it again, opaque and exact (see SeamExtension.h).

#include <color/ColorSampling.h>
#include <flatten/SeamBand.h>
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
  // A flat piece: its bands along its borders with later pieces' regions, filled with the outline.
  std::vector<Vexl::Subpath> flatBand;
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
  std::vector<std::vector<Vexl::Subpath>> bands_;  // by group
};

}  // namespace Corvel
