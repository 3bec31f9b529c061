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

const DocumentGraph::ElementAttribute* GraphAttributeCreator::KeepElement(
    std::unique_ptr<DocumentGraph::ElementAttribute> attribute, bool paintForm) {
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
