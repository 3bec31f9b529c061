#include "TesselTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

#include <tessel/GraphInternal.h>

namespace Tessel::Testing {

using TesselFixed::Internal::FixedPoint;
using TesselFixed::Internal::GraphData;
using TesselFixed::Internal::HalfEdgeMap;
using TesselFixed::Internal::Orientation;

CompoundPtr Rectangle(double x, double y, double width, double height) {
  return Vexl::MakeRectangle({x, y, width, height, false});
}

CompoundPtr Circle(double x, double y, double radius) { return Vexl::MakeEllipse({x, y}, radius, radius); }

CompoundPtr Polygon(const std::vector<Vexl::Point>& points) {
  Vexl::Subpath subpath(points.front(), true);
  for (std::size_t i = 1; i < points.size(); ++i) subpath.LineTo(points[i]);
  return std::make_shared<const Vexl::Compound>(std::vector<Vexl::Subpath>{subpath});
}

CompoundPtr Star(double x, double y, double radius, int points) {
  std::vector<Vexl::Point> corners;
  const int step = points / 2;
  for (int i = 0; i < points; ++i) {
    const double angle = 2 * M_PI * (i * step % points) / points;
    corners.push_back({x + radius * std::cos(angle), y + radius * std::sin(angle)});
  }
  return Polygon(corners);
}

CompoundPtr Blob(std::mt19937& random, double x, double y, double radius) {
  std::uniform_real_distribution<double> offset(-radius, radius);
  const auto point = [&] { return Vexl::Point{x + offset(random), y + offset(random)}; };
  Vexl::Subpath subpath(point(), true);
  const int cubics = 2 + static_cast<int>(random() % 4);
  for (int i = 0; i < cubics; ++i) subpath.CubicTo(point(), point(), i + 1 == cubics ? subpath.GetStart() : point());
  return std::make_shared<const Vexl::Compound>(std::vector<Vexl::Subpath>{subpath});
}

std::vector<CompoundPtr> Pencil(double x, double y, double length, int count) {
  std::vector<CompoundPtr> result;
  for (int i = 0; i < count; ++i) {
    const double angle = 2 * M_PI * i / count, spread = M_PI / count / 3;
    result.push_back(Polygon({{x, y},
                              {x + length * std::cos(angle), y + length * std::sin(angle)},
                              {x + length * std::cos(angle + spread), y + length * std::sin(angle + spread)}}));
  }
  return result;
}

Artwork RandomArtwork(std::mt19937& random, int count, double pageSize) {
  Artwork artwork;
  std::uniform_real_distribution<double> position(0, pageSize), size(pageSize / 40, pageSize / 4);
  const auto add = [&](CompoundPtr shape) {
    const auto rule = random() % 2 ? Vexl::FillRule::NonZero : Vexl::FillRule::EvenOdd;
    artwork.shapes.push_back({std::move(shape), rule});
  };
  while (static_cast<int>(artwork.shapes.size()) < count) {
    const double x = position(random), y = position(random), r = size(random);
    switch (random() % 8) {
      case 0: add(Rectangle(x, y, r, r * 0.7)); break;
      case 1: add(Circle(x, y, r)); break;
      case 2: add(Blob(random, x, y, r)); break;
      case 3: add(Star(x, y, r, 5 + 2 * static_cast<int>(random() % 3))); break;
      case 4:
        for (auto& blade : Pencil(x, y, r, 6 + static_cast<int>(random() % 10))) add(std::move(blade));
        break;
      case 5:  // duplicates
        if (!artwork.shapes.empty()) artwork.shapes.push_back(artwork.shapes[random() % artwork.shapes.size()]);
        break;
      case 6:  // collinear tiles sharing edges, overlapping along them
        for (int k = 0; k < 3; ++k) add(Rectangle(x + k * r / 2, y, r * (k + 1) / 2, r / 3));
        break;
      default:  // a sliver: a circle and its copy moved by less than a grid step or two
        add(Circle(x, y, r));
        add(Circle(x + 0.04 * (1 + random() % 3), y + 0.02, r));
        break;
    }
  }
  artwork.shapes.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < artwork.shapes.size(); ++i) artwork.attributes.push_back(std::make_unique<Element>());
  return artwork;
}

