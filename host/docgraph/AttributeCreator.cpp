#include <docgraph/AttributeCreator.h>

namespace DocumentGraph {

AttributeCreator::~AttributeCreator() = default;

TransparentAttributeCreator::TransparentAttributeCreator(AttributeContainer& container,
                                                         bool transparencyAware)
    : container_(container), transparencyAware_(transparencyAware) {}

TransparentAttributeCreator::~TransparentAttributeCreator() = default;

const ElementAttribute* TransparentAttributeCreator::CreateElementAttribute(
    const MavDoc::ContentObject& object,
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const std::shared_ptr<const MavImg::PaintedPicture>& picture,
    const Vexl::Transformation& objectTransformation,
    const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
    const Vexl::Transformation& contentTransformation,
    const MavDoc::Blendable* objectForSelection) {
  auto attribute = std::make_unique<ElementAttribute>(
      object, transparency, selectStroke, picture, objectTransformation, halftone,
      contentTransformation, objectForSelection, transparencyAware_);
  if (forceUnknownShape_) attribute->ForceUnknownShape();
  return KeepElement(std::move(attribute), false);
}

const ElementAttribute* TransparentAttributeCreator::CreateElementAttribute(
    const MavDoc::ContentObject& object,
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const std::shared_ptr<const MavPaint::Paint>& paint,
    const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
    const Vexl::Transformation& contentTransformation,
    const MavDoc::Blendable* objectForSelection) {
  auto attribute = std::make_unique<ElementAttribute>(object, transparency, selectStroke, paint,
                                                      halftone, contentTransformation,
                                                      objectForSelection, transparencyAware_);
  if (forceUnknownShape_) attribute->ForceUnknownShape();
  return KeepElement(std::move(attribute), true);
}

const ElementAttribute* TransparentAttributeCreator::KeepElement(
    std::unique_ptr<ElementAttribute> attribute, bool) {
  container_.elements.push_back(std::move(attribute));
  return container_.elements.back().get();
}

const GroupAttribute* TransparentAttributeCreator::KeepGroup(
    std::unique_ptr<GroupAttribute> attribute) {
  container_.groups.push_back(std::move(attribute));
  return container_.groups.back().get();
}

const SoftMaskAttribute* TransparentAttributeCreator::KeepSoftMask(
    std::unique_ptr<SoftMaskAttribute> attribute) {
  container_.softMasks.push_back(std::move(attribute));
  return container_.softMasks.back().get();
}

const Tessel::TElementAttribute* TransparentAttributeCreator::CreateClipAttribute(
    const MavDoc::ContentObject&) {
  return nullptr;
}

const GroupAttribute* TransparentAttributeCreator::CreateGroupAttribute(
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) {
  return KeepGroup(std::make_unique<GroupAttribute>(transparency, selectStroke, transformation,
                                                    colorSpace, transparencyAware_));
}

void TransparentAttributeCreator::EndGroup() {}

const SoftMaskAttribute* TransparentAttributeCreator::CreateSoftMaskAttribute(
    const std::shared_ptr<const MavBlend::Transparency>& transparency,
    const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) {
  return KeepSoftMask(std::make_unique<SoftMaskAttribute>(transparency, transformation, colorSpace));
}

void TransparentAttributeCreator::EndSoftMask() {}

void TransparentAttributeCreator::BeginLayer(const MavDoc::Layer&) {}

void TransparentAttributeCreator::EndLayer(const MavDoc::Layer&) {}

void TransparentAttributeCreator::SetForceUnknownShape(bool force) { forceUnknownShape_ = force; }

}  // namespace DocumentGraph
