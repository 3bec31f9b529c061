#pragma once
// Where objects are: absolute transformations and bounding boxes.

#include <mavdoc/Objects.h>

namespace MavDoc {

// Bits of a bounding-box kind. Without kPageCoordinates the box is in the content's own space;
// with it, every object's absolute transformation is applied (page space). kStrokes adds the
// extent of strokes (half the width, times the miter limit at miter joins). kClipped limits
// each group's members to the bounds of its clipping members. Clipping objects themselves
// paint nothing and never add to the box.
enum BoxKind : int { kOutlines = 0, kClipped = 1, kStrokes = 4, kPageCoordinates = 8 };

// The object's transformation followed by those of all enclosing groups: its space to the
// space of the outermost content (the page).
Vexl::Transformation GetAbsoluteTransformation(const Transformable& object);
// The transformations of the enclosing groups only: the object's content space to the page.
Vexl::Transformation GetContentTransformation(const ContentObject& object);

// The bounds of what the content paints; Vexl::Rectangle::Null() when it paints nothing.
// Throws std::invalid_argument for a kind with other bits.
Vexl::Rectangle GetBoundingBox(const Content& content, int kind);
// The bounds of one object (in its content's space, or the page's with kPageCoordinates).
Vexl::Rectangle GetBoundingBox(const ContentObject& object, int kind);

}  // namespace MavDoc
