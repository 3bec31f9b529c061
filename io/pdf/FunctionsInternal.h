#pragma once
// Colour functions as PDF function objects (ISO 32000-1 §7.10): exponential (type 2),
// stitching (type 3) and sampled (type 0).

#include <io/pdf/WriterStateInternal.h>
#include <values/Function.h>

#include <qpdf/QPDFObjectHandle.hh>

namespace CorvelPdf::Detail {

// The function as a PDF object: a dictionary for types 2 and 3, a stream for type 0. A function
// of another kind is written as a sampled table of its values (one input only). Throws
// std::invalid_argument for a function PDF cannot express.
QPDFObjectHandle WriteFunction(WriterState& state, const MavPaint::Function& function);

// A type 2 function of one input and one output that is 0 everywhere: a transfer function
// that hides everything.
QPDFObjectHandle ZeroFunction();

}  // namespace CorvelPdf::Detail
