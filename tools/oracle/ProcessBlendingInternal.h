#pragma once
// Making Ghostscript blend as Corvel does, to compare like with like.

#include <string>

namespace CorvelOracle::Detail {

// Copies the PDF at `inputPath` to `outputPath` with every transparency group that declares a
// blending colour space (the page's and forms') blending in DeviceCMYK instead, as Corvel
// blends every group in the process inks. Soft-mask groups keep theirs: it decides the mask's
// luminosity. With `perceptualByDefault`, every page's content starts by setting the
// Perceptual rendering intent: what Corvel converts objects that set none with, where
// Ghostscript would take PDF's RelativeColorimetric. Throws std::runtime_error (qpdf's) when
// the file cannot be read or written.
void BlendInProcessSpace(const std::string& inputPath, const std::string& outputPath,
                         bool perceptualByDefault = false);

// The profile of the file's first output intent that carries a CMYK one (the profile Corvel
// converts into), or empty.
std::string OutputIntentCmykProfile(const std::string& pdfPath);

}  // namespace CorvelOracle::Detail
