#include <tessel/Input.h>

#include <algorithm>
#include <stdexcept>

namespace Tessel {

namespace {

const char* KindName(Input::TObject::Kind kind) {
  switch (kind) {
    case Input::TObject::Kind::Element: return "element";
    case Input::TObject::Kind::Group: return "group";
    case Input::TObject::Kind::SoftMask: return "soft mask";
  }
  return "object";
}

}  // namespace

std::string Input::Describe(std::uint32_t node) const {
  const Node& n = nodes_.at(node);
  std::string text = std::string(KindName(n.kind)) + " " + std::to_string(node);
  if (!n.name.empty()) text += " '" + n.name + "'";
  return text;
}

std::uint32_t Input::AddNode(Node node) {
  if (nodes_.size() >= kNone - 1) throw std::length_error("Tessel::Input: too many objects");
  node.parent = open_.empty() ? kNone : open_.back();
  nodes_.push_back(std::move(node));
  return static_cast<std::uint32_t>(nodes_.size() - 1);
}

void Input::AttachPendingMask(std::uint32_t target) {
  if (pendingMask_ == kNone) return;
  nodes_[pendingMask_].maskTarget = target;
  nodes_[target].softMask = pendingMask_;
  pendingMask_ = kNone;
}

void Input::BeginGroup(const TGroupAttribute* attribute, std::vector<Outline> clips,
                       std::string name) {
  Node node;
  node.kind = TObject::Kind::Group;
  node.group = attribute;
  node.clips = std::move(clips);
  node.name = std::move(name);
  if (!std::all_of(node.clips.begin(), node.clips.end(), [](const Outline& c) { return c.compound != nullptr; })) {
    throw std::logic_error("Tessel::Input: group " + std::to_string(nodes_.size()) + " has a null clip");
  }
  const std::uint32_t index = AddNode(std::move(node));
  AttachPendingMask(index);
  open_.push_back(index);
}

void Input::EndGroup() {
  if (open_.empty() || nodes_[open_.back()].kind != TObject::Kind::Group) {
    throw std::logic_error("Tessel::Input: EndGroup without an open group");
  }
  if (pendingMask_ != kNone) {
    throw std::logic_error("Tessel::Input: " + Describe(pendingMask_) + " masks nothing");
  }
  open_.pop_back();
}

void Input::BeginSoftMask(const TSoftMaskAttribute* attribute, std::string name) {
  if (pendingMask_ != kNone) {
    throw std::logic_error("Tessel::Input: " + Describe(pendingMask_) + " masks nothing");
  }
  Node node;
  node.kind = TObject::Kind::SoftMask;
  node.mask = attribute;
  node.name = std::move(name);
  open_.push_back(AddNode(std::move(node)));
}

void Input::EndSoftMask() {
  if (open_.empty() || nodes_[open_.back()].kind != TObject::Kind::SoftMask) {
    throw std::logic_error("Tessel::Input: EndSoftMask without an open soft mask");
  }
  if (pendingMask_ != kNone) {
    throw std::logic_error("Tessel::Input: " + Describe(pendingMask_) + " masks nothing");
  }
  pendingMask_ = open_.back();
  open_.pop_back();
}

std::uint32_t Input::AddElement(const TElementAttribute* attribute, Outline shape,
                                ElementOptions options) {
  Node node;
  node.kind = TObject::Kind::Element;
  node.element = attribute;
  node.shape = std::move(shape);
  node.isStroke = options.isStroke;
  node.clips = std::move(options.clips);
  node.name = std::move(options.name);
  const bool clipsValid = std::all_of(node.clips.begin(), node.clips.end(), [](const Outline& c) { return c.compound != nullptr; });
  if (!attribute || !node.shape.compound || !clipsValid) {
    const std::string what = "element " + std::to_string(nodes_.size()) + (node.name.empty() ? "" : " '" + node.name + "'");
    throw std::logic_error("Tessel::Input: " + what + (!attribute ? " has no attribute" : !node.shape.compound ? " has no shape" : " has a null clip"));
  }
  const std::uint32_t index = AddNode(std::move(node));
  AttachPendingMask(index);
  return index;
}

void Input::CheckComplete() const {
  if (!open_.empty()) {
    throw std::logic_error("Tessel::Input: " + Describe(open_.back()) + " is not closed");
  }
  if (pendingMask_ != kNone) {
    throw std::logic_error("Tessel::Input: " + Describe(pendingMask_) + " masks nothing");
  }
}

}  // namespace Tessel
