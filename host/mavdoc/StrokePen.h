#pragma once
// A stroke style as the pen the geometry library outlines strokes with.

#include <mavdoc/Objects.h>
#include <vexl/Stroke.h>

namespace MavDoc {

inline Vexl::StrokeParameters PenOf(const StrokeStyle& style) {
  return {style.width,
          static_cast<Vexl::CapStyle>(style.cap),
          static_cast<Vexl::JoinStyle>(style.join),
          style.miterLimit,
          style.dashes,
          style.dashPhase};
}

}  // namespace MavDoc
