#include <flatten/FlattenedResult.h>

#include <flatten/FillProperties.h>
#include <flatten/SeamExtension.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>

namespace Corvel {

namespace {

// The resolution of rendered regions when results are asked for without placing them.
constexpr double kResultResolution = 1200.0;

}  // namespace

std::unique_ptr<MavDoc::Path> MakeFlatPath(const AttributedGraph& graph, const RegionGroup& group,
                                           const std::vector<const TesselFixed::Region*>& regions,
                                           MavDoc::Content& content, MavColor::Color colour,
                                           const std::vector<Vexl::Subpath>& band) {
  auto outline = MakeCompound(graph, regions);
  if (outline->GetSubpaths().empty()) return nullptr;
  if (!band.empty()) {
    std::vector<Vexl::Subpath> subpaths = outline->GetSubpaths();
    subpaths.insert(subpaths.end(), band.begin(), band.end());
    outline = std::make_shared<const Vexl::Compound>(std::move(subpaths));
  }
  auto path = std::make_unique<MavDoc::Path>(std::move(outline));
  path->SetFillPaint(
      MavPaint::FlatPaint::Factory(std::move(colour), content.GetDocument(), nullptr).Get());
  if (auto halftone = GetFillHalftoneSet(group.fill)) path->SetHalftoneSet(*halftone);
  return path;
}

std::unique_ptr<MavDoc::Path> MakeFlatPath(const AttributedGraph& graph, const RegionGroup& group,
                                           MavDoc::Content& content, MavColor::Color colour) {
  return MakeFlatPath(graph, group, group.regions, content, std::move(colour));
}

std::unique_ptr<MavDoc::ContentObject> CreateRegionObject(
    const RegionGroup& group, const AttributedGraph& graph, MavDoc::Content& content,
    const SamplingContext& sampling, FillRasterizer& rasterizer, const SeamReach& reach) {
  const RegionTest& paintedLater = reach.paintedLater;
  const auto flatRegions = [&] {
    if (!reach.flatRegions.empty()) return reach.flatRegions;
    return paintedLater ? ExtendUnderLaterPieces(group.regions, paintedLater) : group.regions;
  };
  SampledColor colour = SampleFillColor(sampling, group.fill);
  if (auto* list = std::get_if<MavColor::Color>(&colour)) {
    return MakeFlatPath(graph, group, flatRegions(), content, std::move(*list), reach.flatBand);
  }
  if (auto rendered = rasterizer.RasterizeFill(group.regions, group.fill, paintedLater)) {
    return std::move(*rendered);
  }
  colour = MakeEmptyColor();
  return MakeFlatPath(graph, group, flatRegions(), content,
                      std::move(std::get<MavColor::Color>(colour)), reach.flatBand);
}

std::vector<std::unique_ptr<MavDoc::ContentObject>> GetFlattenedResult(
    const GraphEnvironment& environment, bool inkTypeStacking,
    const std::optional<std::string>& separation) {
  const GraphEnvironment::Impl* impl = environment.GetImpl();
  if (!impl || !impl->graph) throw std::invalid_argument("The graph environment holds no map");
  std::vector<std::unique_ptr<MavDoc::ContentObject>> result;
  const SamplingContext sampling = MakeSamplingContext(*impl->content, inkTypeStacking, separation);
  FillRasterizer rasterizer(impl->graph.get(), impl->content, impl->bounds, kResultResolution,
                            inkTypeStacking, separation);
  for (const RegionGroup& group : GroupRegionsByStack(*impl->graph)) {
    if (auto object = CreateRegionObject(group, *impl->graph, *impl->content, sampling, rasterizer)) {
      result.push_back(std::move(object));
    }
  }
  return result;
}

}  // namespace Corvel
