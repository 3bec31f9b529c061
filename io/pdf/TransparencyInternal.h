#pragma once
// Transparency in PDF: the ExtGState of an object's blend mode, alpha, alpha-is-shape and soft
// mask (ISO 32000-1 §11.6), and the /Group dictionary of transparency group XObjects (§11.6.6).

#include <io/pdf/WriterStateInternal.h>
#include <mavdoc/Objects.h>
#include <values/Blend.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace CorvelPdf::Detail {

// Whether a group must be written as a transparency group XObject: it has a blend mode other
// than Normal, an alpha below 1, a soft mask, alpha-is-shape, is isolated or knockout, or has a
// colour space of its own. Other groups are written inline as q … Q.
bool NeedsTransparencyGroup(const MavDoc::Group& group);

// The /Group dictionary of a transparency group XObject (/S /Transparency with /I, /K, /CS).
QPDFObjectHandle TransparencyGroupDictionary(WriterState& state,
                                             const MavBlend::Transparency& transparency,
                                             const MavColor::GroupColorSpace& space);

// The indirect ExtGState setting the transparency's blend mode, fill and stroke alpha, AIS and
// soft mask, and the object's overprint and rendering intent (/RI, when it sets one);
// uninitialised when there is nothing to set. Identical states are shared. A soft mask's artwork
// is written as a form XObject in the space the state is set in, mapped by the mask's
// transformation.
QPDFObjectHandle WriteExtGState(WriterState& state, const MavBlend::Transparency& transparency,
                                const MavDoc::Overprint& overprint,
                                const std::optional<MavColor::RenderingIntent>& intent,
                                const std::string& where);

}  // namespace CorvelPdf::Detail
