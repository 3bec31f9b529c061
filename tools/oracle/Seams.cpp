#include <tools/oracle/Seams.h>

#include <algorithm>
#include <stdexcept>

namespace CorvelOracle {

namespace {

// Whether the ink at (x, y) lies more than the threshold below both sides along (dx, dy) at
// some distance up to the reach. Sides beyond the render's edge do not count.
bool Dips(const Plane* plane, int x, int y, int dx, int dy, const SeamOptions& options) {
  if (!plane) return false;
  const int ink = plane->At(x, y);
  for (int d = 1; d <= options.reach; ++d) {
    const int x0 = x - d * dx, y0 = y - d * dy, x1 = x + d * dx, y1 = y + d * dy;
    if (x0 < 0 || y0 < 0 || x1 >= plane->width || y1 >= plane->height) return false;
    const int sides = std::min(plane->At(x0, y0), plane->At(x1, y1));
    if (sides - ink > options.threshold) return true;
  }
  return false;
}

bool DipsEitherWay(const Plane* plane, int x, int y, const SeamOptions& options) {
  return Dips(plane, x, y, 1, 0, options) || Dips(plane, x, y, 0, 1, options);
}

}  // namespace

SeamCount CountSeams(const SeparationRender& antiAliased, const SeparationRender& aliased,
                     const SeamOptions& options) {
  const SeparationRender& render = antiAliased;
  const SeparationRender& reference = aliased;
  if (render.GetWidth() != reference.GetWidth() || render.GetHeight() != reference.GetHeight()) {
    throw std::invalid_argument("The seam count needs renders of one size");
  }
  SeamCount count;
  for (int y = 0; y < render.GetHeight(); ++y) {
    for (int x = 0; x < render.GetWidth(); ++x) {
      bool seam = false, artwork = false;
      for (const Plane& plane : render.GetPlanes()) {
        if (!DipsEitherWay(&plane, x, y, options)) continue;
        if (DipsEitherWay(reference.Find(plane.name), x, y, options)) {
          artwork = true;
        } else {
          seam = true;
        }
      }
      if (seam) {
        ++count.pixels;
      } else if (artwork) {
        ++count.inArtwork;
      }
    }
  }
  return count;
}

SeamCount CountSeams(const std::string& pdfPath, int page, double resolution,
                     ColorConversion conversion, const SeamOptions& options) {
  return CountSeams(
      RenderPdfPage(pdfPath, page, resolution, conversion, EdgeRendering::AntiAliased),
      RenderPdfPage(pdfPath, page, resolution, conversion, EdgeRendering::Aliased), options);
}

}  // namespace CorvelOracle
