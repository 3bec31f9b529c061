#pragma once
// Layers as optional content (ISO 32000-1 §8.11): one optional-content group per layer, an
// optional-content membership dictionary for expressions over several layers, and the
// catalogue's /OCProperties with each layer's default visibility.

#include <io/pdf/WriterStateInternal.h>
#include <mavdoc/Objects.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace CorvelPdf::Detail {

// What the layer's marked content refers to under /OC: its OCG when the expression is one
// layer, else an OCMD: /OCGs with a /P policy when the expression is one And, Or or Not over
// layers (every reader, Ghostscript 10.0 included, knows those), a visibility expression (/VE,
// PDF 1.6) for deeper nesting. Throws std::invalid_argument naming `where` for a malformed
// expression.
QPDFObjectHandle LayerMembership(WriterState& state, const MavDoc::Layer& layer,
                                 const std::string& where);

// The /OCProperties dictionary listing every layer used, with the hidden ones in /OFF;
// uninitialised when the document has no layers.
QPDFObjectHandle OptionalContentProperties(WriterState& state);

}  // namespace CorvelPdf::Detail
