#pragma once
// Unions of regions and the feeding of outlines to contour engines.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <tessel/Graph.h>
#include <vexl/ContourEngine.h>

namespace TesselFixed {

// The union of the regions a predicate accepts, as closed loops without the borders between
// accepted regions: counter-clockwise outer loops (positive area) and clockwise holes, y up.
// Keeps its graph alive.
class Envelope {
 public:
  // Calls the predicate once per region, during Create only. An empty result is not an error.
  static Envelope Create(const std::shared_ptr<const Graph>& graph,
                         const std::function<bool(const Region*)>& predicate);
  // The union of the given regions of `graph`. Costs time in proportion to the members'
  // borders, not to the whole map: use it for many small unions.
  static Envelope Create(const std::shared_ptr<const Graph>& graph,
                         std::span<const Region* const> members);

  std::size_t NLoops() const { return loopBegin_.size() - 1; }
  // Points of loop i (no repeated closing point), millipoints.
  std::vector<Vexl::Point> GetLoop(std::size_t i) const;
  // Signed area of loop i in square millipoints.
  double GetLoopArea(std::size_t i) const { return loopArea_.at(i); }
  // Total enclosed area in square millipoints.
  double GetArea() const;

 private:
  friend void FeedToEngine(const Envelope&, ADT::TVectorContourEngine&, bool);
  template <class Loops>
  static Envelope FromLoops(const std::shared_ptr<const Graph>& graph, const Loops& loops);
  std::shared_ptr<const Graph> graph_;
  std::vector<std::uint32_t> vertices_;  // loop vertices, indices into the graph's grid vertices
  std::vector<std::uint32_t> halfEdges_;  // per loop vertex: the half-edge leaving it
  std::vector<std::uint32_t> loopBegin_{0};
  std::vector<double> loopArea_;
};

// Sends a region's contours (outer first) or an envelope's loops to the engine: MoveTo, LineTo
// for every further vertex, Close, in exact millipoints. With `includeHoles` false only the
// positive loops are sent, which outlines the area with its holes filled.
void FeedToEngine(const Region& region, ADT::TVectorContourEngine& engine, bool includeHoles);
void FeedToEngine(const Envelope& envelope, ADT::TVectorContourEngine& engine, bool includeHoles);

}  // namespace TesselFixed
