// Tiling patterns (ISO 32000-1 §8.7.3). A fill, stroke or text painted with one becomes a group:
// the painted shape clips copies of the pattern cell, one per tile that meets what can show,
// each clipped to the cell's /BBox. The cell runs with the pattern's own resources in pattern
// space, whose matrix maps onto the default space of the content using the pattern, so tiles
// stay put on the page whatever the CTM at the time of painting. The group composites as the
// painted object would (its alpha, blend mode and soft mask) and, where it has transparency, is
// isolated as Ghostscript renders pattern cells. On the page it keeps the operators that painted
// it, so that it is written back as one painted object while nothing replaced its members.

#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>
#include <mavdoc/Builder.h>
#include <mavdoc/StrokePen.h>
#include <vexl/Stroke.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace CorvelPdf::Detail {

namespace {

// Beyond this many tiles for one painted object the object stands in for what the file paints
// (a fine hatch over a whole page), which keeps pages of such patterns readable and bounded.
constexpr std::size_t kMaxTiles = 4096;
// Tiles are first counted on the bounding box in pattern space, which a rotated matrix makes up
// to about twice the tiles that really meet: more candidates than this cannot fit under the cap.
constexpr double kMaxCandidates = 4.0 * kMaxTiles;
// A stroke clips its tiles by its outline; a hundredth of a point is far below what prints.
constexpr double kStrokeClipToleranceInMillipoints = 10;

Vexl::Rectangle Intersection(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  if (a.IsNull() || b.IsNull()) return Vexl::Rectangle::Null();
  const double left = std::max(a.Left(), b.Left()), right = std::min(a.Right(), b.Right());
  const double bottom = std::max(a.Bottom(), b.Bottom()), top = std::min(a.Top(), b.Top());
  if (left > right || bottom > top) return Vexl::Rectangle::Null();
  return {left, bottom, right - left, top - bottom};
}

bool Meets(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  return !Intersection(a, b).IsEmpty();
}

// The shape a fill paints, as a clipping object in the level's space.
std::unique_ptr<MavDoc::ContentObject> FillClip(std::shared_ptr<const Vexl::Compound> outline,
                                                Vexl::FillRule rule, bool text,
                                                const Vexl::Transformation& ctm) {
  if (text) {
    auto glyphs = std::make_unique<MavDoc::Text>("", std::move(outline), 7);
    glyphs->SetClippingObject(true);
    glyphs->SetTransformation(ctm, 0);
    return glyphs;
  }
  auto path = std::make_unique<MavDoc::Path>(std::move(outline));
  path->SetClippingObject(true);
  path->SetFillRule(rule);
  path->SetTransformation(ctm, 0);
  return path;
}

// Where the tiles go (pattern space onto the level) whose cell meets `area`, bottom row first;
// nothing when there are more than kMaxTiles.
std::optional<std::vector<Vexl::Transformation>> TilePlacements(
    const Vexl::Rectangle& cell, double dx, double dy, const Vexl::Transformation& toLevel,
    const Vexl::Transformation& toPattern, const Vexl::Rectangle& area) {
  const auto inPattern = Vexl::TransformBox(area, toPattern);
  const double firstI = std::ceil((inPattern.Left() - cell.Right()) / dx);
  const double lastI = std::floor((inPattern.Right() - cell.Left()) / dx);
  const double firstJ = std::ceil((inPattern.Bottom() - cell.Top()) / dy);
  const double lastJ = std::floor((inPattern.Top() - cell.Bottom()) / dy);
  const double candidates = (lastI - firstI + 1) * (lastJ - firstJ + 1);
  if (!(candidates <= kMaxCandidates)) return std::nullopt;
  std::vector<Vexl::Transformation> tiles;
  for (double j = firstJ; j <= lastJ; ++j) {
    for (double i = firstI; i <= lastI; ++i) {
      const auto tile = Vexl::Transformation::Translation(i * dx, j * dy) * toLevel;
      if (Meets(Vexl::TransformBox(cell, tile), area)) tiles.push_back(tile);
    }
  }
  if (tiles.size() > kMaxTiles) return std::nullopt;
  return tiles;
}

// The underlying colour space of the /Pattern space that `setting` chose, as the file gives it.
QPDFObjectHandle UnderlyingSpace(const std::vector<RecordedOp>& setting) {
  for (const auto& recorded : setting) {
    QPDFObjectHandle space = recorded.resource;
    if ((recorded.operation.op == "cs" || recorded.operation.op == "CS") && space.isInitialized() &&
        space.isArray() && space.getArrayNItems() >= 2) {
      return space.getArrayItem(1);
    }
  }
  return QPDFObjectHandle::newNull();
}

}  // namespace

