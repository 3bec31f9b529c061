#pragma once
// Making Ghostscript blend as Corvel does, to compare like with like.

#include <string>

namespace CorvelOracle::Detail {

// Copies the PDF at `inputPath` to `outputPath` with every transparency group that declares a
// blending colour space (the page's and forms') blending in DeviceCMYK instead, as Corvel
// blends every group in the process inks. Soft-mask groups keep theirs: it decides the mask's
// luminosity. Throws std::runtime_error (qpdf's) when the file cannot be read or written.
void BlendInProcessSpace(const std::string& inputPath, const std::string& outputPath);

}  // namespace CorvelOracle::Detail
