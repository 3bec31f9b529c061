#include <graph/RemovableCollector.h>

#include <algorithm>

#include <mavdoc/Objects.h>

namespace Corvel {

RemovableCollector::RemovableCollector(
    std::vector<DocumentEdit::ObjectAndPosContainer>& deleteList,
    const std::vector<DocumentEdit::ObjectAndPosContainer>& insertList,
    const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
    const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate,
    bool strictSelection)
    : deleteList_(&deleteList),
      layerPredicate_(&layerPredicate),
      objectPredicate_(&objectPredicate),
      strictSelection_(strictSelection),
      layerVisible_{selectionFlag},
      selectedAbove_{false} {
  for (const auto& record : insertList) {
    if (record.container && !IsKept(record.container)) keptGroups_.push_back(record.container);
  }
}

RemovableCollector::~RemovableCollector() = default;

bool RemovableCollector::IsKept(const MavDoc::ContentObject* container) const {
  return std::find(keptGroups_.rbegin(), keptGroups_.rend(), container) != keptGroups_.rend();
}

void RemovableCollector::Open(const MavDoc::Content& children, bool force) {
  frames_.push_back({{}, children.Size() > 0 || force});
}

void RemovableCollector::Close(MavDoc::ContentObject* container) {
  if (frames_.back().removable && frames_.size() > 1 && !IsKept(container)) {
    frames_.pop_back();
    frames_.back().objects.push_back(container);
    return;
  }
  Frame& top = frames_.back();
  for (MavDoc::ContentObject* object : top.objects) {
    if (!top.removable && object->IsClippingObject()) continue;
    deleteList_->push_back(DocumentEdit::ObjectAndPosContainer::Delete(*object));
  }
  frames_.pop_back();
  if (!frames_.empty()) frames_.back().removable = false;
}

bool RemovableCollector::Visit(MavDoc::Content& content) {
  const bool force =
      !strictSelection_ || (layerVisible_.back() && selectedAbove_.back());
  Open(content, force);
  return true;
}

void RemovableCollector::EndVisit(MavDoc::Content&) { Close(nullptr); }

bool RemovableCollector::Visit(MavDoc::Group& group) {
  const bool chosen = selectedAbove_.back() || (*objectPredicate_)(group);
  selectedAbove_.push_back(chosen);
  Open(group.GetContent(), layerVisible_.back() && chosen);
  return true;
}

void RemovableCollector::EndVisit(MavDoc::Group& group) {
  Close(&group);
  selectedAbove_.pop_back();
}

bool RemovableCollector::Visit(MavDoc::Layer& layer) {
  // The nearest layer decides for everything inside; enclosing layers are not combined.
  layerVisible_.push_back(MavDoc::Evaluate(layer.GetExpression(), *layerPredicate_));
  const bool force = layerVisible_.back() && (!strictSelection_ || selectedAbove_.back());
  Open(layer.GetContent(), force);
  return true;
}

void RemovableCollector::EndVisit(MavDoc::Layer& layer) {
  Close(&layer);
  layerVisible_.pop_back();
}

bool RemovableCollector::Visit(MavDoc::TextGroup& group) {
  if (group.IsClippingObject()) {
    AddDrawn(group);
    return true;
  }
  return Visit(static_cast<MavDoc::Group&>(group));
}

void RemovableCollector::EndVisit(MavDoc::TextGroup& group) {
  if (!group.IsClippingObject()) EndVisit(static_cast<MavDoc::Group&>(group));
}

bool RemovableCollector::Visit(MavDoc::Blendable& object) {
  AddDrawn(object);
  return true;
}

void RemovableCollector::AddDrawn(MavDoc::ContentObject& object) {
  Frame& top = frames_.back();
  if (layerVisible_.back() && (selectedAbove_.back() || (*objectPredicate_)(object))) {
    top.objects.push_back(&object);
  } else if (!object.IsClippingObject()) {
    top.removable = false;
  }
}

}  // namespace Corvel
