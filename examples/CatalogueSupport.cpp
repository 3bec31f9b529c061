#include <examples/CatalogueSupport.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace Corvel::Examples::Detail {

namespace {

using Vexl::Point;

// Appends cubics along the ellipse arc from angle a0 to a1 (radians, either direction); the
// subpath's current point must be the arc's start.
void ArcTo(Vexl::Subpath& s, Point c, double rx, double ry, double a0, double a1) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(a1 - a0) / (std::numbers::pi / 2) - 1e-9)));
  const double step = (a1 - a0) / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double t0 = a0 + i * step, t1 = t0 + step;
    const Point p0{c.x + rx * std::cos(t0), c.y + ry * std::sin(t0)};
    const Point p3{c.x + rx * std::cos(t1), c.y + ry * std::sin(t1)};
    s.CubicTo({p0.x - k * rx * std::sin(t0), p0.y + k * ry * std::cos(t0)},
              {p3.x + k * rx * std::sin(t1), p3.y - k * ry * std::cos(t1)}, p3);
  }
}

Vexl::Subpath Polygon(std::initializer_list<Point> points, double scale, double dx) {
  auto p = points.begin();
  Vexl::Subpath s({Pt(dx + p->x * scale), Pt(p->y * scale)}, true);
  for (++p; p != points.end(); ++p) s.LineTo({Pt(dx + p->x * scale), Pt(p->y * scale)});
  return s;
}

// A ring segment between radii (rx, ry) and (rx - w, ry - w) from a0 to a1, counter-clockwise
// overall; a full turn gives two subpaths (outer, then the hole reversed).
void Ring(Vexl::CompoundFactory& f, Point c, double rx, double ry, double w, double a0, double a1) {
  const double ix = rx - w, iy = ry - w;
  if (a1 - a0 >= 2 * std::numbers::pi - 1e-9) {
    Vexl::Subpath outer({c.x + rx, c.y}, true);
    ArcTo(outer, c, rx, ry, 0, 2 * std::numbers::pi);
    Vexl::Subpath inner({c.x + ix, c.y}, true);
    ArcTo(inner, c, ix, iy, 2 * std::numbers::pi, 0);
    f.AddSubpath(std::move(outer));
    f.AddSubpath(std::move(inner));
    return;
  }
  Vexl::Subpath s({c.x + rx * std::cos(a0), c.y + ry * std::sin(a0)}, true);
  ArcTo(s, c, rx, ry, a0, a1);
  s.LineTo({c.x + ix * std::cos(a1), c.y + iy * std::sin(a1)});
  ArcTo(s, c, ix, iy, a1, a0);
  f.AddSubpath(std::move(s));
}

