#include <flatten/FillProperties.h>
#include <raster/ImageRegions.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <unordered_set>

namespace Corvel {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kMillipointsPerPoint = 1000;

std::pair<std::uint64_t, std::uint64_t> PictureSize(const DocumentGraph::ElementAttribute& e) {
  const auto& source = e.PaintedPicture()->GetPictureData(false)->GetSource();
  return {static_cast<std::uint64_t>(source->GetWidth()),
          static_cast<std::uint64_t>(source->GetHeight())};
}

bool IsLarger(const DocumentGraph::ElementAttribute& e) {
  const auto [w, h] = PictureSize(e);
  return w > 1 || h > 1;
}

// A picture's pixels per inch on the page along its own columns and rows. The unit square is
// 1000 millipoints wide, so an axis's image length in millipoints over 1000 is its length in
// points.
std::pair<double, double> AxisResolutions(const DocumentGraph::ElementAttribute& e) {
  const auto& t = e.ObjectTransformation();
  const auto [w, h] = PictureSize(e);
  return {double(w) * kPointsPerInch / std::hypot(t.a, t.b),
          double(h) * kPointsPerInch / std::hypot(t.c, t.d)};
}

// The finest picture wider or higher than a pixel among `elements` (the first of equals);
// else the first tiny one goes to `fallback`.
template <class Next>
const DocumentGraph::ElementAttribute* FindPicture(
    const FillRasterizer& rasterizer, Next next, const DocumentGraph::ElementAttribute*& fallback) {
  const DocumentGraph::ElementAttribute* finest = nullptr;
  double finestResolution = 0;
  while (const Tessel::TFill::TElement* element = next()) {
    const auto& attribute = AttributeOf(*element);
    if (!attribute.PaintedPicture()) continue;
    if (!IsLarger(attribute)) {
      if (!fallback) fallback = &attribute;
      continue;
    }
    const double resolution = EffectiveResolution(rasterizer, attribute)->second;
    if (!finest || resolution > finestResolution)
      finest = &attribute, finestResolution = resolution;
  }
  return finest;
}

// Columns or rows of a picture's grid so that it is no finer than `limit` pixels per inch.
std::uint64_t NoFinerThan(std::uint64_t pixels, double resolution, double limit) {
  if (resolution <= limit) return pixels;
  return std::max<std::uint64_t>(
      1, static_cast<std::uint64_t>(std::llround(double(pixels) * limit / resolution)));
}

bool IsFromLossyData(const MavImg::PaintedPicture& picture) {
  const auto* source =
      dynamic_cast<const MavImg::BufferedPictureSource*>(picture.GetPictureData(false)->GetSource().get());
  return source && source->IsFromLossyData();
}

// Whether the pictures that paint the fill (not those of soft masks, which only fade them) are
// there and were all read from lossily compressed data.
bool PicturesFromLossyData(const Tessel::TFill& fill) {
  bool any = false;
  Tessel::TFill::TGraphicsComponentIterator components(
      fill.GetTopGroup(), Tessel::Input::TObject::kCoveringElements, true);
  while (const auto* component = components.Next()) {
    const auto* element = component->Element();
    if (!element) continue;
    const auto& picture = AttributeOf(*element).PaintedPicture();
    if (!picture) continue;
    if (!IsFromLossyData(*picture)) return false;
    any = true;
  }
  return any;
}

// The elements hidden under the fill's last top-level element that paints opaquely over it
// (a flat colour or a picture without coverage of its own, Normal, alpha 1, no soft mask, no
// overprint): nothing of them shows, so none may choose the grid that renders what does. An
// opaque picture over a finer one was otherwise resampled onto the hidden one's pixels and its
// own pixel edges moved by up to a pixel of that grid.
std::unordered_set<const Tessel::TFill::TElement*> HiddenElements(const Tessel::TFill& fill) {
  const Tessel::TFill::TElement* cover = nullptr;
  Tessel::TFill::TGraphicsComponentIterator direct(fill.GetTopGroup(),
                                                   Tessel::Input::TObject::kCovering, false);
  while (const auto* component = direct.Next()) {
    const auto* element = component->Element();
    if (element && !component->SoftMask() && AttributeOf(*element).IsOpaque()) cover = element;
  }
  std::unordered_set<const Tessel::TFill::TElement*> hidden;
  if (!cover) return hidden;
  Tessel::TFill::TGraphicsComponentIterator painted(
      fill.GetTopGroup(), Tessel::Input::TObject::kCoveringElements, true);
  while (const auto* component = painted.Next()) {
    const auto* element = component->Element();
    if (element == cover) break;
    if (element) hidden.insert(element);
  }
  return hidden;
}

// The elements that paint the fill (not the artwork of soft masks).
std::unordered_set<const Tessel::TFill::TElement*> PaintedElements(const Tessel::TFill& fill) {
  std::unordered_set<const Tessel::TFill::TElement*> painted;
  Tessel::TFill::TGraphicsComponentIterator covering(
      fill.GetTopGroup(), Tessel::Input::TObject::kCoveringElements, true);
  while (const auto* component = covering.Next()) painted.insert(component->Element());
  return painted;
}

// Whether every pixel edge of `picture` lies on a pixel edge of `grid`'s picture: its pixels,
// mapped onto that grid, are whole blocks of its pixels (a quarter turn allowed).
bool EdgesOnTheGrid(const DocumentGraph::ElementAttribute& picture,
                    const DocumentGraph::ElementAttribute& grid) {
  const auto [w, h] = PictureSize(picture);
  const auto [gw, gh] = PictureSize(grid);
  const double unit = MavDoc::Image::kUnit;
  Vexl::Transformation onGrid;
  try {
    onGrid = Vexl::Transformation::Scaling(unit / double(w), unit / double(h)) *
             picture.ObjectTransformation() * grid.ObjectTransformation().Inverse() *
             Vexl::Transformation::Scaling(double(gw) / unit, double(gh) / unit);
  } catch (const std::invalid_argument&) {
    return false;
  }
  const auto whole = [](double v) { return std::fabs(v - std::round(v)) < 1e-3; };
  const auto zero = [](double v) { return std::fabs(v) < 1e-3; };
  const bool straight = (zero(onGrid.b) && zero(onGrid.c)) || (zero(onGrid.a) && zero(onGrid.d));
  return straight && whole(onGrid.a) && whole(onGrid.b) && whole(onGrid.c) && whole(onGrid.d) &&
         whole(onGrid.tx) && whole(onGrid.ty);
}

std::int64_t RoundHalfAway(double v) { return static_cast<std::int64_t>(std::llround(v)); }

}  // namespace

