// Blend modes, alpha, soft masks and groups over flat process and spot colours.
#include <examples/CatalogueCases.h>
#include <examples/CatalogueSupport.h>

namespace Corvel::Examples::Detail {

namespace {

using MavBlend::BlendMode;
using MavDoc::Build::Add;
using MavDoc::Build::Blend;
using MavDoc::Build::Flat;
using MavDoc::Build::TransparencyGroup;

constexpr double kTile = 50;

// The lower-left corner of tile `index` in a grid of `columns` on a page `height` points tall,
// with a 10 pt margin, filled row by row from the top.
Vexl::Point TileCorner(int index, int columns, double height) {
  return {10 + (index % columns) * kTile, height - 10 - (index / columns + 1) * kTile};
}

// Two overlapping backdrop bars in a tile, so that every mode meets paper, each bar and both.
void Backdrop(MavDoc::Content& content, Vexl::Point at, std::shared_ptr<const MavPaint::Paint> upright,
              std::shared_ptr<const MavPaint::Paint> across) {
  Rectangle(content, Rect(at.x + 4, at.y + 4, 20, 42), std::move(upright));
  Rectangle(content, Rect(at.x + 4, at.y + 6, 42, 14), std::move(across));
}

std::unique_ptr<MavDoc::Document> BlendModeGrid(std::shared_ptr<const MavPaint::Paint> upright,
                                                std::shared_ptr<const MavPaint::Paint> across,
                                                std::shared_ptr<const MavPaint::Paint> source, float alpha) {
  auto document = MakeDocument(220, 220);
  auto& content = PageContent(*document);
  for (int mode = 0; mode < MavBlend::kBlendModeCount; ++mode) {
    const Vexl::Point at = TileCorner(mode, 4, 220);
    Backdrop(content, at, upright, across);
    Ellipse(content, at.x + 27, at.y + 25, 17, 15, source, Blend(static_cast<BlendMode>(mode), alpha));
  }
  return document;
}

// The tile's square, the stack of the compositing notes' vectors.
template <class Target>
MavDoc::Path& Square(Target& target, Vexl::Point at, std::shared_ptr<const MavPaint::Paint> paint,
                     std::shared_ptr<const MavBlend::Transparency> t = nullptr, double inset = 8) {
  return Rectangle(target, Rect(at.x + inset, at.y + inset, kTile - 2 * inset, kTile - 2 * inset),
                   std::move(paint), std::move(t));
}

}  // namespace

std::unique_ptr<MavDoc::Document> BlendModesProcess() {
  return BlendModeGrid(Cmyk(.2f, .6f, .1f, 0), Cmyk(0, .1f, .5f, .3f), Cmyk(.7f, .1f, .4f, .1f), .8f);
}

std::unique_ptr<MavDoc::Document> BlendModesSpot() {
  return BlendModeGrid(Flat({{kSpot, .6f}, {"Cyan", .3f}}), Flat({{kSpot2, .5f}, {"Black", .2f}}),
                       Flat({{kSpot, .5f}, {"Magenta", .6f}, {kSpot2, .4f}}), .9f);
}

std::unique_ptr<MavDoc::Document> AlphaAndShape() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  auto backdrop = [&](int tile) {
    const Vexl::Point at = TileCorner(tile, 4, 120);
    Square(content, at, Flat({{"Cyan", .4f}, {kSpot, .3f}}), nullptr, 4);
    return at;
  };
  Ellipse(content, backdrop(0).x + 25, 85, 18, 18, Cmyk(0, .8f, .2f, 0), Blend(BlendMode::Normal, .5f));
  Ellipse(content, backdrop(1).x + 25, 85, 18, 18, Cmyk(0, .8f, .2f, 0),
          MavBlend::Transparency::Factory().SetFillAlpha(.6f).SetAlphaIsShape(true).Get());
  Ellipse(content, backdrop(2).x + 25, 85, 18, 18, Flat({{kSpot2, 1}}), Blend(BlendMode::Normal, 0));
  const Vexl::Point third = backdrop(3);
  auto& nested = Add(content, TransparencyGroup(Blend(BlendMode::Normal, .5f), false, false));
  Ellipse(nested, third.x + 20, 85, 14, 14, Cmyk(0, 0, .9f, 0), Blend(BlendMode::Multiply, .5f));
  Ellipse(nested, third.x + 32, 80, 14, 14, Flat({{kSpot2, .8f}}), Blend(BlendMode::Normal, .7f));
  // Alpha below the threshold of any visible change still composites.
  const Vexl::Point at = backdrop(4);
  Square(content, at, Cmyk(0, 0, 0, 1), Blend(BlendMode::Normal, .004f), 14);
  return document;
}

