// Shadings, pictures, masked pictures, clips and layers under transparency.
#include <examples/CatalogueCases.h>
#include <examples/CatalogueSupport.h>

namespace Corvel::Examples::Detail {

namespace {

using MavBlend::BlendMode;
using MavDoc::Build::Add;
using MavDoc::Build::Blend;
using MavDoc::Build::Flat;
using MavDoc::Build::TransparencyGroup;

// A picture of soft diagonal bands over Cyan, Magenta and the first spot, `columns` × `rows`.
std::shared_ptr<const MavImg::PaintedPicture> Bands(int columns, int rows,
                                                    std::function<int(int, int)> alpha = {}) {
  PictureSamples samples;
  samples.columns = columns;
  samples.rows = rows;
  samples.names = {"Cyan", "Magenta", kSpot};
  samples.sample = [=](int channel, int column, int row) {
    const int band = (column + row) % 4;
    if (channel == 0) return 40 + 50 * band;
    if (channel == 1) return 200 - 40 * band;
    return row * 255 / std::max(1, rows - 1);
  };
  samples.alpha = std::move(alpha);
  return MakePicture(samples);
}

}  // namespace

std::unique_ptr<MavDoc::Document> Shadings() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  // An axial process shading multiplied over a spot bar, a radial spot shading at .6 over cyan,
  // and a flat transparent disc over an opaque shading.
  Rectangle(content, Rect(10, 65, 90, 20), Flat({{kSpot, .7f}}));
  Rectangle(content, Rect(20, 60, 70, 50),
            Axial({"Cyan", "Magenta", "Yellow", "Black"}, {0, .8f, .2f, 0}, {.9f, 0, .5f, .2f}, {20, 0}, {90, 0}),
            Blend(BlendMode::Multiply, .8f));
  Rectangle(content, Rect(120, 60, 90, 50), Cmyk(.5f, 0, 0, 0));
  Ellipse(content, 165, 85, 30, 22, Radial({kSpot2}, {1}, {.1f}, {165, 85}, 30), Blend(BlendMode::Normal, .6f));
  Rectangle(content, Rect(10, 10, 200, 40), Axial({kSpot, "Black"}, {0, .1f}, {1, .3f}, {10, 0}, {210, 0}));
  Ellipse(content, 70, 30, 25, 15, Cmyk(0, .9f, 0, 0), Blend(BlendMode::Screen, .7f));
  Ellipse(content, 150, 30, 25, 15, Flat({{kSpot2, .6f}}), Blend(BlendMode::Darken, .5f));
  return document;
}

std::unique_ptr<MavDoc::Document> Pictures() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  // Pixels are 5 pt: their edges are outline band, their insides are compared.
  PlaceImage(content, Bands(16, 10), Rect(10, 10, 80, 50));
  Ellipse(content, 50, 35, 30, 20, Cmyk(0, 0, .8f, 0), Blend(BlendMode::Multiply, .7f));
  Rectangle(content, Rect(110, 10, 100, 100), Cmyk(0, 0, .3f, .1f));
  auto& image = PlaceImage(content, Bands(12, 12), Rect(120, 20, 60, 60));
  image.SetTransparency(Blend(BlendMode::Multiply, .5f));
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, .6f), true, false));
  PlaceImage(group.GetContent(), Bands(8, 8), Rect(150, 50, 50, 50));
  Ellipse(group, 175, 75, 15, 15, Flat({{kSpot2, 1}}), Blend(BlendMode::Normal, .5f));
  return document;
}

std::unique_ptr<MavDoc::Document> MaskedPictures() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  // A picture with a coverage channel over a fill.
  Rectangle(content, Rect(10, 10, 90, 100), Cmyk(0, .3f, 0, .1f));
  PlaceImage(content, Bands(10, 10, [](int column, int row) { return (column * 28 + row * 3) % 256; }),
             Rect(20, 20, 70, 70));
  // A stencil under alpha: the fill where the mask is set.
  Rectangle(content, Rect(120, 10, 90, 100), Cmyk(.5f, 0, 0, 0));
  PictureSamples stencil;
  stencil.columns = 8;
  stencil.rows = 8;
  stencil.names = {"Black"};
  stencil.sample = [](int, int column, int row) { return (column + row) % 3 == 0 ? 255 : 0; };
  auto& mask = Add(content, std::make_unique<MavDoc::ImageMask>(MakePicture(stencil), false));
  mask.SetFillPaint(Flat({{kSpot, 1}, {"Magenta", .3f}}));
  mask.SetTransparency(Blend(BlendMode::Normal, .5f));
  mask.SetTransformation(Vexl::Transformation::Scaling(80, 80) * Vexl::Transformation::Translation(Pt(125), Pt(20)), 0);
  return document;
}

std::unique_ptr<MavDoc::Document> Clipping() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  Rectangle(content, Rect(10, 10, 200, 100), Flat({{"Yellow", .3f}}));
  // A curved clip around transparent artwork.
  auto& clipped = Add(content, std::make_unique<MavDoc::Group>());
  auto& clip = Ellipse(clipped, 60, 60, 45, 35, Cmyk(0, 0, 0, 0));
  clip.SetClippingObject(true);
  Rectangle(clipped, Rect(10, 30, 100, 30), Cmyk(0, .8f, 0, 0), Blend(BlendMode::Multiply, .7f));
  Ellipse(clipped, 80, 80, 30, 30, Flat({{kSpot2, .9f}}), Blend(BlendMode::Normal, .5f));
  // Nested clips: a rectangle inside an even-odd ring.
  auto& outer = Add(content, std::make_unique<MavDoc::Group>());
  Vexl::CompoundFactory both;
  for (double radius : {40, 18}) {
    const auto circle = Vexl::MakeEllipse({Pt(165), Pt(60)}, Pt(radius), Pt(radius));
    for (const auto& s : circle->GetSubpaths()) both.AddSubpath(s);
  }
  auto ring = std::make_unique<MavDoc::Path>(both.GetResult());
  ring->SetFillRule(Vexl::FillRule::EvenOdd);
  ring->SetClippingObject(true);
  Add(outer, std::move(ring));
  auto& inner = Add(outer, std::make_unique<MavDoc::Group>());
  auto& band = Rectangle(inner, Rect(120, 45, 90, 30), Cmyk(0, 0, 0, 0));
  band.SetClippingObject(true);
  Rectangle(inner, Rect(110, 10, 100, 100), Cmyk(.7f, 0, 0, .2f), Blend(BlendMode::Multiply, .8f));
  return document;
}

std::unique_ptr<MavDoc::Document> Layers() {
  auto document = MakeDocument(160, 120);
  auto& content = PageContent(*document);
  auto& base = Add(content, MavDoc::Build::MakeLayer("Base"));
  Rectangle(base, Rect(10, 10, 140, 100), Flat({{kSpot, .5f}}));
  auto& hidden = Add(content, MavDoc::Build::MakeLayer("Proof notes", false));
  Rectangle(hidden, Rect(20, 20, 60, 60), Cmyk(0, 0, 0, 1));
  auto& art = Add(content, MavDoc::Build::MakeLayer("Artwork"));
  Ellipse(art, 60, 60, 35, 35, Cmyk(.8f, .2f, 0, 0), Blend(BlendMode::Multiply, .6f));
  Ellipse(art, 100, 60, 35, 35, Flat({{kSpot2, 1}}), Blend(BlendMode::Normal, .5f));
  return document;
}

}  // namespace Corvel::Examples::Detail
