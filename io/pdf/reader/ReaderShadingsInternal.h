#pragma once
// Shading dictionaries (ISO 32000-1 §8.7.4.5) read into shading paints.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <values/Paint.h>

#include <memory>

namespace CorvelPdf::Detail {

// A shading read: the paint in shading space (millipoints: PDF coordinates × 1000; its
// transformation is the identity, or the shading's own /Matrix for function-based shadings),
// its /BBox in the same space (Null() when absent; the paint holds it too, in its own space). `paint` is null when the shading paints
// nothing (a /None colour space) or cannot be read yet (with a warning).
struct ShadingRead {
  std::shared_ptr<const MavPaint::ShadingPaint> paint;
  Vexl::Rectangle box = Vexl::Rectangle::Null();
};

// `withBackground` false drops /Background (the sh operator ignores it). Throws ReadError for
// a malformed shading.
ShadingRead ReadShadingPaint(ReaderContext& context, QPDFObjectHandle shading,
                             QPDFObjectHandle resources, bool withBackground);

}  // namespace CorvelPdf::Detail