std::unique_ptr<MavDoc::Document> AlphaSoftMasks() {
  auto document = MakeDocument(170, 120);
  auto& content = PageContent(*document);
  auto x2 = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 2.0);
  const MavBlend::TransferFunction transfers[] = {true, x2, false};
  for (int tile = 0; tile < 3; ++tile) {
    const Vexl::Point at = TileCorner(tile, 3, 120);
    Square(content, at, Flat({{"Cyan", .4f}, {kSpot, .2f}}), nullptr, 4);
    auto mask = MaskedBy(*document, true, [&](MavDoc::Content& artwork) {
      Rectangle(artwork, Rect(at.x, at.y, 30, kTile), Cmyk(1, 0, 0, 0), Blend(BlendMode::Normal, .6f));
      Ellipse(artwork, at.x + 30, at.y + 25, 16, 16, Cmyk(1, 0, 0, 0), Blend(BlendMode::Normal, .3f));
    }, {}, transfers[tile]);
    Square(content, at, Cmyk(0, 0, 1, 0), mask, 12);
  }
  // An alpha-masked group.
  const Vexl::Point at = TileCorner(3, 3, 120);
  auto& group = Add(content, TransparencyGroup(MaskedBy(*document, true, [&](MavDoc::Content& artwork) {
    Ellipse(artwork, at.x + 25, at.y + 25, 22, 12, Cmyk(0, 0, 0, 1), Blend(BlendMode::Normal, .5f));
  }), true, false));
  Square(group, at, Cmyk(0, .7f, 0, 0), nullptr, 6);
  Ellipse(group, at.x + 25, at.y + 25, 10, 20, Flat({{kSpot2, 1}}), Blend(BlendMode::Multiply));
  return document;
}

std::unique_ptr<MavDoc::Document> LuminositySoftMasks() {
  // Black-only mask artwork: where colour managed and device luminosity agree.
  auto document = MakeDocument(170, 120);
  auto& content = PageContent(*document);
  auto x2 = std::make_shared<const MavPaint::ExponentialFunction>(std::vector<float>{0}, std::vector<float>{1}, 2.0);
  struct Setting {
    std::vector<MavColor::Component> backdrop;
    MavBlend::TransferFunction transfer;
  };
  const Setting settings[] = {{{}, true}, {{0, 0, 0, .5f}, true}, {{0, 0, 0, .2f}, x2}};
  for (int tile = 0; tile < 3; ++tile) {
    const Vexl::Point at = TileCorner(tile, 3, 120);
    Square(content, at, Cmyk(.4f, 0, 0, 0), nullptr, 4);
    auto mask = MaskedBy(*document, false, [&](MavDoc::Content& artwork) {
      Rectangle(artwork, Rect(at.x, at.y, 28, kTile), Cmyk(0, 0, 0, .25f));
      Ellipse(artwork, at.x + 32, at.y + 25, 14, 14, Cmyk(0, 0, 0, .7f), Blend(BlendMode::Normal, .5f));
    }, settings[tile].backdrop, settings[tile].transfer);
    Square(content, at, Flat({{"Magenta", 1}, {kSpot, .5f}}), mask, 10);
  }
  // A mask of a black ramp over a group.
  const Vexl::Point at = TileCorner(3, 3, 120);
  auto& group = Add(content, TransparencyGroup(MaskedBy(*document, false, [&](MavDoc::Content& artwork) {
    Rectangle(artwork, Rect(at.x, at.y, kTile, kTile),
              Axial({"Black"}, {0}, {1}, {at.x + 5, 0}, {at.x + 45, 0}));
  }), true, false));
  Square(group, at, Cmyk(0, .2f, .9f, 0), nullptr, 6);
  Ellipse(group, at.x + 25, at.y + 25, 12, 12, Flat({{kSpot2, 1}}));
  return document;
}

