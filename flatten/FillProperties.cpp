#include <flatten/FillProperties.h>

namespace Corvel {

namespace {

// Descends from `group` through the first component at each level to the bottom element;
// null when a group holds no component (a fill without elements).
const Tessel::TFill::TElement* BottomElement(const Tessel::TFill::TGroup& group) {
  Tessel::TFill::TGraphicsComponentIterator components(group, Tessel::Input::TObject::kCovering,
                                                       true);
  const Tessel::TFill::TComponent* first = components.Next();
  if (!first) return nullptr;
  if (const auto* element = first->Element()) return element;
  return BottomElement(*first->Group());
}

}  // namespace

const DocumentGraph::ElementAttribute& AttributeOf(const Tessel::TFill::TElement& element) {
  return static_cast<const DocumentGraph::ElementAttribute&>(*element.Attribute());
}

const MavDoc::Blendable* FindObjectForSelection(const Tessel::TFill::TGroup& group) {
  const auto* bottom = BottomElement(group);
  return bottom ? AttributeOf(*bottom).ObjectForSelection() : nullptr;
}

std::optional<std::shared_ptr<MavDoc::HalftoneSet>> GetFillHalftoneSet(const Tessel::TFill* fill) {
  const auto* bottom = BottomElement(fill->GetTopGroup());
  if (!bottom) return std::nullopt;
  return AttributeOf(*bottom).HalftoneSet();
}

bool IsFlatElement(const Tessel::TFill::TElement* element) {
  const auto& attribute = AttributeOf(*element);
  // Pictures, and stencils whose coverage is their own, vary across a region.
  if (attribute.PaintedPicture() || attribute.HasUnknownShape()) return false;
  return attribute.Paint()->GetType() == MavPaint::Paint::kFlat;
}

bool IsFlatFill(const Tessel::TFill& fill) {
  for (int i = 0; i < fill.NElements(); ++i) {
    if (!IsFlatElement(&fill.GetElement(i))) return false;
  }
  return true;
}

}  // namespace Corvel
