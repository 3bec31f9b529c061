#pragma once
// The records behind TesselFixed::Graph.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include <tessel/CoverageInternal.h>
#include <tessel/Fill.h>
#include <tessel/Graph.h>
#include <tessel/HalfEdgesInternal.h>

namespace TesselFixed::Internal {

struct GraphData {
  HalfEdgeMap map;
  Coverage coverage;
  std::vector<std::uint32_t> faceRegion;  // per face: region index (GetRegions order)
  std::vector<Tessel::TFill> fills;       // by number
  std::vector<Region> regions;            // GetRegions order
  std::vector<const Region*> regionList;
  std::vector<Contour> contours;
  std::vector<Border> borders;
  std::vector<std::uint32_t> borderHalfEdges;
  std::vector<std::uint32_t> halfEdgeBorder;  // per half-edge: its border, or kNone inside a region

  std::uint32_t RegionOf(std::uint32_t halfEdge) const { return faceRegion[map.Face(halfEdge)]; }
};

// Closed loops of half-edges: loop i is halfEdges[begin[i] .. begin[i + 1]).
struct Loops {
  std::vector<std::uint32_t> halfEdges;
  std::vector<std::uint32_t> begin{0};
  std::vector<Int128> area2;
  std::size_t Count() const { return begin.size() - 1; }
};

// Traces the one loop through `start`, marking its half-edges with `markDone`.
template <class IsBoundary, class MarkDone>
void TraceLoop(const HalfEdgeMap& map, IsBoundary& isBoundary, std::uint32_t start, Loops& loops,
               MarkDone&& markDone) {
  const FixedPoint o = map.vertices[map.Origin(start)];
  Int128 area2 = 0;
  std::uint32_t h = start;
  do {
    markDone(h);
    loops.halfEdges.push_back(h);
    const FixedPoint a = map.vertices[map.Origin(h)], b = map.vertices[map.Target(h)];
    area2 += Cross(std::int64_t{a.x} - o.x, std::int64_t{a.y} - o.y, std::int64_t{b.x} - o.x, std::int64_t{b.y} - o.y);
    std::uint32_t g = map.Clockwise(HalfEdgeMap::Twin(h));
    while (!isBoundary(g)) g = map.Clockwise(g);
    h = g;
  } while (h != start);
  loops.begin.push_back(static_cast<std::uint32_t>(loops.halfEdges.size()));
  loops.area2.push_back(area2);
}

// Traces the loops formed by the half-edges for which isBoundary(h) holds, each with the inside
// on its left: after h comes the first boundary half-edge clockwise from h's twin at h's target.
// isBoundary must select, for a set S of faces, exactly the half-edges with a face of S on the
// left and a face outside S on the right.
template <class IsBoundary>
Loops TraceLoops(const HalfEdgeMap& map, IsBoundary&& isBoundary) {
  Loops loops;
  std::vector<bool> done(map.next.size(), false);
  for (std::uint32_t start = 0; start < map.next.size(); ++start) {
    if (done[start] || !isBoundary(start)) continue;
    TraceLoop(map, isBoundary, start, loops, [&done](std::uint32_t h) { done[h] = true; });
  }
  return loops;
}

// As TraceLoops, but starting only from `candidates`, which must hold at least one half-edge of
// every loop: the cost follows the loops' size, not the map's.
template <class IsBoundary>
Loops TraceLoopsFrom(const HalfEdgeMap& map, IsBoundary&& isBoundary,
                     std::span<const std::uint32_t> candidates) {
  // Loops start only at candidates, so the done marks need only cover the candidates: a sorted
  // copy and a flag each, no node allocated per half-edge.
  std::vector<std::uint32_t> sorted(candidates.begin(), candidates.end());
  std::sort(sorted.begin(), sorted.end());
  std::vector<char> done(sorted.size(), 0);
  const auto mark = [&](std::uint32_t h) {
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), h);
    if (it != sorted.end() && *it == h) done[static_cast<std::size_t>(it - sorted.begin())] = 1;
  };
  Loops loops;
  for (const std::uint32_t start : candidates) {
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), start);
    if (done[static_cast<std::size_t>(it - sorted.begin())] || !isBoundary(start)) continue;
    TraceLoop(map, isBoundary, start, loops, mark);
  }
  return loops;
}

inline double AreaInMillipoints(Int128 area2) {
  return static_cast<double>(area2) / (2 * kUnitsPerMillipoint * kUnitsPerMillipoint);
}

struct RegionAccess {
  // Regions, contours and borders of the graph from its half-edges, coverage and fills.
  // fillNumber: per coverage fill index, the number of its TFill.
  static void BuildRegions(GraphData& data, const std::vector<std::uint32_t>& fillNumber);
  // The half-edges of a border, in order.
  static std::span<const std::uint32_t> BorderHalfEdges(const GraphData& data, const Border& border) {
    return {data.borderHalfEdges.data() + border.firstHalfEdge_, border.halfEdgeCount_};
  }
  // The half-edges of a contour, in order.
  static std::span<const std::uint32_t> ContourHalfEdges(const Contour& contour) {
    if (!contour.data_) return {};
    return {contour.data_->borderHalfEdges.data() + contour.firstHalfEdge_, contour.halfEdgeCount_};
  }
  static const GraphData& DataOf(const Contour& contour) { return *contour.data_; }
};

}  // namespace TesselFixed::Internal
