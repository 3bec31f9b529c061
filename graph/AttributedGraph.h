#pragma once
// The planar map of one flattening run with the attributes made for it.

#include <type_traits>
#include <memory>

#include <docgraph/AttributeCreator.h>
#include <docgraph/CreateGraph.h>
#include <docgraph/GraphBase.h>

namespace Corvel {

// Owns the map, its curve data and every attribute the map refers to. The attributes go first
// (soft masks, groups, elements), then the map. Must not outlive the content it was built
// from; never copied or moved.
class AttributedGraph : public DocumentGraph::GraphBase {
 public:
  using AttributeContainer = DocumentGraph::TransparentAttributeCreator::AttributeContainer;

  AttributeContainer& GetAttributes() { return attributes_; }
  const AttributeContainer& GetAttributes() const { return attributes_; }

 private:
  AttributeContainer attributes_;
};

// The map of `content` under the selection, built with a creator of class `Creator` (made
// over the graph's container with the creator flag true, and dropped after the build); with
// `filter`, of the part of the input it keeps.
template <class Creator>
std::unique_ptr<AttributedGraph> BuildGraph(const DocumentGraph::GraphBase::Options& options,
                                            MavDoc::Content& content,
                                            const DocumentGraph::GraphBase::ObjectSelection& selection,
                                            const DocumentGraph::Detail::InputFilter& filter = {}) {
  auto graph = std::make_unique<AttributedGraph>();
  // Creators that share attributes need the selection to know where new objects will stand.
  auto creator = [&] {
    if constexpr (std::is_constructible_v<Creator, AttributedGraph::AttributeContainer&, bool,
                                          const DocumentGraph::GraphBase::ObjectSelection*>) {
      return Creator(graph->GetAttributes(), true, &selection);
    } else {
      return Creator(graph->GetAttributes(), true);
    }
  }();
  graph->SetTesselGraph(DocumentGraph::Detail::CreateGraph(options, content, selection,
                                                           graph->CurveDataOwner(), creator, filter));
  return graph;
}

// The working rectangle of a content: its page's box for a page content, else the bounds of
// what it paints, in page coordinates.
Vexl::Rectangle WorkingRectangle(const MavDoc::Content& content);

// The build options every flattening build uses, with bounds reaching 1000 millipoints beyond
// `working` on every side.
DocumentGraph::GraphBase::Options FlatteningOptions(const Vexl::Rectangle& working);

}  // namespace Corvel
