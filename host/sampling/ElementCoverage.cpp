#include <sampling/ElementCoverage.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <vexl/Measure.h>

namespace Sampling {

namespace {

Vexl::Rectangle CoverageBoxIntersection(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  if (a.IsNull() || b.IsNull()) return Vexl::Rectangle::Null();
  const double left = std::max(a.Left(), b.Left()), right = std::min(a.Right(), b.Right());
  const double bottom = std::max(a.Bottom(), b.Bottom()), top = std::min(a.Top(), b.Top());
  if (left > right || bottom > top) return Vexl::Rectangle::Null();
  return {left, bottom, right - left, top - bottom, false};
}

struct CoverageCrossing {
  double x;
  int direction;
  bool operator<(const CoverageCrossing& other) const { return x < other.x; }
};

}  // namespace

ElementCoverage::ElementCoverage(const Tessel::Input& input,
                                 std::span<const std::uint32_t> elements, double tolerance)
    : slot_(input.GetNodes().size(), -1) {
  const auto& nodes = input.GetNodes();
  for (const std::uint32_t node : elements) {
    if (node >= nodes.size() || nodes[node].kind != Tessel::Input::TObject::Kind::Element)
      throw std::invalid_argument("Coverage asked for " + input.Describe(node) +
                                  ", which is not an element");
    Covered covered;
    covered.areas.push_back(Flatten(nodes[node].shape, tolerance));
    // Clips of the element and of every group around it; soft-mask artwork is not clipped by
    // the group it masks, but the tree's parents are exactly the groups that clip it.
    for (std::uint32_t at = node; at != Tessel::Input::kNone; at = nodes[at].parent)
      for (const auto& clip : nodes[at].clips) covered.areas.push_back(Flatten(clip, tolerance));
    covered.bounds = covered.areas.front().box;
    for (const Area& area : covered.areas) covered.bounds = CoverageBoxIntersection(covered.bounds, area.box);
    slot_[node] = static_cast<std::int64_t>(covered_.size());
    covered_.push_back(std::move(covered));
  }
}

const ElementCoverage::Covered& ElementCoverage::Find(std::uint32_t node) const {
  if (node >= slot_.size() || slot_[node] < 0)
    throw std::out_of_range("Coverage of an element that was not prepared");
  return covered_[static_cast<std::size_t>(slot_[node])];
}

Vexl::Rectangle ElementCoverage::Bounds(std::uint32_t node) const { return Find(node).bounds; }

ElementCoverage::Area ElementCoverage::Flatten(const Tessel::Outline& outline, double tolerance) {
  Area area;
  area.rule = outline.rule;
  area.box = outline.compound->GetBoundingBox();
  for (const Vexl::Subpath& subpath : outline.compound->GetSubpaths()) {
    const Vexl::Subpath polyline = Vexl::MakePolyline(subpath, tolerance);
    Vexl::Point from = polyline.GetStart();
    const auto add = [&](Vexl::Point to) {
      if (from.y != to.y) area.edges.push_back({from.x, from.y, to.x, to.y});
      from = to;
    };
    for (const Vexl::Segment& segment : polyline.GetSegments()) add(segment.end);
    add(polyline.GetStart());  // filled: every subpath closes
  }
  return area;
}

void ElementCoverage::CoverRow(std::uint32_t node, Vexl::Point start, Vexl::Point step,
                               std::size_t width, float* shape) const {
  for (const Area& area : Find(node).areas) KeepInsideRow(area, start, step, width, shape);
}

// Rows along x take the spans where the scan line crosses the edges (a pixel belongs to a
// span when its centre lies in [entry, exit)); rows at any other angle test each centre.
void ElementCoverage::KeepInsideRow(const Area& area, Vexl::Point start, Vexl::Point step,
                                    std::size_t width, float* shape) {
  if (step.y != 0 || !(step.x > 0)) {
    for (std::size_t i = 0; i < width; ++i) {
      const double x = start.x + double(i) * step.x, y = start.y + double(i) * step.y;
      int winding = 0;
      for (const Edge& e : area.edges) {
        const bool up = e.y0 <= y && y < e.y1, down = e.y1 <= y && y < e.y0;
        if (!up && !down) continue;
        const double crossing = e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0);
        if (crossing > x) winding += up ? 1 : -1;
      }
      const bool inside = area.rule == Vexl::FillRule::EvenOdd ? (winding & 1) != 0 : winding != 0;
      if (!inside) shape[i] = 0;
    }
    return;
  }
  const double y = start.y;
  std::vector<CoverageCrossing> crossings;
  for (const Edge& e : area.edges) {
    const bool up = e.y0 <= y && y < e.y1, down = e.y1 <= y && y < e.y0;
    if (up || down)
      crossings.push_back({e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), up ? 1 : -1});
  }
  std::sort(crossings.begin(), crossings.end());
  // Pixel index of the first centre at or right of x.
  const auto firstAt = [&](double x) {
    const double index = std::ceil((x - start.x) / step.x);
    return static_cast<std::size_t>(std::clamp(index, 0.0, double(width)));
  };
  std::size_t clearFrom = 0;
  int winding = 0;
  for (const CoverageCrossing& crossing : crossings) {
    const bool wasInside =
        area.rule == Vexl::FillRule::EvenOdd ? (winding & 1) != 0 : winding != 0;
    winding += crossing.direction;
    const bool isInside =
        area.rule == Vexl::FillRule::EvenOdd ? (winding & 1) != 0 : winding != 0;
    if (!wasInside && isInside) {
      std::fill(shape + clearFrom, shape + std::max(clearFrom, firstAt(crossing.x)), 0.0f);
      clearFrom = width;  // inside until the exit sets it
    } else if (wasInside && !isInside) {
      clearFrom = firstAt(crossing.x);
    }
  }
  if (clearFrom < width) std::fill(shape + clearFrom, shape + width, 0.0f);
}

}  // namespace Sampling
