// Regions: faces joined across edges whose sides have the same coverage, their contours and
// borders.

#include <algorithm>
#include <numeric>
#include <tuple>

#include <tessel/GraphInternal.h>

namespace TesselFixed::Internal {

namespace {

// Region index per face, in the order of GetRegions: by fill number, then lowest face.
std::uint32_t AssignFaceRegions(GraphData& data, const std::vector<std::uint32_t>& fillNumber) {
  const HalfEdgeMap& map = data.map;
  const std::uint32_t faceCount = map.FaceCount();
  std::vector<std::uint32_t> parent(faceCount);
  std::iota(parent.begin(), parent.end(), 0u);
  for (std::uint32_t e = 0; e < map.edges.size(); ++e) {
    const std::uint32_t f = map.Face(2 * e), g = map.Face(2 * e + 1);
    if (data.coverage.faceKey[f] != data.coverage.faceKey[g]) continue;
    const std::uint32_t a = FindRoot(parent, f), b = FindRoot(parent, g);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
  std::vector<std::tuple<std::uint32_t, std::uint32_t>> order;  // (fill number, root face)
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    if (FindRoot(parent, f) == f) order.emplace_back(fillNumber[data.coverage.keyFill[data.coverage.faceKey[f]]], f);
  }
  std::sort(order.begin(), order.end());
  std::vector<std::uint32_t> regionOfRoot(faceCount, kNone);
  for (std::uint32_t r = 0; r < order.size(); ++r) regionOfRoot[std::get<1>(order[r])] = r;
  data.faceRegion.resize(faceCount);
  for (std::uint32_t f = 0; f < faceCount; ++f) data.faceRegion[f] = regionOfRoot[FindRoot(parent, f)];
  return static_cast<std::uint32_t>(order.size());
}

// Number of region-boundary edges at each vertex; a vertex where it is not 2 is a node.
std::vector<std::uint32_t> BoundaryDegrees(const GraphData& data) {
  std::vector<std::uint32_t> degree(data.map.vertices.size(), 0);
  for (std::uint32_t e = 0; e < data.map.edges.size(); ++e) {
    if (data.RegionOf(2 * e) != data.RegionOf(2 * e + 1)) ++degree[data.map.edges[e].from], ++degree[data.map.edges[e].to];
  }
  return degree;
}

// Index within the loop where it starts: the node with the lowest vertex (then lowest
// half-edge); a loop without nodes starts at its lowest vertex.
std::uint32_t LoopStart(const GraphData& data, std::span<const std::uint32_t> loop, const std::vector<std::uint32_t>& degree) {
  const auto key = [&](std::uint32_t i) {
    const std::uint32_t v = data.map.Origin(loop[i]);
    return std::make_tuple(degree[v] == 2, v, loop[i]);
  };
  std::uint32_t best = 0;
  for (std::uint32_t i = 1; i < loop.size(); ++i) {
    if (key(i) < key(best)) best = i;
  }
  return best;
}

struct LoopOrder {
  std::uint32_t region;
  bool hole;
  std::uint32_t startVertex;
  std::uint32_t loop;
  std::uint32_t start;  // index within the loop
  friend bool operator<(const LoopOrder& a, const LoopOrder& b) {
    return std::tie(a.region, a.hole, a.startVertex, a.loop) < std::tie(b.region, b.hole, b.startVertex, b.loop);
  }
};

}  // namespace

void RegionAccess::BuildRegions(GraphData& data, const std::vector<std::uint32_t>& fillNumber) {
  const HalfEdgeMap& map = data.map;
  const std::uint32_t regionCount = AssignFaceRegions(data, fillNumber);
  const Loops loops = TraceLoops(map, [&](std::uint32_t h) { return data.RegionOf(h) != data.RegionOf(HalfEdgeMap::Twin(h)); });
  const std::vector<std::uint32_t> degree = BoundaryDegrees(data);
  std::vector<LoopOrder> order;
  for (std::uint32_t i = 0; i < loops.Count(); ++i) {
    const std::span<const std::uint32_t> loop(loops.halfEdges.data() + loops.begin[i], loops.begin[i + 1] - loops.begin[i]);
    const std::uint32_t start = LoopStart(data, loop, degree);
    order.push_back({data.RegionOf(loop[0]), loops.area2[i] < 0, map.Origin(loop[start]), i, start});
  }
  std::sort(order.begin(), order.end());
  // Borders and contours as index ranges first; pointers once the vectors stop growing.
  std::vector<std::uint32_t> contourBorderBegin{0}, regionContourBegin(regionCount + 1, 0);
  std::vector<double> contourArea;
  data.halfEdgeBorder.assign(map.next.size(), kNone);
  for (const LoopOrder& entry : order) {
    const std::uint32_t* loop = loops.halfEdges.data() + loops.begin[entry.loop];
    const std::uint32_t size = loops.begin[entry.loop + 1] - loops.begin[entry.loop];
    for (std::uint32_t k = 0; k < size; ++k) {
      const std::uint32_t h = loop[(entry.start + k) % size];
      const bool split = k == 0 || degree[map.Origin(h)] != 2 ||
                         data.RegionOf(HalfEdgeMap::Twin(h)) != data.borders.back().right_;
      if (split) {
        Border border;
        border.data_ = &data;
        border.firstHalfEdge_ = static_cast<std::uint32_t>(data.borderHalfEdges.size());
        border.left_ = entry.region;
        border.right_ = data.RegionOf(HalfEdgeMap::Twin(h));
        data.borders.push_back(border);
      }
      data.halfEdgeBorder[h] = static_cast<std::uint32_t>(data.borders.size() - 1);
      data.borderHalfEdges.push_back(h);
      ++data.borders.back().halfEdgeCount_;
    }
    contourBorderBegin.push_back(static_cast<std::uint32_t>(data.borders.size()));
    contourArea.push_back(AreaInMillipoints(loops.area2[entry.loop]));
    ++regionContourBegin[entry.region + 1];
  }
  std::partial_sum(regionContourBegin.begin(), regionContourBegin.end(), regionContourBegin.begin());
  data.contours.resize(contourArea.size());
  for (std::size_t c = 0; c < data.contours.size(); ++c) {
    data.contours[c].begin_ = data.borders.data() + contourBorderBegin[c];
    data.contours[c].end_ = data.borders.data() + contourBorderBegin[c + 1];
    data.contours[c].area_ = contourArea[c];
    data.contours[c].data_ = &data;
    const Border& first = *data.contours[c].begin_;
    const Border& last = *(data.contours[c].end_ - 1);
    data.contours[c].firstHalfEdge_ = first.firstHalfEdge_;
    data.contours[c].halfEdgeCount_ = last.firstHalfEdge_ + last.halfEdgeCount_ - first.firstHalfEdge_;
  }
  data.regions.resize(regionCount);
  data.regionList.resize(regionCount);
  const std::uint32_t unbounded = data.faceRegion[0];
  std::vector<std::uint32_t> firstFace(regionCount, kNone);
  for (std::uint32_t f = map.FaceCount(); f-- > 0;) firstFace[data.faceRegion[f]] = f;
  for (std::uint32_t r = 0; r < regionCount; ++r) {
    Region& region = data.regions[r];
    region.index_ = r;
    region.unbounded_ = r == unbounded;
    region.begin_ = data.contours.data() + regionContourBegin[r];
    region.end_ = data.contours.data() + regionContourBegin[r + 1];
    region.fill_ = &data.fills[fillNumber[data.coverage.keyFill[data.coverage.faceKey[firstFace[r]]]]];
    if (!region.unbounded_) {
      for (const Contour& contour : region.GetContours()) region.area_ += contour.GetArea();
    }
    data.regionList[r] = &region;
  }
}

}  // namespace TesselFixed::Internal
