#include <tools/oracle/Seams.h>

#include <algorithm>
#include <cstdlib>
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
// render in a pixel or two. Adds the groups kept to `runs`.
void DropShortRuns(std::vector<bool>& dips, int width, int height, int minimumRun,
                   double resolution, std::vector<SeamRun>& runs) {
  const double point = 72.0 / resolution;
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
    } else {
      const std::size_t column = start % width, row = start / width;
      runs.push_back({group.size(), (column + 0.5) * point, (height - row - 0.5) * point});
    }
  }
}

}  // namespace

SeamCount CountSeams(const SeparationRender& antiAliased,
                     const std::vector<const SeparationRender*>& seamless,
                     const SeamOptions& options) {
  const int width = antiAliased.GetWidth(), height = antiAliased.GetHeight();
  for (const SeparationRender* render : seamless) {
    if (width != render->GetWidth() || height != render->GetHeight()) {
      throw std::invalid_argument("The seam count needs renders of one size");
    }
  }
  const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * width + x; };
  std::vector<bool> seam(static_cast<std::size_t>(width) * height, false);
  std::vector<bool> artwork(seam.size(), false);
  SeamCount count;
  for (const Plane& plane : antiAliased.GetPlanes()) {
    std::vector<bool> dips(seam.size(), false);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (!DipsEitherWay(&plane, x, y, options)) continue;
        const bool inArtwork =
            std::any_of(seamless.begin(), seamless.end(), [&](const SeparationRender* render) {
              const Plane* reference = render->Find(plane.name);
              return (reference ? reference->At(x, y) : 0) - plane.At(x, y) <= options.threshold;
            });
        if (inArtwork) {
          artwork[at(x, y)] = true;
        } else {
          dips[at(x, y)] = true;
        }
      }
    }
    DropShortRuns(dips, width, height, options.minimumRun,
                  antiAliased.GetResolution(), count.runs);
    for (std::size_t i = 0; i < dips.size(); ++i) seam[i] = seam[i] || dips[i];
  }
  for (std::size_t i = 0; i < seam.size(); ++i) {
    count.pixels += seam[i];
    count.inArtwork += !seam[i] && artwork[i];
  }
  return count;
}

SeparationRender SeamlessRender(const SeparationRender& fine, int factor, int width, int height) {
  if (factor < 1 || std::abs(fine.GetWidth() - width * factor) >= factor ||
      std::abs(fine.GetHeight() - height * factor) >= factor) {
    throw std::invalid_argument("The fine render is not the size of the seamless render");
  }
  // Ghostscript puts the page's bottom edge on the render's last row: where the page is no
  // whole number of pixels high, the fine rows start off the coarse ones by whole fine rows.
  const int shift = fine.GetHeight() - height * factor;
  std::vector<Plane> planes;
  for (const Plane& plane : fine.GetPlanes()) {
    Plane mean{plane.name, width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int sum = 0, count = 0;
        for (int fy = std::max(y * factor + shift, 0);
             fy < std::min((y + 1) * factor + shift, plane.height); ++fy) {
          for (int fx = x * factor; fx < std::min((x + 1) * factor, plane.width); ++fx) {
            sum += plane.At(fx, fy);
            ++count;
          }
        }
        mean.ink[std::size_t(y) * width + x] = std::uint8_t(count ? (sum + count / 2) / count : 0);
      }
    }
    planes.push_back(std::move(mean));
  }
  return SeparationRender(width, height, fine.GetResolution() / factor, std::move(planes),
                          fine.GetMessages());
}

SeamCount CountSeams(const std::string& pdfPath, int page, double resolution,
                     ColorConversion conversion, const SeamOptions& options) {
  const SeparationRender antiAliased =
      RenderPdfPage(pdfPath, page, resolution, conversion, EdgeRendering::AntiAliased);
  const SeparationRender aliased =
      RenderPdfPage(pdfPath, page, resolution, conversion, EdgeRendering::Aliased);
  const SeparationRender fine = RenderPdfPage(pdfPath, page, resolution * kSeamlessFactor,
                                              conversion, EdgeRendering::Aliased);
  const SeparationRender averaged =
      SeamlessRender(fine, kSeamlessFactor, antiAliased.GetWidth(), antiAliased.GetHeight());
  return CountSeams(antiAliased, {&aliased, &averaged}, options);
}

}  // namespace CorvelOracle