Input MakeInput(const Artwork& artwork) {
  Input input;
  for (std::size_t i = 0; i < artwork.shapes.size(); ++i) input.AddElement(artwork.attributes[i].get(), artwork.shapes[i]);
  return input;
}

namespace {

bool OnSegment(FixedPoint a, FixedPoint b, FixedPoint p) {
  return Orientation(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
         std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

// Two edges may only share end points: no proper crossing, no end point on the other's inside.
bool EdgesConflict(FixedPoint a, FixedPoint b, FixedPoint c, FixedPoint d) {
  if (Orientation(a, b, c) * Orientation(a, b, d) < 0 && Orientation(c, d, a) * Orientation(c, d, b) < 0) return true;
  for (const auto& [p, q, r] : {std::tuple{a, c, d}, std::tuple{b, c, d}, std::tuple{c, a, b}, std::tuple{d, a, b}}) {
    if (!(p == q) && !(p == r) && OnSegment(q, r, p)) return true;
  }
  return false;
}

void ExpectNoCrossings(const HalfEdgeMap& map) {
  std::vector<std::uint32_t> order(map.edges.size());
  std::iota(order.begin(), order.end(), 0u);
  // Edges run from their lower vertex in x: sorting by `from` sorts by left end.
  std::size_t conflicts = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const FixedPoint a = map.vertices[map.edges[i].from], b = map.vertices[map.edges[i].to];
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      const FixedPoint c = map.vertices[map.edges[j].from], d = map.vertices[map.edges[j].to];
      if (c.x > b.x) break;
      if (std::max(c.y, d.y) < std::min(a.y, b.y) || std::min(c.y, d.y) > std::max(a.y, b.y)) continue;
      if (EdgesConflict(a, b, c, d)) ++conflicts;
    }
  }
  EXPECT_EQ(conflicts, 0u) << "edges crossing or overlapping";
}

void ExpectEuler(const HalfEdgeMap& map) {
  std::vector<std::uint32_t> parent(map.vertices.size());
  std::iota(parent.begin(), parent.end(), 0u);
  const auto root = [&](std::uint32_t v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  for (const auto& e : map.edges) parent[root(e.from)] = root(e.to);
  std::size_t components = 0;
  for (std::uint32_t v = 0; v < parent.size(); ++v) components += root(v) == v;
  const auto cycles = static_cast<std::int64_t>(map.cycleFirst.size());
  EXPECT_EQ(static_cast<std::int64_t>(map.vertices.size()) - static_cast<std::int64_t>(map.edges.size()) + cycles,
            2 * static_cast<std::int64_t>(components));
}

void ExpectWindingsBalance(const GraphData& data) {
  const HalfEdgeMap& map = data.map;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::int64_t> sum;  // (vertex, shape)
  for (const auto& e : map.edges) {
    ASSERT_LT(e.deltaBegin, e.deltaEnd) << "edge without winding change";
    for (std::uint32_t k = e.deltaBegin; k < e.deltaEnd; ++k) {
      sum[{e.from, map.deltas[k].shape}] += map.deltas[k].delta;
      sum[{e.to, map.deltas[k].shape}] -= map.deltas[k].delta;
    }
  }
  for (const auto& [key, value] : sum) ASSERT_EQ(value, 0) << "vertex " << key.first << " shape " << key.second;
  const auto& coverage = data.coverage;
  const auto windingOf = [&](std::uint32_t face, std::uint32_t shape) {
    for (std::uint32_t k = coverage.windingBegin[face]; k < coverage.windingBegin[face + 1]; ++k) {
      if (coverage.windings[k].shape == shape) return coverage.windings[k].winding;
    }
    return 0;
  };
  for (std::uint32_t e = 0; e < map.edges.size(); ++e) {
    const std::uint32_t left = map.Face(2 * e), right = map.Face(2 * e + 1);
    for (std::uint32_t k = map.edges[e].deltaBegin; k < map.edges[e].deltaEnd; ++k) {
      const auto [shape, delta] = map.deltas[k];
      ASSERT_EQ(windingOf(left, shape), windingOf(right, shape) + delta) << "edge " << e;
    }
  }
}

void ExpectBordersAgree(const TesselFixed::Graph& graph) {
  for (const TesselFixed::Region* region : graph.GetRegions()) {
    int outer = 0;
    for (const TesselFixed::Contour& contour : region->GetContours()) {
      outer += contour.IsOuter();
      const auto borders = contour.GetBorders();
      ASSERT_FALSE(borders.empty());
      for (std::size_t b = 0; b < borders.size(); ++b) {
        const TesselFixed::Border& border = borders[b];
        const TesselFixed::Border& following = borders[(b + 1) % borders.size()];
        ASSERT_EQ(border.GetPoint(border.NPoints() - 1), following.GetPoint(0)) << "contour does not close";
        ASSERT_EQ(border.GetLeftSide(), region);
        ASSERT_NE(border.GetRightSide(), region);
        std::vector<Vexl::Point> mine, theirs;
        for (std::size_t i = 0; i < border.NPoints(); ++i) mine.push_back(border.GetPoint(i));
        bool found = false;
        for (const TesselFixed::Contour& across : border.GetRightSide()->GetContours()) {
          for (const TesselFixed::Border& other : across.GetBorders()) {
            if (other.GetRightSide() != region || other.NPoints() != border.NPoints()) continue;
            theirs.clear();
            for (std::size_t i = other.NPoints(); i-- > 0;) theirs.push_back(other.GetPoint(i));
            found = found || theirs == mine;
          }
        }
        ASSERT_TRUE(found) << "border of region " << region->GetIndex() << " not seen from region "
                           << border.GetRightSide()->GetIndex();
      }
    }
    EXPECT_EQ(outer, region->IsUnbounded() ? 0 : 1) << "region " << region->GetIndex();
  }
}

void ExpectRegionOrder(const TesselFixed::Graph& graph) {
  const auto& regions = graph.GetRegions();
  int unbounded = 0;
  std::set<const TFill*> finished;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    ASSERT_NE(regions[i]->GetFill(), nullptr);
    EXPECT_EQ(regions[i]->GetIndex(), i);
    unbounded += regions[i]->IsUnbounded();
    EXPECT_EQ(finished.count(regions[i]->GetFill()), 0u) << "regions of one fill are not adjacent";
    if (i > 0 && regions[i - 1]->GetFill() != regions[i]->GetFill()) {
      EXPECT_LT(regions[i - 1]->GetFill()->GetNumber(), regions[i]->GetFill()->GetNumber());
      finished.insert(regions[i - 1]->GetFill());
    }
  }
  EXPECT_EQ(unbounded, 1);
  EXPECT_EQ(graph.GetFill(0).NElements(), 0);
}

}  // namespace

