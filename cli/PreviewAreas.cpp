#include <cli/PreviewAreas.h>
#include <mavdoc/Placement.h>
#include <mavdoc/StrokePen.h>
#include <vexl/Stroke.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace CorvelCli {

namespace {

using ClipList = std::vector<std::shared_ptr<const FilledOutline>>;

// The unit square pictures are painted on, in their own space.
const Vexl::Compound& UnitSquare() {
  static const Vexl::Compound square =
      *Vexl::MakeRectangle({0, 0, MavDoc::Image::kUnit, MavDoc::Image::kUnit});
  return square;
}

// All the glyphs of a text run grouped as one clip, each glyph mapped to the page.
std::shared_ptr<const FilledOutline> TextGroupClip(const MavDoc::TextGroup& group) {
  auto clip = std::make_shared<FilledOutline>();
  for (const MavDoc::ContentObject& member : group.GetContent().GetChildren()) {
    const auto* text = dynamic_cast<const MavDoc::Text*>(&member);
    if (!text || !text->GetGlyphs()) continue;
    auto glyphs = MakeFilledOutline(*text->GetGlyphs(), MavDoc::GetAbsoluteTransformation(*text),
                                    Vexl::FillRule::NonZero);
    for (auto& ring : glyphs.rings) clip->rings.push_back(std::move(ring));
  }
  return clip;
}

// The shape a clipping member clips by; null for clips that limit nothing we can draw.
std::shared_ptr<const FilledOutline> ClipOf(const MavDoc::ContentObject& member) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&member); path && path->GetOutline()) {
    return std::make_shared<FilledOutline>(MakeFilledOutline(
        *path->GetOutline(), MavDoc::GetAbsoluteTransformation(*path), path->GetFillRule()));
  }
  if (const auto* text = dynamic_cast<const MavDoc::Text*>(&member); text && text->GetGlyphs()) {
    return std::make_shared<FilledOutline>(MakeFilledOutline(
        *text->GetGlyphs(), MavDoc::GetAbsoluteTransformation(*text), Vexl::FillRule::NonZero));
  }
  if (const auto* group = dynamic_cast<const MavDoc::TextGroup*>(&member))
    return TextGroupClip(*group);
  return nullptr;
}

// The clips of every group enclosing an object, each group's made once.
class ClipFinder {
 public:
  ClipList Above(const MavDoc::ContentObject& object) {
    ClipList clips;
    for (const MavDoc::Group* group = object.GetParent(); group; group = group->GetParent()) {
      const ClipList& own = Own(*group);
      clips.insert(clips.end(), own.begin(), own.end());
    }
    return clips;
  }

 private:
  const ClipList& Own(const MavDoc::Group& group) {
    auto [it, fresh] = clips_.try_emplace(&group);
    if (!fresh) return it->second;
    for (const MavDoc::ContentObject& member : group.GetContent().GetChildren()) {
      if (!member.IsClippingObject()) continue;
      if (auto clip = ClipOf(member)) it->second.push_back(std::move(clip));
    }
    return it->second;
  }

  std::map<const MavDoc::Group*, ClipList> clips_;
};

// The filled outlines an object paints on the page: its fill and its stroke outline.
std::vector<FilledOutline> PaintedOutlines(const MavDoc::ContentObject& object) {
  std::vector<FilledOutline> painted;
  const auto stroked = [&](const Vexl::Compound& outline, const MavDoc::Strokable& strokable,
                           const Vexl::Transformation& toPage) {
    const auto stroke = Vexl::OutlineStroke(outline, MavDoc::PenOf(strokable.GetStrokeStyle()), toPage,
                                            kPolylineToleranceInMillipoints);
    painted.push_back(
        MakeFilledOutline(stroke, Vexl::Transformation::Identity(), Vexl::FillRule::NonZero));
  };
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    if (!path->GetOutline()) return painted;
    const auto toPage = MavDoc::GetAbsoluteTransformation(*path);
    if (path->GetFillPaint())
      painted.push_back(MakeFilledOutline(*path->GetOutline(), toPage, path->GetFillRule()));
    if (path->GetStrokePaint()) stroked(*path->GetOutline(), *path, toPage);
  } else if (const auto* text = dynamic_cast<const MavDoc::Text*>(&object)) {
    if (!text->GetGlyphs()) return painted;
    const auto toPage = MavDoc::GetAbsoluteTransformation(*text);
    const int mode = text->GetRenderingMode() % 4;  // 4–7 paint as 0–3 and clip too
    if (mode == 0 || mode == 2)
      painted.push_back(MakeFilledOutline(*text->GetGlyphs(), toPage, Vexl::FillRule::NonZero));
    if (mode == 1 || mode == 2) stroked(*text->GetGlyphs(), *text, toPage);
  } else if (const auto* transformable = dynamic_cast<const MavDoc::Transformable*>(&object)) {
    // Pictures and stencils: their frame.
    painted.push_back(MakeFilledOutline(
        UnitSquare(), MavDoc::GetAbsoluteTransformation(*transformable), Vexl::FillRule::NonZero));
  }
  return painted;
}

