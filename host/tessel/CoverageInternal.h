#pragma once
// Coverage of the faces: per-shape winding numbers by a walk from the unbounded face, the
// elements present in each face, and the distinct coverage keys and element sets.

#include <cstdint>
#include <span>
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
  std::vector<std::uint32_t> keyFill;       // per key: coverage fill index
  // Per coverage fill: its input node indices, fillElements[fillBegin[i] .. fillBegin[i + 1]);
  // fill 0 is empty. Released once the TFill objects exist.
  std::vector<std::uint32_t> fillBegin{0, 0};
  std::vector<std::uint32_t> fillElements;

  std::size_t FillCount() const { return fillBegin.size() - 1; }
  std::span<const std::uint32_t> FillElements(std::size_t fill) const {
    return {fillElements.data() + fillBegin[fill], fillBegin[fill + 1] - fillBegin[fill]};
  }
};

Coverage ComputeCoverage(const HalfEdgeMap& map, const FlatInput& flat, const Tessel::Input& input);

}  // namespace TesselFixed::Internal
