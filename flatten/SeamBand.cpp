#include <flatten/SeamBand.h>

// GCC 12 takes the box boost's envelope of a multi-polygon starts from for unset (it is set first).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_linestring.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#pragma GCC diagnostic pop

#include <cmath>
#include <numbers>

namespace Corvel {

namespace {

namespace bg = boost::geometry;
using BandPoint = bg::model::d2::point_xy<double>;
using BandLine = bg::model::linestring<BandPoint>;
using BandLines = bg::model::multi_linestring<BandLine>;
// Counter-clockwise outer rings, as the map's contours run (y up).
using BandPolygon = bg::model::polygon<BandPoint, false, true>;
using BandShape = bg::model::multi_polygon<BandPolygon>;

// Borders are simplified within this distance before they are widened by as much more: the band
// still reaches the full width everywhere, with a fraction of the points of a curve's chords.
constexpr double kSeamBandSlack = kSeamBandWidth / 2;
// Points of a full circle in the band's round joins.
constexpr int kSeamBandCirclePoints = 8;
// How far the band keeps off the later region's other borders: a pixel's diagonal at 300 ppi.
// A pixel on such a border shows what the two regions there paint, and the band's edge would add
// the earlier piece's colour between them.
constexpr double kSeamBandMargin = 350;
// The borders it keeps off are simplified within this distance, and widened by as much more.
constexpr double kSeamMarginSlack = 50;

BandPoint ToBandPoint(Vexl::Point p) { return {p.x, p.y}; }

BandPolygon SeamRegionPolygon(const TesselFixed::Region& region) {
  BandPolygon polygon;
  for (const auto& contour : region.GetContours()) {
    BandPolygon::ring_type ring;
    for (const auto& border : contour.GetBorders()) {
      // A border's last point is the next one's first.
      for (std::size_t i = 0; i + 1 < border.NPoints(); ++i) {
        ring.push_back(ToBandPoint(border.GetPoint(i)));
      }
    }
    if (ring.size() < 3) continue;
    ring.push_back(ring.front());
    if (contour.IsOuter()) {
      polygon.outer() = std::move(ring);
    } else {
      polygon.inners().push_back(std::move(ring));
    }
  }
  return polygon;
}

BandLine SimplifiedSeamBorder(const TesselFixed::Border& border, double slack = kSeamBandSlack) {
  BandLine line, simplified;
  for (std::size_t i = 0; i < border.NPoints(); ++i)
    line.push_back(ToBandPoint(border.GetPoint(i)));
  bg::simplify(line, simplified, slack);
  return simplified;
}

// Square ends: a band stops across the end of its border, where another border begins.
BandShape WidenSeamBorders(const BandLines& lines) {
  BandShape widened;
  bg::buffer(lines, widened,
             bg::strategy::buffer::distance_symmetric<double>(kSeamBandWidth + kSeamBandSlack),
             bg::strategy::buffer::side_straight(),
             bg::strategy::buffer::join_round(kSeamBandCirclePoints),
             bg::strategy::buffer::end_flat(),
             bg::strategy::buffer::point_circle(kSeamBandCirclePoints));
  return widened;
}

// The counter-clockwise angle from direction `from` to direction `to`, in [0, 2 pi).
double SeamTurn(BandPoint from, BandPoint to) {
  const double angle =
      std::atan2(from.x() * to.y() - from.y() * to.x(), from.x() * to.x() + from.y() * to.y());
  return angle < 0 ? angle + 2 * std::numbers::pi : angle;
}

BandPoint SeamDirection(Vexl::Point from, Vexl::Point to) {
  const double dx = to.x - from.x, dy = to.y - from.y, length = std::hypot(dx, dy);
  return length > 0 ? BandPoint(dx / length, dy / length) : BandPoint(0, 0);
}

BandPoint SeamRotated(BandPoint v, double angle) {
  return {v.x() * std::cos(angle) - v.y() * std::sin(angle),
          v.x() * std::sin(angle) + v.y() * std::cos(angle)};
}

// At corner `c` of the region across, whose inside turns counter-clockwise from `first` to
// `second` (the directions of its two borders there): where that corner is convex, the part of
// it nearer the border along `cut` than the other one, as a triangle reaching past the band.
void AddSeamCornerCut(Vexl::Point c, BandPoint first, BandPoint second, bool cutSecond,
                      BandShape& cuts) {
  const double inside = SeamTurn(first, second);
  // A straight or reflex corner: the band's square end keeps off the other border already.
  if (inside <= 0 || inside >= std::numbers::pi * 0.95) return;
  const BandPoint bisector = SeamRotated(first, inside / 2);
  const BandPoint edge = cutSecond ? second : first;
  const double reach = 4 * (kSeamBandWidth + kSeamBandSlack);
  BandPolygon wedge;
  wedge.outer() = {{c.x, c.y},
                   {c.x + reach * bisector.x(), c.y + reach * bisector.y()},
                   {c.x + reach * edge.x(), c.y + reach * edge.y()},
                   {c.x, c.y}};
  bg::correct(wedge);
  BandShape merged;
  bg::union_(cuts, wedge, merged);
  cuts = std::move(merged);
}

// Where a border ends at a convex corner of the region across, the band's square end would run
// along the region's next border there, and show between the two pieces that meet on it: the
// part of the corner nearer that border is cut away, so the band ends on the corner's bisector.
BandShape SeamCornerCuts(const std::vector<const TesselFixed::Border*>& borders,
                         const TesselFixed::Region& own, const TesselFixed::Region& across) {
  BandShape cuts;
  for (const auto* border : borders) {
    const std::size_t last = border->NPoints() - 1;
    const Vexl::Point start = border->GetPoint(0), end = border->GetPoint(last);
    if (last < 1 || (start.x == end.x && start.y == end.y)) continue;
    for (const auto& contour : across.GetContours()) {
      const auto list = contour.GetBorders();
      for (std::size_t i = 0; i < list.size(); ++i) {
        // The same border as the region across runs it: from `end` to `start`.
        const auto& twin = list[i];
        if (twin.GetRightSide() != &own || twin.NPoints() != border->NPoints()) continue;
        const Vexl::Point twinStart = twin.GetPoint(0), twinEnd = twin.GetPoint(last);
        if (twinStart.x != end.x || twinStart.y != end.y || twinEnd.x != start.x ||
            twinEnd.y != start.y) {
          continue;
        }
        const auto& before = list[(i + list.size() - 1) % list.size()];
        const auto& after = list[(i + 1) % list.size()];
        // Around the region across counter-clockwise: `before` arrives at `end`, then this
        // border runs to `start`, then `after` leaves.
        AddSeamCornerCut(end, SeamDirection(end, twin.GetPoint(1)),
                         SeamDirection(end, before.GetPoint(before.NPoints() - 2)), true, cuts);
        AddSeamCornerCut(start, SeamDirection(start, after.GetPoint(1)),
                         SeamDirection(start, twin.GetPoint(last - 1)), false, cuts);
      }
    }
  }
  return cuts;
}

// The strip along the borders of the region across with the regions `keepOff` names.
BandShape SeamMarginOf(const TesselFixed::Region& across, const SeamKeepOff& keepOff) {
  BandLines lines;
  if (!keepOff) return {};
  for (const auto& contour : across.GetContours()) {
    for (const auto& border : contour.GetBorders()) {
      if (!keepOff(border.GetRightSide())) continue;
      lines.push_back(SimplifiedSeamBorder(border, kSeamMarginSlack));
    }
  }
  BandShape margin;
  if (lines.empty()) return margin;
  bg::buffer(lines, margin,
             bg::strategy::buffer::distance_symmetric<double>(kSeamBandMargin + kSeamMarginSlack),
             bg::strategy::buffer::side_straight(),
             bg::strategy::buffer::join_miter(),
             bg::strategy::buffer::end_flat(),
             bg::strategy::buffer::point_circle(kSeamBandCirclePoints));
  return margin;
}

Vexl::Subpath SeamRingSubpath(const BandPolygon::ring_type& ring) {
  Vexl::Subpath subpath({ring.front().x(), ring.front().y()}, true);
  // The ring repeats its first point at the end; the closed subpath does not need it.
  for (std::size_t i = 1; i + 1 < ring.size(); ++i) subpath.LineTo({ring[i].x(), ring[i].y()});
  return subpath;
}

}  // namespace

std::vector<Vexl::Subpath> SeamBandAlong(const std::vector<const TesselFixed::Border*>& borders,
                                         const TesselFixed::Region& own,
                                         const TesselFixed::Region& across,
                                         const SeamKeepOff& keepOff) {
  BandLines lines;
  for (const auto* border : borders) lines.push_back(SimplifiedSeamBorder(*border));
  if (lines.empty()) return {};
  BandShape band;
  try {
    const BandShape widened = WidenSeamBorders(lines);
    BandShape inOwn, inAcross;
    bg::intersection(widened, SeamRegionPolygon(own), inOwn);
    bg::intersection(widened, SeamRegionPolygon(across), inAcross);
    BandShape whole;
    bg::union_(inOwn, inAcross, whole);
    BandShape cuts = SeamCornerCuts(borders, own, across);
    const BandShape margin = SeamMarginOf(across, keepOff);
    if (!margin.empty()) {
      BandShape merged;
      bg::union_(cuts, margin, merged);
      cuts = std::move(merged);
    }
    if (cuts.empty()) {
      band = std::move(whole);
    } else {
      bg::difference(whole, cuts, band);
    }
  } catch (const bg::exception&) {
    return {};
  }
  std::vector<Vexl::Subpath> subpaths;
  for (const auto& polygon : band) {
    if (polygon.outer().size() < 4) continue;
    subpaths.push_back(SeamRingSubpath(polygon.outer()));
    for (const auto& inner : polygon.inners()) {
      if (inner.size() >= 4) subpaths.push_back(SeamRingSubpath(inner));
    }
  }
  return subpaths;
}

}  // namespace Corvel
