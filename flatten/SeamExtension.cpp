#include <flatten/SeamExtension.h>

#include <algorithm>
#include <unordered_set>

namespace Corvel {

PieceOrder::PieceOrder(const AttributedGraph& graph, const std::vector<RegionGroup>& groups)
    : groupOfRegion_(graph.GetTesselGraph()->GetRegions().size(), kNoPiece) {
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (const auto* region : groups[g].regions) {
      groupOfRegion_.at(region->GetIndex()) = static_cast<std::uint32_t>(g);
    }
  }
}

bool PieceOrder::IsPaintedAfter(const TesselFixed::Region* region, std::size_t group) const {
  const std::uint32_t other = groupOfRegion_.at(region->GetIndex());
  return other != kNoPiece && other < group;
}

std::function<bool(const TesselFixed::Region*)> PieceOrder::LaterThan(std::size_t group) const {
  return [this, group](const TesselFixed::Region* region) { return IsPaintedAfter(region, group); };
}

std::vector<const TesselFixed::Region*> RegionsAcross(
    const std::vector<const TesselFixed::Region*>& regions,
    const std::function<bool(const TesselFixed::Region*)>& accept) {
  std::unordered_set<const TesselFixed::Region*> seen(regions.begin(), regions.end());
  std::vector<const TesselFixed::Region*> across;
  for (const auto* region : regions) {
    for (const auto& contour : region->GetContours()) {
      for (const auto& border : contour.GetBorders()) {
        const auto* other = border.GetRightSide();
        if (seen.contains(other) || !accept(other)) continue;
        seen.insert(other);
        across.push_back(other);
      }
    }
  }
  return across;
}

std::vector<const TesselFixed::Region*> ExtendUnderLaterPieces(
    const std::vector<const TesselFixed::Region*>& regions,
    const std::function<bool(const TesselFixed::Region*)>& paintedLater) {
  const std::unordered_set<const TesselFixed::Region*> own(regions.begin(), regions.end());
  // Under anti-aliasing an extension's edge shows in the pixels it crosses unless something
  // painted later covers them whole. Across a border with another later piece, the earlier of
  // the two reaches over it and does; across a border with a piece painted before this one,
  // nothing does, and a sliver of this piece's colour would show between two others. So a
  // region is taken only when its other neighbours are all painted later or by nothing: against
  // the bare page the edge blends this piece's ink in, never lighter than the page.
  const auto hidden = [&](const TesselFixed::Region* region) {
    if (!paintedLater(region)) return false;
    for (const auto& contour : region->GetContours()) {
      for (const auto& border : contour.GetBorders()) {
        const auto* other = border.GetRightSide();
        const bool bare = other->GetFill()->NElements() == 0;
        if (!bare && !own.contains(other) && !paintedLater(other)) return false;
      }
    }
    return true;
  };
  std::vector<const TesselFixed::Region*> extended = regions;
  const auto across = RegionsAcross(regions, hidden);
  extended.insert(extended.end(), across.begin(), across.end());
  return extended;
}

}  // namespace Corvel
