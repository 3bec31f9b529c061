// Colours that reach the inks through ICC profiles: DeviceRGB, CalRGB, Lab and an embedded RGB
// profile, under blend modes and alpha, over process and spot backdrops.
#include <algorithm>

#include <examples/CatalogueCases.h>
#include <examples/CatalogueSupport.h>
#include <values/ColorManagement.h>

namespace Corvel::Examples::Detail {

namespace {

using MavBlend::BlendMode;
using MavDoc::Build::Add;
using MavDoc::Build::Blend;
using MavDoc::Build::Flat;
using MavDoc::Build::TransparencyGroup;

constexpr double kColorTile = 60;

constexpr double kHeight = 200;

Vexl::Point Tile(int index) { return {10 + (index % 4) * kColorTile, kHeight - 10 - (index / 4 + 1) * kColorTile}; }

std::shared_ptr<const MavPaint::FlatPaint> In(MavColor::ColorSpace space, std::vector<std::string> names,
                                              std::vector<float> values) {
  MavColor::Color color(std::move(space));
  for (std::size_t i = 0; i < names.size(); ++i) color.Append({names[i], values[i]});
  return Flat(std::move(color));
}

std::shared_ptr<const MavPaint::FlatPaint> Rgb(float r, float g, float b) {
  return In(MavColor::DeviceRGB{}, {"Red", "Green", "Blue"}, {r, g, b});
}

// CIE L*a*b* with the D50 white of print, where paper white is L 100, a 0, b 0.
std::shared_ptr<const MavPaint::FlatPaint> Lab(float l, float a, float b) {
  return In(MavColor::Lab{{0.9642, 1.0, 0.8249}, {0, 0, 0}, {-128, 127, -128, 127}}, {"L", "a", "b"},
            {l, a, b});
}

// An sRGB-like calibrated space: gamma 2.2 and the sRGB primaries' matrix (D65 white).
std::shared_ptr<const MavPaint::FlatPaint> CalibratedRgb(float r, float g, float b) {
  MavColor::CalRGB space{{0.9505, 1.0, 1.089},
                         {0, 0, 0},
                         {2.2, 2.2, 2.2},
                         {0.4124, 0.2126, 0.0193, 0.3576, 0.7152, 0.1192, 0.1805, 0.0722, 0.9505}};
  return In(space, {"Red", "Green", "Blue"}, {r, g, b});
}

// Ghostscript's sRGB profile, embedded in the file as ICCBased.
std::shared_ptr<const MavColor::ICCProfile> SrgbProfile() {
  static const auto profile = MavColor::LoadProfile(MavColor::DefaultProfilePath("srgb.icc"), 3);
  return profile;
}

std::shared_ptr<const MavPaint::FlatPaint> TaggedRgb(float r, float g, float b) {
  return In(MavColor::ICCRGB{SrgbProfile()}, {"Red", "Green", "Blue"}, {r, g, b});
}

void Square(MavDoc::Content& content, Vexl::Point at, std::shared_ptr<const MavPaint::Paint> paint,
            double inset = 6) {
  Rectangle(content, Rect(at.x + inset, at.y + inset, kColorTile - 2 * inset, kColorTile - 2 * inset), std::move(paint));
}

template <class Target>
void Disc(Target& target, Vexl::Point at, std::shared_ptr<const MavPaint::Paint> paint,
          std::shared_ptr<const MavBlend::Transparency> t) {
  Ellipse(target, at.x + 36, at.y + 34, 18, 16, std::move(paint), std::move(t));
}

// A 24 × 24 RGB picture (hue across, lightness down) in `space`, on the tile's inner square.
MavDoc::Image& RgbPicture(MavDoc::Content& content, Vexl::Point at, MavColor::ColorSpace space) {
  PictureSamples samples;
  samples.columns = samples.rows = 24;
  samples.names = {"Red", "Green", "Blue"};
  samples.space = std::move(space);
  samples.sample = [](int channel, int column, int row) {
    const int ramps[3] = {column * 10, 230 - column * 8, 40 + row * 8};
    return std::min(255, ramps[channel] + row * 2);
  };
  return PlaceImage(content, MakePicture(samples), Rect(at.x + 8, at.y + 8, kColorTile - 16, kColorTile - 16));
}

// A DeviceGray axial ramp from black to white across the tile.
std::shared_ptr<const MavPaint::Paint> GrayRamp(Vexl::Point at) {
  MavPaint::ShadingCommon common{Ramp({0}, {1}), Mapping({"Gray"}, MavColor::DeviceGray{}), std::nullopt,
                                 Vexl::Transformation::Identity()};
  return std::make_shared<const MavPaint::AxialShadingPaint>(
      common, Vexl::Point{Pt(at.x + 6), 0}, Vexl::Point{Pt(at.x + kColorTile - 6), 0}, std::array<double, 2>{0, 1},
      std::array<bool, 2>{true, true});
}

}  // namespace

std::unique_ptr<MavDoc::Document> DeviceIndependentColor() {
  auto document = MakeDocument(260, kHeight);
  auto& content = PageContent(*document);
  Vexl::Point at = Tile(0);
  Square(content, at, Rgb(.9f, .2f, .1f));
  Disc(content, at, Rgb(.1f, .3f, .9f), Blend(BlendMode::Multiply, .8f));
  at = Tile(1);
  Square(content, at, Cmyk(.6f, 0, .2f, 0));
  Disc(content, at, Lab(100, 0, 0), Blend(BlendMode::Normal, .6f));  // paper white at alpha .6
  at = Tile(2);
  Square(content, at, Flat({{kSpot, .8f}}));
  Disc(content, at, Lab(55, 60, -40), Blend(BlendMode::Screen, .9f));
  at = Tile(3);
  Square(content, at, Rgb(.2f, .8f, .3f));
  Disc(content, at, CalibratedRgb(.9f, .9f, .1f), Blend(BlendMode::Darken, 1));
  at = Tile(4);
  Square(content, at, Cmyk(0, .3f, .9f, .1f));
  Disc(content, at, TaggedRgb(.3f, .5f, .8f), Blend(BlendMode::Normal, .5f));
  at = Tile(5);
  Square(content, at, TaggedRgb(.8f, .6f, .2f));
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, .7f), true, false));
  Disc(group, at, Rgb(0, .6f, .7f), nullptr);
  Ellipse(group, at.x + 22, at.y + 24, 12, 12, Lab(40, -30, 30), Blend(BlendMode::Multiply, 1));
  at = Tile(6);
  Square(content, at, Flat({{kSpot2, .5f}, {"Black", .2f}}));
  Disc(content, at, Rgb(1, 1, 0), Blend(BlendMode::Luminosity, .9f));
  at = Tile(7);
  Square(content, at, Rgb(.5f, .5f, .5f));
  Disc(content, at, Cmyk(.2f, .9f, 0, 0), Blend(BlendMode::Hue, 1));
  at = Tile(8);
  Square(content, at, Cmyk(.5f, .1f, 0, 0));
  RgbPicture(content, at, MavColor::ICCRGB{SrgbProfile()})
      .SetTransparency(MaskedBy(*document, false, [&](MavDoc::Content& mask) {
        Ellipse(mask, at.x + 30, at.y + 30, 20, 16, Cmyk(0, 0, 0, .3f));
      }));
  at = Tile(9);
  Square(content, at, Flat({{kSpot, .7f}}));
  Rectangle(content, Rect(at.x + 6, at.y + 14, kColorTile - 12, kColorTile - 28), GrayRamp(at), Blend(BlendMode::Normal, .6f));
  at = Tile(10);
  Square(content, at, Rgb(.95f, .85f, .2f));
  RgbPicture(content, at, MavColor::DeviceRGB{}).SetTransparency(Blend(BlendMode::Multiply, .9f));
  return document;
}

}  // namespace Corvel::Examples::Detail
