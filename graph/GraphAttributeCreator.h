#pragma once
// The attribute creator of flattening builds: shares equal attributes so that alike artwork
// becomes one fill.

#include <deque>

#include <docgraph/AttributeCreator.h>

namespace Corvel {

// An element attribute equal to the one added just before it, within the same path of open
// groups, is reused; a group or soft-mask attribute equal to any earlier one is reused (the
// newest equal one). The container owns every attribute that stays; the creator only lives for
// one build.
class GraphAttributeCreator : public DocumentGraph::TransparentAttributeCreator {
 public:
  GraphAttributeCreator(AttributeContainer& container, bool creatorFlag);
  ~GraphAttributeCreator() override;

  const DocumentGraph::ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavImg::PaintedPicture>& picture,
      const Vexl::Transformation& objectTransformation,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) override;
  const DocumentGraph::ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavPaint::Paint>& paint,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) override;
  const Tessel::TElementAttribute* CreateClipAttribute(const MavDoc::ContentObject& clip) override;
  const DocumentGraph::GroupAttribute* CreateGroupAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const Vexl::Transformation& transformation,
      const MavColor::GroupColorSpace& colorSpace) override;
  void EndGroup() override;
  const DocumentGraph::SoftMaskAttribute* CreateSoftMaskAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency,
      const Vexl::Transformation& transformation,
      const MavColor::GroupColorSpace& colorSpace) override;
  void EndSoftMask() override;
  void BeginLayer(const MavDoc::Layer& layer) override;
  void EndLayer(const MavDoc::Layer& layer) override;
  void SetForceUnknownShape(bool force) override;

 private:
  using GroupPath = std::deque<const DocumentGraph::GroupAttribute*>;
  const DocumentGraph::ElementAttribute* AddElement(
      std::unique_ptr<DocumentGraph::ElementAttribute> attribute, bool recordPath);

  GroupPath groupPath_;
  GroupPath lastElementGroupPath_;
  bool forceUnknownShape_ = false;
};

}  // namespace Corvel
