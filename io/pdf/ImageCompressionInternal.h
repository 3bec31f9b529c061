#pragma once
// Image samples compressed as PNG does: each row filtered by the predictor that suits it best
// (none, left, up or Paeth), then deflated. Rasterised regions are mostly flat colour with
// soft edges, where prediction leaves runs of zeros that deflate to a fraction of plain Flate.

#include <cstddef>
#include <functional>
#include <string>

#include <io/pdf/WriterStateInternal.h>

namespace CorvelPdf::Detail {

// Appends the samples of row `row` (top to bottom) to `out`.
using ImageRows = std::function<void(int row, std::string& out)>;

// A stream holding `rows` rows of `columns` pixels of `colors` components of `bits` bits,
// compressed with /FlateDecode and PNG predictors, with the other entries of `dictionary`. The
// rows are asked for one at a time while the stream is encoded, so that a page-sized render is
// never copied whole: only its compressed bytes and two rows are held beside it.
QPDFObjectHandle PredictedImageStream(WriterState& state, int rows, int columns, int colors,
                                      int bits, ImageRows samples, QPDFObjectHandle dictionary);

}  // namespace CorvelPdf::Detail
