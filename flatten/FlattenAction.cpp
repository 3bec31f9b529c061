#include <flatten/FlattenedResult.h>

#include <docedit/DocumentEdit.h>
#include <flatten/ComplexityClusters.h>
#include <flatten/PlaceNewObject.h>
#include <flatten/SeamPlan.h>
#include <graph/GraphAttributeCreator.h>
#include <module/Exports.h>
#include <raster/ClusterRaster.h>

namespace Corvel {

std::vector<MavDoc::ContentObject*> FlattenAction(MavDoc::Content& content,
                                                  const LayerPredicate& layerPredicate,
                                                  bool selectionFlag,
                                                  const ObjectPredicate& objectPredicate,
                                                  bool inkTypeStacking, double resolution) {
  return FlattenAction(content, layerPredicate, selectionFlag, objectPredicate, inkTypeStacking,
                       resolution, resolution);
}

std::vector<MavDoc::ContentObject*> FlattenAction(MavDoc::Content& content,
                                                  const LayerPredicate& layerPredicate,
                                                  bool selectionFlag,
                                                  const ObjectPredicate& objectPredicate,
                                                  bool inkTypeStacking, double resolution,
                                                  double gradientResolution) {
  return FlattenAction(content, layerPredicate, selectionFlag, objectPredicate,
                       FlattenOptions{inkTypeStacking, resolution, gradientResolution, Seams::Abut});
}

std::vector<MavDoc::ContentObject*> FlattenAction(MavDoc::Content& content,
                                                  const LayerPredicate& layerPredicate,
                                                  bool selectionFlag,
                                                  const ObjectPredicate& objectPredicate,
                                                  const FlattenOptions& options) {
  const auto phase = [&options](std::string_view name, std::size_t done = 0, std::size_t total = 0) {
    if (options.reportPhase) options.reportPhase(name, done, total);
  };
  phase("mapping overlaps");
  const Vexl::Rectangle working = WorkingRectangle(content);
  std::unique_ptr<AttributedGraph> graph;
  // Clusters over the budget stay out of the map; `whole` keeps the input they are rendered from.
  Tessel::Input whole;
  std::vector<InputCluster> overBudget;
  {
    const DocumentGraph::GraphBase::ObjectSelection selection{layerPredicate, selectionFlag,
                                                              objectPredicate, false};
    const double budget = BalancedBudget(options.complexityBudget, options.balance);
    const auto keepWithinBudget = [&](Tessel::Input input) {
      std::vector<bool> removed(input.GetNodes().size(), false);
      for (InputCluster& cluster : FindInputClusters(input)) {
        if (cluster.cost <= budget) continue;
        for (const std::uint32_t e : cluster.elements) removed[e] = true;
        overBudget.push_back(std::move(cluster));
      }
      if (overBudget.empty()) return input;
      whole = std::move(input);
      return InputWithout(whole, removed);
    };
    graph = BuildGraph<GraphAttributeCreator>(FlatteningOptions(working), content, selection,
                                              keepWithinBudget);
  }
  const SamplingContext sampling =
      MakeSamplingContext(content, options.inkTypeStacking, std::nullopt);
  FillRasterizer rasterizer(graph.get(), &content, working, options.resolution,
                            options.inkTypeStacking, std::nullopt);
  rasterizer.gradientResolution = options.gradientResolution;
  rasterizer.renderTasks = options.renderTasks;
  rasterizer.maxRenderedSamples = options.maxRenderedSamples;
  rasterizer.warnings = options.warnings;
  const std::vector<RegionGroup> groups = GroupRegionsByStack(*graph);
  if (options.seams == Seams::None) phase("planning seams");
  const std::optional<SeamPlan> seams =
      options.seams == Seams::None ? std::make_optional<SeamPlan>(*graph, groups, sampling)
                                   : std::nullopt;
  std::vector<DocumentEdit::ObjectAndPosContainer> inserts;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    phase("making pieces", g, groups.size());
    const SeamReach reach = seams ? seams->Reach(g) : SeamReach{};
    auto object = CreateRegionObject(groups[g], *graph, content, sampling, rasterizer, reach);
    if (!object) continue;
    inserts.push_back(PlaceNewObject(std::move(object), groups[g].fill, layerPredicate,
                                     selectionFlag, objectPredicate));
  }
  for (std::size_t c = 0; c < overBudget.size(); ++c) {
    const InputCluster& cluster = overBudget[c];
    phase("rendering clusters", c, overBudget.size());
    auto object = RasterizeCluster(rasterizer, whole, cluster.elements, options.gradientResolution);
    if (!object) continue;
    // Placed where the cluster's bottom object was, as a mapped stack's piece is.
    const Tessel::TFill stack = Tessel::MakeFillOfElements(whole, cluster.elements);
    inserts.push_back(PlaceNewObject(std::move(object), &stack, layerPredicate, selectionFlag,
                                     objectPredicate));
    if (options.rasterisedClusters)
      options.rasterisedClusters->push_back({cluster.elements.size(), cluster.cost, cluster.bounds});
  }
  return ReplaceSelected(content, std::move(inserts), layerPredicate, selectionFlag, objectPredicate,
                         false);
}

}  // namespace Corvel