std::optional<std::pair<double, double>> EffectiveResolution(
    const FillRasterizer& rasterizer, const DocumentGraph::ElementAttribute& element) {
  if (element.PaintedPicture()) {
    const auto [w, h] = PictureSize(element);
    const auto [rx, ry] = AxisResolutions(element);
    if (w <= 1 && h <= 1) return std::nullopt;
    if (w <= 1) return std::pair{ry, ry};
    if (h <= 1) return std::pair{rx, rx};
    return std::pair{std::min(rx, ry), std::max(rx, ry)};
  }
  if (element.Paint()->GetType() != MavPaint::Paint::kFlat) {
    return std::pair{rasterizer.gradientResolution, rasterizer.gradientResolution};
  }
  return std::nullopt;
}

RasterImageChoice ChooseRasterImage(const FillRasterizer& rasterizer, const Tessel::TFill& fill) {
  RasterImageChoice choice;
  const DocumentGraph::ElementAttribute* fallback = nullptr;
  const auto hidden = HiddenElements(fill);
  Tessel::TFill::TGraphicsComponentIterator components(
      fill.GetTopGroup(), Tessel::Input::TObject::kCoveringElements, true);
  choice.imageElement = FindPicture(
      rasterizer,
      [&]() -> const Tessel::TFill::TElement* {
        while (const auto* component = components.Next()) {
          if (!hidden.contains(component->Element())) return component->Element();
        }
        return nullptr;
      },
      fallback);
  int index = 0;
  if (!choice.imageElement) {
    choice.imageElement = FindPicture(
        rasterizer,
        [&]() { return index < fill.NElements() ? &fill.GetElement(index++) : nullptr; }, fallback);
  }
  if (!choice.imageElement) choice.imageElement = fallback;
  const auto painted = PaintedElements(fill);
  for (int i = 0; i < fill.NElements(); ++i) {
    if (hidden.contains(&fill.GetElement(i))) continue;
    const auto& attribute = AttributeOf(fill.GetElement(i));
    if (&attribute == choice.imageElement) continue;
    // Another picture asks for its own grid, but never for more than the gradient resolution:
    // a small fine picture must not make the whole area as fine as itself. One painted here
    // whose pixel edges are not the chosen grid's would have them moved onto it, off by up to
    // one of its pixels, so it asks for the gradient resolution, as a shading does (a soft mask's
    // picture only fades what it masks, and keeps asking for its own).
    if (const auto resolution = EffectiveResolution(rasterizer, attribute)) {
      const bool missesTheGrid = painted.contains(&fill.GetElement(i)) && choice.imageElement &&
                                 attribute.PaintedPicture() &&
                                 !EdgesOnTheGrid(attribute, *choice.imageElement);
      const double asked = missesTheGrid
                               ? rasterizer.gradientResolution
                               : std::min(resolution->second, rasterizer.gradientResolution);
      choice.otherResolution = std::max(choice.otherResolution.value_or(0.0), asked);
    }
  }
  return choice;
}

