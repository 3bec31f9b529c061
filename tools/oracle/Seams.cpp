#include <tools/oracle/Seams.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

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

// Clears the dipping pixels in 8-connected groups smaller than `minimumRun`: a seam runs along
// an edge, while anti-aliasing rounds a sharp corner of the artwork differently from the aliased
// render in a pixel or two.
void DropShortRuns(std::vector<bool>& dips, int width, int height, int minimumRun) {
  std::vector<bool> seen(dips.size(), false);
  std::vector<std::size_t> group, stack;
  for (std::size_t start = 0; start < dips.size(); ++start) {
    if (!dips[start] || seen[start]) continue;
    group.clear();
    stack.assign(1, start);
    seen[start] = true;
    while (!stack.empty()) {
      const std::size_t i = stack.back();
      stack.pop_back();
      group.push_back(i);
      const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
      for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, height - 1); ++ny) {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, width - 1); ++nx) {
          const std::size_t j = static_cast<std::size_t>(ny) * width + nx;
          if (dips[j] && !seen[j]) seen[j] = true, stack.push_back(j);
        }
      }
    }
    if (static_cast<int>(group.size()) < minimumRun) {
      for (std::size_t i : group) dips[i] = false;
    }
  }
}

}  // namespace

SeamCount CountSeams(const SeparationRender& antiAliased, const SeparationRender& aliased,
                     const SeamOptions& options) {
  const int width = antiAliased.GetWidth(), height = antiAliased.GetHeight();
  if (width != aliased.GetWidth() || height != aliased.GetHeight()) {
    throw std::invalid_argument("The seam count needs renders of one size");
  }
  const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * width + x; };
  std::vector<bool> seam(static_cast<std::size_t>(width) * height, false);
  std::vector<bool> artwork(seam.size(), false);
  for (const Plane& plane : antiAliased.GetPlanes()) {
    std::vector<bool> dips(seam.size(), false);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (!DipsEitherWay(&plane, x, y, options)) continue;
        if (DipsEitherWay(aliased.Find(plane.name), x, y, options)) {
          artwork[at(x, y)] = true;
        } else {
          dips[at(x, y)] = true;
        }
      }
    }
    DropShortRuns(dips, width, height, options.minimumRun);
    for (std::size_t i = 0; i < dips.size(); ++i) seam[i] = seam[i] || dips[i];
  }
  SeamCount count;
  for (std::size_t i = 0; i < seam.size(); ++i) {
    count.pixels += seam[i];
    count.inArtwork += !seam[i] && artwork[i];
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
