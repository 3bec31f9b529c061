#include <tessel/Envelope.h>

#include <algorithm>
#include <array>

#include <tessel/EdgeHints.h>
#include <tessel/GraphInternal.h>

namespace TesselFixed {

using Internal::HalfEdgeMap;

template <class Loops>
Envelope Envelope::FromLoops(const std::shared_ptr<const Graph>& graph, const Loops& loops) {
  Envelope envelope;
  envelope.graph_ = graph;
  const Internal::GraphData& data = graph->Data();
  for (std::size_t i = 0; i < loops.Count(); ++i) {
    for (std::uint32_t k = loops.begin[i]; k < loops.begin[i + 1]; ++k) {
      envelope.vertices_.push_back(data.map.Origin(loops.halfEdges[k]));
      envelope.halfEdges_.push_back(loops.halfEdges[k]);
    }
    envelope.loopBegin_.push_back(static_cast<std::uint32_t>(envelope.vertices_.size()));
    envelope.loopArea_.push_back(Internal::AreaInMillipoints(loops.area2[i]));
  }
  return envelope;
}

Envelope Envelope::Create(const std::shared_ptr<const Graph>& graph,
                          const std::function<bool(const Region*)>& predicate) {
  const Internal::GraphData& data = graph->Data();
  std::vector<bool> member(data.regions.size());
  for (std::size_t r = 0; r < data.regions.size(); ++r) member[r] = predicate(&data.regions[r]);
  return FromLoops(graph, Internal::TraceLoops(data.map, [&](std::uint32_t h) {
    return member[data.RegionOf(h)] && !member[data.RegionOf(HalfEdgeMap::Twin(h))];
  }));
}

Envelope Envelope::Create(const std::shared_ptr<const Graph>& graph,
                          std::span<const Region* const> members) {
  const Internal::GraphData& data = graph->Data();
  // Groups have few regions: a sorted list is the quickest membership test.
  std::vector<std::uint32_t> member;
  std::vector<std::uint32_t> candidates;
  for (const Region* region : members) {
    member.push_back(region->GetIndex());
    for (const Contour& contour : region->GetContours()) {
      const auto halfEdges = Internal::RegionAccess::ContourHalfEdges(contour);
      candidates.insert(candidates.end(), halfEdges.begin(), halfEdges.end());
    }
  }
  std::sort(member.begin(), member.end());
  const auto isMember = [&](std::uint32_t region) {
    return std::binary_search(member.begin(), member.end(), region);
  };
  return FromLoops(graph, Internal::TraceLoopsFrom(data.map, [&](std::uint32_t h) {
    return isMember(data.RegionOf(h)) && !isMember(data.RegionOf(HalfEdgeMap::Twin(h)));
  }, candidates));
}

std::vector<Vexl::Point> Envelope::GetLoop(std::size_t i) const {
  std::vector<Vexl::Point> points;
  for (std::uint32_t k = loopBegin_.at(i); k < loopBegin_.at(i + 1); ++k) {
    points.push_back(Internal::ToMillipoints(graph_->Data().map.vertices[vertices_[k]]));
  }
  return points;
}

double Envelope::GetArea() const {
  double area = 0;
  for (double loop : loopArea_) area += loop;
  return area;
}

namespace {

// Border walks jump around the map's arrays, and most contours are short (17 half-edges on
// average on a busy page), so a fixed look-ahead would rarely start in time. Points go out in
// batches instead: the batch's records are all requested first, then read, so their loads
// overlap instead of waiting on memory one by one.
constexpr std::size_t kBatch = 64;

// Sends the points of one batch: the origin vertex of each half-edge (`origins`), requested
// first. The loop's first point is a MoveTo.
void SendBatch(const std::vector<Internal::FixedPoint>& vertices,
               std::span<const std::uint32_t> halfEdges, std::span<const std::uint32_t> origins,
               bool startsLoop, ADT::TVectorContourEngine& engine, EdgeHintSink* hints) {
  for (const std::uint32_t vertex : origins) __builtin_prefetch(&vertices[vertex]);
  for (std::size_t k = 0; k < origins.size(); ++k) {
    if (hints) hints->NextEdge(halfEdges[k], origins[k]);
    const Vexl::Point p = Internal::ToMillipoints(vertices[origins[k]]);
    if (startsLoop && k == 0) {
      engine.MoveTo(p);
    } else {
      engine.LineTo(p);
    }
  }
}

// A region's half-edges give their vertices through their edges, which are requested first.
void FeedHalfEdges(const Internal::HalfEdgeMap& map, std::span<const std::uint32_t> halfEdges,
                   ADT::TVectorContourEngine& engine, EdgeHintSink* hints) {
  std::array<std::uint32_t, kBatch> origins;
  for (std::size_t start = 0; start < halfEdges.size(); start += kBatch) {
    const auto batch = halfEdges.subspan(start, std::min(kBatch, halfEdges.size() - start));
    for (const std::uint32_t halfEdge : batch) __builtin_prefetch(&map.edges[halfEdge >> 1]);
    for (std::size_t k = 0; k < batch.size(); ++k) origins[k] = map.Origin(batch[k]);
    SendBatch(map.vertices, batch, std::span(origins).first(batch.size()), start == 0, engine,
              hints);
  }
}

}  // namespace

void FeedToEngine(const Region& region, ADT::TVectorContourEngine& engine, bool includeHoles) {
  auto* hints = dynamic_cast<EdgeHintSink*>(&engine);
  for (const Contour& contour : region.GetContours()) {
    if (!includeHoles && !contour.IsOuter()) continue;
    const auto halfEdges = Internal::RegionAccess::ContourHalfEdges(contour);
    if (halfEdges.empty()) continue;
    FeedHalfEdges(Internal::RegionAccess::DataOf(contour).map, halfEdges, engine, hints);
    engine.Close();
  }
}

void FeedToEngine(const Envelope& envelope, ADT::TVectorContourEngine& engine, bool includeHoles) {
  auto* hints = dynamic_cast<EdgeHintSink*>(&engine);
  const auto& vertices = envelope.graph_->Data().map.vertices;
  for (std::size_t i = 0; i < envelope.NLoops(); ++i) {
    if (!includeHoles && envelope.loopArea_[i] < 0) continue;
    const std::size_t begin = envelope.loopBegin_[i], end = envelope.loopBegin_[i + 1];
    // The envelope holds its loops' vertex indices already.
    for (std::size_t start = begin; start < end; start += kBatch) {
      const std::size_t count = std::min(kBatch, end - start);
      SendBatch(vertices, std::span(envelope.halfEdges_).subspan(start, count),
                std::span(envelope.vertices_).subspan(start, count), start == begin, engine,
                hints);
    }
    engine.Close();
  }
}

}  // namespace TesselFixed
