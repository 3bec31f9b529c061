#pragma once
// Seam-free pieces: a new object painted earlier extends under the new objects painted later
// that it meets edge to edge, so that anti-aliased edges between pieces blend the two pieces
// instead of letting the background show through.
//
// Why this prints the same: every new object is opaque and paints its regions exactly, so what
// an earlier piece paints inside a later piece's regions is covered there, and so is whatever
// untouched object is painted between the two. Only regions of later pieces are added: an
// earlier or untouched neighbour is never painted over.

#include <flatten/RegionOutlines.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace Corvel {

// The paint order of the pieces of one flattening. New objects come out in ascending stack
// order (a piece sits at its stack's bottom object, and pieces at one place keep the stacks'
// order), so the groups of GroupRegionsByStack, which come in descending order, are painted
// from the last to the first.
class PieceOrder {
 public:
  PieceOrder(const AttributedGraph& graph, const std::vector<RegionGroup>& groups);

  // Whether `region` belongs to a piece painted after piece `group` (an index into the groups).
  bool IsPaintedAfter(const TesselFixed::Region* region, std::size_t group) const;
  // The test above for one piece.
  std::function<bool(const TesselFixed::Region*)> LaterThan(std::size_t group) const;

 private:
  static constexpr std::uint32_t kNoPiece = UINT32_MAX;
  std::vector<std::uint32_t> groupOfRegion_;  // by region index; kNoPiece where none paints
};

// The regions across the borders of `regions` that `accept` takes and `regions` does not hold,
// each once, in the order met.
std::vector<const TesselFixed::Region*> RegionsAcross(
    const std::vector<const TesselFixed::Region*>& regions,
    const std::function<bool(const TesselFixed::Region*)>& accept);

// `regions` and the regions of later pieces across their borders.
std::vector<const TesselFixed::Region*> ExtendUnderLaterPieces(
    const std::vector<const TesselFixed::Region*>& regions,
    const std::function<bool(const TesselFixed::Region*)>& paintedLater);

}  // namespace Corvel
