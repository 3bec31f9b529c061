#pragma once
// Half-edge structure over the noded edges: outgoing edges sorted around each vertex, face
// cycles (face on the left, y up, counter-clockwise positive), and faces with their holes.

#include <cstdint>
#include <vector>

#include <tessel/NoderInternal.h>

namespace TesselFixed::Internal {

// The root of v in a union-find forest, halving the path on the way.
inline std::uint32_t FindRoot(std::vector<std::uint32_t>& parent, std::uint32_t v) {
  while (parent[v] != v) v = parent[v] = parent[parent[v]];
  return v;
}

// Half-edge 2e runs edges[e].from → edges[e].to, half-edge 2e + 1 runs back. Invariants: every
// bounded face has one positive cycle and any number of negative cycles (the outer cycles of the
// connected components inside it); face 0 is the unbounded face and has only negative cycles.
struct HalfEdgeMap {
  std::vector<FixedPoint> vertices;
  std::vector<NodedEdge> edges;
  std::vector<ShapeDelta> deltas;
  std::vector<std::uint32_t> aroundBegin;  // per vertex + 1: range in `around`
  std::vector<std::uint32_t> around;       // outgoing half-edges, counter-clockwise from +x
  std::vector<std::uint32_t> position;     // per half-edge: its index in `around`
  std::vector<std::uint32_t> next;         // per half-edge: the next one with the same face on the left
  std::vector<std::uint32_t> cycle;        // per half-edge
  std::vector<Int128> cycleArea2;          // per cycle: twice its signed area, grid units²
  std::vector<std::uint32_t> cycleFirst;   // per cycle: one of its half-edges
  std::vector<std::uint32_t> cycleFace;    // per cycle
  std::vector<std::uint32_t> faceCycleBegin;  // per face + 1: range in `faceCycles`
  std::vector<std::uint32_t> faceCycles;      // a bounded face's positive cycle comes first

  static std::uint32_t Twin(std::uint32_t h) { return h ^ 1u; }
  std::uint32_t Origin(std::uint32_t h) const { return h & 1u ? edges[h >> 1].to : edges[h >> 1].from; }
  std::uint32_t Target(std::uint32_t h) const { return Origin(Twin(h)); }
  std::uint32_t FaceCount() const { return static_cast<std::uint32_t>(faceCycleBegin.size() - 1); }
  std::uint32_t Face(std::uint32_t h) const { return cycleFace[cycle[h]]; }
  // The outgoing half-edge just clockwise of h around its origin.
  std::uint32_t Clockwise(std::uint32_t h) const {
    const std::uint32_t v = Origin(h), begin = aroundBegin[v], end = aroundBegin[v + 1];
    const std::uint32_t p = position[h];
    return around[p == begin ? end - 1 : p - 1];
  }
  // Winding change of the shapes when crossing h from its right to its left.
  std::int32_t Sign(std::uint32_t h) const { return h & 1u ? -1 : 1; }
};

HalfEdgeMap BuildHalfEdges(NodedGraph graph);

}  // namespace TesselFixed::Internal
