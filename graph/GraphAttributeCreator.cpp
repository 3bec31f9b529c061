#include <graph/GraphAttributeCreator.h>

#include <graph/AttributeEquality.h>

namespace Corvel {

namespace {

// The newest entry of `list` equal to `candidate`, or null.
template <class Attribute, class Equal>
const Attribute* FindEqual(const std::vector<std::unique_ptr<Attribute>>& list,
                           const Attribute& candidate, Equal equal) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (equal(**it, candidate)) return it->get();
  }
  return nullptr;
}

// Appends `attribute` unless an equal one is there; returns the one to use.
template <class Attribute, class Equal>
const Attribute* Share(std::vector<std::unique_ptr<Attribute>>& list,
                       std::unique_ptr<Attribute> attribute, Equal equal) {
  if (const Attribute* found = FindEqual(list, *attribute, equal)) return found;
  list.push_back(std::move(attribute));
  return list.back().get();
}

}  // namespace

GraphAttributeCreator::GraphAttributeCreator(AttributeContainer& container, bool creatorFlag)
    : TransparentAttributeCreator(container, creatorFlag) {}

GraphAttributeCreator::~GraphAttributeCreator() = default;

const DocumentGraph::ElementAttribute* GraphAttributeCreator::AddElement(
    std::unique_ptr<DocumentGraph::ElementAttribute> attribute, bool recordPath) {
  if (forceUnknownShape_) attribute->ForceUnknownShape();
  auto& elements = GetContainer().elements;
  // Elements whose coverage is their own (stencils, masked pictures) carry their object's
  // pixels: sharing would paint one object's coverage with another's.
  const bool ownCoverage = attribute->HasUnknownShape() ||
                           (!elements.empty() && elements.back()->HasUnknownShape());
  if (!elements.empty() && !ownCoverage && ElementAttributesEqual(*elements.back(), *attribute) &&
      groupPath_ == lastElementGroupPath_) {
    return elements.back().get();
  }
  elements.push_back(std::move(attribute));
  // Only the paint form records where it added: pictures keep the older path (see header).
  if (recordPath) lastElementGroupPath_ = groupPath_;
  return elements.back().get();
}

const DocumentGraph::ElementAttribute* GraphAttributeCreator::CreateElementAttribute(
    const MavDoc::ContentObject& object,
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const std::shared_ptr<const MavImg::PaintedPicture>& picture,
    const Vexl::Transformation& objectTransformation,
    const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
    const Vexl::Transformation& contentTransformation,
    const MavDoc::Blendable* objectForSelection) {
  return AddElement(std::make_unique<DocumentGraph::ElementAttribute>(
                        object, transparency, selectStroke, picture, objectTransformation,
                        halftone, contentTransformation, objectForSelection, GetCreatorFlag()),
                    false);
}

const DocumentGraph::ElementAttribute* GraphAttributeCreator::CreateElementAttribute(
    const MavDoc::ContentObject& object,
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const std::shared_ptr<const MavPaint::Paint>& paint,
    const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
    const Vexl::Transformation& contentTransformation,
    const MavDoc::Blendable* objectForSelection) {
  return AddElement(std::make_unique<DocumentGraph::ElementAttribute>(
                        object, transparency, selectStroke, paint, halftone,
                        contentTransformation, objectForSelection, GetCreatorFlag()),
                    true);
}

const Tessel::TElementAttribute* GraphAttributeCreator::CreateClipAttribute(
    const MavDoc::ContentObject&) {
  return nullptr;
}

const DocumentGraph::GroupAttribute* GraphAttributeCreator::CreateGroupAttribute(
    const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
    const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) {
  const auto* used = Share(GetContainer().groups,
                           std::make_unique<DocumentGraph::GroupAttribute>(
                               transparency, selectStroke, transformation, colorSpace,
                               GetCreatorFlag()),
                           GroupAttributesEqual);
  groupPath_.push_back(used);
  return used;
}

void GraphAttributeCreator::EndGroup() {
  if (!groupPath_.empty()) groupPath_.pop_back();
}

const DocumentGraph::SoftMaskAttribute* GraphAttributeCreator::CreateSoftMaskAttribute(
    const std::shared_ptr<const MavBlend::Transparency>& transparency,
    const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) {
  return Share(GetContainer().softMasks,
               std::make_unique<DocumentGraph::SoftMaskAttribute>(transparency, transformation,
                                                                  colorSpace),
               SoftMaskAttributesEqual);
}

void GraphAttributeCreator::EndSoftMask() {}

void GraphAttributeCreator::BeginLayer(const MavDoc::Layer&) {}

void GraphAttributeCreator::EndLayer(const MavDoc::Layer&) {}

void GraphAttributeCreator::SetForceUnknownShape(bool force) { forceUnknownShape_ = force; }

}  // namespace Corvel
