#include <vexl/Geometry.h>

#include <algorithm>
#include <array>

namespace Vexl {

Rectangle Union(const Rectangle& first, const Rectangle& second) {
  if (first.IsNull()) return second;
  if (second.IsNull()) return first;
  const double left = std::min(first.Left(), second.Left());
  const double bottom = std::min(first.Bottom(), second.Bottom());
  const double right = std::max(first.Right(), second.Right());
  const double top = std::max(first.Top(), second.Top());
  return {left, bottom, right - left, top - bottom, first.flag};
}

Rectangle TransformBox(const Rectangle& box, const Transformation& t) {
  if (box.IsNull()) return box;
  const std::array<Point, 4> corners = {
      t.Apply({box.Left(), box.Bottom()}), t.Apply({box.Right(), box.Bottom()}),
      t.Apply({box.Right(), box.Top()}), t.Apply({box.Left(), box.Top()})};
  double left = corners[0].x, right = corners[0].x;
  double bottom = corners[0].y, top = corners[0].y;
  for (const Point& corner : corners) {
    left = std::min(left, corner.x);
    right = std::max(right, corner.x);
    bottom = std::min(bottom, corner.y);
    top = std::max(top, corner.y);
  }
  return {left, bottom, right - left, top - bottom, box.flag};
}

}  // namespace Vexl