std::shared_ptr<const TilingPaint> Interpreter::ReadTiling(QPDFObjectHandle pattern,
                                                           const std::string& name,
                                                           const PaintState& paint,
                                                           const Operation& operation) {
  if (!pattern.isStream()) throw ReadError("", "not a stream");
  auto dict = pattern.getDict();
  const double paintType = NumberOr(dict.getKey("/PaintType"), 0);
  if (paintType != 1 && paintType != 2) throw ReadError("", "/PaintType neither 1 nor 2");
  if (RectangleOf(dict.getKey("/BBox")).IsNull()) throw ReadError("", "no usable /BBox");
  for (const char* key : {"/XStep", "/YStep"}) {
    const double step = NumberOr(dict.getKey(key), 0);
    if (!(std::isfinite(step) && step != 0)) throw ReadError("", std::string(key + 1) + " of 0");
  }
  auto tiling = std::make_shared<TilingPaint>();
  tiling->pattern = pattern;
  tiling->name = name;
  tiling->uncolored = paintType == 2;
  if (!tiling->uncolored) return tiling;
  tiling->space = paint.space ? paint.space->base : nullptr;
  tiling->spaceObject = UnderlyingSpace(paint.setting);
  if (tiling->spaceObject.isName() && !IsDeviceSpaceName(tiling->spaceObject.getName()))
    tiling->spaceObject = Resource("/ColorSpace", NameOf(tiling->spaceObject));
  if (!tiling->space || tiling->spaceObject.isNull())
    throw ReadError("", "uncoloured, in a pattern space without an underlying space");
  const auto count = static_cast<std::size_t>(tiling->space->ComponentCount());
  if (operation.operands.size() != count + 1) throw BadOperands{};
  for (std::size_t i = 0; i < count; ++i) {
    auto operand = operation.operands[i];
    if (!operand.isNumber() || !std::isfinite(operand.getNumericValue())) throw BadOperands{};
    tiling->components.push_back(operand.getNumericValue());
  }
  return tiling;
}

// What can show in the level: the page, seen from the level, within the clips in force.
Vexl::Rectangle Interpreter::VisibleArea() {
  Vexl::Rectangle area;
  try {
    area = Vexl::TransformBox(area_, CurrentLevel().absolute.Inverse());
  } catch (const std::invalid_argument&) {
    return Vexl::Rectangle::Null();
  }
  for (const auto& clip : State().clips)
    area =
        Intersection(area, Vexl::TransformBox(clip.outline->GetBoundingBox(), clip.transformation));
  return area;
}

