#include <raster/FillRasterizer.h>

#include <algorithm>

#include <flatten/RegionOutlines.h>
#include <flatten/SeamExtension.h>
#include <unordered_map>

namespace Corvel {

namespace {

constexpr std::size_t kGridSize = 6;
// What one more image costs beyond its pixels: headers, decoding set-up, a clip.
constexpr double kImageOverhead = 16384;

using PixelRect = MavMath::Rectangle<long long>;

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

double Cost(const PixelRect& r, double separations) {
  if (r.IsEmpty()) return 0;
  return double(r.Width()) * separations * double(r.Height()) + kImageOverhead;
}

std::vector<RasterTile> MakeTiles(const DocumentGraph::GraphBase& graph,
                                  const std::vector<const TesselFixed::Region*>& regions,
                                  const Vexl::Transformation& pageToRaster,
                                  const MavSc::Environment& environment) {
  std::vector<RasterTile> tiles;
  for (const auto* region : regions) {
    auto outline = MakeRegionCompound(graph, region);
    const PixelRect pixels = environment.WorldToTarget((*outline * pageToRaster).GetBoundingBox());
    if (!pixels.IsEmpty()) tiles.push_back({pixels, {std::move(outline)}, {region}});
  }
  return tiles;
}

std::vector<RasterTile> BinIntoGrid(std::vector<RasterTile> tiles) {
  PixelRect all;
  for (const auto& tile : tiles) all = Union(all, tile.pixelRect);
  std::vector<RasterTile> cells(kGridSize * kGridSize);
  for (auto& tile : tiles) {
    const auto& r = tile.pixelRect;
    const double fx = (double(r.left) + double(r.Width()) * 0.5 - double(all.left)) / double(all.Width());
    const double fy = (double(r.top) + double(r.Height()) * 0.5 - double(all.top)) / double(all.Height());
    const auto column = std::min<std::size_t>(static_cast<std::size_t>(fx * kGridSize), kGridSize - 1);
    const auto row = std::min<std::size_t>(static_cast<std::size_t>(fy * kGridSize), kGridSize - 1);
    RasterTile& cell = cells[column * kGridSize + row];
    cell.pixelRect = Union(cell.pixelRect, r);
    for (auto& outline : tile.outlines) cell.outlines.push_back(std::move(outline));
    cell.regions.insert(cell.regions.end(), tile.regions.begin(), tile.regions.end());
  }
  // Fill holes from the back, then drop the tail.
  std::size_t end = cells.size();
  for (std::size_t i = 0; i < end; ++i) {
    while (cells[i].outlines.empty() && end > i + 1) {
      --end;
      if (!cells[end].outlines.empty()) std::swap(cells[i], cells[end]);
    }
    if (cells[i].outlines.empty()) end = i;
  }
  cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(end), cells.end());
  return cells;
}

// Merges cells while one image of their union costs less than two separate ones.
void Merge(std::vector<RasterTile>& cells, double separations) {
  std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
    return a.pixelRect.left < b.pixelRect.left;
  });
  bool merged = true;
  while (merged && cells.size() >= 2) {
    merged = false;
    for (std::size_t a = 0; a < cells.size(); ++a) {
      const auto reach = static_cast<long long>(
          kImageOverhead / (double(cells[a].pixelRect.Height()) * separations)) + 1;
      for (std::size_t b = a + 1; b < cells.size() && cells[b].pixelRect.left < cells[a].pixelRect.right + reach;) {
        const PixelRect together = Union(cells[a].pixelRect, cells[b].pixelRect);
        if (Cost(cells[a].pixelRect, separations) + Cost(cells[b].pixelRect, separations) >
            Cost(together, separations)) {
          cells[a].pixelRect = together;
          for (auto& outline : cells[b].outlines) cells[a].outlines.push_back(std::move(outline));
          cells[a].regions.insert(cells[a].regions.end(), cells[b].regions.begin(),
                                  cells[b].regions.end());
          cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(b));
          merged = true;
        } else {
          ++b;
        }
      }
    }
  }
}

// The jobs of `cells` (painted in their order) reaching under what is painted after each: the
// clip takes in the regions of later pieces and of later cells across its borders, and then
// the image a pixel more on every side, so that pixels lie under the clip's edge there.
std::vector<RasterJob> ReachUnderLaterPieces(const DocumentGraph::GraphBase& graph,
                                             const std::vector<RasterTile>& cells,
                                             const RegionTest& paintedLater) {
  std::unordered_map<const TesselFixed::Region*, std::size_t> cellOf;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    for (const auto* region : cells[c].regions) cellOf[region] = c;
  }
  std::vector<RasterJob> jobs;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto later = [&](const TesselFixed::Region* region) {
      const auto it = cellOf.find(region);
      return it != cellOf.end() ? it->second > c : paintedLater(region);
    };
    const auto regions = ExtendUnderLaterPieces(cells[c].regions, later);
    auto r = cells[c].pixelRect;
    // Only an image that reaches under something needs the pixel more.
    if (regions.size() > cells[c].regions.size()) r = {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    jobs.push_back({MakeCompound(graph, regions), r});
  }
  return jobs;
}

}  // namespace

std::vector<RasterJob> PlanRasterJobs(const DocumentGraph::GraphBase& graph,
                                      const std::vector<const TesselFixed::Region*>& regions,
                                      const Vexl::Transformation& pageToRaster,
                                      const MavSc::Environment& environment,
                                      std::size_t separationCount, const RegionTest& paintedLater) {
  auto cells = BinIntoGrid(MakeTiles(graph, regions, pageToRaster, environment));
  Merge(cells, double(separationCount));
  if (paintedLater) return ReachUnderLaterPieces(graph, cells, paintedLater);
  std::vector<RasterJob> jobs;
  for (auto& cell : cells) {
    if (cell.outlines.size() == 1) {
      jobs.push_back({cell.outlines.front(), cell.pixelRect});
      continue;
    }
    Vexl::CompoundFactory factory;
    for (const auto& outline : cell.outlines) {
      for (const auto& subpath : outline->GetSubpaths()) factory.AddSubpath(subpath);
    }
    jobs.push_back({factory.GetResult(), cell.pixelRect});
  }
  return jobs;
}

}  // namespace Corvel
