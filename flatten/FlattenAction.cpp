#include <flatten/FlattenedResult.h>

#include <docedit/DocumentEdit.h>
#include <flatten/PlaceNewObject.h>
#include <flatten/SeamExtension.h>
#include <graph/GraphAttributeCreator.h>
#include <module/Exports.h>

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
  const Vexl::Rectangle working = WorkingRectangle(content);
  std::unique_ptr<AttributedGraph> graph;
  {
    const DocumentGraph::GraphBase::ObjectSelection selection{layerPredicate, selectionFlag,
                                                              objectPredicate, false};
    graph = BuildGraph<GraphAttributeCreator>(FlatteningOptions(working), content, selection);
  }
  const SamplingContext sampling =
      MakeSamplingContext(content, options.inkTypeStacking, std::nullopt);
  FillRasterizer rasterizer(graph.get(), &content, working, options.resolution,
                            options.inkTypeStacking, std::nullopt);
  rasterizer.gradientResolution = options.gradientResolution;
  const std::vector<RegionGroup> groups = GroupRegionsByStack(*graph);
  const PieceOrder order(*graph, groups);
  std::vector<DocumentEdit::ObjectAndPosContainer> inserts;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const RegionTest paintedLater = options.seams == Seams::None ? order.LaterThan(g) : RegionTest{};
    auto object = CreateRegionObject(groups[g], *graph, content, sampling, rasterizer, paintedLater);
    if (!object) continue;
    inserts.push_back(PlaceNewObject(std::move(object), groups[g].fill, layerPredicate,
                                     selectionFlag, objectPredicate));
  }
  return ReplaceSelected(content, std::move(inserts), layerPredicate, selectionFlag, objectPredicate,
                         false);
}

}  // namespace Corvel
