#include <flatten/PlaceNewObject.h>

#include <stdexcept>

#include <flatten/FillProperties.h>
#include <graph/RemovableCollector.h>
#include <mavdoc/Placement.h>

namespace Corvel {

MavDoc::Content& OutermostContent(MavDoc::Content& content) {
  MavDoc::Content* outer = &content;
  while (outer->GetOwner() && outer->GetOwner()->GetContainer()) {
    outer = outer->GetOwner()->GetContainer();
  }
  return *outer;
}

std::vector<MavDoc::ContentObject*> ReplaceSelected(
    MavDoc::Content& content, std::vector<DocumentEdit::ObjectAndPosContainer> inserts,
    const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
    const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate, bool strictSelection) {
  std::vector<DocumentEdit::ObjectAndPosContainer> deletes;
  RemovableCollector collector(deletes, inserts, layerPredicate, selectionFlag, objectPredicate,
                               strictSelection);
  content.Accept(collector);
  std::vector<MavDoc::ContentObject*> result;
  result.reserve(inserts.size());
  for (const auto& record : inserts) result.push_back(record.object.get());
  DocumentEdit::InsertAndDeleteObjects(OutermostContent(content), std::move(inserts),
                                       std::move(deletes));
  return result;
}

bool IsSelected(const MavDoc::ContentObject& object, const MavDoc::LayerPredicate& layerPredicate,
                bool selectionFlag,
                const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate) {
  bool selected = objectPredicate(object);
  bool visible = selectionFlag;
  for (const MavDoc::Group* q = object.GetParent(); q; q = q->GetParent()) {
    if (const auto* layer = dynamic_cast<const MavDoc::Layer*>(q)) {
      visible = MavDoc::Evaluate(layer->GetExpression(), layerPredicate);
    } else if (objectPredicate(*q)) {
      if (visible) return true;
      selected = true;
    }
  }
  return visible && selected;
}

DocumentEdit::ObjectAndPosContainer PlaceNewObject(
    std::unique_ptr<MavDoc::ContentObject> object, const Tessel::TFill* fill,
    const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
    const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate) {
  const MavDoc::ContentObject* anchor = FindObjectForSelection(fill->GetTopGroup());
  if (!anchor) throw std::logic_error("A flattened stack without a bottom object");
  for (MavDoc::Group* p = anchor->GetParent();
       p && IsSelected(*p, layerPredicate, selectionFlag, objectPredicate); p = p->GetParent()) {
    anchor = p;
  }
  MavDoc::ContentObject* position = anchor->GetListLink();
  MavDoc::Group* container = anchor->GetParent();
  const MavDoc::Group* reference = position ? position->GetParent() : container;
  if (reference) {
    auto* transformable = dynamic_cast<MavDoc::Transformable*>(object.get());
    if (transformable) {
      const Vexl::Transformation inverse = MavDoc::GetAbsoluteTransformation(*reference).Inverse();
      transformable->SetTransformation(transformable->GetTransformation() * inverse, 0);
    }
  }
  return DocumentEdit::ObjectAndPosContainer::Insert(std::move(object), position, container);
}

}  // namespace Corvel