// One letter of a unit-high block alphabet at horizontal offset dx (points), `size` points tall.
void Letter(Vexl::CompoundFactory& f, char letter, double size, double dx) {
  const double w = 0.16;  // stroke weight, in letter heights
  const Point centre{Pt(dx + 0.36 * size), Pt(0.5 * size)};
  const double rx = Pt(0.36 * size), ry = Pt(0.5 * size), weight = Pt(w * size);
  switch (letter) {
    case 'O': Ring(f, centre, rx, ry, weight, 0, 2 * std::numbers::pi); break;
    case 'C': Ring(f, centre, rx, ry, weight, 0.25 * std::numbers::pi, 1.75 * std::numbers::pi); break;
    case 'L': f.AddSubpath(Polygon({{0, 0}, {0.62, 0}, {0.62, w}, {w, w}, {w, 1}, {0, 1}}, size, dx)); break;
    case 'E':
      f.AddSubpath(Polygon({{0, 0}, {0.62, 0}, {0.62, w}, {w, w}, {w, 0.42}, {0.5, 0.42}, {0.5, 0.58},
                            {w, 0.58}, {w, 1 - w}, {0.62, 1 - w}, {0.62, 1}, {0, 1}},
                           size, dx));
      break;
    case 'V':
      f.AddSubpath(Polygon({{0, 1}, {0.26, 0}, {0.46, 0}, {0.72, 1}, {0.55, 1}, {0.36, 0.25}, {0.17, 1}}, size, dx));
      break;
    case 'R':
      // Stem, bowl and leg overlap: filled by the nonzero rule they make one letter.
      f.AddSubpath(Polygon({{0, 0}, {w, 0}, {w, 1}, {0, 1}}, size, dx));
      Ring(f, {Pt(dx + 0.36 * size), Pt(0.72 * size)}, Pt(0.3 * size), Pt(0.28 * size), weight,
           -0.5 * std::numbers::pi, 0.5 * std::numbers::pi);
      f.AddSubpath(Polygon({{0.08, 1 - w}, {0.36, 1 - w}, {0.36, 1}, {0.08, 1}}, size, dx));
      f.AddSubpath(Polygon({{0.08, 0.44}, {0.36, 0.44}, {0.36, 0.44 + w}, {0.08, 0.44 + w}}, size, dx));
      f.AddSubpath(Polygon({{0.3, 0.48}, {0.52, 0}, {0.7, 0}, {0.46, 0.5}}, size, dx));
      break;
    case ' ': break;
    default: throw std::invalid_argument(std::string("no block letter for '") + letter + "'");
  }
}

}  // namespace

Vexl::Rectangle Rect(double x, double y, double width, double height) {
  return {Pt(x), Pt(y), Pt(width), Pt(height), false};
}

std::unique_ptr<MavDoc::Document> MakeDocument(double width, double height) {
  auto info = MavDoc::Separation::ProcessEntries();
  info.emplace_back(kSpot, MavDoc::Separation::kNormalInk, MavDoc::Separation::Representation{{0, 0.24f, 0.94f, 0}});
  info.emplace_back(kSpot2, MavDoc::Separation::kNormalInk, MavDoc::Separation::Representation{{0.9f, 0.5f, 0, 0}});
  auto document = std::make_unique<MavDoc::Document>(std::move(info));
  document->AddPage(Rect(0, 0, width, height));
  return document;
}

MavDoc::Content& PageContent(MavDoc::Document& document) { return document.GetPages().front()->GetContent(); }

std::shared_ptr<const MavPaint::FlatPaint> Cmyk(float c, float m, float y, float k) {
  return MavDoc::Build::Flat(MavColor::MakeCMYKColor(c, m, y, k));
}

std::shared_ptr<const MavBlend::Transparency> Alpha(float fill, float stroke) {
  return MavBlend::Transparency::Factory().SetFillAlpha(fill).SetStrokeAlpha(stroke).Get();
}

std::shared_ptr<const MavPaint::Function> Ramp(std::vector<float> from, std::vector<float> to) {
  return std::make_shared<const MavPaint::ExponentialFunction>(std::move(from), std::move(to), 1.0);
}

MavPaint::SeparationMapping Mapping(const std::vector<std::string>& names, MavColor::ColorSpace space) {
  MavPaint::SeparationMapping mapping(std::move(space));
  std::uint64_t channel = 0;
  for (const auto& name : names) mapping[name].channel = channel++;
  return mapping;
}

std::shared_ptr<const MavPaint::Paint> Axial(const std::vector<std::string>& names, std::vector<float> from,
                                             std::vector<float> to, Vexl::Point start, Vexl::Point end) {
  MavPaint::ShadingCommon common{Ramp(std::move(from), std::move(to)), Mapping(names), std::nullopt,
                                 Vexl::Transformation::Identity()};
  return std::make_shared<const MavPaint::AxialShadingPaint>(common, Vexl::Point{Pt(start.x), Pt(start.y)},
                                                             Vexl::Point{Pt(end.x), Pt(end.y)},
                                                             std::array<double, 2>{0, 1},
                                                             std::array<bool, 2>{true, true});
}