std::unique_ptr<MavDoc::Document> Groups() {
  auto document = MakeDocument(220, 120);
  auto& content = PageContent(*document);
  auto pair = [](MavDoc::Group& group, Vexl::Point at, BlendMode mode, float alpha) {
    Ellipse(group, at.x + 20, at.y + 28, 14, 14, Cmyk(0, .6f, 0, 0), Blend(mode, alpha));
    Ellipse(group, at.x + 30, at.y + 22, 14, 14, Cmyk(0, 0, .8f, .1f), Blend(mode, alpha));
  };
  const struct {
    bool isolated, knockout;
    BlendMode mode;
    float alpha;
  } kinds[] = {{false, false, BlendMode::Normal, .7f}, {true, false, BlendMode::Multiply, .7f},
               {false, true, BlendMode::Normal, 1}, {true, true, BlendMode::Screen, .8f}};
  for (int tile = 0; tile < 4; ++tile) {
    const Vexl::Point at = TileCorner(tile, 4, 120);
    Square(content, at, Flat({{"Cyan", .4f}, {kSpot, .4f}}), nullptr, 4);
    const auto& k = kinds[tile];
    auto& group = Add(content, TransparencyGroup(Blend(k.mode, k.alpha), k.isolated, k.knockout));
    pair(group, at, tile % 2 ? BlendMode::Normal : BlendMode::Multiply, .5f);
  }
  // Nested: an isolated Multiply group inside a knockout group at .8, beside a plain member.
  const Vexl::Point at = TileCorner(4, 4, 120);
  Square(content, at, Cmyk(.4f, 0, 0, 0), nullptr, 4);
  auto& outer = Add(content, TransparencyGroup(Blend(BlendMode::Normal, .8f), false, true));
  Ellipse(outer, at.x + 18, at.y + 25, 12, 18, Flat({{kSpot2, .7f}}), Blend(BlendMode::Normal, .6f));
  auto& inner = Add(outer, TransparencyGroup(Blend(BlendMode::Multiply, .9f), true, false));
  pair(inner, at, BlendMode::Darken, .8f);
  return document;
}

std::unique_ptr<MavDoc::Document> KnockoutWithShape() {
  // The compositing notes' vector T21: BD ; knockout group { (M .6) ; AIS ca .5 (Y .8) }.
  auto document = MakeDocument(70, 70);
  auto& content = PageContent(*document);
  Rectangle(content, Rect(10, 10, 50, 50), Cmyk(.4f, 0, 0, 0));
  auto& group = Add(content, TransparencyGroup(nullptr, false, true));
  Rectangle(group, Rect(15, 15, 40, 40), Cmyk(0, .6f, 0, 0));
  Rectangle(group, Rect(20, 20, 30, 30), Cmyk(0, 0, .8f, 0),
            MavBlend::Transparency::Factory().SetFillAlpha(.5f).SetAlphaIsShape(true).Get());
  return document;
}

}  // namespace Corvel::Examples::Detail

namespace Corvel::Examples::Detail {

// Overprint under and inside transparency: a nonzero-mode magenta square over cyan under a
// yellow shadow, a spot varnish at .6 over CMYK art, overprint in a non-isolated group at .7 and
// in a knockout group, and an overprinting spot under Screen.
std::unique_ptr<MavDoc::Document> OverprintUnderTransparency() {
  auto document = MakeDocument(270, 70);
  auto& content = PageContent(*document);
  const MavDoc::Overprint nonzero{true, true, true};
  const MavDoc::Overprint plain{true, true, false};
  auto tile = [](int index) { return TileCorner(index, 5, 70); };
  Vexl::Point at = tile(0);
  Square(content, at, Cmyk(1, 0, 0, 0), nullptr, 4);
  Square(content, at, Cmyk(0, 1, 0, 0), nullptr, 12).SetOverprint(nonzero);
  Ellipse(content, at.x + 32, at.y + 32, 14, 12, Cmyk(0, 0, 1, 0), Blend(BlendMode::Normal, .5f));
  at = tile(1);
  Square(content, at, Cmyk(.2f, .8f, 0, 0), nullptr, 4);
  Square(content, at, Flat({{kSpot, 1}}), Blend(BlendMode::Normal, .6f), 10).SetOverprint(plain);
  at = tile(2);
  Square(content, at, Cmyk(1, 0, 0, 0), nullptr, 4);
  auto& group = Add(content, TransparencyGroup(Blend(BlendMode::Normal, .7f), false, false));
  Square(group, at, Cmyk(0, .6f, 0, 0), nullptr, 8);
  Ellipse(group, at.x + 30, at.y + 30, 14, 14, Cmyk(0, 0, .8f, 0)).SetOverprint(nonzero);
  at = tile(3);
  Square(content, at, Cmyk(1, 0, 0, 0), nullptr, 4);
  auto& knockout = Add(content, TransparencyGroup(nullptr, false, true));
  Square(knockout, at, Cmyk(0, 0, 1, 0), nullptr, 8);
  Ellipse(knockout, at.x + 28, at.y + 26, 14, 14, Cmyk(0, .7f, 0, 0), Blend(BlendMode::Multiply, 1))
      .SetOverprint(nonzero);
  at = tile(4);
  Square(content, at, Flat({{kSpot2, .6f}, {"Cyan", .5f}}), nullptr, 4);
  Ellipse(content, at.x + 25, at.y + 25, 16, 14, Flat({{kSpot, .7f}}), Blend(BlendMode::Screen, .8f))
      .SetOverprint(plain);
  return document;
}

}  // namespace Corvel::Examples::Detail
