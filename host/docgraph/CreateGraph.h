#pragma once
// Building the planar map of a document's content.

#include <docgraph/AttributeCreator.h>
#include <docgraph/GraphBase.h>
#include <tessel/Input.h>

#include <functional>

namespace DocumentGraph::Detail {

// The map input of the objects under `visitable` (a content, or a single object) that the
// selection admits, asking `creator` for every attribute in drawing order. Coordinates are
// page millipoints. Throws std::invalid_argument naming the object for artwork the map cannot
// represent yet (strokes, text, image masks) when it is selected.
Tessel::Input MakeInput(const GraphBase::Options& options, MavDoc::Visitable& visitable,
                        const GraphBase::ObjectSelection& selection, AttributeCreator& creator);

// What of the input enters the map: given the whole input, returns the part to map (the
// caller may keep the whole, e.g. to render elsewhere what it leaves out).
using InputFilter = std::function<Tessel::Input(Tessel::Input)>;

// The map of the objects under `visitable` that the selection admits (and `filter`, when
// given, keeps); fills `curveData`.
std::shared_ptr<const TesselFixed::Graph> CreateGraph(const GraphBase::Options& options,
                                                      MavDoc::Visitable& visitable,
                                                      const GraphBase::ObjectSelection& selection,
                                                      std::unique_ptr<CurveApprox::TData>& curveData,
                                                      AttributeCreator& creator,
                                                      const InputFilter& filter = {});

}  // namespace DocumentGraph::Detail
