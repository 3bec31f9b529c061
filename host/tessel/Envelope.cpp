#include <tessel/Envelope.h>

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
  std::unordered_set<std::uint32_t> member;
  std::vector<std::uint32_t> candidates;
  for (const Region* region : members) {
    member.insert(region->GetIndex());
    for (const Contour& contour : region->GetContours()) {
      for (const Border& border : contour.GetBorders()) {
        const auto halfEdges = Internal::RegionAccess::BorderHalfEdges(data, border);
        candidates.insert(candidates.end(), halfEdges.begin(), halfEdges.end());
      }
    }
  }
  return FromLoops(graph, Internal::TraceLoopsFrom(data.map, [&](std::uint32_t h) {
    return member.count(data.RegionOf(h)) && !member.count(data.RegionOf(HalfEdgeMap::Twin(h)));
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

void FeedToEngine(const Region& region, ADT::TVectorContourEngine& engine, bool includeHoles) {
  auto* hints = dynamic_cast<EdgeHintSink*>(&engine);
  for (const Contour& contour : region.GetContours()) {
    if (!includeHoles && !contour.IsOuter()) continue;
    bool first = true;
    for (const Border& border : contour.GetBorders()) {
      const Internal::GraphData& data = Internal::RegionAccess::DataOf(border);
      const auto halfEdges = Internal::RegionAccess::BorderHalfEdges(data, border);
      // The last point of each border is the first of the next; the loop closes by Close().
      for (const std::uint32_t halfEdge : halfEdges) {
        const std::uint32_t vertex = data.map.Origin(halfEdge);
        if (hints) hints->NextEdge(halfEdge, vertex);
        const Vexl::Point p = Internal::ToMillipoints(data.map.vertices[vertex]);
        if (first) {
          engine.MoveTo(p);
          first = false;
        } else {
          engine.LineTo(p);
        }
      }
    }
    if (!first) engine.Close();
  }
}

void FeedToEngine(const Envelope& envelope, ADT::TVectorContourEngine& engine, bool includeHoles) {
  auto* hints = dynamic_cast<EdgeHintSink*>(&engine);
  const auto& vertices = envelope.graph_->Data().map.vertices;
  for (std::size_t i = 0; i < envelope.NLoops(); ++i) {
    if (!includeHoles && envelope.loopArea_[i] < 0) continue;
    for (std::uint32_t k = envelope.loopBegin_[i]; k < envelope.loopBegin_[i + 1]; ++k) {
      if (hints) hints->NextEdge(envelope.halfEdges_[k], envelope.vertices_[k]);
      const Vexl::Point p = Internal::ToMillipoints(vertices[envelope.vertices_[k]]);
      if (k == envelope.loopBegin_[i]) {
        engine.MoveTo(p);
      } else {
        engine.LineTo(p);
      }
    }
    engine.Close();
  }
}

}  // namespace TesselFixed
