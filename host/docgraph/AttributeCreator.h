#pragma once
// Attribute creators: the planar-map front end asks one for an attribute per drawn element,
// group and soft mask, and attaches exactly the pointer it gets back. Returning one attribute
// for several objects makes the map treat them as one.

#include <memory>
#include <vector>

#include <docgraph/Attributes.h>

namespace DocumentGraph {

// The front end's calls arrive in drawing order and properly nested: CreateGroupAttribute on
// entering a group and EndGroup on leaving it; for a soft mask, CreateSoftMaskAttribute, the
// mask's artwork, then EndSoftMask, all before the element or group it masks; layers are
// announced with BeginLayer / EndLayer around their members; SetForceUnknownShape(true) and
// (false) bracket elements whose coverage is not their whole shape.
class AttributeCreator {
 public:
  virtual ~AttributeCreator();
  // An object painted with a picture.
  virtual const ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavImg::PaintedPicture>& picture,
      const Vexl::Transformation& objectTransformation,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) = 0;
  // An object painted with a paint.
  virtual const ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavPaint::Paint>& paint,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) = 0;
  // A clipping object, for creators that track clips as elements of their own; null when the
  // clip only limits other elements (the usual case).
  virtual const Tessel::TElementAttribute* CreateClipAttribute(
      const MavDoc::ContentObject& clip) = 0;
  virtual const GroupAttribute* CreateGroupAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) = 0;
  virtual void EndGroup() = 0;
  virtual const SoftMaskAttribute* CreateSoftMaskAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency,
      const Vexl::Transformation& transformation, const MavColor::GroupColorSpace& colorSpace) = 0;
  virtual void EndSoftMask() = 0;
  virtual void BeginLayer(const MavDoc::Layer& layer) = 0;
  virtual void EndLayer(const MavDoc::Layer& layer) = 0;
  virtual void SetForceUnknownShape(bool force) = 0;
};

// The plain creator: one new attribute per call, kept in a container that outlives the
// creator (the map refers to the attributes for as long as it lives).
class TransparentAttributeCreator : public AttributeCreator {
 public:
  // Owns every attribute made in one build. Destroyed soft masks first, then groups, then
  // elements (members go in reverse order of declaration).
  struct AttributeContainer {
    std::vector<std::unique_ptr<ElementAttribute>> elements;
    std::vector<std::unique_ptr<GroupAttribute>> groups;
    std::vector<std::unique_ptr<SoftMaskAttribute>> softMasks;
  };

  // `transparencyAware` is handed to every element and group attribute (see ElementAttribute).
  TransparentAttributeCreator(AttributeContainer& container, bool transparencyAware);
  ~TransparentAttributeCreator() override;

  const ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavImg::PaintedPicture>& picture,
      const Vexl::Transformation& objectTransformation,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) override;
  const ElementAttribute* CreateElementAttribute(
      const MavDoc::ContentObject& object,
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const std::shared_ptr<const MavPaint::Paint>& paint,
      const std::shared_ptr<MavDoc::HalftoneSet>& halftone,
      const Vexl::Transformation& contentTransformation,
      const MavDoc::Blendable* objectForSelection) override;
  const Tessel::TElementAttribute* CreateClipAttribute(const MavDoc::ContentObject& clip) override;
  const GroupAttribute* CreateGroupAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency, bool selectStroke,
      const Vexl::Transformation& transformation,
      const MavColor::GroupColorSpace& colorSpace) override;
  void EndGroup() override;
  const SoftMaskAttribute* CreateSoftMaskAttribute(
      const std::shared_ptr<const MavBlend::Transparency>& transparency,
      const Vexl::Transformation& transformation,
      const MavColor::GroupColorSpace& colorSpace) override;
  void EndSoftMask() override;
  void BeginLayer(const MavDoc::Layer& layer) override;
  void EndLayer(const MavDoc::Layer& layer) override;
  void SetForceUnknownShape(bool force) override;

 protected:
  AttributeContainer& GetContainer() const { return container_; }
  bool GetCreatorFlag() const { return transparencyAware_; }

  // Where a newly made attribute goes: this creator appends it to the container; creators that
  // share equal attributes override these and return the attribute to attach. `paintForm`
  // tells which form of CreateElementAttribute made the element.
  virtual const ElementAttribute* KeepElement(std::unique_ptr<ElementAttribute> attribute,
                                              bool paintForm);
  virtual const GroupAttribute* KeepGroup(std::unique_ptr<GroupAttribute> attribute);
  virtual const SoftMaskAttribute* KeepSoftMask(std::unique_ptr<SoftMaskAttribute> attribute);

 private:
  AttributeContainer& container_;
  bool transparencyAware_;
  bool forceUnknownShape_ = false;
};

}  // namespace DocumentGraph
