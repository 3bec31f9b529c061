#pragma once
// Type 3 fonts read as outlines.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <vexl/Compound.h>

#include <array>
#include <memory>

namespace CorvelPdf::Detail {

// Each code's glyph outline (null: no glyph), in glyph units (1000 per text-space unit, y up):
// the paths the glyph procedure fills and strokes, mapped by /FontMatrix. Problems are warnings.
std::array<std::shared_ptr<const Vexl::Compound>, 256> ReadType3Glyphs(ReaderContext& context,
                                                                       QPDFObjectHandle font);

}  // namespace CorvelPdf::Detail
