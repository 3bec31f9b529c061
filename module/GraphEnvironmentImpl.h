#pragma once
// What a prepared environment holds. Private to the module.

#include <graph/AttributedGraph.h>
#include <mavdoc/Content.h>
#include <module/GraphEnvironment.h>
#include <vexl/Geometry.h>

namespace Corvel {

struct GraphEnvironment::Impl {
  // The content the map was built from; not owned.
  MavDoc::Content* content = nullptr;
  std::unique_ptr<AttributedGraph> graph;
  // The working rectangle (not enlarged): the page box or the content's bounds.
  Vexl::Rectangle bounds;
};

}  // namespace Corvel
