#include <tessel/Fill.h>

#include <algorithm>
#include <stdexcept>

#include <tessel/FillInternal.h>

namespace Tessel {

using Kind = Input::TObject::Kind;

const TFill::TElement* TFill::TComponent::Element() const {
  return kind_ == Kind::Element ? static_cast<const TElement*>(this) : nullptr;
}

const TFill::TGroup* TFill::TComponent::Group() const {
  return kind_ == Kind::Group ? static_cast<const TGroup*>(this) : nullptr;
}

TFill::TGraphicsComponentIterator::TGraphicsComponentIterator(const TGroup& group,
                                                              Input::TObject::TSelectMode mode,
                                                              bool expandPlainGroups)
    : expandPlain_(expandPlainGroups) {
  Start({group.childBegin_, group.childEnd_}, mode);
}

TFill::TGraphicsComponentIterator::TGraphicsComponentIterator(const TSoftMask& mask,
                                                              Input::TObject::TSelectMode mode,
                                                              bool expandPlainGroups)
    : expandPlain_(expandPlainGroups) {
  Start({mask.childBegin_, mask.childEnd_}, mode);
}

void TFill::TGraphicsComponentIterator::Start(Range range, int mode) {
  if (mode != Input::TObject::kCovering && mode != Input::TObject::kCoveringElements) {
    throw std::invalid_argument("TGraphicsComponentIterator: unknown select mode " +
                                std::to_string(mode));
  }
  flatten_ = mode == Input::TObject::kCoveringElements;
  stack_.push_back(range);
}

const TFill::TComponent* TFill::TGraphicsComponentIterator::Next() {
  while (!stack_.empty()) {
    Range& top = stack_.back();
    if (top.next == top.end) {
      stack_.pop_back();
      continue;
    }
    const TComponent* component = *top.next++;
    const TGroup* group = component->Group();
    if (!group) return component;
    const bool plain = !group->GroupAttribute() && !group->SoftMask();
    if (flatten_ || (expandPlain_ && plain)) {
      stack_.push_back({group->childBegin_, group->childEnd_});
      continue;
    }
    return component;
  }
  return nullptr;
}

TFill::TMaskComponentIterator::TMaskComponentIterator(const TComponent& component,
                                                      bool includeNested)
    : includeNested_(includeNested) {
  if (component.SoftMask()) pending_.push_back(component.SoftMask());
}

void TFill::TMaskComponentIterator::PushArtwork(const TSoftMask& mask) {
  // Reversed so that the bottom component is taken first from the back.
  for (auto it = mask.childEnd_; it != mask.childBegin_;) artwork_.push_back(*--it);
}

const TFill::TSoftMask* TFill::TMaskComponentIterator::Next() {
  if (!pending_.empty()) {
    const TSoftMask* mask = pending_.back();
    pending_.pop_back();
    if (includeNested_) PushArtwork(*mask);
    return mask;
  }
  while (!artwork_.empty()) {
    const TComponent* component = artwork_.back();
    artwork_.pop_back();
    if (const TGroup* group = component->Group()) {
      for (auto it = group->childEnd_; it != group->childBegin_;) artwork_.push_back(*--it);
    }
    if (const TSoftMask* mask = component->SoftMask()) {
      PushArtwork(*mask);
      return mask;
    }
  }
  return nullptr;
}

namespace {

// The covering elements, their enclosing groups and soft masks, and the soft masks attached to
// any of them, in drawing order.
std::vector<std::uint32_t> CollectNodes(const Input& input, std::span<const std::uint32_t> elements) {
  const auto& nodes = input.GetNodes();
  std::vector<std::uint32_t> result;
  for (std::uint32_t e : elements) {
    for (std::uint32_t n = e; n != Input::kNone; n = nodes[n].parent) {
      result.push_back(n);
      if (nodes[n].softMask != Input::kNone) result.push_back(nodes[n].softMask);
    }
  }
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  return result;
}

bool ComputeOpaque(const Input& input, std::span<const std::uint32_t> elements) {
  const auto& nodes = input.GetNodes();
  for (std::uint32_t e : elements) {
    if (!nodes[e].element->IsOpaque() || nodes[e].softMask != Input::kNone) continue;
    bool keeps = true;
    for (std::uint32_t n = nodes[e].parent; n != Input::kNone && keeps; n = nodes[n].parent) {
      const Input::Node& node = nodes[n];
      keeps = node.kind == Kind::Group && node.softMask == Input::kNone &&
              (!node.group || node.group->KeepsOpacity());
    }
    if (keeps) return true;
  }
  return false;
}

}  // namespace

TFill FillAccess::Make(const Input& input, std::span<const std::uint32_t> elements) {
  using TComponent = TFill::TComponent;
  using TElement = TFill::TElement;
  using TGroup = TFill::TGroup;
  using TSoftMask = TFill::TSoftMask;
  const auto& nodes = input.GetNodes();
  const std::vector<std::uint32_t> present = CollectNodes(input, elements);
  TFill fill;
  fill.opaque_ = ComputeOpaque(input, elements);
  std::size_t groupCount = 1, maskCount = 0, elementCount = 0;
  for (std::uint32_t n : present) {
    const Kind kind = nodes[n].kind;
    (kind == Kind::Element ? elementCount : kind == Kind::Group ? groupCount : maskCount)++;
  }
  // Reserved exactly: components point at each other inside these vectors.
  fill.elements_.reserve(elementCount);
  fill.groups_.reserve(groupCount);
  fill.masks_.reserve(maskCount);
  fill.groups_.emplace_back();
  std::vector<TComponent*> componentOf(present.size(), nullptr);
  std::vector<TSoftMask*> maskOf(present.size(), nullptr);
  for (std::size_t i = 0; i < present.size(); ++i) {
    const Input::Node& node = nodes[present[i]];
    if (node.kind == Kind::SoftMask) {
      TSoftMask& mask = fill.masks_.emplace_back();
      mask.attribute_ = node.mask;
      mask.node_ = present[i];
      maskOf[i] = &mask;
      continue;
    }
    TComponent* component;
    if (node.kind == Kind::Element) {
      TElement& element = fill.elements_.emplace_back();
      element.attribute_ = node.element;
      component = &element;
    } else {
      TGroup& group = fill.groups_.emplace_back();
      group.attribute_ = node.group;
      component = &group;
    }
    component->kind_ = node.kind;
    component->node_ = present[i];
    componentOf[i] = component;
  }
  const auto position = [&](std::uint32_t node) {
    return static_cast<std::size_t>(std::lower_bound(present.begin(), present.end(), node) -
                                    present.begin());
  };
  // Attach soft masks, then collect every parent's graphics children in drawing order.
  std::vector<std::pair<std::size_t, std::size_t>> childOf;  // (parent position + 1, child)
  for (std::size_t i = 0; i < present.size(); ++i) {
    const Input::Node& node = nodes[present[i]];
    if (componentOf[i] && node.softMask != Input::kNone) {
      componentOf[i]->softMask_ = maskOf[position(node.softMask)];
    }
    if (!componentOf[i]) continue;
    childOf.emplace_back(node.parent == Input::kNone ? 0 : position(node.parent) + 1, i);
  }
  std::stable_sort(childOf.begin(), childOf.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  fill.children_.reserve(childOf.size());
  for (const auto& [parent, child] : childOf) fill.children_.push_back(componentOf[child]);
  const TComponent* const* base = fill.children_.data();
  for (std::size_t begin = 0; begin < childOf.size();) {
    std::size_t end = begin;
    while (end < childOf.size() && childOf[end].first == childOf[begin].first) ++end;
    const std::size_t parent = childOf[begin].first;
    if (parent == 0 || componentOf[parent - 1]) {
      TGroup& group = parent == 0 ? fill.groups_.front()
                                  : static_cast<TGroup&>(*componentOf[parent - 1]);
      group.childBegin_ = base + begin;
      group.childEnd_ = base + end;
    } else {
      maskOf[parent - 1]->childBegin_ = base + begin;
      maskOf[parent - 1]->childEnd_ = base + end;
    }
    begin = end;
  }
  return fill;
}

TFill MakeFillOfElements(const Input& input, std::span<const std::uint32_t> elements) {
  return FillAccess::Make(input, elements);
}

}  // namespace Tessel
