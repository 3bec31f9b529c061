#include <raster/FillRasterizer.h>

#include <algorithm>
#include <cmath>

#include <color/SeparationSetup.h>
#include <color/UsedSeparations.h>
#include <raster/ImageRegions.h>
#include <raster/RenderLimit.h>

namespace Corvel {

namespace {

constexpr std::uint32_t kNewGroupFlags = 511;
constexpr int kFullTint = 255;
constexpr int kImageTransformationMode = 7;
// Jobs of one fill rendered together: enough to keep a few threads busy, few enough that their
// pixels stay a small part of the page's memory.
constexpr std::size_t kFillJobsAtOnce = 4;

// Ink-type rule per pixel: walking from the last printed channel down, an opaque ink covers
// what prints before it in proportion to its tint.
void ApplyInkTypes(std::uint8_t* pixel, const std::vector<bool>& opaque) {
  double factor = 1.0;
  for (std::size_t c = opaque.size(); c-- > 0;) {
    const int v = pixel[c];
    if (v == 0 || factor == 0) {
      pixel[c] = 0;
    } else if (factor != 1.0) {
      pixel[c] = static_cast<std::uint8_t>(std::lround(v * factor));
    }
    if (opaque[c]) factor = v == kFullTint ? 0 : factor * (kFullTint - v) / double(kFullTint);
  }
}

RenderedTile Render(const FillRasterizer& rasterizer, const MavSc::Options& options,
                    const RasterGeometry& geometry, const RasterJob& job, const Tessel::TFill* fill) {
  RenderedTile tile;
  tile.names = options.GetBlendingSeparations();
  const std::size_t n = tile.names.size();
  tile.width = static_cast<std::size_t>(job.pixelRect.Width());
  tile.height = static_cast<std::size_t>(job.pixelRect.Height());
  MavSc::ScanConverter converter(MavSc::CollectTesselFillComponents(
      geometry.environment, options, *rasterizer.content, job.pixelRect, fill,
      geometry.transformation.Inverse()));
  std::vector<bool> opaque(n, false);
  const auto& info = rasterizer.content->GetDocument()->GetSeparationInfo();
  for (std::size_t c = 0; c < n; ++c) {
    const auto it = MavDoc::Separation::Find(info, tile.names[c]);
    opaque[c] = it != info.end() && it->GetInkType() == MavDoc::Separation::kOpaqueInk;
  }
  std::vector<std::uint8_t> line(tile.width * n);
  tile.bytes.resize(tile.width * tile.height * n);
  for (std::size_t y = 0; y < tile.height; ++y) {
    converter.GetLine255PlaneInterleaved(line.data(), tile.width);
    std::uint8_t* row = tile.bytes.data() + y * tile.width * n;
    for (std::size_t x = 0; x < tile.width; ++x) {
      for (std::size_t c = 0; c < n; ++c) row[x * n + c] = line[c * tile.width + x];
      if (rasterizer.inkTypeStacking) ApplyInkTypes(row + x * n, opaque);
    }
  }
  return tile;
}

// The constant value of each channel, or -1 where the channel varies.
std::vector<int> ConstantChannels(const RenderedTile& tile) {
  const std::size_t n = tile.names.size();
  std::vector<int> constant(n);
  for (std::size_t c = 0; c < n; ++c) constant[c] = tile.bytes.empty() ? 0 : tile.bytes[c];
  for (std::size_t i = 0; i < tile.bytes.size(); ++i) {
    const std::size_t c = i % n;
    if (constant[c] >= 0 && tile.bytes[i] != constant[c]) constant[c] = -1;
  }
  return constant;
}

std::unique_ptr<MavDoc::ContentObject> FlatTile(const FillRasterizer& rasterizer, const RasterJob& job,
                                                const RenderedTile& tile, const std::vector<int>& constant) {
  MavColor::Color color;
  for (std::size_t c = 0; c < constant.size(); ++c) {
    if (constant[c] != 0) color[tile.names[c]].value = float(constant[c]) / kFullTint;
  }
  auto path = std::make_unique<MavDoc::Path>(job.clip);
  path->SetFillPaint(
      MavPaint::FlatPaint::Factory(std::move(color), rasterizer.content->GetDocument(), nullptr).Get());
  return path;
}

// The tile's pixels without its all-zero channels, packed in place and handed over without a
// copy (a page-wide render is hundreds of megabytes).
std::shared_ptr<const MavImg::PictureBuffer> KeptChannels(RenderedTile&& tile,
                                                          const std::vector<int>& constant,
                                                          std::vector<std::string>& names) {
  const std::size_t n = tile.names.size();
  std::vector<std::size_t> kept;
  for (std::size_t c = 0; c < n; ++c) {
    if (constant[c] != 0) kept.push_back(c);
  }
  if (kept.size() < n) {
    // Each pixel moves to a place no later than its own, so reading stays ahead of writing.
    std::uint8_t* bytes = tile.bytes.data();
    const std::size_t pixels = tile.width * tile.height;
    for (std::size_t p = 0; p < pixels; ++p)
      for (std::size_t k = 0; k < kept.size(); ++k) bytes[p * kept.size() + k] = bytes[p * n + kept[k]];
    tile.bytes.resize(pixels * kept.size());
  }
  names.clear();
  for (std::size_t c : kept) names.push_back(tile.names[c]);
  MavImg::PictureBuffer::Factory factory(static_cast<int>(tile.width), static_cast<int>(tile.height),
                                         static_cast<int>(kept.size()), 8, std::move(tile.bytes));
  return factory.GetResult();
}

std::unique_ptr<MavDoc::ContentObject> ImageTile(const FillRasterizer& rasterizer,
                                                 const RasterGeometry& geometry, const RasterJob& job,
                                                 RenderedTile&& tile, const std::vector<int>& constant) {
  const MavDoc::Document* document = rasterizer.content->GetDocument();
  std::vector<std::string> names;
  auto buffer = KeptChannels(std::move(tile), constant, names);
  std::vector<MavImg::ChannelInfo> infos;
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  const auto& info = document->GetSeparationInfo();
  for (const auto& name : names) {
    MavImg::ChannelInfo channel(name, 0, {0.0, 1.0});
    // An ink the document does not list (a process ink added for blending) has no appearance.
    if (const auto it = MavDoc::Separation::Find(info, name); it != info.end()) {
      channel.SetRepresentation(it->GetRepresentation().cmyk);
    }
    mapping[name].channel = infos.size();
    infos.push_back(std::move(channel));
  }
  auto source = std::make_shared<MavImg::BufferedPictureSource>(
      std::move(buffer), std::move(mapping), std::move(infos), nullptr, std::nullopt, nullptr,
      Vexl::Transformation::Identity());
  source->SetContinuousTone(geometry.continuousTone);
  source->SetFromLossyData(geometry.fromLossyData);
  auto data = MavImg::PictureData::Factory(document, std::move(source)).Get();
  auto image = std::make_unique<MavDoc::Image>(MavImg::PaintedPicture::Factory(document, data, false).Get());
  const Vexl::Rectangle world = geometry.environment.TargetToWorld(job.pixelRect);
  image->SetTransformation(Vexl::Transformation::Scaling(world.width / MavDoc::Image::kUnit,
                                                         world.height / MavDoc::Image::kUnit) *
                               Vexl::Transformation::Translation(world.x, world.y) *
                               geometry.transformation,
                           kImageTransformationMode);
  auto clip = std::make_unique<MavDoc::Path>(job.clip);
  clip->SetClippingObject(true);
  auto group = std::make_unique<MavDoc::Group>(kNewGroupFlags);
  group->AddOnTop(std::move(image));
  group->AddOnTop(std::move(clip));
  return group;
}

}  // namespace

std::unique_ptr<MavDoc::ContentObject> ClippedTileObject(const FillRasterizer& rasterizer,
                                                         const RasterGeometry& geometry,
                                                         const RasterJob& job,
                                                         RenderedTile&& tile) {
  const auto constant = ConstantChannels(tile);
  const bool flat = std::none_of(constant.begin(), constant.end(), [](int v) { return v < 0; });
  return flat ? FlatTile(rasterizer, job, tile, constant)
              : ImageTile(rasterizer, geometry, job, std::move(tile), constant);
}

FillRasterizer::FillRasterizer(const DocumentGraph::GraphBase* graph, MavDoc::Content* content,
                               const Vexl::Rectangle& workingRectangle, double resolution,
                               bool inkTypeStacking, std::optional<std::string> separation)
    : graph(graph),
      content(content),
      workingRectangle(workingRectangle),
      resolution(resolution),
      gradientResolution(resolution),
      inkTypeStacking(inkTypeStacking),
      separation(std::move(separation)) {}

std::optional<std::unique_ptr<MavDoc::ContentObject>> FillRasterizer::RasterizeFill(
    const std::vector<const TesselFixed::Region*>& regions, const Tessel::TFill* fill,
    const RegionTest& paintedLater) const {
  UsedSeparationCollector collector(*content, separation);
  collector.Visit(fill->GetRootComponent());
  auto used = collector.GetUsed();
  OrderBySeparationInfo(used.GetEntries(), used.NamedBegin(), content->GetDocument()->GetSeparationInfo());
  if (used.NamedCount() == 0) return std::nullopt;
  std::vector<std::string> names;
  for (std::size_t i = used.NamedBegin(); i < used.Size(); ++i) names.push_back(used.GetEntries()[i].name);
  const MavSc::Options options(names);
  RasterGeometry geometry = ComputeRasterGeometry(*this, *fill);
  auto jobs = PlanRasterJobs(*graph, regions, geometry.transformation.Inverse(),
                             geometry.environment, names.size(), paintedLater);
  // The largest image decides: the fill's images share one grid.
  double largest = 0;
  for (const RasterJob& job : jobs)
    largest = std::max(largest, double(job.pixelRect.Width()) * double(job.pixelRect.Height()));
  if (const double scale = RenderScaleWithin(largest, names.size(), maxRenderedSamples); scale < 1) {
    NoteCoarserRender(warnings, largest, names.size(), scale, maxRenderedSamples);
    geometry = ComputeRasterGeometry(*this, *fill, scale);
    jobs = PlanRasterJobs(*graph, regions, geometry.transformation.Inverse(), geometry.environment,
                          names.size(), paintedLater);
  }
  std::unique_ptr<MavDoc::ContentObject> single;
  std::unique_ptr<MavDoc::Group> group;
  const auto add = [&](std::unique_ptr<MavDoc::ContentObject> object) {
    if (!single && !group) {
      single = std::move(object);
      return;
    }
    if (!group) {
      group = std::make_unique<MavDoc::Group>(kNewGroupFlags);
      group->AddOnTop(std::move(single));
    }
    group->AddOnTop(std::move(object));
  };
  // A few jobs' pixels at a time are rendered together (on spare threads when there are any);
  // their objects, which the document keeps, are made here in the jobs' order.
  for (std::size_t first = 0; first < jobs.size(); first += kFillJobsAtOnce) {
    const std::size_t count = std::min(kFillJobsAtOnce, jobs.size() - first);
    std::vector<RenderedTile> tiles(count);
    RunTasks(renderTasks, count, [&](std::size_t i) {
      const RasterJob& job = jobs[first + i];
      if (!job.pixelRect.IsEmpty()) tiles[i] = Render(*this, options, geometry, job, fill);
    });
    for (std::size_t i = 0; i < count; ++i) {
      if (jobs[first + i].pixelRect.IsEmpty()) continue;
      add(ClippedTileObject(*this, geometry, jobs[first + i], std::move(tiles[i])));
      tiles[i] = RenderedTile{};
    }
  }
  if (group) return std::unique_ptr<MavDoc::ContentObject>(std::move(group));
  return single;
}

}  // namespace Corvel
