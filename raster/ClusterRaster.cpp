#include <raster/ClusterRaster.h>
#include <raster/RenderLimit.h>

#include <algorithm>
#include <cmath>

#include <color/SeparationSetup.h>
#include <color/UsedSeparations.h>
#include <raster/ImageRegions.h>
#include <sampling/ElementCoverage.h>
#include <tessel/Fill.h>
#include <vexl/Measure.h>

namespace Corvel {

namespace {

using InputKind = Tessel::Input::TObject::Kind;

// Tiles of this many pixels square each composite only the elements whose bounds meet them,
// so that a pixel pays for the objects near it, not for the whole cluster.
constexpr long long kClusterTile = 128;
constexpr double kClusterPointsPerInch = 72, kClusterMillipointsPerPoint = 1000;
// Curves are cut into chords within a quarter of a pixel: closer than the pixel centres can tell.
constexpr double kClusterChordPixels = 0.25;

bool ClusterInsideMaskArtwork(const Tessel::Input& input, std::uint32_t node) {
  const auto& nodes = input.GetNodes();
  for (std::uint32_t at = nodes[node].parent; at != Tessel::Input::kNone; at = nodes[at].parent)
    if (nodes[at].kind == InputKind::SoftMask) return true;
  return false;
}

// The soft mask nearest above `node`, or kNone.
std::uint32_t ClusterEnclosingMask(const Tessel::Input& input, std::uint32_t node) {
  const auto& nodes = input.GetNodes();
  for (std::uint32_t at = nodes[node].parent; at != Tessel::Input::kNone; at = nodes[at].parent)
    if (nodes[at].kind == InputKind::SoftMask) return at;
  return Tessel::Input::kNone;
}

bool ClusterBoxesMeet(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  return !a.IsNull() && !b.IsNull() && a.Left() <= b.Right() && b.Left() <= a.Right() &&
         a.Bottom() <= b.Top() && b.Bottom() <= a.Top();
}

// The elements to composite in `world`: painted elements meeting it, then mask artwork meeting
// it whose mask applies to something already chosen (outer masks first, hence the passes).
std::vector<std::uint32_t> ClusterElementsMeeting(const Tessel::Input& input,
                                           std::span<const std::uint32_t> elements,
                                           const Sampling::ElementCoverage& coverage,
                                           const Vexl::Rectangle& world) {
  const auto& nodes = input.GetNodes();
  std::vector<std::uint32_t> chosen, artwork;
  for (const std::uint32_t e : elements) {
    if (!ClusterBoxesMeet(coverage.Bounds(e), world)) continue;
    (ClusterInsideMaskArtwork(input, e) ? artwork : chosen).push_back(e);
  }
  std::vector<bool> present(nodes.size(), false);
  const auto mark = [&](std::uint32_t e) {
    for (std::uint32_t n = e; n != Tessel::Input::kNone; n = nodes[n].parent) {
      present[n] = true;
      if (nodes[n].softMask != Tessel::Input::kNone) present[nodes[n].softMask] = true;
    }
  };
  for (const std::uint32_t e : chosen) mark(e);
  for (bool added = true; added;) {
    added = false;
    for (std::uint32_t& e : artwork) {
      if (e == Tessel::Input::kNone || !present[ClusterEnclosingMask(input, e)]) continue;
      chosen.push_back(e);
      mark(e);
      e = Tessel::Input::kNone;
      added = true;
    }
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

Vexl::Subpath ClusterReversedSubpath(const Vexl::Subpath& subpath) {
  const auto& segments = subpath.GetSegments();
  Vexl::Subpath out(subpath.GetEnd(), subpath.IsClosed());
  for (std::size_t i = segments.size(); i-- > 0;) {
    const Vexl::Point to = i == 0 ? subpath.GetStart() : segments[i - 1].end;
    if (segments[i].IsCubic()) {
      out.CubicTo(segments[i].control2, segments[i].control1, to);
    } else {
      out.LineTo(to);
    }
  }
  return out;
}

// Renders the cluster's pixel rectangle tile by tile into one pixel-interleaved buffer.
RenderedTile RenderCluster(const FillRasterizer& rasterizer, const Tessel::Input& input,
                           std::span<const std::uint32_t> elements, const MavSc::Options& options,
                           const MavSc::Environment& environment,
                           const MavMath::Rectangle<long long>& pixels) {
  const double pixelSize = environment.GetWorld().width / double(environment.GetColumns());
  const Sampling::ElementCoverage coverage(input, elements, pixelSize * kClusterChordPixels);
  RenderedTile image;
  image.names = options.GetBlendingSeparations();
  const std::size_t n = image.names.size();
  image.width = static_cast<std::size_t>(pixels.Width());
  image.height = static_cast<std::size_t>(pixels.Height());
  image.bytes.assign(image.width * image.height * n, 0);
  std::vector<MavMath::Rectangle<long long>> tiles;
  for (long long top = pixels.top; top < pixels.bottom; top += kClusterTile) {
    for (long long left = pixels.left; left < pixels.right; left += kClusterTile)
      tiles.push_back({left, top, std::min(left + kClusterTile, pixels.right),
                       std::min(top + kClusterTile, pixels.bottom)});
  }
  // Each tile writes only its own pixels, so tiles render on spare threads in any order.
  RunTasks(rasterizer.renderTasks, tiles.size(), [&](std::size_t t) {
    const MavMath::Rectangle<long long>& tile = tiles[t];
    const auto chosen = ClusterElementsMeeting(input, elements, coverage, environment.TargetToWorld(tile));
    if (chosen.empty()) return;
    const Tessel::TFill fill = Tessel::MakeFillOfElements(input, chosen);
    MavSc::ScanConverter converter(MavSc::CollectTesselFillComponents(
        environment, options, *rasterizer.content, tile, &fill, Vexl::Transformation::Identity(),
        &coverage));
    const auto width = static_cast<std::size_t>(tile.Width());
    std::vector<std::uint8_t> line(width * n);
    for (long long row = tile.top; converter.GetLine255PlaneInterleaved(line.data(), width); ++row) {
      std::uint8_t* out = image.bytes.data() +
                          (static_cast<std::size_t>(row - pixels.top) * image.width +
                           static_cast<std::size_t>(tile.left - pixels.left)) * n;
      for (std::size_t x = 0; x < width; ++x)
        for (std::size_t c = 0; c < n; ++c) out[x * n + c] = line[c * width + x];
    }
  });
  return image;
}

}  // namespace

std::shared_ptr<const Vexl::Compound> ClusterOutline(const Tessel::Input& input,
                                                     std::span<const std::uint32_t> elements) {
  Vexl::CompoundFactory factory;
  for (const std::uint32_t e : elements) {
    if (ClusterInsideMaskArtwork(input, e)) continue;
    const Vexl::Compound& shape = *input.GetNodes()[e].shape.compound;
    const bool reverse = Vexl::SignedArea(shape) < 0;
    for (const auto& subpath : shape.GetSubpaths()) {
      Vexl::Subpath closed = reverse ? ClusterReversedSubpath(subpath) : subpath;
      closed.SetClosed(true);
      factory.AddSubpath(std::move(closed));
    }
  }
  return factory.GetResult();
}

std::unique_ptr<MavDoc::ContentObject> RasterizeCluster(const FillRasterizer& rasterizer,
                                                        const Tessel::Input& input,
                                                        std::span<const std::uint32_t> elements,
                                                        double resolution) {
  const Tessel::TFill whole = Tessel::MakeFillOfElements(input, elements);
  UsedSeparationCollector collector(*rasterizer.content, rasterizer.separation);
  collector.Visit(whole.GetRootComponent());
  auto used = collector.GetUsed();
  OrderBySeparationInfo(used.GetEntries(), used.NamedBegin(),
                        rasterizer.content->GetDocument()->GetSeparationInfo());
  if (used.NamedCount() == 0) return nullptr;
  std::vector<std::string> names;
  for (std::size_t i = used.NamedBegin(); i < used.Size(); ++i) names.push_back(used.GetEntries()[i].name);
  const auto& area = rasterizer.workingRectangle;
  const auto gridAt = [&](double ppi) {
    const auto toPixels = [&](double millipoints) {
      return std::max<std::int64_t>(0, std::llround(millipoints / kClusterMillipointsPerPoint /
                                                    kClusterPointsPerInch * ppi));
    };
    return RasterGeometry{Vexl::Transformation::Identity(),
                          MavSc::Environment(area, toPixels(area.width), toPixels(area.height)),
                          false};
  };
  RasterGeometry geometry = gridAt(resolution);
  RasterJob job{ClusterOutline(input, elements), {}};
  job.pixelRect = geometry.environment.WorldToTarget(job.clip->GetBoundingBox());
  if (job.pixelRect.IsEmpty()) return nullptr;
  const double pixels = double(job.pixelRect.Width()) * double(job.pixelRect.Height());
  if (const double scale = RenderScaleWithin(pixels, names.size(), rasterizer.maxRenderedSamples);
      scale < 1) {
    NoteCoarserRender(rasterizer.warnings, pixels, names.size(), scale, rasterizer.maxRenderedSamples);
    geometry = gridAt(resolution * scale);
    job.pixelRect = geometry.environment.WorldToTarget(job.clip->GetBoundingBox());
    if (job.pixelRect.IsEmpty()) return nullptr;
  }
  RenderedTile image = RenderCluster(rasterizer, input, elements, MavSc::Options(names),
                                     geometry.environment, job.pixelRect);
  return ClippedTileObject(rasterizer, geometry, job, std::move(image));
}

}  // namespace Corvel
