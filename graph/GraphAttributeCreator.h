#pragma once
// The attribute creator of flattening builds: shares equal attributes so that alike artwork
// becomes one fill.

#include <deque>

#include <docgraph/AttributeCreator.h>
#include <docgraph/GraphBase.h>

namespace Corvel {

// An element attribute equal to the one added just before it, within the same path of open
// groups, is reused; a group or soft-mask attribute equal to any earlier one is reused (the
// newest equal one). The container owns every attribute that stays; the creator only lives for
// one build.
//
// With a selection, an element is shared only where one new object can stand for both objects:
// their places (climbed through selected groups, as new objects are placed) are the same, or
// neighbours in one group with nothing but clips between them. Otherwise the new object would
// land in one object's group (its clip) and paint over or under unselected objects between.
class GraphAttributeCreator : public DocumentGraph::TransparentAttributeCreator {
 public:
  GraphAttributeCreator(AttributeContainer& container, bool creatorFlag,
                        const DocumentGraph::GraphBase::ObjectSelection* selection = nullptr);
  ~GraphAttributeCreator() override;

  void EndGroup() override;

 protected:
  const DocumentGraph::ElementAttribute* KeepElement(
      std::unique_ptr<DocumentGraph::ElementAttribute> attribute, bool paintForm) override;
  const DocumentGraph::GroupAttribute* KeepGroup(
      std::unique_ptr<DocumentGraph::GroupAttribute> attribute) override;
  const DocumentGraph::SoftMaskAttribute* KeepSoftMask(
      std::unique_ptr<DocumentGraph::SoftMaskAttribute> attribute) override;

 private:
  using GroupPath = std::deque<const DocumentGraph::GroupAttribute*>;

  const MavDoc::ContentObject* Place(const MavDoc::ContentObject* object) const;
  bool PlacedTogether(const MavDoc::ContentObject* earlier,
                      const DocumentGraph::ElementAttribute& later) const;

  const DocumentGraph::GraphBase::ObjectSelection* selection_;
  const MavDoc::ContentObject* lastElementObject_ = nullptr;  // of the element added last
  GroupPath groupPath_;
  GroupPath lastElementGroupPath_;
};

}  // namespace Corvel
