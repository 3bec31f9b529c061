#pragma once
// Snap-rounding noder: turns chords into edges that meet only at shared end points.
//
// Steps: merge collinear overlapping chords into pieces with contribution lists; find hot pixels
// (every piece end point and the grid point nearest every proper crossing); route each piece
// through the hot pixels whose half-open unit squares it passes (Hobby's snap rounding); merge
// identical edges and sum their per-shape winding changes, dropping edges where all cancel.
// Output edges are pairwise identical-free and meet only at vertices; no edge passes through a
// vertex other than its ends.

#include <cstdint>
#include <span>
#include <vector>

#include <tessel/FixedInternal.h>
#include <tessel/FlattenInternal.h>

namespace TesselFixed::Internal {

// Winding change of one shape when crossing an edge from its right to its left side.
struct ShapeDelta {
  std::uint32_t shape;
  std::int32_t delta;
};

// An edge between vertices from < to (indices into NodedGraph::vertices, whose order follows
// FixedPoint's). `chord` is the lowest-numbered chord that contributed: its curve and parameters
// describe the edge for the curve output.
struct NodedEdge {
  std::uint32_t from, to;
  std::uint32_t deltaBegin, deltaEnd;
  std::uint32_t chord;
};

struct NodedGraph {
  std::vector<FixedPoint> vertices;  // sorted, unique, each used by some edge
  std::vector<NodedEdge> edges;      // sorted by (from, to)
  std::vector<ShapeDelta> deltas;    // per edge, deltas for the direction from → to, by shape
};

NodedGraph NodeChords(std::span<const Chord> chords);

// Exact: does the segment a–b meet the half-open square [h − ½, h + ½) × [h − ½, h + ½)?
bool PassesThroughPixel(FixedPoint a, FixedPoint b, FixedPoint h);

}  // namespace TesselFixed::Internal