std::shared_ptr<const MavPaint::Paint> Radial(const std::vector<std::string>& names, std::vector<float> from,
                                              std::vector<float> to, Vexl::Point centre, double radius) {
  MavPaint::ShadingCommon common{Ramp(std::move(from), std::move(to)), Mapping(names), std::nullopt,
                                 Vexl::Transformation::Identity()};
  const Vexl::Point c{Pt(centre.x), Pt(centre.y)};
  return std::make_shared<const MavPaint::RadialShadingPaint>(common, c, 0, c, Pt(radius),
                                                              std::array<double, 2>{0, 1},
                                                              std::array<bool, 2>{true, true});
}

std::shared_ptr<const MavImg::PaintedPicture> MakePicture(const PictureSamples& samples) {
  const int colours = static_cast<int>(samples.names.size());
  const int channels = colours + (samples.alpha ? 1 : 0);
  MavImg::PictureBuffer::Factory buffer(samples.columns, samples.rows, channels, 8);
  for (int row = 0; row < samples.rows; ++row) {
    std::uint8_t* p = buffer.GetRowPtr(row);
    for (int column = 0; column < samples.columns; ++column) {
      for (int channel = 0; channel < colours; ++channel) {
        *p++ = static_cast<std::uint8_t>(samples.sample(channel, column, row));
      }
      if (samples.alpha) *p++ = static_cast<std::uint8_t>(samples.alpha(column, row));
    }
  }
  std::vector<MavImg::ChannelInfo> infos;
  for (const auto& name : samples.names) infos.emplace_back(name, 0, std::array<double, 2>{0, 1});
  if (samples.alpha) infos.emplace_back("alpha", MavImg::ChannelInfo::kAlphaChannel, std::array<double, 2>{0, 1});
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), Mapping(samples.names, samples.space), std::move(infos), nullptr, std::nullopt, nullptr,
      Vexl::Transformation::Identity());
  return MavImg::PaintedPicture::Factory(nullptr, MavImg::PictureData::Factory(nullptr, source).Get(), false)
      .Get();
}

MavDoc::Image& PlaceImage(MavDoc::Content& target, std::shared_ptr<const MavImg::PaintedPicture> picture,
                          const Vexl::Rectangle& box) {
  auto& image = MavDoc::Build::Add(target, std::make_unique<MavDoc::Image>(std::move(picture)));
  image.SetTransformation(Vexl::Transformation::Scaling(box.width / MavDoc::Image::kUnit,
                                                        box.height / MavDoc::Image::kUnit) *
                              Vexl::Transformation::Translation(box.x, box.y),
                          0);
  return image;
}

std::shared_ptr<const MavBlend::Transparency> MaskedBy(
    MavDoc::Document& document, bool alpha, const std::function<void(MavDoc::Content&)>& draw,
    std::vector<MavColor::Component> backdrop, MavBlend::TransferFunction transfer,
    MavBlend::BlendMode mode) {
  auto content = MavDoc::Content::MakeSoftMaskContent(&document);
  draw(*content);
  auto mask = MavBlend::SoftMask::Factory(content)
                  .SetColorSpace(MavColor::DeviceCMYK{})
                  .SetAlpha(alpha)
                  .SetBackdropColor(std::move(backdrop))
                  .SetTransferFunction(std::move(transfer))
                  .Get();
  return MavBlend::Transparency::Factory().SetBlendMode(mode).SetSoftMask(mask).Get();
}

}  // namespace Corvel::Examples::Detail

namespace Corvel::Examples {

std::shared_ptr<const Vexl::Compound> Lettering(const std::string& letters, double size) {
  using Detail::Letter;
  Vexl::CompoundFactory factory;
  double dx = 0;
  for (char letter : letters) {
    Letter(factory, letter, size, dx);
    dx += 0.86 * size;
  }
  return factory.GetResult();
}

}  // namespace Corvel::Examples
