#pragma once
// PDF colour spaces for inks and colours: DeviceCMYK for process inks only, Separation for one
// spot, DeviceN otherwise, each spot with a DeviceCMYK alternate built from its process look;
// device and CIE spaces of colours that are not ink lists are written as they are.

#include <io/pdf/WriterStateInternal.h>
#include <values/Color.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

// A colour space as it appears in a resource dictionary or an image: a device name
// (/DeviceCMYK, /DeviceGray, /DeviceRGB) or an indirect array.
struct PdfColorSpace {
  QPDFObjectHandle space;
  int components = 0;
  bool IsDevice() const { return QPDFObjectHandle(space).isName(); }
};

// The colour space of tints for the inks `names`, in that order: DeviceCMYK when the names are
// exactly Cyan, Magenta, Yellow, Black; Separation for one name; DeviceN otherwise. Throws
// std::invalid_argument for no names, repeated names or more than 32.
PdfColorSpace InkColorSpace(WriterState& state, const std::vector<std::string>& names);
// A process space that is not an ink list (gray, RGB, calibrated, Lab, ICC) as PDF writes it;
// null for ink-list spaces.
QPDFObjectHandle ProcessSpaceObject(WriterState& state, const MavColor::ColorSpace& space);

// A flat colour: its space and operands.
struct PdfColor {
  PdfColorSpace space;
  std::vector<double> values;
};

// The PDF form of a colour. Ink lists (process components and named inks) become DeviceCMYK
// when they name process inks only, else Separation or DeviceN of the inks that carry ink (a
// process ink at 0 is left out: without overprint the paint clears every plate it does not
// name). A gray colour with named inks counts its gray as Black. Throws std::invalid_argument
// for colours PDF cannot hold (an RGB or CIE colour mixed with named inks, repeated names).
PdfColor FlatColor(WriterState& state, const MavColor::Color& color);

// The colour space of a transparency group (/CS of a group or a soft-mask group); an uninitialised
// handle for an unset space.
QPDFObjectHandle GroupColorSpace(WriterState& state, const MavColor::GroupColorSpace& space);

}  // namespace CorvelPdf::Detail
