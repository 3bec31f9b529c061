#include <graph/GraphAttributeCreator.h>

#include <flatten/PlaceNewObject.h>
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

GraphAttributeCreator::GraphAttributeCreator(
    AttributeContainer& container, bool creatorFlag,
    const DocumentGraph::GraphBase::ObjectSelection* selection)
    : TransparentAttributeCreator(container, creatorFlag), selection_(selection) {}

const MavDoc::ContentObject* GraphAttributeCreator::Place(const MavDoc::ContentObject* object) const {
  for (const MavDoc::Group* p = object->GetParent();
       p && IsSelected(*p, selection_->layerPredicate, selection_->selectionFlag,
                       selection_->objectPredicate);
       p = p->GetParent()) {
    object = p;
  }
  return object;
}

// A shared attribute keeps its first object; each later one must sit right after the one before,
// so that the chain from the first to the last holds nothing unselected.
bool GraphAttributeCreator::PlacedTogether(const MavDoc::ContentObject* earlier,
                                           const DocumentGraph::ElementAttribute& later) const {
  if (!selection_ || !earlier || !later.ObjectForSelection()) return true;
  const MavDoc::ContentObject* first = Place(earlier);
  const MavDoc::ContentObject* second = Place(later.ObjectForSelection());
  if (first == second) return true;
  if (first->GetContainer() != second->GetContainer()) return false;
  for (const MavDoc::ContentObject* p = second->GetListLink(); p; p = p->GetListLink()) {
    if (p == first) return true;
    if (!p->IsClippingObject()) return false;
  }
  return false;
}

GraphAttributeCreator::~GraphAttributeCreator() = default;

const DocumentGraph::ElementAttribute* GraphAttributeCreator::KeepElement(
    std::unique_ptr<DocumentGraph::ElementAttribute> attribute, bool paintForm) {
  auto& elements = GetContainer().elements;
  // Elements whose coverage is their own (stencils, masked pictures) carry their object's
  // pixels: sharing would paint one object's coverage with another's.
  const bool ownCoverage = attribute->HasUnknownShape() ||
                           (!elements.empty() && elements.back()->HasUnknownShape());
  if (!elements.empty() && !ownCoverage && ElementAttributesEqual(*elements.back(), *attribute) &&
      groupPath_ == lastElementGroupPath_ && PlacedTogether(lastElementObject_, *attribute)) {
    lastElementObject_ = attribute->ObjectForSelection();
    return elements.back().get();
  }
  lastElementObject_ = attribute->ObjectForSelection();
  elements.push_back(std::move(attribute));
  // Only the paint form records where it added: pictures keep the older path.
  if (paintForm) lastElementGroupPath_ = groupPath_;
  return elements.back().get();
}

const DocumentGraph::GroupAttribute* GraphAttributeCreator::KeepGroup(
    std::unique_ptr<DocumentGraph::GroupAttribute> attribute) {
  const auto* used = Share(GetContainer().groups, std::move(attribute), GroupAttributesEqual);
  groupPath_.push_back(used);
  return used;
}

void GraphAttributeCreator::EndGroup() {
  if (!groupPath_.empty()) groupPath_.pop_back();
}

const DocumentGraph::SoftMaskAttribute* GraphAttributeCreator::KeepSoftMask(
    std::unique_ptr<DocumentGraph::SoftMaskAttribute> attribute) {
  return Share(GetContainer().softMasks, std::move(attribute), SoftMaskAttributesEqual);
}

}  // namespace Corvel
