#pragma once
// Curve provenance of a planar map and the engine that turns its polygonal borders back into the
// input's Bézier curves. Coordinates are millipoints, y up.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <tessel/EdgeHints.h>
#include <vexl/ContourEngine.h>
#include <vexl/Geometry.h>

namespace CurveApprox {

struct TDataAccess;

// Records, for every edge of one planar map, the input it lies on: a cubic of the input and the
// parameters at the edge's two ends, or a straight input segment. Filled by TesselFixed::Build;
// read-only afterwards. Edges are found by their two end points (exact grid points).
class TData {
 public:
  static constexpr std::uint32_t kStraight = 0xFFFFFFFFu;

  // An edge as found from `from` to `to`: parameters are oriented accordingly.
  struct EdgeSource {
    std::uint32_t curve = kStraight;
    double tFrom = 0, tTo = 1;
  };

  // No value when the map has no such edge.
  std::optional<EdgeSource> FindEdge(Vexl::Point from, Vexl::Point to) const;
  // True at vertices where other than two edges meet: curve runs always break there, so that
  // every region (and every envelope) sharing an edge chain emits it identically.
  bool IsNode(Vexl::Point vertex) const;
  // The same by the map's indices: the edge of half-edge `halfEdge` when it runs from `from`
  // to `to` (no value otherwise: the hint was not for this map), and vertex `vertex`.
  std::optional<EdgeSource> FindHalfEdge(std::uint32_t halfEdge, Vexl::Point from,
                                         Vexl::Point to) const;
  bool IsNodeVertex(std::uint32_t vertex) const;
  // Starts loading what FindHalfEdge and IsNodeVertex will read for these indices.
  void Prefetch(std::uint32_t halfEdge, std::uint32_t vertex) const;
  // Start, two control points and end of an input cubic.
  const std::array<Vexl::Point, 4>& GetCurve(std::uint32_t curve) const { return curves_.at(curve); }
  std::size_t NEdges() const { return edges_.size(); }

 private:
  friend struct TDataAccess;
  struct EdgeRecord {
    std::uint64_t a, b;  // packed grid points, a < b
    std::uint32_t curve;
    double ta, tb;
  };
  // Open-addressing tables of 1-based indices into edges_ and nodes_ (0: empty slot), sized to
  // a power of two at least twice the entries: a look-up is a probe or two, where a binary
  // search over a map's million edges missed the cache at every step.
  std::uint32_t EdgeSlot(std::uint64_t a, std::uint64_t b) const;
  std::uint32_t NodeSlot(std::uint64_t point) const;
  std::vector<std::array<Vexl::Point, 4>> curves_;
  std::vector<EdgeRecord> edges_;
  std::vector<std::uint64_t> nodes_;
  std::vector<char> nodeVertex_;  // per vertex of the map
  std::vector<std::uint32_t> edgeSlots_;
  std::vector<std::uint32_t> nodeSlots_;
};

// Receives the closed loops of TesselFixed::FeedToEngine and passes them on to `target` with
// every maximal run of edges along one input cubic (same curve, continuous parameters, no node
// inside) replaced by that cubic's exact sub-curve, its end points moved onto the snapped
// vertices; straight and unknown edges go on as lines. A run is computed from its parameters in
// increasing order and reversed when needed, so the two regions on either side of a border emit
// identical curves. Each loop starts where a run starts. A contour must end with Close(); one
// left open is passed on as lines at the next MoveTo or Flush().
class TOutputEngine : public ADT::TVectorContourEngine, public TesselFixed::EdgeHintSink {
 public:
  TOutputEngine(ADT::TContourEngine& target, const TData& data);
  void MoveTo(Vexl::Point p) override;
  void LineTo(Vexl::Point p) override;
  void Close() override;
  void Flush();
  void NextEdge(std::uint32_t halfEdge, std::uint32_t vertex) override;

 private:
  void EmitLoop();
  void EmitRun(std::size_t first, std::size_t count);
  bool BreaksBefore(std::size_t i) const;

  ADT::TContourEngine& target_;
  const TData& data_;
  std::vector<Vexl::Point> points_;
  struct Hint {
    std::uint32_t halfEdge = kNoHint, vertex = 0;
  };
  static constexpr std::uint32_t kNoHint = 0xFFFFFFFFu;
  void AddPoint(Vexl::Point p);
  std::vector<Hint> hints_;  // per point: the half-edge leaving it, when the feeder told
  Hint pending_;
  std::vector<TData::EdgeSource> sources_;
  std::vector<char> nodes_;  // per point of the loop: a node of the map
  bool open_ = false;
};

}  // namespace CurveApprox
