#include <cli/BitmapFont.h>
#include <cli/PreviewImage.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace CorvelCli {

namespace {

// Vertical anti-aliasing: each pixel row is cut by this many lines (spans are exact across).
constexpr int kSubRows = 4;
constexpr int kLegendTextScale = 2;
constexpr int kLegendTextGap = 10;  // between swatch and text
// The band is a light gray, so that it stands apart from white paper at the page's foot.
constexpr std::uint8_t kLegendBackground = 235;

constexpr Rgb kInvolved{30, 90, 255};
constexpr Rgb kOutlinedText{0, 170, 60};
constexpr Rgb kOverprinting{220, 0, 200};
// Rasterised areas, coarsest resolution first; more resolutions than colours repeat them.
constexpr Rgb kRasterized[] = {{255, 140, 0}, {220, 20, 20}, {150, 90, 0}, {0, 170, 200}};

std::string Fixed(double value, int decimals) {
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, end.ptr);
}

std::string LegendLine(const PreviewLayer& layer) {
  return layer.label + ": " + Fixed(layer.squarePoints, 2) + " sq pt";
}

// The coverage (0 to 1) of shapes on the unrotated page, `width` × `height` pixels, rows from
// the top of the visible box.
std::vector<float> Coverage(const std::vector<AreaShape>& shapes, const PagePlacement& placement,
                            int width, int height) {
  std::vector<float> coverage(std::size_t(width) * std::size_t(height), 0.0f);
  const double pixel = 72000.0 / placement.resolution;
  const Vexl::Rectangle& box = placement.visibleBox;
  const RowGrid grid{box.Left(), box.Left() + width * pixel, box.Top(), pixel / kSubRows,
                     height * kSubRows};
  for (const RowSpan& span : CoveredSpans(shapes, grid)) {
    const int row = span.row / kSubRows;
    const double u0 = (span.x0 - grid.left) / pixel, u1 = (span.x1 - grid.left) / pixel;
    const int first = std::max(0, static_cast<int>(std::floor(u0)));
    const int last = std::min(width - 1, static_cast<int>(std::ceil(u1)) - 1);
    for (int column = first; column <= last; ++column) {
      const double overlap = std::min(u1, column + 1.0) - std::max(u0, double(column));
      coverage[std::size_t(row) * width + column] += static_cast<float>(overlap / kSubRows);
    }
  }
  return coverage;
}

// Blends a mark into one pixel at `opacity`.
void Mark(std::uint8_t* pixel, Rgb colour, double opacity) {
  const std::uint8_t channels[3] = {colour.r, colour.g, colour.b};
  for (int c = 0; c < 3; ++c)
    pixel[c] =
        static_cast<std::uint8_t>(std::lround(pixel[c] * (1 - opacity) + channels[c] * opacity));
}

void MarkLayer(const PreviewLayer& layer, const PagePlacement& placement, int pageWidth,
               int pageHeight, RgbImage& image) {
  const int quarter = ((placement.rotation % 360 + 360) % 360) / 90;
  const bool turned = quarter % 2 == 1;
  const int width = turned ? pageHeight : pageWidth, height = turned ? pageWidth : pageHeight;
  const auto coverage = Coverage(*layer.shapes, placement, width, height);
  for (int y = 0; y < pageHeight; ++y) {
    for (int x = 0; x < pageWidth; ++x) {
      // The pixel of the unturned page that Ghostscript turned clockwise onto (x, y).
      const int u = quarter == 0   ? x
                    : quarter == 1 ? y
                    : quarter == 2 ? width - 1 - x
                                   : width - 1 - y;
      const int v = quarter == 0   ? y
                    : quarter == 1 ? height - 1 - x
                    : quarter == 2 ? height - 1 - y
                                   : x;
      const float covered = coverage[std::size_t(v) * width + u];
      if (covered <= 0) continue;
      Mark(&image.rgb[(std::size_t(y) * image.width + x) * 3], layer.colour,
           kMarkOpacity * std::min(1.0f, covered));
    }
  }
}

void DrawLegend(const std::vector<PreviewLayer>& layers, int top, RgbImage& image) {
  for (std::size_t i = 0; i < layers.size(); ++i) {
    const int lineTop = top + kLegendMargin + static_cast<int>(i) * kLegendLineHeight;
    for (int y = 0; y < kSwatchHeight; ++y) {
      for (int x = 0; x < kSwatchWidth; ++x)
        Mark(&image.rgb[(std::size_t(lineTop + y) * image.width + kLegendMargin + x) * 3],
             layers[i].colour, 1);
    }
    const int textLeft = kLegendMargin + kSwatchWidth + kLegendTextGap;
    DrawText(LegendLine(layers[i]), kLegendTextScale, [&](int x, int y) {
      if (textLeft + x >= image.width) return;
      Mark(&image.rgb[(std::size_t(lineTop + y) * image.width + textLeft + x) * 3], {0, 0, 0}, 1);
    });
  }
}

}  // namespace

std::string HexOf(Rgb colour) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex = "#";
  for (const int channel : {colour.r, colour.g, colour.b}) {
    hex += kDigits[channel >> 4];
    hex += kDigits[channel & 15];
  }
  return hex;
}

std::vector<PreviewLayer> PreviewLayers(const PreviewAreas& areas, const AreaSummary& summary) {
  static const std::vector<AreaShape> kNone;
  std::vector<PreviewLayer> layers{
      {"involved in transparency", kInvolved, &areas.involved, summary.involved}};
  for (std::size_t i = 0; i < areas.rasterized.size(); ++i) {
    layers.push_back({"rasterised at " + Fixed(areas.rasterized[i].resolution, 0) + " ppi",
                      kRasterized[i % std::size(kRasterized)], &areas.rasterized[i].shapes,
                      i < summary.rasterized.size() ? summary.rasterized[i].second : 0});
  }
  if (areas.rasterized.empty()) layers.push_back({"rasterised (none)", kRasterized[0], &kNone, 0});
  layers.push_back({"text outlined", kOutlinedText, &areas.outlinedText, summary.outlinedText});
  layers.push_back({"overprinting", kOverprinting, &areas.overprinting, summary.overprinting});
  return layers;
}

RgbImage ComposePreview(const CorvelOracle::GrayRender& page, const PagePlacement& placement,
                        const std::vector<PreviewLayer>& layers) {
  int legendWidth = 0;
  for (const auto& layer : layers)
    legendWidth = std::max(legendWidth, TextWidth(LegendLine(layer), kLegendTextScale));
  RgbImage image;
  image.width =
      std::max(page.width, 2 * kLegendMargin + kSwatchWidth + kLegendTextGap + legendWidth);
  image.height =
      page.height + 2 * kLegendMargin + static_cast<int>(layers.size()) * kLegendLineHeight;
  image.rgb.assign(std::size_t(image.width) * image.height * 3, kLegendBackground);
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      const std::uint8_t gray = page.gray[std::size_t(y) * page.width + x];
      std::fill_n(&image.rgb[(std::size_t(y) * image.width + x) * 3], 3, gray);
    }
  }
  for (const auto& layer : layers) {
    if (!layer.shapes->empty()) MarkLayer(layer, placement, page.width, page.height, image);
  }
  DrawLegend(layers, page.height, image);
  return image;
}

}  // namespace CorvelCli
