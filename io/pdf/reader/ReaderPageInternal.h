#pragma once
// One page read: its boxes, rotation, content and printable annotation appearances.

#include <io/pdf/reader/ReaderContextInternal.h>

namespace CorvelPdf::Detail {

// Adds the page to the document. Throws ReadError (without the page number, which the caller
// adds) when the page cannot be read.
// Reads one page into a new page of the document. Printable annotations are drawn into it; with
// `onlyTransparentAnnotations`, only those whose appearance may paint transparency.
void ReadPage(ReaderContext& context, QPDFObjectHandle page, bool onlyTransparentAnnotations = false);

}  // namespace CorvelPdf::Detail
