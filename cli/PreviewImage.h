#pragma once
// The preview picture: the page rendered in gray, each category of what flattening does marked
// over it in a colour of its own at kMarkOpacity (coverage anti-aliased), and below it a gray
// legend band with one line per category: a swatch of its colour, its name and its area.

#include <cli/PngFile.h>
#include <cli/PreviewAreas.h>
#include <tools/oracle/GrayRender.h>

#include <cstdint>
#include <string>
#include <vector>

namespace CorvelCli {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// "#rrggbb".
std::string HexOf(Rgb colour);

// One category as the preview marks it and the legend names it.
struct PreviewLayer {
  std::string label;
  Rgb colour;
  const std::vector<AreaShape>* shapes = nullptr;  // into the PreviewAreas the layers came from
  double squarePoints = 0;
};

// Marks blend with the gray page: mark · opacity + page · (1 − opacity), one category after the
// other in the order of PreviewLayers.
inline constexpr double kMarkOpacity = 0.45;

// Involved objects, rasterised areas (one layer per resolution, coarsest first; one empty layer
// when nothing is rasterised, so that the legend always names the category), outlined text,
// overprinting objects. The layers point into `areas`.
std::vector<PreviewLayer> PreviewLayers(const PreviewAreas& areas, const AreaSummary& summary);

// Where the gray render lies on the page: Ghostscript renders the visible box (the crop box
// within the media box) at `resolution`, turned by the page's rotation (degrees clockwise).
struct PagePlacement {
  Vexl::Rectangle visibleBox;  // millipoints
  int rotation = 0;
  double resolution = 72;
};

RgbImage ComposePreview(const CorvelOracle::GrayRender& page, const PagePlacement& placement,
                        const std::vector<PreviewLayer>& layers);

// The legend's geometry, for whoever reads the picture: line i's swatch covers
// [kLegendMargin, kLegendMargin + kSwatchWidth) × [top + kLegendMargin + i · kLegendLineHeight,
// … + kSwatchHeight) where top is the page's height in pixels.
inline constexpr int kLegendMargin = 8, kLegendLineHeight = 22, kSwatchWidth = 28,
                     kSwatchHeight = 14;

}  // namespace CorvelCli
