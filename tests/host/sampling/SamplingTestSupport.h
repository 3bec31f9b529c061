#pragma once
// Documents mapped into a planar map, and their fills sampled by the picker and the scan
// converter. Coordinates are millipoints, y up.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <docgraph/AttributeCreator.h>
#include <docgraph/GraphBase.h>
#include <mavdoc/Builder.h>
#include <sampling/DocumentSamplePicker.h>
#include <sampling/ScanConverter.h>
#include <tessel/Graph.h>
#include <tests/TestRectangles.h>

namespace SamplingTest {

using CorvelTest::Box;

// The inks every test composites in, in print order: the process inks and one spot.
const std::vector<std::string>& Inks();

// A 100 × 100 pt page with the process inks and the spot "Spot1", whose artwork is mapped on
// request. The map refers to the document's objects: build the artwork first.
struct MappedPage {
  MappedPage();
  ~MappedPage();

  // Builds the planar map of everything on the page.
  void Map();
  const TesselFixed::Graph& Graph() const;
  // The fill with the most elements: for stacks of equal shapes, the overlap.
  const Tessel::TFill& DeepestFill() const;

  // The picker's composite of `fill` at `p`, one tint per ink of Inks().
  std::vector<float> Pick(const Tessel::TFill& fill, Vexl::Point p = {0, 0});
  // Rows of the scan converter over the page at one pixel per point: plane bytes per ink,
  // rows[y][c * 100 + x].
  std::vector<std::vector<std::uint8_t>> Scan(const Tessel::TFill& fill);

  MavDoc::Document document;
  MavDoc::Content& content;
  DocumentGraph::TransparentAttributeCreator::AttributeContainer attributes;
  std::unique_ptr<DocumentGraph::GraphBase> graph;
  DocumentSamplePicker::Options options;
  DocumentSamplePicker::Resources resources{1};
};

}  // namespace SamplingTest
