#include <flatten/FlattenedResult.h>

#include <docedit/DocumentEdit.h>
#include <flatten/PlaceNewObject.h>
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
  const Vexl::Rectangle working = WorkingRectangle(content);
  std::unique_ptr<AttributedGraph> graph;
  {
    const DocumentGraph::GraphBase::ObjectSelection selection{layerPredicate, selectionFlag,
                                                              objectPredicate, false};
    graph = BuildGraph<GraphAttributeCreator>(FlatteningOptions(working), content, selection);
  }
  const SamplingContext sampling = MakeSamplingContext(content, inkTypeStacking, std::nullopt);
  FillRasterizer rasterizer(graph.get(), &content, working, resolution, inkTypeStacking,
                            std::nullopt);
  rasterizer.gradientResolution = gradientResolution;
  std::vector<DocumentEdit::ObjectAndPosContainer> inserts;
  for (const RegionGroup& group : GroupRegionsByStack(*graph)) {
    auto object = CreateRegionObject(group, *graph, content, sampling, rasterizer);
    if (!object) continue;
    inserts.push_back(PlaceNewObject(std::move(object), group.fill, layerPredicate, selectionFlag,
                                     objectPredicate));
  }
  return ReplaceSelected(content, std::move(inserts), layerPredicate, selectionFlag, objectPredicate,
                         false);
}

}  // namespace Corvel
