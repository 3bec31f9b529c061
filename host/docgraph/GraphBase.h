#pragma once
// The planar map of a document's content, and how it is asked for.

#include <functional>
#include <memory>
#include <optional>

#include <mavdoc/Layer.h>
#include <mavdoc/Objects.h>
#include <vexl/Geometry.h>

namespace CurveApprox {
class TData;
}
namespace TesselFixed {
class Graph;
}

namespace DocumentGraph {

// Holds a planar map and the curve data recorded while it was built.
class GraphBase {
 public:
  // How a map is built.
  struct Options {
    // True: fills carry their full component tree (groups and soft masks), as transparency
    // needs; false: elements only, every group treated as plain.
    bool transparency = true;
    // Curve flattening tolerance in points: the largest distance between a curve and the
    // chords that stand for it in the map (0.005 pt = 5 millipoints).
    double flatteningTolerance = 0.005;
    // Slivers narrower than this many points are kept as they come (0: no sliver treatment).
    // Only 0 is supported; other values throw std::invalid_argument.
    double sliverWidth = 0;
    // Bounds of the work in page millipoints. With `hint` false everything outside is cut
    // away; with true the bounds only size the map and artwork is kept whole.
    struct Bounds {
      Vexl::Rectangle rectangle;
      bool hint = false;
    };
    std::optional<Bounds> bounds;
  };

  // Which objects enter the map. An object is visible when the nearest layer around it
  // evaluates visible under `layerPredicate` (`selectionFlag` when no layer is around it), and
  // chosen when `objectPredicate` accepts it or a group (not a layer) around it. Visible chosen
  // objects enter the map; with `includeUnchosen` every visible object does.
  struct ObjectSelection {
    MavDoc::LayerPredicate layerPredicate;
    bool selectionFlag = true;
    std::function<bool(const MavDoc::ContentObject&)> objectPredicate;
    bool includeUnchosen = false;
  };

  GraphBase();
  virtual ~GraphBase();
  GraphBase(const GraphBase&) = delete;
  GraphBase& operator=(const GraphBase&) = delete;

  const std::shared_ptr<const TesselFixed::Graph>& GetTesselGraph() const { return graph_; }
  // The curve data of the build; throws std::logic_error when there is none.
  const CurveApprox::TData& GetCurveData() const;
  std::unique_ptr<CurveApprox::TData>& CurveDataOwner() { return curveData_; }
  void SetTesselGraph(std::shared_ptr<const TesselFixed::Graph> graph) { graph_ = std::move(graph); }

 private:
  std::unique_ptr<CurveApprox::TData> curveData_;
  std::shared_ptr<const TesselFixed::Graph> graph_;
};

}  // namespace DocumentGraph
