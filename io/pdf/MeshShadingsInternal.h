#pragma once
// Function-based shadings and triangle and patch meshes written as PDF shadings: what the
// outline view needs to write every shading it keeps.

#include <io/pdf/WriterStateInternal.h>
#include <values/Paint.h>

#include <qpdf/QPDFObjectHandle.hh>

namespace CorvelPdf::Detail {

// The shading object of `mesh` with the entries of `dictionary` (colour space, function,
// background) added: a dictionary for a function-based shading (its domain mapped to the
// shading space by /Matrix), otherwise a stream of free-form triangles (lattices too), Coons or
// tensor patches, every element whole (flag 0), in 32-bit coordinates and 16-bit colours.
QPDFObjectHandle WriteMeshShadingObject(WriterState& state, const MavPaint::MeshShadingPaint& mesh,
                                        QPDFObjectHandle dictionary);

// Values a vertex colour holds: one t with a function, else one per channel.
std::size_t MeshColorComponents(const MavPaint::MeshShadingPaint& mesh);

}  // namespace CorvelPdf::Detail
