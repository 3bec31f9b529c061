#pragma once
// Where the elements of a map input cover pixels, without a planar map: each element's shape,
// its own clips and the clips of its enclosing groups, flattened to polygons and scanned at
// pixel centres. With it, a fill's program composites a whole cluster of overlapping objects
// pixel by pixel (every element an input whose shape is its coverage), which is how clusters
// too complex to map are rendered.

#include <cstdint>
#include <span>
#include <vector>

#include <tessel/Input.h>

namespace Sampling {

// Coverage of chosen elements of one input, in page millipoints (y up). Immutable once built;
// refers to nothing in the input afterwards.
class ElementCoverage {
 public:
  // Prepares the element nodes `elements` of `input`, curves flattened within `tolerance`
  // millipoints. Throws std::invalid_argument for a node that is not an element.
  ElementCoverage(const Tessel::Input& input, std::span<const std::uint32_t> elements,
                  double tolerance);

  // Bounds of where element `node` may cover (its shape's box cut by its clips' boxes).
  Vexl::Rectangle Bounds(std::uint32_t node) const;
  // Sets shape[i] to 0 where pixel i (centre at start + i · step) lies outside element `node`;
  // leaves it elsewhere. Throws std::out_of_range for a node that was not prepared.
  void CoverRow(std::uint32_t node, Vexl::Point start, Vexl::Point step, std::size_t width,
                float* shape) const;

 private:
  struct Edge {
    double x0, y0, x1, y1;  // y0 != y1
  };
  // One outline: its straight edges and fill rule.
  struct Area {
    std::vector<Edge> edges;
    Vexl::FillRule rule = Vexl::FillRule::NonZero;
    Vexl::Rectangle box;
  };
  struct Covered {
    std::vector<Area> areas;  // the element is where every area is
    Vexl::Rectangle bounds;
  };

  const Covered& Find(std::uint32_t node) const;
  static Area Flatten(const Tessel::Outline& outline, double tolerance);
  static void KeepInsideRow(const Area& area, Vexl::Point start, Vexl::Point step,
                            std::size_t width, float* shape);

  std::vector<std::int64_t> slot_;  // per input node: index into covered_, or -1
  std::vector<Covered> covered_;
};

}  // namespace Sampling
