#pragma once
// Pages of shadings and pictures for the raster fallback, mapped and grouped by stack.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <flatten/FillProperties.h>
#include <flatten/RegionOutlines.h>
#include <mavdoc/Builder.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>
#include <raster/FillRasterizer.h>
#include <tessel/Graph.h>
#include <vexl/Measure.h>
#include <tests/TestRectangles.h>

namespace RasterTest {

using CorvelTest::Box;

// An axial shading along x from `fromX` to `toX` (millipoints), extended at both ends, whose
// channels run from `start` to `end` linearly and are mapped onto `inks` in order.
inline std::shared_ptr<const MavPaint::AxialShadingPaint> Ramp(std::vector<std::string> inks,
                                                               std::vector<float> start,
                                                               std::vector<float> end,
                                                               double fromX = 0, double toX = 100000) {
  MavPaint::ShadingCommon common;
  common.function = std::make_shared<const MavPaint::ExponentialFunction>(std::move(start), std::move(end), 1.0);
  for (std::size_t i = 0; i < inks.size(); ++i) common.mapping[inks[i]].channel = i;
  return std::make_shared<const MavPaint::AxialShadingPaint>(
      common, Vexl::Point{fromX, 0}, Vexl::Point{toX, 0}, std::array<double, 2>{0, 1},
      std::array<bool, 2>{true, true});
}

// A one-channel Black picture of `columns` × `rows` pixels with varying samples.
inline std::shared_ptr<const MavImg::PaintedPicture> Picture(const MavDoc::Document& document, int columns,
                                                             int rows) {
  MavImg::PictureBuffer::Factory buffer(columns, rows, 1, 8);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      buffer.GetRowPtr(row)[column] = static_cast<std::uint8_t>((row * columns + column) * 7 % 256);
    }
  }
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  mapping["Black"].channel = 0;
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), mapping, std::vector<MavImg::ChannelInfo>{MavImg::ChannelInfo("Black", 0, {0, 1})},
      nullptr, std::nullopt, nullptr, Vexl::Transformation::Identity());
  return MavImg::PaintedPicture::Factory(&document, MavImg::PictureData::Factory(&document, source).Get(), false)
      .Get();
}

// A page of `width` × `height` millipoints with the process inks.
struct RasterPage {
  explicit RasterPage(double width = 100000, double height = 100000)
      : content(document.AddPage(Box(0, 0, width, height)).GetContent()) {}

  void Map() {
    environment = std::make_unique<Corvel::GraphEnvironment>(Corvel::PrepareGraphEnvironment(
        content, [](const auto& layer) { return layer->visible; }, true,
        [](const MavDoc::ContentObject&) { return true; }));
    groups = Corvel::GroupRegionsByStack(Graph());
  }
  const Corvel::AttributedGraph& Graph() const { return *environment->GetImpl()->graph; }
  const Vexl::Rectangle& Working() const { return environment->GetImpl()->bounds; }

  // The stack with the most elements: for artwork of equal shapes, where it all overlaps.
  const Corvel::RegionGroup& DeepestGroup() const {
    const Corvel::RegionGroup* deepest = &groups.at(0);
    for (const auto& group : groups) {
      if (group.fill->NElements() > deepest->fill->NElements()) deepest = &group;
    }
    return *deepest;
  }

  Corvel::FillRasterizer Rasterizer(double resolution, bool inkTypeStacking = false) {
    return Corvel::FillRasterizer(&Graph(), &content, Working(), resolution, inkTypeStacking, std::nullopt);
  }

  MavDoc::Document document;
  MavDoc::Content& content;
  std::unique_ptr<Corvel::GraphEnvironment> environment;
  std::vector<Corvel::RegionGroup> groups;
};

inline MavDoc::Image& AddPicture(RasterPage& page, int columns, int rows, const Vexl::Transformation& t) {
  auto& image = MavDoc::Build::Add(page.content, std::make_unique<MavDoc::Image>(Picture(page.document, columns, rows)));
  image.SetTransformation(t, 0);
  return image;
}

inline double Area(const Vexl::Compound& compound) { return std::fabs(Vexl::SignedArea(compound)); }

}  // namespace RasterTest