Interpreter::TiledParts Interpreter::TileParts(bool fill, bool stroke,
                                               const std::shared_ptr<const Vexl::Compound>& outline,
                                               Vexl::FillRule rule, bool text) {
  TiledParts parts;
  const auto& ctm = State().ctm;
  if (fill && State().fill.tiling) {
    parts.fill =
        TileGroup(*State().fill.tiling, FillClip(outline, rule, text, ctm),
                  Vexl::TransformBox(outline->GetBoundingBox(), ctm), false, parts.fillFailure);
  }
  if (stroke && State().stroke.tiling) {
    std::shared_ptr<const Vexl::Compound> area;
    try {
      area = std::make_shared<const Vexl::Compound>(Vexl::OutlineStroke(
          *outline, MavDoc::PenOf(State().strokeStyle), ctm, kStrokeClipToleranceInMillipoints));
    } catch (const std::invalid_argument& e) {
      parts.strokeFailure = "stroke with tiling pattern /" + State().stroke.tiling->name +
                            " cannot be outlined (" + e.what() + ")";
    }
    if (area) {
      parts.stroke =
          TileGroup(*State().stroke.tiling, FillClip(area, Vexl::FillRule::NonZero, false, {}),
                    area->GetBoundingBox(), true, parts.strokeFailure);
    }
  }
  // One operator paints both parts: if either cannot be tiled, the whole object stands in.
  if (const std::string why = parts.fillFailure.empty() ? parts.strokeFailure : parts.fillFailure;
      !why.empty()) {
    parts = {};
    if (fill && State().fill.tiling) parts.fillFailure = why;
    if (stroke && State().stroke.tiling) parts.strokeFailure = why;
  }
  return parts;
}

std::unique_ptr<MavDoc::Group> Interpreter::TileGroup(const TilingPaint& tiling,
                                                      std::unique_ptr<MavDoc::ContentObject> shape,
                                                      const Vexl::Rectangle& shapeBox, bool stroke,
                                                      std::string& failure) {
  auto dict = tiling.pattern.getDict();
  const Vexl::Rectangle cell = RectangleOf(dict.getKey("/BBox"));
  const double dx = std::abs(NumberOr(dict.getKey("/XStep"), 0)) * 1000;
  const double dy = std::abs(NumberOr(dict.getKey("/YStep"), 0)) * 1000;
  const auto toLevel = MatrixOf(dict.getKey("/Matrix")) * CurrentLevel().defaultCtm;
  const Vexl::Rectangle area = Intersection(shapeBox, VisibleArea());

  auto group = std::make_unique<MavDoc::Group>();
  if (auto current = CurrentTransparency()) {
    // The group paints the way the object would: a stroke by its stroke alpha.
    const float alpha = stroke ? State().strokeAlpha : State().fillAlpha;
    group->SetTransparency(MavBlend::Transparency::Factory(current)
                               .SetFillAlpha(alpha)
                               .SetStrokeAlpha(alpha)
                               .SetIsolated(true)
                               .Get());
  }
  group->AddOnTop(std::move(shape));
  Vexl::Transformation toPattern;
  try {
    toPattern = toLevel.Inverse();
  } catch (const std::invalid_argument&) {
    return group;  // a singular matrix paints nothing
  }
  if (area.IsEmpty() || cell.IsEmpty()) return group;

  const auto tiles = TilePlacements(cell, dx, dy, toLevel, toPattern, area);
  if (!tiles) {
    failure = "tiling pattern /" + tiling.name + " would need more than " +
              std::to_string(kMaxTiles) + " tiles for one object";
    return nullptr;
  }
  const QPDFObjGen id = tiling.pattern.getObjGen();
  if (std::find(formStack_.begin(), formStack_.end(), id) != formStack_.end()) {
    failure = "tiling pattern /" + tiling.name + " paints with itself";
    return nullptr;
  }
  if (static_cast<int>(formStack_.size()) >= context_.Limits().maxFormDepth) {
    failure = "tiling pattern /" + tiling.name + " nested too deep";
    return nullptr;
  }
  const auto operations = ParseContent(context_, tiling.pattern);
  ++tileDepth_;
  for (const auto& placement : *tiles) {
    auto tile = std::make_unique<MavDoc::Group>();
    tile->SetTransformation(placement, 0);
    tile->AddOnTop(MavDoc::Build::ClipRectangle(cell));
    MavDoc::Group& added = *tile;
    group->AddOnTop(std::move(tile));
    WithinObject("tiling pattern /" + tiling.name, QPDFObjectHandle::newNull(),
                 [&] { RunTile(tiling, operations, added); });
    if (added.GetContent().Size() == 1) group->GetContent().Remove(added);
  }
  if (--tileDepth_ == 0) tileImages_.clear();
  return group;
}