// One walk over the page's painted objects (groups looked into, clipping members left out),
// adding each object's shapes to every category it belongs to.
struct ObjectWalk {
  const std::function<bool(const MavDoc::ContentObject&)>& replaced;
  const ObjectSet& overprinting;
  ClipFinder clips;
  PreviewAreas& areas;

  void Walk(const MavDoc::Content& content) {
    for (const MavDoc::ContentObject& member : content.GetChildren()) {
      if (member.IsClippingObject()) continue;
      if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
        Walk(group->GetContent());
        continue;
      }
      const bool involved = replaced(member);
      const bool text = involved && dynamic_cast<const MavDoc::Text*>(&member);
      const bool overprints = overprinting.contains(&member);
      if (!involved && !overprints) continue;
      const ClipList above = clips.Above(member);
      for (auto& outline : PaintedOutlines(member)) {
        const AreaShape shape{std::move(outline), above};
        if (involved) areas.involved.push_back(shape);
        if (text) areas.outlinedText.push_back(shape);
        if (overprints) areas.overprinting.push_back(shape);
      }
    }
  }
};

// The resolution of a picture's pixels on the page: the side of a pixel's area.
double PixelsPerInch(const MavDoc::Image& image) {
  const auto& source = image.GetPaintedPicture()->GetPictureData(true)->GetSource();
  const double pixels = double(source->GetWidth()) * double(source->GetHeight());
  const double area = std::abs(MavDoc::GetAbsoluteTransformation(image).Determinant()) *
                      MavDoc::Image::kUnit * MavDoc::Image::kUnit;
  if (!(pixels > 0) || !(area > 0)) return 0;
  return std::round(72000.0 / std::sqrt(area / pixels));
}

void AddRendered(const MavDoc::ContentObject& object, ClipFinder& clips, PreviewAreas& areas) {
  if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    for (const MavDoc::ContentObject& member : group->GetContent().GetChildren())
      AddRendered(member, clips, areas);
    return;
  }
  const auto* image = dynamic_cast<const MavDoc::Image*>(&object);
  if (!image || image->IsClippingObject()) return;
  const double resolution = PixelsPerInch(*image);
  auto at = std::find_if(areas.rasterized.begin(), areas.rasterized.end(),
                         [&](const RasterizedArea& area) { return area.resolution >= resolution; });
  if (at == areas.rasterized.end() || at->resolution != resolution)
    at = areas.rasterized.insert(at, {resolution, {}});
  for (auto& outline : PaintedOutlines(*image))
    at->shapes.push_back({std::move(outline), clips.Above(*image)});
}

}  // namespace

ObjectSet OverprintingObjects(const MavDoc::Content& page) {
  ObjectSet overprinting;
  for (const MavDoc::ContentObject& member : page.GetChildren()) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      overprinting.merge(OverprintingObjects(group->GetContent()));
    } else if (const auto* painted = dynamic_cast<const MavDoc::Blendable*>(&member);
               painted && painted->GetOverprint().Any()) {
      overprinting.insert(&member);
    }
  }
  return overprinting;
}

PreviewAreas CollectObjectAreas(const MavDoc::Content& page,
                                const std::function<bool(const MavDoc::ContentObject&)>& replaced,
                                const ObjectSet& overprinting) {
  PreviewAreas areas;
  ObjectWalk{replaced, overprinting, {}, areas}.Walk(page);
  return areas;
}

void AddRasterizedAreas(const std::vector<MavDoc::ContentObject*>& inserted, PreviewAreas& areas) {
  ClipFinder clips;
  for (const auto* object : inserted) AddRendered(*object, clips, areas);
}

AreaSummary MeasureAreas(const PreviewAreas& areas, const Vexl::Rectangle& pageBox) {
  AreaSummary summary;
  summary.involved = UnionAreaInSquarePoints(areas.involved, pageBox);
  for (const auto& raster : areas.rasterized)
    summary.rasterized.emplace_back(raster.resolution,
                                    UnionAreaInSquarePoints(raster.shapes, pageBox));
  summary.outlinedText = UnionAreaInSquarePoints(areas.outlinedText, pageBox);
  summary.overprinting = UnionAreaInSquarePoints(areas.overprinting, pageBox);
  return summary;
}

}  // namespace CorvelCli
