#pragma once
// What the planar map carries for each drawn object, group and soft mask of a document.
//
// Attributes are made by an AttributeCreator while a map is built and refer to the document's
// objects and shared values; they must not outlive the content the map was built from.
// Transformations map into page space (millipoints, y up).

#include <memory>

#include <mavdoc/Objects.h>
#include <tessel/Attributes.h>

namespace DocumentGraph {

// One painted element: an object's fill or stroke, painted with a paint or a picture.
//
// `transparencyAware` (the creator flag): with true the attribute answers IsOpaque() from its
// transparency; with false it treats every element as opaque Normal paint, for builds that only
// want shapes.
class ElementAttribute : public Tessel::TElementAttribute {
 public:
  // Paint form: `contentTransformation` maps the object's space (where the paint lives) to
  // the page.
  ElementAttribute(const MavDoc::ContentObject& object,
                   std::shared_ptr<const MavBlend::Transparency> transparency, bool selectStroke,
                   std::shared_ptr<const MavPaint::Paint> paint,
                   std::shared_ptr<MavDoc::HalftoneSet> halftone,
                   const Vexl::Transformation& contentTransformation,
                   const MavDoc::Blendable* objectForSelection, bool transparencyAware);
  // Picture form: `objectTransformation` maps the picture's unit square (1000 × 1000) to the
  // page, `contentTransformation` the object's content space to the page.
  ElementAttribute(const MavDoc::ContentObject& object,
                   std::shared_ptr<const MavBlend::Transparency> transparency, bool selectStroke,
                   std::shared_ptr<const MavImg::PaintedPicture> picture,
                   const Vexl::Transformation& objectTransformation,
                   std::shared_ptr<MavDoc::HalftoneSet> halftone,
                   const Vexl::Transformation& contentTransformation,
                   const MavDoc::Blendable* objectForSelection, bool transparencyAware);

  const MavDoc::ContentObject& Object() const { return object_; }
  // Null for a picture element.
  const std::shared_ptr<const MavPaint::Paint>& Paint() const { return paint_; }
  // Null for a paint element.
  const std::shared_ptr<const MavImg::PaintedPicture>& PaintedPicture() const { return picture_; }
  const std::shared_ptr<MavDoc::HalftoneSet>& HalftoneSet() const { return halftone_; }
  // Never null.
  const std::shared_ptr<const MavBlend::Transparency>& Transparency() const { return transparency_; }
  const Vexl::Transformation& ObjectTransformation() const { return objectTransformation_; }
  const Vexl::Transformation& ContentTransformation() const { return contentTransformation_; }
  // True when this element is a stroke (its alpha is the stroke alpha).
  bool DoSelectStroke() const { return selectStroke_; }
  // The document object that stands for this element when objects are selected and placed.
  const MavDoc::Blendable* ObjectForSelection() const { return objectForSelection_; }
  // Marks the element's coverage as not its whole shape (a picture with a mask, a stencil):
  // such an element never counts as opaque.
  void ForceUnknownShape() { unknownShape_ = true; }
  bool HasUnknownShape() const { return unknownShape_; }
  // The element's constant alpha: stroke alpha for strokes, fill alpha otherwise.
  float Alpha() const;
  // Whether the element overprints (its stroke's or its fill's flag): inks its colour does not
  // name keep the backdrop's; with the nonzero mode, so do zero DeviceCMYK components.
  bool Overprints() const { return overprints_; }
  bool NonzeroOverprint() const { return overprints_ && nonzeroOverprint_; }
  // The rendering intent of the element's object, empty when it sets none: its colours convert
  // with it (see MavColor::IntentFor).
  const std::optional<MavColor::RenderingIntent>& Intent() const { return intent_; }

  // Never for an overprinting element: the backdrop shows through in the inks it leaves.
  bool IsOpaque() const override;

 private:
  const MavDoc::ContentObject& object_;
  std::shared_ptr<const MavBlend::Transparency> transparency_;
  bool selectStroke_;
  std::shared_ptr<const MavPaint::Paint> paint_;
  std::shared_ptr<const MavImg::PaintedPicture> picture_;
  std::shared_ptr<MavDoc::HalftoneSet> halftone_;
  Vexl::Transformation objectTransformation_;
  Vexl::Transformation contentTransformation_;
  const MavDoc::Blendable* objectForSelection_;
  bool transparencyAware_;
  bool unknownShape_ = false;
  bool overprints_ = false;
  bool nonzeroOverprint_ = false;
  std::optional<MavColor::RenderingIntent> intent_;

  void ReadPaintedState();
};

// A group: its transparency (blend mode, group alpha, isolated and knockout, soft mask), its
// blending colour space and its transformation (group space to page).
class GroupAttribute : public Tessel::TGroupAttribute {
 public:
  GroupAttribute(std::shared_ptr<const MavBlend::Transparency> transparency, bool selectStroke,
                 const Vexl::Transformation& transformation, MavColor::GroupColorSpace colorSpace,
                 bool transparencyAware);

  // Never null.
  const std::shared_ptr<const MavBlend::Transparency>& Transparency() const { return transparency_; }
  const MavColor::GroupColorSpace& GroupColorSpace() const { return colorSpace_; }
  bool DoSelectStroke() const { return selectStroke_; }
  const Vexl::Transformation& Transformation() const { return transformation_; }
  float Alpha() const;

  bool KeepsOpacity() const override;

 private:
  std::shared_ptr<const MavBlend::Transparency> transparency_;
  bool selectStroke_;
  Vexl::Transformation transformation_;
  MavColor::GroupColorSpace colorSpace_;
  bool transparencyAware_;
};

// A soft mask: the transparency that carries it, the mask's transformation (mask space to
// page) and the blending colour space of its artwork.
class SoftMaskAttribute : public Tessel::TSoftMaskAttribute {
 public:
  SoftMaskAttribute(std::shared_ptr<const MavBlend::Transparency> transparency,
                    const Vexl::Transformation& transformation,
                    MavColor::GroupColorSpace colorSpace);

  // Never null (the constructor refuses a transparency without a soft mask).
  const std::shared_ptr<const MavBlend::SoftMask>& DefiningSoftMask() const;
  const std::shared_ptr<const MavBlend::Transparency>& Transparency() const { return transparency_; }
  const MavColor::GroupColorSpace& GroupColorSpace() const { return colorSpace_; }
  const Vexl::Transformation& Transformation() const { return transformation_; }
  bool DefinesShape() const { return DefiningSoftMask()->DefinesShape(); }

 private:
  std::shared_ptr<const MavBlend::Transparency> transparency_;
  Vexl::Transformation transformation_;
  MavColor::GroupColorSpace colorSpace_;
};

}  // namespace DocumentGraph
