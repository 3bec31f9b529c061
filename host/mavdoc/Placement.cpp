#include <mavdoc/Placement.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace MavDoc {

namespace {

const Vexl::Rectangle kUnitSquare{0, 0, Image::kUnit, Image::kUnit, false};

Vexl::Rectangle Grow(const Vexl::Rectangle& box, double by) {
  if (box.IsNull() || by <= 0) return box;
  return {box.x - by, box.y - by, box.width + 2 * by, box.height + 2 * by, box.flag};
}

Vexl::Rectangle Intersect(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  if (a.IsNull() || b.IsNull()) return Vexl::Rectangle::Null();
  const double left = std::max(a.Left(), b.Left()), right = std::min(a.Right(), b.Right());
  const double bottom = std::max(a.Bottom(), b.Bottom()), top = std::min(a.Top(), b.Top());
  if (left > right || bottom > top) return Vexl::Rectangle::Null();
  return {left, bottom, right - left, top - bottom, false};
}

// The largest factor by which `t` stretches a length: its largest singular value.
double MaxScale(const Vexl::Transformation& t) {
  const double p = t.a * t.a + t.b * t.b + t.c * t.c + t.d * t.d;
  const double q = std::sqrt(std::max(0.0, p * p - 4 * t.Determinant() * t.Determinant()));
  return std::sqrt((p + q) / 2);
}

Vexl::Rectangle OutlineBox(const Vexl::Compound& outline, const Vexl::Transformation& t) {
  return (outline * t).GetBoundingBox();
}

Vexl::Rectangle StrokeExtent(const Strokable& s, const Vexl::Rectangle& box,
                             const Vexl::Transformation& t) {
  if (!s.GetStrokePaint()) return box;
  const StrokeStyle& style = s.GetStrokeStyle();
  const double reach = style.join == LineJoin::Miter ? std::max(style.miterLimit, 1.5) : 1.5;
  return Grow(box, style.width / 2 * reach * MaxScale(t));
}

Vexl::Rectangle DrawnBox(const ContentObject& object, const Vexl::Transformation& t, int kind);

Vexl::Rectangle ChildrenBox(const Content& content, const Vexl::Transformation& t, int kind) {
  Vexl::Rectangle painted = Vexl::Rectangle::Null();
  Vexl::Rectangle clip = Vexl::Rectangle::Null();
  bool clipped = false;
  for (const ContentObject& child : content.GetChildren()) {
    if (!child.IsClippingObject()) {
      painted = Vexl::Union(painted, DrawnBox(child, t, kind));
    } else if (kind & kClipped) {
      const auto* path = dynamic_cast<const Path*>(&child);
      const Vexl::Rectangle box =
          path ? OutlineBox(*path->GetOutline(), path->GetTransformation() * t)
               : DrawnBox(child, t, kind & ~kStrokes);
      clip = clipped ? Intersect(clip, box) : box;
      clipped = true;
    }
  }
  return clipped ? Intersect(painted, clip) : painted;
}

Vexl::Rectangle DrawnBox(const ContentObject& object, const Vexl::Transformation& outer, int kind) {
  const auto* transformable = dynamic_cast<const Transformable*>(&object);
  const Vexl::Transformation t =
      transformable ? transformable->GetTransformation() * outer : outer;
  if (const auto* group = dynamic_cast<const Group*>(&object)) {
    return ChildrenBox(group->GetContent(), t, kind);
  }
  if (const auto* path = dynamic_cast<const Path*>(&object)) {
    if (!path->GetFillPaint() && !path->GetStrokePaint()) return Vexl::Rectangle::Null();
    const Vexl::Rectangle box = OutlineBox(*path->GetOutline(), t);
    return (kind & kStrokes) ? StrokeExtent(*path, box, t) : box;
  }
  if (const auto* text = dynamic_cast<const Text*>(&object)) {
    if (text->GetRenderingMode() % 4 == 3) return Vexl::Rectangle::Null();
    const Vexl::Rectangle box = OutlineBox(*text->GetGlyphs(), t);
    return (kind & kStrokes) ? StrokeExtent(*text, box, t) : box;
  }
  if (dynamic_cast<const Image*>(&object) || dynamic_cast<const ImageMask*>(&object)) {
    return Vexl::TransformBox(kUnitSquare, t);
  }
  return Vexl::Rectangle::Null();
}

void CheckKind(int kind) {
  if (kind & ~(kClipped | kStrokes | kPageCoordinates)) {
    throw std::invalid_argument("Unknown bounding-box kind " + std::to_string(kind));
  }
}

Vexl::Transformation ContentToPage(const Content& content) {
  const Group* owner = content.GetOwner();
  return owner ? GetAbsoluteTransformation(*owner) : Vexl::Transformation::Identity();
}

}  // namespace

Vexl::Transformation GetContentTransformation(const ContentObject& object) {
  Vexl::Transformation t;
  for (const Group* g = object.GetParent(); g; g = g->GetParent()) t *= g->GetTransformation();
  return t;
}

Vexl::Transformation GetAbsoluteTransformation(const Transformable& object) {
  return object.GetTransformation() * GetContentTransformation(object);
}

Vexl::Rectangle GetBoundingBox(const Content& content, int kind) {
  CheckKind(kind);
  const Vexl::Transformation t =
      (kind & kPageCoordinates) ? ContentToPage(content) : Vexl::Transformation::Identity();
  return ChildrenBox(content, t, kind);
}

Vexl::Rectangle GetBoundingBox(const ContentObject& object, int kind) {
  CheckKind(kind);
  const Vexl::Transformation t = (kind & kPageCoordinates) ? GetContentTransformation(object)
                                                           : Vexl::Transformation::Identity();
  return DrawnBox(object, t, kind);
}

}  // namespace MavDoc
