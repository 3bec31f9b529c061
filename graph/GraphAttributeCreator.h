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

  GroupPath groupPath_;
  GroupPath lastElementGroupPath_;
};

}  // namespace Corvel
