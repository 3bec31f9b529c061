// Strokes, text, and a busy page mixing every kind of artwork.
#include <examples/CatalogueCases.h>
#include <examples/CatalogueSupport.h>

#include <numbers>

namespace Corvel::Examples::Detail {

namespace {

using MavBlend::BlendMode;
using MavDoc::Build::Add;
using MavDoc::Build::Blend;
using MavDoc::Build::Flat;
using MavDoc::Build::TransparencyGroup;

// An open wave of cubics from (x, y), `length` points long.
std::shared_ptr<const Vexl::Compound> Wave(double x, double y, double length, double amplitude) {
  Vexl::Subpath s({Pt(x), Pt(y)});
  const double step = length / 4;
  for (int i = 0; i < 4; ++i) {
    const double x0 = x + i * step, sign = i % 2 ? -1 : 1;
    s.CubicTo({Pt(x0 + step / 3), Pt(y + sign * amplitude)}, {Pt(x0 + 2 * step / 3), Pt(y + sign * amplitude)},
              {Pt(x0 + step), Pt(y)});
  }
  Vexl::CompoundFactory f;
  f.AddSubpath(std::move(s));
  return f.GetResult();
}

// An open zigzag polyline with sharp and blunt corners.
std::shared_ptr<const Vexl::Compound> Zigzag(double x, double y) {
  Vexl::Subpath s({Pt(x), Pt(y)});
  s.LineTo({Pt(x + 20), Pt(y + 30)});
  s.LineTo({Pt(x + 28), Pt(y)});
  s.LineTo({Pt(x + 60), Pt(y + 25)});
  Vexl::CompoundFactory f;
  f.AddSubpath(std::move(s));
  return f.GetResult();
}

MavDoc::Path& Stroked(MavDoc::Content& content, std::shared_ptr<const Vexl::Compound> outline,
                      std::shared_ptr<const MavPaint::Paint> paint, MavDoc::StrokeStyle style,
                      std::shared_ptr<const MavBlend::Transparency> t) {
  auto& path = Add(content, std::make_unique<MavDoc::Path>(std::move(outline)));
  path.SetStrokePaint(std::move(paint));
  path.SetStrokeStyle(std::move(style));
  path.SetTransparency(std::move(t));
  return path;
}

MavDoc::Text& Lettered(MavDoc::Content& content, const std::string& letters, double size, double x,
                       double y, int mode) {
  auto& text = Add(content, std::make_unique<MavDoc::Text>(letters, Lettering(letters, size), mode));
  text.SetTransformation(Vexl::Transformation::Translation(Pt(x), Pt(y)), 0);
  return text;
}

}  // namespace

std::unique_ptr<MavDoc::Document> Strokes() {
  auto document = MakeDocument(220, 160);
  auto& content = PageContent(*document);
  using MavDoc::LineCap;
  using MavDoc::LineJoin;
  // A transparent stroke over its own fill, and over a spot bar.
  Rectangle(content, Rect(10, 95, 200, 20), Flat({{kSpot, .6f}}));
  auto& square = Rectangle(content, Rect(20, 90, 50, 50), Cmyk(.3f, 0, 0, 0));
  square.SetStrokePaint(Cmyk(0, .9f, 0, 0));
  square.SetStrokeStyle({Pt(8), LineCap::Butt, LineJoin::Miter, 10, {}, 0});
  square.SetTransparency(Alpha(1, .5f));
  // A dashed curved stroke with alpha and round caps, and a Multiply zigzag with miter joins.
  Stroked(content, Wave(80, 115, 130, 25), Flat({{kSpot2, 1}}),
          {Pt(6), LineCap::Round, LineJoin::Round, 10, {Pt(14), Pt(8)}, Pt(3)}, Alpha(1, .6f));
  Stroked(content, Zigzag(20, 20), Cmyk(0, .2f, .9f, 0), {Pt(7), LineCap::Square, LineJoin::Miter, 4, {}, 0},
          Blend(BlendMode::Multiply, .8f));
  // A non-uniformly scaled pen: an elliptical stroke of a circle, beveled.
  auto& ring = Stroked(content, Vexl::MakeEllipse({0, 0}, Pt(10), Pt(10)), Cmyk(.6f, 0, .3f, 0),
                       {Pt(3), LineCap::Butt, LineJoin::Bevel, 10, {}, 0}, Blend(BlendMode::Darken, .7f));
  ring.SetTransformation(Vexl::Transformation::Scaling(2.5, 1) * Vexl::Transformation::Translation(Pt(150), Pt(45)),
                         0);
  // Fill and stroke of one path, both transparent: the fill below the stroke.
  auto& both = Ellipse(content, 150, 45, 18, 18, Flat({{kSpot, .8f}}));
  both.SetStrokePaint(Cmyk(0, 0, 0, .8f));
  both.SetStrokeStyle({Pt(5), LineCap::Butt, LineJoin::Miter, 10, {Pt(10), Pt(5)}, 0});
  both.SetTransparency(Alpha(.7f, .5f));
  return document;
}

std::unique_ptr<MavDoc::Document> TextUnderShadow() {
  auto document = MakeDocument(240, 140);
  auto& content = PageContent(*document);
  Rectangle(content, Rect(10, 10, 220, 120), Cmyk(.15f, 0, .05f, 0));
  auto& title = Lettered(content, "CORVEL", 30, 22, 85, 0);
  title.SetFillPaint(Flat({{kSpot, 1}}));
  // The shadow: the same letters offset, multiplied above the text at .6.
  auto& shadow = Lettered(content, "CORVEL", 30, 25, 82, 0);
  shadow.SetFillPaint(Cmyk(0, 0, 0, .7f));
  shadow.SetTransparency(Blend(BlendMode::Multiply, .6f));
  // Stroked text at stroke alpha .5.
  auto& outlined = Lettered(content, "OVER", 24, 22, 45, 1);
  outlined.SetStrokePaint(Cmyk(.9f, .3f, 0, 0));
  outlined.SetStrokeStyle({Pt(1.5), MavDoc::LineCap::Butt, MavDoc::LineJoin::Round, 10, {}, 0});
  outlined.SetTransparency(Alpha(1, .5f));
  // Clipping text around a transparent ramp.
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  Lettered(group.GetContent(), "CLOVER", 22, 120, 20, 7);
  Rectangle(group, Rect(110, 15, 120, 30), Axial({"Magenta", kSpot2}, {1, 0}, {.2f, 1}, {120, 0}, {230, 0}),
            Blend(BlendMode::Multiply, .8f));
  return document;
}

std::unique_ptr<MavDoc::Document> BusyPage() {
  auto document = MakeDocument(300, 220);
  auto& content = PageContent(*document);
  auto& base = Add(content, MavDoc::Build::MakeLayer("Background"));
  Rectangle(base, Rect(10, 10, 280, 200), Axial({kSpot, "Cyan"}, {.1f, 0}, {.5f, .3f}, {10, 10}, {290, 210}));
  auto& art = Add(content, MavDoc::Build::MakeLayer("Artwork"));
  auto& group = Add(art, TransparencyGroup(Blend(BlendMode::Multiply, .85f), true, false));
  for (int i = 0; i < 6; ++i) {
    const double angle = i * std::numbers::pi / 3;
    Ellipse(group, 90 + 35 * std::cos(angle), 130 + 35 * std::sin(angle), 30, 30,
            Cmyk(i % 3 == 0 ? .6f : 0, i % 3 == 1 ? .6f : 0, i % 3 == 2 ? .6f : 0, 0),
            Blend(static_cast<BlendMode>(i * 2 + 1), .7f));
  }
  auto& knockout = Add(art, TransparencyGroup(nullptr, false, true));
  Ellipse(knockout, 210, 140, 40, 30, Flat({{kSpot2, .7f}}), Blend(BlendMode::Normal, .6f));
  Ellipse(knockout, 235, 120, 30, 40, Cmyk(0, .5f, .5f, 0), Blend(BlendMode::Normal, .6f));
  auto& picture = PlaceImage(art.GetContent(), MakePicture({12, 8, {"Black", "Yellow"},
                                                            [](int channel, int column, int row) {
                                                              return channel ? 255 - 20 * column : 12 * (column + row);
                                                            },
                                                            {}, {}}),
                             Rect(150, 20, 120, 80));
  picture.SetTransparency(MaskedBy(*document, false, [](MavDoc::Content& artwork) {
    Ellipse(artwork, 210, 60, 55, 35, Cmyk(0, 0, 0, 0));
  }, {0, 0, 0, 1}));
  auto& title = Lettered(art.GetContent(), "COVER", 28, 25, 35, 2);
  title.SetFillPaint(Flat({{kSpot, .9f}}));
  title.SetStrokePaint(Cmyk(0, 0, 0, 1));
  title.SetStrokeStyle({Pt(1), MavDoc::LineCap::Butt, MavDoc::LineJoin::Miter, 10, {}, 0});
  title.SetTransparency(Blend(BlendMode::Hue, .9f));
  Stroked(art.GetContent(), Wave(20, 90, 260, 12), Cmyk(0, 1, 0, 0),
          {Pt(4), MavDoc::LineCap::Round, MavDoc::LineJoin::Round, 10, {Pt(20), Pt(6)}, 0},
          Blend(BlendMode::Screen, .5f));
  return document;
}

}  // namespace Corvel::Examples::Detail
