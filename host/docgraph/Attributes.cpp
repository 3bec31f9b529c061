#include <docgraph/Attributes.h>

#include <stdexcept>

namespace DocumentGraph {

namespace {

std::shared_ptr<const MavBlend::Transparency> OrDefault(
    std::shared_ptr<const MavBlend::Transparency> t) {
  return t ? std::move(t) : MavBlend::Transparency::GetDefault();
}

}  // namespace

ElementAttribute::ElementAttribute(const MavDoc::ContentObject& object,
                                   std::shared_ptr<const MavBlend::Transparency> transparency,
                                   bool selectStroke, std::shared_ptr<const MavPaint::Paint> paint,
                                   std::shared_ptr<MavDoc::HalftoneSet> halftone,
                                   const Vexl::Transformation& contentTransformation,
                                   const MavDoc::Blendable* objectForSelection,
                                   bool transparencyAware)
    : object_(object),
      transparency_(OrDefault(std::move(transparency))),
      selectStroke_(selectStroke),
      paint_(std::move(paint)),
      halftone_(std::move(halftone)),
      objectTransformation_(contentTransformation),
      contentTransformation_(contentTransformation),
      objectForSelection_(objectForSelection),
      transparencyAware_(transparencyAware) {
  if (!paint_) throw std::invalid_argument("An element attribute needs a paint");
  ReadPaintedState();
}

ElementAttribute::ElementAttribute(const MavDoc::ContentObject& object,
                                   std::shared_ptr<const MavBlend::Transparency> transparency,
                                   bool selectStroke,
                                   std::shared_ptr<const MavImg::PaintedPicture> picture,
                                   const Vexl::Transformation& objectTransformation,
                                   std::shared_ptr<MavDoc::HalftoneSet> halftone,
                                   const Vexl::Transformation& contentTransformation,
                                   const MavDoc::Blendable* objectForSelection,
                                   bool transparencyAware)
    : object_(object),
      transparency_(OrDefault(std::move(transparency))),
      selectStroke_(selectStroke),
      picture_(std::move(picture)),
      halftone_(std::move(halftone)),
      objectTransformation_(objectTransformation),
      contentTransformation_(contentTransformation),
      objectForSelection_(objectForSelection),
      transparencyAware_(transparencyAware) {
  if (!picture_) throw std::invalid_argument("A picture element attribute needs a picture");
  ReadPaintedState();
}

// Overprint and rendering intent, from the painted object.
void ElementAttribute::ReadPaintedState() {
  const auto* painted = dynamic_cast<const MavDoc::Blendable*>(&object_);
  if (!painted) return;
  const MavDoc::Overprint& overprint = painted->GetOverprint();
  overprints_ = selectStroke_ ? overprint.stroke : overprint.fill;
  nonzeroOverprint_ = overprint.nonzeroMode;
  intent_ = painted->GetRenderingIntent();
}

float ElementAttribute::Alpha() const {
  return selectStroke_ ? transparency_->GetStrokeAlpha() : transparency_->GetFillAlpha();
}

bool ElementAttribute::IsOpaque() const {
  if (unknownShape_ || overprints_) return false;
  // Shadings may leave parts of their shape unpainted (no extend, no background).
  const bool coversShape = picture_ || paint_->GetType() == MavPaint::Paint::kFlat;
  if (!coversShape) return false;
  if (!transparencyAware_) return true;
  return selectStroke_ ? MavBlend::StrokeIsNormalOpaque(transparency_.get())
                       : MavBlend::FillIsNormalOpaque(transparency_.get());
}

GroupAttribute::GroupAttribute(std::shared_ptr<const MavBlend::Transparency> transparency,
                               bool selectStroke, const Vexl::Transformation& transformation,
                               MavColor::GroupColorSpace colorSpace, bool transparencyAware)
    : transparency_(OrDefault(std::move(transparency))),
      selectStroke_(selectStroke),
      transformation_(transformation),
      colorSpace_(std::move(colorSpace)),
      transparencyAware_(transparencyAware) {}

float GroupAttribute::Alpha() const {
  return selectStroke_ ? transparency_->GetStrokeAlpha() : transparency_->GetFillAlpha();
}

bool GroupAttribute::KeepsOpacity() const {
  if (!transparencyAware_) return true;
  // A knockout group can let an opaque member be replaced by a translucent one above it.
  return MavBlend::FillIsNormalOpaque(transparency_.get()) && !transparency_->IsKnockout();
}

SoftMaskAttribute::SoftMaskAttribute(std::shared_ptr<const MavBlend::Transparency> transparency,
                                     const Vexl::Transformation& transformation,
                                     MavColor::GroupColorSpace colorSpace)
    : transparency_(std::move(transparency)),
      transformation_(transformation),
      colorSpace_(std::move(colorSpace)) {
  if (!transparency_ || !transparency_->GetSoftMask()) {
    throw std::invalid_argument("A soft-mask attribute needs a transparency with a soft mask");
  }
}

const std::shared_ptr<const MavBlend::SoftMask>& SoftMaskAttribute::DefiningSoftMask() const {
  return transparency_->GetSoftMask();
}

}  // namespace DocumentGraph
