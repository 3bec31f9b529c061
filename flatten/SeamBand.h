#pragma once
// Seam bands: a narrow band along a border, inside the two regions it separates, that the piece
// painted earlier adds to its outline where the seam plan chooses it (see SeamPlan.h).
//
// Under anti-aliasing a pixel on the border of two pieces shows the paper, or a third piece's
// edge, unless the piece painted first covers the whole pixel. A band as wide as a pixel's
// diagonal gives it that. It lies only in the earlier piece's own region and the later piece's,
// which paints it again, opaque and exact, so the page prints the same. It stops exactly on the
// two regions' other borders, squarely across the ends of its border and, where the later region
// has a convex corner, on the corner's bisector: so its edge runs along no other border beyond
// the corner's own pixels, where it would show between the two pieces that meet there. Where the
// later region is a sliver, the band would still cover the sliver's far border for a while: it
// keeps a pixel's diagonal off the borders the later region has with paint laid down before the
// band's.

#include <tessel/Graph.h>
#include <vexl/Compound.h>

#include <functional>
#include <vector>

namespace Corvel {

// The band's least width, millipoints (it reaches up to twice as far where a border bends): a
// pixel's diagonal at 300 ppi is 0.34 pt, at 150 ppi 0.68 pt. Wider bands cover coarser pixels
// whole, but their ends blend into more pixels around a corner.
inline constexpr double kSeamBandWidth = 500;

// Regions whose borders with the region across a band keeps off: those painted before the band's
// piece, where the band's edge would add its colour between two paints that cover the pixel.
using SeamKeepOff = std::function<bool(const TesselFixed::Region*)>;

// The band along `borders` (of `own`'s contours, with `across` on their right) within the two
// regions, a pixel's diagonal off the borders of `across` with the regions `keepOff` names:
// closed polygons, outer loops counter-clockwise as the map's region contours run, for filling
// with the piece's own outline by the nonzero rule. Empty when the geometry cannot be computed:
// the band only ever takes less.
std::vector<Vexl::Subpath> SeamBandAlong(const std::vector<const TesselFixed::Border*>& borders,
                                         const TesselFixed::Region& own,
                                         const TesselFixed::Region& across,
                                         const SeamKeepOff& keepOff = {});

}  // namespace Corvel
