#pragma once
// Shared helpers of the PDF writer tests: documents on small pages, written, checked by qpdf
// and rendered by the separation oracle.

#include <mavdoc/Builder.h>
#include <mavdoc/Content.h>
#include <tools/oracle/SeparationRender.h>

#include <initializer_list>
#include <string>

namespace CorvelPdfTest {

// How far a rendered flat tint may stray (8-bit planes), and a rendered shading sample.
inline constexpr double kTintTolerance = 2.0 / 255;
inline constexpr double kShadingTolerance = 0.03;

// Millipoints of a length given in points.
constexpr double Pt(double points) { return points * 1000; }
// A rectangle given in points.
Vexl::Rectangle PtRect(double x, double y, double width, double height);

// A separation mapping that sends the named inks to channels 0, 1, 2... in order.
MavPaint::SeparationMapping Mapping(std::initializer_list<std::string> names);

// The output of `qpdf --check` on the PDF; throws when qpdf cannot be run. `passed` is set to
// whether qpdf found no error or warning.
std::string QpdfCheck(const std::string& pdf, bool& passed);

// Writes the document, checks it with qpdf and renders page 1; a failed check or a complaint
// from Ghostscript fails the test.
CorvelOracle::SeparationRender WriteAndRender(const MavDoc::Document& document,
                                              double resolution = 72);

}  // namespace CorvelPdfTest