void ExpectValidPlanarMap(const TesselFixed::Graph& graph) {
  const GraphData& data = graph.Data();
  ExpectNoCrossings(data.map);
  ExpectEuler(data.map);
  ExpectWindingsBalance(data);
  ExpectBordersAgree(graph);
  ExpectRegionOrder(graph);
}

namespace {

double SegmentDistance(Vexl::Point p, Vexl::Point a, Vexl::Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
  const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

}  // namespace

const TesselFixed::Region* RegionAt(const TesselFixed::Graph& graph, Vexl::Point p, double margin) {
  const TesselFixed::Region* found = nullptr;
  for (const TesselFixed::Region* region : graph.GetRegions()) {
    int winding = 0;
    for (const TesselFixed::Contour& contour : region->GetContours()) {
      for (const TesselFixed::Border& border : contour.GetBorders()) {
        for (std::size_t i = 0; i + 1 < border.NPoints(); ++i) {
          const Vexl::Point a = border.GetPoint(i), b = border.GetPoint(i + 1);
          if (SegmentDistance(p, a, b) < margin) return nullptr;
          const double side = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
          if (a.y <= p.y && b.y > p.y && side > 0) ++winding;
          if (a.y > p.y && b.y <= p.y && side < 0) --winding;
        }
      }
    }
    const bool inside = region->IsUnbounded() ? winding == 0 : winding != 0;
    if (inside && !found) found = region;
  }
  return found;
}

std::vector<const TElementAttribute*> AttributesOf(const TFill& fill) {
  std::vector<const TElementAttribute*> result;
  for (int i = 0; i < fill.NElements(); ++i) result.push_back(fill.GetElement(i).Attribute());
  return result;
}

}  // namespace Tessel::Testing
