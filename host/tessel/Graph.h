#pragma once
// The planar map: the plane cut into atomic regions, each a maximal connected area covered by
// one set of input elements, with contours split into borders that name the region across.
// Coordinates handed out are millipoints, y up; internally the map lives on a grid of 1/16
// millipoint, so every point converts to a double exactly.

#include <boost/iterator/iterator_facade.hpp>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <tessel/Fill.h>
#include <tessel/Input.h>
#include <vexl/Geometry.h>

namespace CurveApprox {
class TData;
}

namespace TesselFixed {

class Graph;
class Region;

namespace Internal {
struct GraphData;
struct RegionAccess;
}  // namespace Internal

// A run of contour edges with one region on the left (the contour's owner) and one on the
// right. A border ends where the region across changes or where a third region touches the
// contour, so the region across sees exactly the same border, reversed, on its own contour. A
// border that is a whole closed loop starts at its lowest vertex in (x, y) order.
class Border {
 public:
  const Region* GetLeftSide() const;
  const Region* GetRightSide() const;
  // Number of points: edges + 1; the last point of a border is the first of the next.
  std::size_t NPoints() const { return halfEdgeCount_ + 1; }
  Vexl::Point GetPoint(std::size_t i) const;

 private:
  friend struct Internal::RegionAccess;
  const Internal::GraphData* data_ = nullptr;
  std::uint32_t firstHalfEdge_ = 0;  // into GraphData::borderHalfEdges
  std::uint32_t halfEdgeCount_ = 0;
  std::uint32_t left_ = 0, right_ = 0;  // region indices
};

// A closed loop of borders, counter-clockwise around its region's inside: the outer contour has
// positive area, holes have negative area.
class Contour {
 public:
  std::span<const Border> GetBorders() const { return {begin_, end_}; }
  bool IsOuter() const { return area_ > 0; }
  // Signed area in square millipoints.
  double GetArea() const { return area_; }

 private:
  friend struct Internal::RegionAccess;
  const Border* begin_ = nullptr;
  const Border* end_ = nullptr;
  double area_ = 0;
  // The half-edges of all its borders, which lie together: an outline reads them without
  // visiting the borders.
  const Internal::GraphData* data_ = nullptr;
  std::uint32_t firstHalfEdge_ = 0, halfEdgeCount_ = 0;
};

// An atomic region. Its fill is never null; the uncovered area has the fill without elements.
// The one unbounded region (everything outside the artwork or the bounds) has only holes.
class Region {
 public:
  const Tessel::TFill* GetFill() const { return fill_; }
  // The outer contour first (none for the unbounded region), then the holes.
  std::span<const Contour> GetContours() const { return {begin_, end_}; }
  bool IsUnbounded() const { return unbounded_; }
  // Square millipoints; 0 for the unbounded region.
  double GetArea() const { return area_; }
  // Position in Graph::GetRegions().
  std::uint32_t GetIndex() const { return index_; }

 private:
  friend struct Internal::RegionAccess;
  const Tessel::TFill* fill_ = nullptr;
  const Contour* begin_ = nullptr;
  const Contour* end_ = nullptr;
  double area_ = 0;
  std::uint32_t index_ = 0;
  bool unbounded_ = false;
};

// Walks the borders of a contour: position 0 is the contour's start, 1 its end.
class RegionBorderIterator
    : public boost::iterator_facade<RegionBorderIterator, const Border, boost::random_access_traversal_tag> {
 public:
  RegionBorderIterator() = default;
  RegionBorderIterator(const Contour& contour, int position)
      : current_(position == 0 ? contour.GetBorders().data()
                               : contour.GetBorders().data() + contour.GetBorders().size()) {}

 private:
  friend class boost::iterator_core_access;
  const Border& dereference() const { return *current_; }
  bool equal(const RegionBorderIterator& other) const { return current_ == other.current_; }
  void increment() { ++current_; }
  void decrement() { --current_; }
  void advance(std::ptrdiff_t n) { current_ += n; }
  std::ptrdiff_t distance_to(const RegionBorderIterator& other) const { return other.current_ - current_; }
  const Border* current_ = nullptr;
};

// The region across a border (never null).
inline const Region* GetRightSide(const Border& border) { return border.GetRightSide(); }
inline const Region* GetRightSide(const RegionBorderIterator& it) { return it->GetRightSide(); }

struct BuildOptions {
  // Largest distance between an input curve and its chords, in millipoints (5 = 0.005 point).
  // Values below half a grid unit (1/32 millipoint) are raised to it.
  double toleranceInMillipoints = 5.0;
};

// Immutable once built; shared as std::shared_ptr<const Graph>. Regions, contours, borders and
// fills live as long as the graph.
class Graph {
 public:
  struct PassKey {
   private:
    friend std::shared_ptr<const Graph> Build(const Tessel::Input&, const BuildOptions&, CurveApprox::TData*);
    PassKey() = default;
  };
  Graph(PassKey, std::unique_ptr<Internal::GraphData> data);
  ~Graph();
  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  // Every region, the unbounded one included, by ascending fill number; the regions of one fill
  // are adjacent and ordered by their lowest face, so the order is the same on every run.
  const std::vector<const Region*>& GetRegions() const;
  // Fills by number: GetFill(0) is the uncovered fill.
  int NFills() const;
  const Tessel::TFill& GetFill(int number) const;

  // The build's internal records, for the library's own algorithms and its tests.
  const Internal::GraphData& Data() const { return *data_; }

 private:
  std::unique_ptr<Internal::GraphData> data_;
};

// Builds the planar map of the input. When `curveData` is given it is cleared and filled with
// the provenance of every edge (see CurveApprox::TData). Throws std::invalid_argument naming the
// object for coordinates that are not finite or lie beyond ±2^26 millipoints, and
// std::logic_error for an incomplete input tree.
std::shared_ptr<const Graph> Build(const Tessel::Input& input, const BuildOptions& options = {},
                                   CurveApprox::TData* curveData = nullptr);

}  // namespace TesselFixed
