#pragma once
// One page read: its boxes, rotation, content and printable annotation appearances.

#include <io/pdf/reader/ReaderContextInternal.h>

namespace CorvelPdf::Detail {

// Adds the page to the document. Throws ReadError (without the page number, which the caller
// adds) when the page cannot be read.
void ReadPage(ReaderContext& context, QPDFObjectHandle page);

}  // namespace CorvelPdf::Detail
