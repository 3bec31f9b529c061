#pragma once
// Image XObjects from picture buffers (ISO 32000-1 §8.9.5): DeviceCMYK, Separation or DeviceN
// images by the separations the picture maps onto its channels, and stencil masks.

#include <io/pdf/WriterStateInternal.h>
#include <values/Picture.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace CorvelPdf::Detail {

// The in-memory source of a painted picture. Throws std::invalid_argument naming `where` when
// the picture has no data or its source is not a buffer.
const MavImg::BufferedPictureSource& BufferedSource(const MavImg::PaintedPicture& picture,
                                                    const std::string& where);

// The image XObject of a picture, written once per painted picture. Channels no separation is
// mapped to are left out; process channels a CMYK picture lacks are written as no ink. Each
// channel's range becomes its /Decode pair. Throws std::invalid_argument naming `where` for
// indexed pictures and pictures without mapped channels.
QPDFObjectHandle WriteImage(WriterState& state, const MavImg::PaintedPicture& picture,
                            const std::string& where);

// A stencil mask (/ImageMask true) painting where the picture's first channel is set (at least
// half), or where it is clear when `inverted`.
QPDFObjectHandle WriteImageMask(WriterState& state, const MavImg::PaintedPicture& stencil,
                                bool inverted, const std::string& where);

}  // namespace CorvelPdf::Detail
