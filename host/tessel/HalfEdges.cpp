#include <tessel/HalfEdgesInternal.h>

#include <algorithm>
#include <cassert>
#include <numeric>

#include <tessel/GridInternal.h>

namespace TesselFixed::Internal {

namespace {

void SortAroundVertices(HalfEdgeMap& map) {
  const std::size_t vertexCount = map.vertices.size();
  map.aroundBegin.assign(vertexCount + 1, 0);
  for (const NodedEdge& e : map.edges) ++map.aroundBegin[e.from + 1], ++map.aroundBegin[e.to + 1];
  std::partial_sum(map.aroundBegin.begin(), map.aroundBegin.end(), map.aroundBegin.begin());
  map.around.assign(map.edges.size() * 2, 0);
  std::vector<std::uint32_t> fill(map.aroundBegin.begin(), map.aroundBegin.end() - 1);
  for (std::uint32_t h = 0; h < map.around.size(); ++h) map.around[fill[map.Origin(h)]++] = h;
  for (std::uint32_t v = 0; v < vertexCount; ++v) {
    const FixedPoint o = map.vertices[v];
    std::sort(map.around.begin() + map.aroundBegin[v], map.around.begin() + map.aroundBegin[v + 1],
              [&](std::uint32_t a, std::uint32_t b) {
                const FixedPoint ta = map.vertices[map.Target(a)], tb = map.vertices[map.Target(b)];
                return AngleLess(std::int64_t{ta.x} - o.x, std::int64_t{ta.y} - o.y, std::int64_t{tb.x} - o.x,
                                 std::int64_t{tb.y} - o.y);
              });
  }
  map.position.assign(map.around.size(), 0);
  for (std::uint32_t p = 0; p < map.around.size(); ++p) map.position[map.around[p]] = p;
}

void TraceCycles(HalfEdgeMap& map) {
  const auto count = static_cast<std::uint32_t>(map.around.size());
  map.next.resize(count);
  for (std::uint32_t h = 0; h < count; ++h) map.next[h] = map.Clockwise(HalfEdgeMap::Twin(h));
  map.cycle.assign(count, kNone);
  for (std::uint32_t start = 0; start < count; ++start) {
    if (map.cycle[start] != kNone) continue;
    const auto id = static_cast<std::uint32_t>(map.cycleFirst.size());
    const FixedPoint o = map.vertices[map.Origin(start)];
    Int128 area2 = 0;
    std::uint32_t h = start;
    do {
      map.cycle[h] = id;
      const FixedPoint a = map.vertices[map.Origin(h)], b = map.vertices[map.Target(h)];
      area2 += Cross(std::int64_t{a.x} - o.x, std::int64_t{a.y} - o.y, std::int64_t{b.x} - o.x, std::int64_t{b.y} - o.y);
      h = map.next[h];
    } while (h != start);
    map.cycleFirst.push_back(start);
    map.cycleArea2.push_back(area2);
  }
}

// Per vertex: the lowest-leftmost vertex of its connected component.
std::vector<std::uint32_t> LowestOfComponents(const HalfEdgeMap& map) {
  std::vector<std::uint32_t> parent(map.vertices.size());
  std::iota(parent.begin(), parent.end(), 0u);
  for (const NodedEdge& e : map.edges) {
    const std::uint32_t a = FindRoot(parent, e.from), b = FindRoot(parent, e.to);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
  std::vector<std::uint32_t> lowest(map.vertices.size(), kNone);
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    std::uint32_t& best = lowest[FindRoot(parent, v)];
    const auto lower = [&](std::uint32_t a, std::uint32_t b) {
      const FixedPoint p = map.vertices[a], q = map.vertices[b];
      return p.y != q.y ? p.y < q.y : p.x < q.x;
    };
    if (best == kNone || lower(v, best)) best = v;
  }
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) lowest[v] = lowest[FindRoot(parent, v)];
  return lowest;
}

// y of a non-vertical edge at x, as num / den with den > 0.
struct EdgeHeight {
  Int128 num;
  std::int64_t den;
  std::int64_t dy;
};

EdgeHeight HeightAt(FixedPoint left, FixedPoint right, std::int64_t x) {
  const std::int64_t dx = std::int64_t{right.x} - left.x, dy = std::int64_t{right.y} - left.y;
  return {Int128{left.y} * dx + Int128{x - left.x} * dy, dx, dy};
}

// Higher just right of the ray's x: greater height, or equal height and steeper rise.
bool Higher(const EdgeHeight& a, const EdgeHeight& b) {
  const Int128 l = a.num * b.den, r = b.num * a.den;
  if (l != r) return l > r;
  return Int128{a.dy} * b.den > Int128{b.dy} * a.den;
}

// The half-edge (running left to right, face above it) first met by a ray going down from just
// right of vertex v, ignoring edges of v's own component; kNone when the ray meets nothing.
class RayShooter {
 public:
  RayShooter(const HalfEdgeMap& map, const std::vector<std::uint32_t>& lowest);
  std::uint32_t Shoot(std::uint32_t v) const;

