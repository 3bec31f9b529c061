#pragma once
// Mesh shadings (types 4 to 7) decoded from their streams.

#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <values/Paint.h>

#include <memory>

namespace CorvelPdf::Detail {

// Decodes the triangles or patches of a type 4 to 7 shading stream (ISO 32000-1 §8.7.4.5.5
// to §8.7.4.5.8). Points are in shading space × 1000. Lattices become two triangles per cell.
// Patches list their 12 boundary points in stream order (p00 p01 p02 p03 p13 p23 p33 p32 p31
// p30 p20 p10), then for tensor patches the inner p11 p12 p22 p21, with corner colours for
// p00, p03, p33, p30; patches sharing an edge (flags 1 to 3) are expanded in full. Vertex
// colours are one value per component of `space` (of its base for Indexed), or one t when
// there is a function. Data that ends inside a triangle, row or patch loses that element, with
// a warning. Throws ReadError for malformed data (bit depths the format does not allow, a short
// /Decode, a mesh that starts with a shared edge).
std::shared_ptr<const MavPaint::ShadingPaint> ReadMeshShading(ReaderContext& context,
                                                              QPDFObjectHandle stream,
                                                              const ReaderColorSpace& space,
                                                              MavPaint::ShadingCommon common);

}  // namespace CorvelPdf::Detail
