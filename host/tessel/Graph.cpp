#include <tessel/Graph.h>

#include <tessel/GraphInternal.h>

namespace TesselFixed {

const Region* Border::GetLeftSide() const { return &data_->regions[left_]; }

const Region* Border::GetRightSide() const { return &data_->regions[right_]; }

Vexl::Point Border::GetPoint(std::size_t i) const {
  const std::uint32_t last = firstHalfEdge_ + halfEdgeCount_ - 1;
  const std::uint32_t vertex = i < halfEdgeCount_ ? data_->map.Origin(data_->borderHalfEdges.at(firstHalfEdge_ + i))
                                                  : data_->map.Target(data_->borderHalfEdges.at(last));
  return Internal::ToMillipoints(data_->map.vertices[vertex]);
}

Graph::Graph(PassKey, std::unique_ptr<Internal::GraphData> data) : data_(std::move(data)) {}

Graph::~Graph() = default;

const std::vector<const Region*>& Graph::GetRegions() const { return data_->regionList; }

int Graph::NFills() const { return static_cast<int>(data_->fills.size()); }

const Tessel::TFill& Graph::GetFill(int number) const { return data_->fills.at(static_cast<std::size_t>(number)); }

}  // namespace TesselFixed
