#pragma once
// A cheap look at a page's resources, without running its content: can anything on it paint
// with transparency? Pages where nothing can are left exactly as they are, unread.

#include <qpdf/QPDFObjectHandle.hh>
#include <vector>

namespace CorvelPdf {

// True when the resources (and those of the forms, patterns and Type 3 fonts they hold) offer a
// graphics state with constant alpha below 1, a blend mode other than Normal or Compatible, or
// a soft mask, or an image with a soft mask of its own. Resources a page lists but never uses
// count too: the answer errs on the side of reading the page.
bool MayPaintTransparency(QPDFObjectHandle resources);

// The same for a whole page: its (inherited) resources and the appearances of the annotations
// that are drawn into it (see DrawnAnnotations).
bool PageMayPaintTransparency(QPDFObjectHandle page);

// The annotations a reading draws into the page content: printable, visible ones with a normal
// appearance; with `onlyTransparent`, only those up to the last whose appearance may paint
// transparency (annotations paint in array order: the ones above it stay annotations).
std::vector<QPDFObjectHandle> DrawnAnnotations(QPDFObjectHandle page, bool onlyTransparent);

// The normal appearance of a printable, visible annotation, or null.
QPDFObjectHandle PrintedAppearance(QPDFObjectHandle annotation);

}  // namespace CorvelPdf