// Runs the cell into one tile. Painting a path or text is under way meanwhile, so what the
// interpreter holds for it is kept aside.
void Interpreter::RunTile(const TilingPaint& tiling, const std::vector<Operation>& operations,
                          MavDoc::Group& tile) {
  auto path = std::exchange(path_, {});
  auto pathOps = std::exchange(pathOps_, {});
  const Operation* showing = std::exchange(showing_, nullptr);
  auto unreadable = std::exchange(unreadable_, {});
  const auto showMatrix = showMatrix_;
  const auto pendingClip = std::exchange(pendingClip_, std::nullopt);
  const bool inText = std::exchange(inText_, false);
  const auto textMatrix = textMatrix_, lineMatrix = lineMatrix_;
  auto textClip = std::exchange(textClip_, nullptr);

  auto resources = tiling.pattern.getDict().getKey("/Resources");
  formStack_.push_back(tiling.pattern.getObjGen());
  PushCellLevel(tile.GetContent(), tile.GetTransformation() * CurrentLevel().absolute,
                resources.isDictionary() ? resources : CurrentLevel().resources, tiling);
  Execute(operations);
  PopLevel();
  formStack_.pop_back();

  path_ = std::move(path);
  pathOps_ = std::move(pathOps);
  showing_ = showing;
  unreadable_ = std::move(unreadable);
  showMatrix_ = showMatrix;
  pendingClip_ = pendingClip;
  inText_ = inText;
  textMatrix_ = textMatrix;
  lineMatrix_ = lineMatrix;
  textClip_ = std::move(textClip);
}

std::shared_ptr<const MavPaint::Paint> Interpreter::PartPaint(const TiledParts& parts,
                                                              bool stroke) {
  if (stroke ? parts.stroke : parts.fill) return nullptr;
  const std::string& failure = stroke ? parts.strokeFailure : parts.fillFailure;
  if (!failure.empty()) return FailedPaint(failure);
  return PaintFor(stroke ? State().stroke : State().fill, stroke);
}

// Emits the tiled parts of one painted object, below and above its flat part (fill under stroke),
// as one object that paints with the operators in `source`.
void Interpreter::EmitTiled(std::shared_ptr<PdfSource> source,
                            std::unique_ptr<MavDoc::Blendable> flat, TiledParts parts) {
  std::vector<std::unique_ptr<MavDoc::ContentObject>> members;
  if (parts.fill) members.push_back(std::move(parts.fill));
  if (flat) {
    SetPaintedState(*flat);
    members.push_back(std::move(flat));
  }
  if (parts.stroke) members.push_back(std::move(parts.stroke));
  std::unique_ptr<MavDoc::Group> object;
  if (members.size() == 1) {
    object.reset(dynamic_cast<MavDoc::Group*>(members.front().release()));
  } else {
    // Fill and stroke of one operator: a knockout group, as for flat paints (see
    // EmitFilledAndStroked).
    object = std::make_unique<MavDoc::Group>();
    const auto& s = State();
    if (s.strokeAlpha != 1 || s.blendMode != MavBlend::BlendMode::Normal || s.softMask)
      object->SetTransparency(MavBlend::Transparency::Factory().SetKnockout(true).Get());
    for (auto& member : members) object->AddOnTop(std::move(member));
  }
  // A pattern's matrix is relative to the default space of the content using it, which is the
  // page's only at the page's own level: inside a form the tiles are what gets written, should
  // the form be written member by member.
  if (source && levels_.size() == 1) {
    source->isForm = true;
    source->members = CountMembers(object->GetContent());
    object->SetSource(std::move(source));
  }
  Emit(std::move(object));
}

}  // namespace CorvelPdf::Detail
