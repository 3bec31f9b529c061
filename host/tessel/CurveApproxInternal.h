#pragma once
// Recording of curve provenance during the build.

#include <tessel/CurveApprox.h>
#include <tessel/FlattenInternal.h>
#include <tessel/HalfEdgesInternal.h>

namespace CurveApprox {

struct TDataAccess {
  // Replaces the data's contents with the provenance of every edge of the map.
  static void Record(TData& data, const TesselFixed::Internal::HalfEdgeMap& map,
                     const TesselFixed::Internal::FlatInput& flat);
};

}  // namespace CurveApprox
