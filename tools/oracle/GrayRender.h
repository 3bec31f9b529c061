#pragma once
// A PDF page rendered by Ghostscript in gray, to show it under a preview's marks (not to judge
// ink: see SeparationRender.h for that). Rows run top to bottom over the crop box (the visible
// page, as viewers show it), the page's /Rotate applied as viewers apply it.

#include <cstdint>
#include <string>
#include <vector>

namespace CorvelOracle {

struct GrayRender {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> gray;  // width × height, row by row; 0 black, 255 white
};

// Renders page `page` (1-based) of the PDF at `pdfPath` at `resolution` pixels per inch,
// anti-aliased. Throws std::runtime_error with Ghostscript's message when it fails or is not
// installed.
GrayRender RenderGrayPage(const std::string& pdfPath, int page, double resolution);

}  // namespace CorvelOracle