 private:
  const HalfEdgeMap& map_;
  const std::vector<std::uint32_t>& lowest_;
  CellGrid grid_;
  CellBuckets buckets_;
};

CellGrid GridOver(const HalfEdgeMap& map) {
  std::int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  if (!map.vertices.empty()) {
    minX = map.vertices.front().x, maxX = map.vertices.back().x;
    minY = maxY = map.vertices.front().y;
    for (const FixedPoint& p : map.vertices) minY = std::min<std::int64_t>(minY, p.y), maxY = std::max<std::int64_t>(maxY, p.y);
  }
  return CellGrid(minX, minY, maxX, maxY, map.edges.size());
}

CellBuckets BucketEdges(const HalfEdgeMap& map, const CellGrid& grid) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  pairs.reserve(map.edges.size() * 2);
  for (std::uint32_t e = 0; e < map.edges.size(); ++e) {
    grid.ForEachCell(map.vertices[map.edges[e].from], map.vertices[map.edges[e].to],
                     [&](std::uint32_t cell) { pairs.push_back({cell, e}); });
  }
  return CellBuckets(std::size_t{grid.Columns()} * grid.Rows(), std::move(pairs));
}

RayShooter::RayShooter(const HalfEdgeMap& map, const std::vector<std::uint32_t>& lowest)
    : map_(map), lowest_(lowest), grid_(GridOver(map)), buckets_(BucketEdges(map, grid_)) {}

std::uint32_t RayShooter::Shoot(std::uint32_t v) const {
  const FixedPoint p = map_.vertices[v];
  const std::uint32_t column = grid_.Column(p.x);
  std::uint32_t best = kNone;
  EdgeHeight bestHeight{};
  for (std::int64_t row = grid_.Row(p.y); row >= 0; --row) {
    for (std::uint32_t e : buckets_.Items(grid_.Cell(column, static_cast<std::uint32_t>(row)))) {
      const NodedEdge& edge = map_.edges[e];
      const FixedPoint left = map_.vertices[edge.from], right = map_.vertices[edge.to];
      if (lowest_[edge.from] == lowest_[v] || !(left.x <= p.x && p.x < right.x)) continue;
      const EdgeHeight height = HeightAt(left, right, p.x);
      const EdgeHeight vertex{Int128{p.y}, 1, 0};
      if (!Higher(vertex, height)) continue;
      if (best == kNone || Higher(height, bestHeight)) best = e, bestHeight = height;
    }
    if (best != kNone && double(bestHeight.num) / double(bestHeight.den) >=
                             double(grid_.RowBottom(static_cast<std::uint32_t>(row))) + 1) {
      break;
    }
  }
  return best == kNone ? kNone : 2 * best;
}

// Faces: 0 is unbounded; every positive cycle opens a face; each component's outer cycle joins
// the face that contains the component.
void AssignFaces(HalfEdgeMap& map) {
  const auto cycleCount = static_cast<std::uint32_t>(map.cycleFirst.size());
  const std::vector<std::uint32_t> lowest = LowestOfComponents(map);
  std::vector<std::uint32_t> outerOfVertex(map.vertices.size(), kNone);  // per lowest vertex
  std::vector<std::uint32_t> componentOfCycle(cycleCount, kNone);
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    if (lowest[v] != v) continue;
    // All edges at the lowest-leftmost vertex point into [0, π); the last one has the outside
    // on its left.
    const std::uint32_t h = map.around[map.aroundBegin[v + 1] - 1];
    outerOfVertex[v] = map.cycle[h];
    componentOfCycle[map.cycle[h]] = v;
  }
  map.cycleFace.assign(cycleCount, kNone);
  std::uint32_t faces = 1;
  for (std::uint32_t c = 0; c < cycleCount; ++c) {
    if (componentOfCycle[c] == kNone) {
      assert(map.cycleArea2[c] > 0);
      map.cycleFace[c] = faces++;
    }
  }
  const RayShooter shooter(map, lowest);
  std::vector<std::uint32_t> hit(map.vertices.size(), kNone);
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    if (lowest[v] == v) hit[v] = shooter.Shoot(v);
  }
  std::vector<std::uint32_t> chain;
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    if (lowest[v] != v || map.cycleFace[outerOfVertex[v]] != kNone) continue;
    // Follow "inside the same face as" links down to a positive cycle or the unbounded face.
    std::uint32_t face = 0;
    for (std::uint32_t u = v;;) {
      chain.push_back(u);
      if (hit[u] == kNone) break;
      const std::uint32_t c = map.cycle[hit[u]];
      if (map.cycleFace[c] != kNone) {
        face = map.cycleFace[c];
        break;
      }
      u = componentOfCycle[c];
    }
    for (std::uint32_t u : chain) map.cycleFace[outerOfVertex[u]] = face;
    chain.clear();
  }
  map.faceCycleBegin.assign(faces + 1, 0);
  for (std::uint32_t c = 0; c < cycleCount; ++c) ++map.faceCycleBegin[map.cycleFace[c] + 1];
  std::partial_sum(map.faceCycleBegin.begin(), map.faceCycleBegin.end(), map.faceCycleBegin.begin());
  map.faceCycles.assign(cycleCount, 0);
  std::vector<std::uint32_t> fill(map.faceCycleBegin.begin(), map.faceCycleBegin.end() - 1);
  // Positive cycles first within each face: two passes.
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint32_t c = 0; c < cycleCount; ++c) {
      if ((componentOfCycle[c] == kNone) == (pass == 0)) map.faceCycles[fill[map.cycleFace[c]]++] = c;
    }
  }
}

}  // namespace

HalfEdgeMap BuildHalfEdges(NodedGraph graph) {
  HalfEdgeMap map;
  map.vertices = std::move(graph.vertices);
  map.edges = std::move(graph.edges);
  map.deltas = std::move(graph.deltas);
  SortAroundVertices(map);
  TraceCycles(map);
  AssignFaces(map);
  return map;
}

}  // namespace TesselFixed::Internal
