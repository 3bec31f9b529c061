#pragma once
// Content objects of the document model and their mix-ins.
//
// Coordinates are millipoints, y up. Each object's transformation maps its own space into the
// space of the content it sits in (for a group's members: the group's space). Mix-ins derive
// virtually from ContentObject so that an object is one ContentObject whatever it mixes in.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <mavdoc/Content.h>
#include <mavdoc/Halftone.h>
#include <mavdoc/Layer.h>
#include <values/Blend.h>
#include <values/Paint.h>
#include <values/Picture.h>
#include <vexl/Compound.h>

namespace MavDoc {

class Group;

namespace Detail {
// The link of an object in its content's list: its neighbour below (painted just before it),
// null for the bottom object. Kept by the content.
template <class T>
class ListItem {
 public:
  T* GetListLink() const { return below_; }

 private:
  friend class MavDoc::Content;
  T* below_ = nullptr;
};
}  // namespace Detail

// Where an object came from, for a writer that can copy it back from its source file unchanged.
// Opaque to the model: the reader that made the object and the writer that reads it know what it
// holds. Objects made by editing have none.
class SourceRecord {
 public:
  virtual ~SourceRecord();
};

class ContentObject : public Visitable, public Detail::ListItem<ContentObject> {
 public:
  ~ContentObject() override;
  ContentObject(const ContentObject&) = delete;
  ContentObject& operator=(const ContentObject&) = delete;

  // The group whose content holds this object; null at the top of a page or soft-mask content
  // and for an object in no content.
  Group* GetParent() const;
  // The content list this object sits in, or null.
  Content* GetContainer() const { return container_; }
  virtual bool IsClippingObject() const { return false; }
  // Null for objects that do not come from a file.
  const std::shared_ptr<const SourceRecord>& GetSource() const { return source_; }
  void SetSource(std::shared_ptr<const SourceRecord> source) { source_ = std::move(source); }

 protected:
  ContentObject() = default;

 private:
  friend class Content;
  Content* container_ = nullptr;
  std::shared_ptr<const SourceRecord> source_;
};

// Modes of Transformable::SetTransformation: which attached geometry stays where it is on the
// page instead of moving with the object. 0 moves everything along. Paints lie in the object's
// own space; a soft mask lies in the space of the content holding the object.
inline constexpr int kKeepFillPaint = 1;
inline constexpr int kKeepStrokePaint = 2;
inline constexpr int kKeepSoftMask = 4;

class Transformable : public virtual ContentObject {
 public:
  const Vexl::Transformation& GetTransformation() const { return transformation_; }
  // Sets the transformation; `mode` ORs the kKeep* bits. Throws std::invalid_argument for other
  // bits, or when keeping something in place needs the inverse of a singular transformation.
  void SetTransformation(const Vexl::Transformation& t, int mode);

 private:
  Vexl::Transformation transformation_;
};

class Clippable : public virtual ContentObject {
 public:
  bool IsClippingObject() const override { return clipping_; }
  void SetClippingObject(bool clipping) { clipping_ = clipping; }

 private:
  bool clipping_ = false;
};

// Overprint as the graphics state set it for a painted object (ISO 32000-1 §8.6.7): a fill or
// stroke that overprints leaves the inks its colour does not name as they were; in nonzero
// mode a DeviceCMYK component of 0 leaves its ink too. Groups carry none of their own.
struct Overprint {
  bool fill = false;
  bool stroke = false;
  bool nonzeroMode = false;  // OPM 1
  bool Any() const { return fill || stroke; }
  friend bool operator==(const Overprint&, const Overprint&) = default;
};

class Blendable : public virtual ContentObject {
 public:
  // Never null: objects without transparency of their own report the default.
  const std::shared_ptr<const MavBlend::Transparency>& GetTransparency() const;
  void SetTransparency(std::shared_ptr<const MavBlend::Transparency> t) { transparency_ = std::move(t); }
  const Overprint& GetOverprint() const { return overprint_; }
  void SetOverprint(const Overprint& overprint) { overprint_ = overprint; }
  // The rendering intent the object's colours convert with (ISO 32000-1 §8.6.5.8: the graphics
  // state's, or an image's own), empty when the file sets none; see MavColor::IntentFor. Groups
  // carry none of their own: their members carry theirs.
  const std::optional<MavColor::RenderingIntent>& GetRenderingIntent() const { return intent_; }
  void SetRenderingIntent(std::optional<MavColor::RenderingIntent> intent) { intent_ = intent; }

 private:
  std::shared_ptr<const MavBlend::Transparency> transparency_;
  Overprint overprint_;
  std::optional<MavColor::RenderingIntent> intent_;
};

class Fillable : public virtual ContentObject {
 public:
  // Null: not filled.
  const std::shared_ptr<const MavPaint::Paint>& GetFillPaint() const { return fillPaint_; }
  void SetFillPaint(std::shared_ptr<const MavPaint::Paint> paint) { fillPaint_ = std::move(paint); }
  const std::shared_ptr<HalftoneSet>& GetHalftoneSet() const { return halftone_; }
  void SetHalftoneSet(std::shared_ptr<HalftoneSet> halftone) { halftone_ = std::move(halftone); }

