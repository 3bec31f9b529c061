#include <docgraph/CreateGraph.h>

#include <tessel/CurveApprox.h>
#include <tessel/Graph.h>

namespace DocumentGraph::Detail {

namespace {

constexpr double kMillipointsPerPoint = 1000;

}  // namespace

std::shared_ptr<const TesselFixed::Graph> CreateGraph(const GraphBase::Options& options,
                                                      MavDoc::Visitable& visitable,
                                                      const GraphBase::ObjectSelection& selection,
                                                      std::unique_ptr<CurveApprox::TData>& curveData,
                                                      AttributeCreator& creator,
                                                      const InputFilter& filter) {
  Tessel::Input input = MakeInput(options, visitable, selection, creator);
  if (filter) input = filter(std::move(input));
  auto data = std::make_unique<CurveApprox::TData>();
  TesselFixed::BuildOptions build;
  build.toleranceInMillipoints = options.flatteningTolerance * kMillipointsPerPoint;
  auto graph = TesselFixed::Build(input, build, data.get());
  curveData = std::move(data);
  return graph;
}

}  // namespace DocumentGraph::Detail
