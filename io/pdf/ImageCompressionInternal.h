#pragma once
// Image samples compressed as PNG does: each row filtered by the predictor that suits it best
// (none, left, up or Paeth), then deflated. Rasterised regions are mostly flat colour with
// soft edges, where prediction leaves runs of zeros that deflate to a fraction of plain Flate.

#include <cstddef>
#include <string>

#include <io/pdf/WriterStateInternal.h>

namespace CorvelPdf::Detail {

// A stream holding `samples` (rows of `columns` pixels of `colors` components of `bits` bits)
// compressed with /FlateDecode and PNG predictors, with the other entries of `dictionary`.
QPDFObjectHandle PredictedImageStream(WriterState& state, std::string samples, int columns,
                                      int colors, int bits, QPDFObjectHandle dictionary);

}  // namespace CorvelPdf::Detail