RasterGeometry ComputeRasterGeometry(const FillRasterizer& rasterizer, const Tessel::TFill& fill,
                                     double scale) {
  const RasterImageChoice choice = ChooseRasterImage(rasterizer, fill);
  const bool continuousTone = choice.imageElement || choice.otherResolution;
  const bool fromLossyData = PicturesFromLossyData(fill);
  const double r = choice.otherResolution.value_or(rasterizer.resolution) * scale;
  const auto& area = rasterizer.workingRectangle;
  const auto columns = RoundHalfAway(area.width / kMillipointsPerPoint / kPointsPerInch * r);
  const auto rows = RoundHalfAway(area.height / kMillipointsPerPoint / kPointsPerInch * r);
  if (!choice.imageElement) {
    return {Vexl::Transformation::Identity(),
            MavSc::Environment(area, std::max<std::int64_t>(columns, 0),
                               std::max<std::int64_t>(rows, 0)),
            continuousTone, fromLossyData};
  }
  auto [w, h] = PictureSize(*choice.imageElement);
  const auto own = EffectiveResolution(rasterizer, *choice.imageElement);
  if (choice.otherResolution && own && *choice.otherResolution > own->first) {
    const auto k = static_cast<std::uint64_t>(std::ceil(*choice.otherResolution / own->first));
    w *= k;
    h *= k;
  } else if (own) {
    // Nothing here needs more than the pictures, and a picture finer than the gradient
    // resolution prints no better for it: its grid is coarsened to that resolution.
    const auto [rx, ry] = AxisResolutions(*choice.imageElement);
    w = NoFinerThan(w, rx, rasterizer.gradientResolution);
    h = NoFinerThan(h, ry, rasterizer.gradientResolution);
  }
  if (scale < 1) {
    w = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::floor(double(w) * scale)));
    h = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::floor(double(h) * scale)));
  }
  const Vexl::Rectangle unit{0, 0, MavDoc::Image::kUnit, MavDoc::Image::kUnit, false};
  return {choice.imageElement->ObjectTransformation(),
          MavSc::Environment(unit, static_cast<std::int64_t>(w), static_cast<std::int64_t>(h)),
          continuousTone, fromLossyData};
}

}  // namespace Corvel
