#pragma once
// Building the planar map of a document's content.

#include <docgraph/AttributeCreator.h>
#include <docgraph/GraphBase.h>
#include <tessel/Input.h>

namespace DocumentGraph::Detail {

// The map input of the objects under `visitable` (a content, or a single object) that the
// selection admits, asking `creator` for every attribute in drawing order. Coordinates are
// page millipoints. Throws std::invalid_argument naming the object for artwork the map cannot
// represent yet (strokes, text, image masks) when it is selected.
Tessel::Input MakeInput(const GraphBase::Options& options, MavDoc::Visitable& visitable,
                        const GraphBase::ObjectSelection& selection, AttributeCreator& creator);

// The map of the objects under `visitable` that the selection admits; fills `curveData`.
std::shared_ptr<const TesselFixed::Graph> CreateGraph(const GraphBase::Options& options,
                                                      MavDoc::Visitable& visitable,
                                                      const GraphBase::ObjectSelection& selection,
                                                      std::unique_ptr<CurveApprox::TData>& curveData,
                                                      AttributeCreator& creator);

}  // namespace DocumentGraph::Detail
