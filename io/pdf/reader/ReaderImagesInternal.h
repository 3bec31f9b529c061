#pragma once
// Image samples (ISO 32000-1 §8.9) decoded into pictures of the document model.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <values/Picture.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace CorvelPdf::Detail {

// An image read: its picture (colour channels, or the one-channel stencil of an image mask)
// and, for images with /SMask or /Mask, a DeviceGray picture of their opacity (1 opaque).
struct DecodedImage {
  std::shared_ptr<const MavImg::PaintedPicture> picture;  // null: the image paints nothing
  bool stencil = false;
  bool inverted = false;  // stencil: paint where the sample is 0 (the default Decode [0 1])
  std::shared_ptr<const MavImg::PaintedPicture> opacity;
};

// Decodes an image whose dictionary uses full key names. `samples` gives the decoded stream
// data (nullopt: the image cannot be decoded and paints nothing, already reported); it is
// called only after the size has been checked against the limits, except for JPX images:
// their samples are the codestream, whose header gives the size checked. Samples of 1,
// 2 or 4 bits become 8-bit channels, 16-bit samples stay 16-bit; /Decode is applied; Indexed
// images are expanded through their palette. Gray and RGB channels hold their own values
// (1 = white), the others tints. Throws ReadError for a malformed or too large image.
DecodedImage DecodeImage(ReaderContext& context, QPDFObjectHandle dict,
                         const std::function<std::optional<std::string>()>& samples,
                         QPDFObjectHandle resources);

// One gray pixel: what stands in for an image that cannot be decoded.
std::shared_ptr<const MavImg::PaintedPicture> StandInPicture(ReaderContext& context);

// The decoded data of an image XObject: what qpdf decodes, JBIG2 and CCITT fax as one-bit
// samples (0 black unless /BlackIs1), JPX as the codestream for DecodeImage. Nullopt (with a
// warning) for filters unknown here; ReadError for damaged or oversized data, or for an image
// filter before another one.
std::optional<std::string> ImageStreamData(ReaderContext& context, QPDFObjectHandle stream);

// An inline image's dictionary with abbreviations expanded (ISO 32000-1 Tables 93 and 94),
// and its data decoded.
QPDFObjectHandle ExpandInlineImageDict(QPDFObjectHandle dict);
std::optional<std::string> InlineImageData(ReaderContext& context, QPDFObjectHandle dict,
                                           const std::string& raw);

}  // namespace CorvelPdf::Detail
