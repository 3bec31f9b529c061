#pragma once
// Shared helpers of the PDF writer tests: documents on small pages, written, checked by qpdf
// and rendered by the separation oracle.

#include <mavdoc/Builder.h>
#include <mavdoc/Content.h>
#include <tools/oracle/SeparationRender.h>

#include <string>

namespace CorvelPdfTest {

// Millipoints of a length given in points.
constexpr double Pt(double points) { return points * 1000; }
// A rectangle given in points.
Vexl::Rectangle PtRect(double x, double y, double width, double height);

// The output of `qpdf --check` on the PDF; throws when qpdf cannot be run. `passed` is set to
// whether qpdf found no error or warning.
std::string QpdfCheck(const std::string& pdf, bool& passed);

// Writes the document, checks it with qpdf and renders page 1; a failed check or a complaint
// from Ghostscript fails the test.
CorvelOracle::SeparationRender WriteAndRender(const MavDoc::Document& document,
                                              double resolution = 72);

}  // namespace CorvelPdfTest
