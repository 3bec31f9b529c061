#pragma once
// Building blocks of the catalogue's documents. Lengths are given in points and stored in
// millipoints, as the document model keeps them.

#include <memory>
#include <string>
#include <vector>

#include <examples/Catalogue.h>
#include <mavdoc/Builder.h>
#include <values/Function.h>

namespace Corvel::Examples::Detail {

constexpr double Pt(double points) { return points * 1000; }
Vexl::Rectangle Rect(double x, double y, double width, double height);

// A document with the process inks and the spots "PANTONE 123 C" (warm yellow) and
// "Varnish Blue", and one page of width × height points.
std::unique_ptr<MavDoc::Document> MakeDocument(double width, double height);
MavDoc::Content& PageContent(MavDoc::Document& document);
inline const std::string kSpot = "PANTONE 123 C";
inline const std::string kSpot2 = "Varnish Blue";

std::shared_ptr<const MavPaint::FlatPaint> Cmyk(float c, float m, float y, float k);
std::shared_ptr<const MavBlend::Transparency> Alpha(float fill, float stroke);

// Filled shapes (with an optional transparency), added on top of `target`.
template <class Target>
MavDoc::Path& Rectangle(Target& target, const Vexl::Rectangle& box,
                        std::shared_ptr<const MavPaint::Paint> paint,
                        std::shared_ptr<const MavBlend::Transparency> t = nullptr) {
  return MavDoc::Build::Add(target, MavDoc::Build::FilledRectangle(box, std::move(paint), std::move(t)));
}
template <class Target>
MavDoc::Path& Ellipse(Target& target, double cx, double cy, double rx, double ry,
                      std::shared_ptr<const MavPaint::Paint> paint,
                      std::shared_ptr<const MavBlend::Transparency> t = nullptr) {
  return MavDoc::Build::Add(
      target, MavDoc::Build::FilledEllipse({Pt(cx), Pt(cy)}, Pt(rx), Pt(ry), std::move(paint), std::move(t)));
}

// A linear ramp from `from` to `to` over the separations `names`.
std::shared_ptr<const MavPaint::Function> Ramp(std::vector<float> from, std::vector<float> to);
// Channels in order over `names`: named separations, or the process components of `space`.
MavPaint::SeparationMapping Mapping(const std::vector<std::string>& names, MavColor::ColorSpace space = {});
std::shared_ptr<const MavPaint::Paint> Axial(const std::vector<std::string>& names, std::vector<float> from,
                                             std::vector<float> to, Vexl::Point start, Vexl::Point end);
std::shared_ptr<const MavPaint::Paint> Radial(const std::vector<std::string>& names, std::vector<float> from,
                                              std::vector<float> to, Vexl::Point centre, double radius);

// An 8-bit picture of `columns` × `rows` pixels over the separations `names`; `sample(channel,
// column, row)` gives each sample. `coverage` adds a coverage channel from `alpha(column, row)`.
struct PictureSamples {
  int columns = 1, rows = 1;
  std::vector<std::string> names;
  std::function<int(int channel, int column, int row)> sample;
  std::function<int(int column, int row)> alpha;  // empty: no coverage channel
  MavColor::ColorSpace space;                      // set: `names` are its process components
};
std::shared_ptr<const MavImg::PaintedPicture> MakePicture(const PictureSamples& samples);
// An image of the picture on the page rectangle `box`.
MavDoc::Image& PlaceImage(MavDoc::Content& target, std::shared_ptr<const MavImg::PaintedPicture> picture,
                          const Vexl::Rectangle& box);

// A soft mask whose artwork `draw` puts into its content.
std::shared_ptr<const MavBlend::Transparency> MaskedBy(
    MavDoc::Document& document, bool alpha, const std::function<void(MavDoc::Content&)>& draw,
    std::vector<MavColor::Component> backdrop = {}, MavBlend::TransferFunction transfer = true,
    MavBlend::BlendMode mode = MavBlend::BlendMode::Normal);

}  // namespace Corvel::Examples::Detail
