#pragma once
// What a prepared environment holds. Private to the module.

#include <module/GraphEnvironment.h>
#include <mavdoc/Content.h>
#include <vexl/Geometry.h>

namespace Corvel {

struct GraphEnvironment::Impl {
  // The content the map was built from; not owned.
  MavDoc::Content* content = nullptr;
  // The planar map arrives with the graph-environment work; until then an environment holds
  // only what it was prepared from.
  Vexl::Rectangle bounds;
};

}  // namespace Corvel
