#include <graph/AttributedGraph.h>

#include <graph/GraphAttributeCreator.h>
#include <mavdoc/Placement.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>

namespace Corvel {

namespace {

// The map reaches this far beyond the working rectangle so that regions touching its edge
// close outside it.
constexpr double kBoundsMargin = 1000;

}  // namespace

Vexl::Rectangle WorkingRectangle(const MavDoc::Content& content) {
  if (content.GetType() == MavDoc::Content::kPageContent) {
    return static_cast<const MavDoc::PageContent&>(content).GetPage().GetPageBox(
        MavDoc::kMediaBox);
  }
  return MavDoc::GetBoundingBox(content, MavDoc::kStrokes | MavDoc::kPageCoordinates);
}

DocumentGraph::GraphBase::Options FlatteningOptions(const Vexl::Rectangle& working) {
  DocumentGraph::GraphBase::Options options;
  options.transparency = true;
  options.flatteningTolerance = 0.005;
  options.sliverWidth = 0;
  options.bounds = DocumentGraph::GraphBase::Options::Bounds{
      {working.x - kBoundsMargin, working.y - kBoundsMargin, working.width + 2 * kBoundsMargin,
       working.height + 2 * kBoundsMargin, false},
      false};
  return options;
}

GraphEnvironment PrepareGraphEnvironment(MavDoc::Content& content,
                                         const LayerPredicate& layerPredicate, bool selectionFlag,
                                         const ObjectPredicate& objectPredicate) {
  const Vexl::Rectangle working = WorkingRectangle(content);
  const auto options = FlatteningOptions(working);
  std::unique_ptr<AttributedGraph> graph;
  {
    // The predicates are consulted during the build only; their copies go with this scope.
    const DocumentGraph::GraphBase::ObjectSelection selection{layerPredicate, selectionFlag,
                                                              objectPredicate, false};
    graph = BuildGraph<GraphAttributeCreator>(options, content, selection);
  }
  auto impl = std::make_unique<GraphEnvironment::Impl>();
  impl->content = &content;
  impl->graph = std::move(graph);
  impl->bounds = working;
  return GraphEnvironment(std::move(impl));
}

}  // namespace Corvel
