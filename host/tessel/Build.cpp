// The build of a planar map: flatten → node → half-edges → coverage → fills → regions.

#include <algorithm>
#include <numeric>
#include <span>

#include <tessel/CurveApprox.h>
#include <tessel/CurveApproxInternal.h>
#include <tessel/FillInternal.h>
#include <tessel/Graph.h>
#include <tessel/GraphInternal.h>

namespace TesselFixed {

namespace {

// Stacking order of element sets: compared from the top element down, a set whose element is
// painted later is higher; a set that runs out first is lower.
bool StackLower(std::span<const std::uint32_t> a, std::span<const std::uint32_t> b) {
  auto i = a.rbegin(), j = b.rbegin();
  for (; i != a.rend() && j != b.rend(); ++i, ++j) {
    if (*i != *j) return *i < *j;
  }
  return i == a.rend() && j != b.rend();
}

// TFill objects by number; returns the number of each coverage fill.
std::vector<std::uint32_t> MakeFills(Internal::GraphData& data, const Tessel::Input& input) {
  const Internal::Coverage& coverage = data.coverage;
  std::vector<std::uint32_t> order(coverage.FillCount());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return StackLower(coverage.FillElements(a), coverage.FillElements(b)); });
  std::vector<std::uint32_t> number(order.size());
  data.fills.reserve(order.size());
  for (std::uint32_t n = 0; n < order.size(); ++n) {
    number[order[n]] = n;
    data.fills.push_back(Tessel::FillAccess::Make(input, coverage.FillElements(order[n])));
    Tessel::FillAccess::SetNumber(data.fills.back(), static_cast<int>(n));
  }
  return number;
}

}  // namespace

std::shared_ptr<const Graph> Build(const Tessel::Input& input, const BuildOptions& options, CurveApprox::TData* curveData) {
  const Internal::FlatInput flat = Internal::FlattenInput(input, options.toleranceInMillipoints);
  auto data = std::make_unique<Internal::GraphData>();
  data->map = Internal::BuildHalfEdges(Internal::NodeChords(flat.chords));
  data->coverage = Internal::ComputeCoverage(data->map, flat, input);
  const std::vector<std::uint32_t> fillNumber = MakeFills(*data, input);
  data->coverage.fillElements = {};  // the fills hold them now
  data->coverage.fillBegin = {};
  Internal::RegionAccess::BuildRegions(*data, fillNumber);
  if (curveData) CurveApprox::TDataAccess::Record(*curveData, data->map, flat);
  return std::make_shared<const Graph>(Graph::PassKey{}, std::move(data));
}

}  // namespace TesselFixed
