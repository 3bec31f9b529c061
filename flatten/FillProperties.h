#pragma once
// Properties of a fill read from its component tree.

#include <memory>
#include <optional>

#include <docgraph/Attributes.h>
#include <tessel/Fill.h>

namespace Corvel {

// The document object of the fill's bottom element under `group`: where a new object for the
// fill is placed.
const MavDoc::Blendable* FindObjectForSelection(const Tessel::TFill::TGroup& group);

// The halftone set of the fill's bottom element (a value even when that set is null); no value
// for a fill without elements.
std::optional<std::shared_ptr<MavDoc::HalftoneSet>> GetFillHalftoneSet(const Tessel::TFill* fill);

// An element painted with a flat colour over its whole shape (no picture, no coverage of its
// own, paint type 1).
bool IsFlatElement(const Tessel::TFill::TElement* element);
// Every element of the fill is flat (true for a fill without elements).
bool IsFlatFill(const Tessel::TFill& fill);

// The element attribute the flattening creator made for an element.
const DocumentGraph::ElementAttribute& AttributeOf(const Tessel::TFill::TElement& element);

}  // namespace Corvel
