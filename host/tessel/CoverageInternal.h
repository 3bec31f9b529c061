#pragma once
// Coverage of the faces: per-shape winding numbers by a walk from the unbounded face, the
// elements present in each face, and the distinct coverage keys and element sets.

#include <cstdint>
#include <vector>

#include <tessel/FlattenInternal.h>
#include <tessel/HalfEdgesInternal.h>

namespace TesselFixed::Internal {

struct ShapeWinding {
  std::uint32_t shape;
  std::int32_t winding;
};

// Invariants: W(left of h) = W(right of h) + delta(h) for every half-edge; the unbounded face
// has no windings. Two faces with the same key have the same elements and the same side of the
// bounds; each element set (fill) is listed once, elements ascending (drawing order).
struct Coverage {
  std::vector<std::uint32_t> windingBegin;  // per face + 1: range in `windings`
  std::vector<ShapeWinding> windings;       // nonzero windings by shape
  std::vector<std::uint32_t> faceKey;       // per face
  std::vector<std::uint32_t> keyFill;       // per key: index into fillElements
  std::vector<std::vector<std::uint32_t>> fillElements;  // input node indices; [0] is empty
};

Coverage ComputeCoverage(const HalfEdgeMap& map, const FlatInput& flat, const Tessel::Input& input);

}  // namespace TesselFixed::Internal
