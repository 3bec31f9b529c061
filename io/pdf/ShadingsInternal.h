#pragma once
// Shadings (axial, radial, function-based, meshes) and the shading patterns that paint them
// through a fill or stroke colour.

#include <io/pdf/WriterStateInternal.h>
#include <values/Paint.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace CorvelPdf::Detail {

// The shading dictionary in the shading's own space (points), written once per paint. Its
// colour space holds the separations its function's outputs (or its mesh vertices' components)
// are mapped to, in order. Throws std::invalid_argument naming `where` for an axial or radial
// shading without a function or an output that no separation is mapped to.
QPDFObjectHandle WriteShading(WriterState& state, const MavPaint::ShadingPaint& shading,
                              const std::string& where);

// A shading pattern painting `shading` for an object whose space maps to the stream's base
// space by `objectToStream` (millipoints). Carries the shading's background.
QPDFObjectHandle WriteShadingPattern(WriterState& state, const MavPaint::ShadingPaint& shading,
                                     const Vexl::Transformation& objectToStream,
                                     const std::string& where);

}  // namespace CorvelPdf::Detail
