#include <docgraph/GraphBase.h>

#include <stdexcept>

#include <tessel/CurveApprox.h>
#include <tessel/Graph.h>

namespace DocumentGraph {

GraphBase::GraphBase() = default;

GraphBase::~GraphBase() = default;

const CurveApprox::TData& GraphBase::GetCurveData() const {
  if (!curveData_) throw std::logic_error("Planar map without curve data");
  return *curveData_;
}

}  // namespace DocumentGraph
