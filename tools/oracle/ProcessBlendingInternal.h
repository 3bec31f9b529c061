#pragma once
// Making Ghostscript blend as Corvel does, to compare like with like.

#include <string>

class QPDF;

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

// Ghostscript (10.0) reads a Lab image's samples as L* 0..100 and a*, b* over -128..127 whatever
// its /Range and /Decode say. Rewrites the 8 and 16-bit Lab images whose samples read otherwise
// (without a colour-key mask, in codecs qpdf decodes) as 16-bit samples of the same values over
// that reading, so that Ghostscript prints the colours the file asks for. BlendInProcessSpace
// does it too.
void ReadLabImagesAsGhostscriptCan(QPDF& pdf);

// The profile of the file's first output intent that carries a CMYK one (the profile Corvel
// converts into), or empty.
std::string OutputIntentCmykProfile(const std::string& pdfPath);

}  // namespace CorvelOracle::Detail
