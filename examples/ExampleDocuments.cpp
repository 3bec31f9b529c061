#include <examples/ExampleDocuments.h>

#include <mavdoc/Builder.h>

namespace Corvel::Examples {

namespace {

using namespace MavDoc::Build;
using MavBlend::BlendMode;

Vexl::Rectangle Box(double x, double y, double w, double h) {
  return {x * 1000, y * 1000, w * 1000, h * 1000, false};
}

}  // namespace

std::unique_ptr<MavDoc::Document> MakeOverlapExample() {
  auto info = MavDoc::Separation::ProcessEntries();
  info.emplace_back("PANTONE 123 C", MavDoc::Separation::kNormalInk,
                    MavDoc::Separation::Representation{{0, 0.24f, 0.94f, 0}});
  auto document = std::make_unique<MavDoc::Document>(std::move(info));
  MavDoc::Page& page = document->AddPage(Box(0, 0, 612, 792));
  MavDoc::Content& content = page.GetContent();

  Add(content, FilledRectangle(Box(72, 400, 300, 200), Flat({{"Cyan", 1.0f}})));
  Add(content, FilledEllipse({320000, 420000}, 120000, 120000, Flat({{"Magenta", 0.8f}}),
                             Blend(BlendMode::Multiply, 0.6f)));

  auto& layer = Add(content, MakeLayer("Spot"));
  auto& group = Add(layer, TransparencyGroup(Blend(BlendMode::Normal, 0.5f), true, false));
  Add(group, FilledRectangle(Box(250, 300, 200, 150), Flat({{"PANTONE 123 C", 1.0f}})));

  auto& clipped = Add(content, std::make_unique<MavDoc::Group>());
  Add(clipped, ClipRectangle(Box(100, 250, 400, 60)));
  Add(clipped, FilledEllipse({300000, 280000}, 250000, 50000, Flat({{"Yellow", 1.0f}}),
                             Blend(BlendMode::Darken, 0.9f)));
  return document;
}

}  // namespace Corvel::Examples
