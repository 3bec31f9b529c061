#pragma once
// Whether a PDF still holds transparency: what a flattened file must be free of.

#include <string>
#include <vector>

namespace CorvelCatalogue {

// Every use of transparency in the file, one line each ("object 12: /ca 0.5"): graphics states
// with alpha below 1, a blend mode other than Normal or a soft mask, and images with a soft
// mask (groups alone composite nothing). Empty when the file prints without any compositing. Throws
// std::runtime_error when the bytes are not a PDF qpdf can open.
std::vector<std::string> FindTransparency(const std::string& pdfBytes);

}  // namespace CorvelCatalogue