 private:
  std::shared_ptr<const MavPaint::Paint> fillPaint_;
  std::shared_ptr<HalftoneSet> halftone_;
};

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

// Stroke geometry, in the object's own space.
struct StrokeStyle {
  double width = 1000;
  LineCap cap = LineCap::Butt;
  LineJoin join = LineJoin::Miter;
  double miterLimit = 10;
  std::vector<double> dashes;
  double dashPhase = 0;
  friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

class Strokable : public virtual ContentObject {
 public:
  // Null: not stroked.
  const std::shared_ptr<const MavPaint::Paint>& GetStrokePaint() const { return strokePaint_; }
  void SetStrokePaint(std::shared_ptr<const MavPaint::Paint> paint) { strokePaint_ = std::move(paint); }
  const StrokeStyle& GetStrokeStyle() const { return style_; }
  // Throws std::invalid_argument for a negative or non-finite width, a miter limit below 1, or
  // dashes that are negative or all zero.
  void SetStrokeStyle(StrokeStyle style);

 private:
  std::shared_ptr<const MavPaint::Paint> strokePaint_;
  StrokeStyle style_;
};

// A group of objects, owned through a content of its own. Clipping members clip the other
// members (the clip is the intersection of their shapes, wherever they stand in the list).
class Group : public Transformable, public Blendable {
 public:
  explicit Group(std::uint32_t flags = 0);
  ~Group() override;
  void Accept(VisitorBase& visitor) override;

  std::uint32_t GetFlags() const { return flags_; }
  Content& GetContent() { return *content_; }
  const Content& GetContent() const { return *content_; }
  ContentObject& AddOnTop(std::unique_ptr<ContentObject> object);
  const MavColor::GroupColorSpace& GetGroupColorSpace() const { return colorSpace_; }
  void SetGroupColorSpace(MavColor::GroupColorSpace space) { colorSpace_ = std::move(space); }

 protected:
  void AcceptChildren(VisitorBase& visitor);

 private:
  std::uint32_t flags_;
  std::unique_ptr<Content> content_;
  MavColor::GroupColorSpace colorSpace_;
};

// A group whose visibility a layer expression decides.
class Layer final : public Group {
 public:
  Layer(std::shared_ptr<LayerProperties> properties, LayerExpression expression);
  void Accept(VisitorBase& visitor) override;
  const std::shared_ptr<LayerProperties>& GetProperties() const { return properties_; }
  const LayerExpression& GetExpression() const { return expression_; }

 private:
  std::shared_ptr<LayerProperties> properties_;
  LayerExpression expression_;
};

// The glyphs of one text run grouped; may act as a clip.
class TextGroup final : public Group {
 public:
  TextGroup() = default;
  void Accept(VisitorBase& visitor) override;
  bool IsClippingObject() const override { return clipping_; }
  void SetClippingObject(bool clipping) { clipping_ = clipping; }

 private:
  bool clipping_ = false;
};

// A path: an outline, filled (by a rule) and/or stroked.
class Path final : public Transformable, public Clippable, public Blendable, public Fillable,
                   public Strokable {
 public:
  explicit Path(std::shared_ptr<const Vexl::Compound> outline);
  void Accept(VisitorBase& visitor) override;
  const std::shared_ptr<const Vexl::Compound>& GetOutline() const { return outline_; }
  void SetOutline(std::shared_ptr<const Vexl::Compound> outline);
  Vexl::FillRule GetFillRule() const { return fillRule_; }
  void SetFillRule(Vexl::FillRule rule) { fillRule_ = rule; }

 private:
  std::shared_ptr<const Vexl::Compound> outline_;
  Vexl::FillRule fillRule_ = Vexl::FillRule::NonZero;
};

// A picture on the 1000 × 1000 unit square of its own space.
class Image final : public Transformable, public Clippable, public Blendable {
 public:
  static constexpr double kUnit = 1000;
  explicit Image(std::shared_ptr<const MavImg::PaintedPicture> picture);
  void Accept(VisitorBase& visitor) override;
  const std::shared_ptr<const MavImg::PaintedPicture>& GetPaintedPicture() const { return picture_; }
  const std::shared_ptr<HalftoneSet>& GetHalftoneSet() const { return halftone_; }
  void SetHalftoneSet(std::shared_ptr<HalftoneSet> halftone) { halftone_ = std::move(halftone); }

 private:
  std::shared_ptr<const MavImg::PaintedPicture> picture_;
  std::shared_ptr<HalftoneSet> halftone_;
};

// A stencil: the fill paint where the one-channel picture is set (or clear, when inverted),
// nothing elsewhere; on the unit square like an image.
class ImageMask final : public Transformable, public Clippable, public Blendable, public Fillable {
 public:
  ImageMask(std::shared_ptr<const MavImg::PaintedPicture> stencil, bool inverted);
  void Accept(VisitorBase& visitor) override;
  const std::shared_ptr<const MavImg::PaintedPicture>& GetStencil() const { return stencil_; }
  bool IsInverted() const { return inverted_; }

 private:
  std::shared_ptr<const MavImg::PaintedPicture> stencil_;
  bool inverted_;
};

// Text as glyph outlines in its own space, painted by a PDF rendering mode (0 fill, 1 stroke,
// 2 fill and stroke, 3 invisible, 4–7 the same plus clip).
class Text final : public Transformable, public Clippable, public Blendable, public Fillable,
                   public Strokable {
 public:
  Text(std::string characters, std::shared_ptr<const Vexl::Compound> glyphs, int renderingMode);
  void Accept(VisitorBase& visitor) override;
  const std::string& GetCharacters() const { return characters_; }
  const std::shared_ptr<const Vexl::Compound>& GetGlyphs() const { return glyphs_; }
  int GetRenderingMode() const { return renderingMode_; }

 private:
  std::string characters_;
  std::shared_ptr<const Vexl::Compound> glyphs_;
  int renderingMode_;
};

}  // namespace MavDoc
