#include <docedit/DocumentEdit.h>
#include <flatten/FillProperties.h>
#include <flatten/PlaceNewObject.h>
#include <graph/AttributedGraph.h>
#include <module/Exports.h>
#include <outline/GroupReconstruction.h>
#include <outline/RegionsPerFill.h>

namespace Corvel {

namespace {


std::unique_ptr<MavDoc::ContentObject> FlatPath(const RegionResult& result,
                                                const MavDoc::Content& content,
                                                std::shared_ptr<MavDoc::HalftoneSet> halftone) {
  auto path = std::make_unique<MavDoc::Path>(result.outline);
  path->SetFillPaint(MavPaint::FlatPaint::Factory(std::get<MavColor::Color>(result.colour),
                                                  content.GetDocument(), nullptr)
                         .Get());
  path->SetHalftoneSet(std::move(halftone));
  return path;
}

std::unique_ptr<MavDoc::ContentObject> Rebuilt(const RegionResult& result,
                                               const MavDoc::Content& content) {
  RebuildContext context(content.GetDocument(), result.outline);
  RebuildComponents(context, result.fill->GetTopGroup());
  if (context.objects.size() == 1 && !context.needsClip) return std::move(context.objects.front());
  auto group = std::make_unique<MavDoc::Group>(kNewGroupFlags);
  if (context.objects.size() != 1) group->SetTransparency(MavBlend::Transparency::GetDefault());
  if (context.needsClip) {
    auto clip = std::make_unique<MavDoc::Path>(result.outline);
    clip->SetClippingObject(true);
    group->AddOnTop(std::move(clip));
  }
  for (auto& object : context.objects) group->AddOnTop(std::move(object));
  return group;
}

std::unique_ptr<MavDoc::ContentObject> MakeObject(const RegionResult& result,
                                                  const MavDoc::Content& content) {
  if (std::holds_alternative<MavColor::Color>(result.colour)) {
    if (auto halftone = GetFillHalftoneSet(result.fill)) return FlatPath(result, content, *halftone);
  }
  return Rebuilt(result, content);
}

}  // namespace

std::vector<MavDoc::ContentObject*> OptimizeForOutlineViewAction(
    MavDoc::Content& content, const LayerPredicate& layerPredicate, bool selectionFlag,
    const ObjectPredicate& objectPredicate) {
  DocumentGraph::GraphBase::Options options = FlatteningOptions(WorkingRectangle(content));
  options.bounds.reset();
  std::unique_ptr<AttributedGraph> graph;
  {
    const DocumentGraph::GraphBase::ObjectSelection selection{layerPredicate, selectionFlag,
                                                              objectPredicate, false};
    graph = BuildGraph<DocumentGraph::TransparentAttributeCreator>(options, content, selection);
  }
  std::vector<DocumentEdit::ObjectAndPosContainer> inserts;
  for (const RegionResult& result : GetRegionsPerFill(content, *graph)) {
    inserts.push_back(PlaceNewObject(MakeObject(result, content), result.fill, layerPredicate,
                                     selectionFlag, objectPredicate));
  }
  return ReplaceSelected(content, std::move(inserts), layerPredicate, selectionFlag, objectPredicate,
                         true);
}

}  // namespace Corvel
