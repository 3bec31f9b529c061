#pragma once
// Basic plane geometry in millipoints (1000 per point). The y axis points up, as on a PDF page.

#include <cmath>
#include <stdexcept>

namespace Vexl {

// Tag of the coordinate system every document coordinate lives in: millipoints, y up.
struct MilliPointCoordinateSystem {};

// The value types below are plain aggregates so that they can be brace-initialised ({x, y});
// a base class (such as boost::operators) would make every such initialiser ill-formed. C++20
// derives operator!= from operator==.
struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};

// An axis-aligned rectangle: origin (x, y) is the lower-left corner, width and height are never
// negative for a non-empty rectangle. `flag` is free for the caller (the planar-map options use it).
template <class CoordinateSystem>
struct RectangleBase {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  bool flag = false;

  double Left() const { return x; }
  double Bottom() const { return y; }
  double Right() const { return x + width; }
  double Top() const { return y + height; }
  // No area (a line or a point still has a place).
  bool IsEmpty() const { return !(width > 0) || !(height > 0); }
  // Holds no point at all: the bounding box of nothing.
  bool IsNull() const { return width < 0 || height < 0; }
  static RectangleBase Null() { return {0, 0, -1, -1, false}; }
  bool Contains(Point p) const { return p.x >= x && p.x <= Right() && p.y >= y && p.y <= Top(); }

  friend bool operator==(const RectangleBase& a, const RectangleBase& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
           a.flag == b.flag;
  }
};

// Affine map in the row-vector convention: x' = a·x + c·y + tx, y' = b·x + d·y + ty.
// `first * second` is the map that applies `first`, then `second`.
template <class CoordinateSystem>
struct TransformationBase {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  static TransformationBase Identity() { return {}; }
  static TransformationBase Translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static TransformationBase Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static TransformationBase Rotation(double radians) {
    const double cs = std::cos(radians), sn = std::sin(radians);
    return {cs, sn, -sn, cs, 0, 0};
  }

  double Determinant() const { return a * d - b * c; }
  bool IsIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }

  Point Apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // Maps a direction: the linear part only.
  Point ApplyLinear(Point v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }

  // The inverse map. Throws std::invalid_argument when 1/det is not finite (det zero, or so small
  // that its reciprocal overflows).
  TransformationBase Inverse() const {
    const double reciprocal = 1.0 / Determinant();
    if (!std::isfinite(reciprocal)) {
      throw std::invalid_argument(
          "Determinant of transformation matrix is zero, can not calculate inverse");
    }
    return {d * reciprocal,
            -b * reciprocal,
            -c * reciprocal,
            a * reciprocal,
            (c * ty - d * tx) * reciprocal,
            (b * tx - a * ty) * reciprocal};
  }

  TransformationBase& operator*=(const TransformationBase& then) {
    const TransformationBase f = *this;
    a = f.a * then.a + f.b * then.c;
    b = f.a * then.b + f.b * then.d;
    c = f.c * then.a + f.d * then.c;
    d = f.c * then.b + f.d * then.d;
    tx = f.tx * then.a + f.ty * then.c + then.tx;
    ty = f.tx * then.b + f.ty * then.d + then.ty;
    return *this;
  }
  friend TransformationBase operator*(TransformationBase first, const TransformationBase& then) {
    first *= then;
    return first;
  }

  friend bool operator==(const TransformationBase& p, const TransformationBase& q) {
    return p.a == q.a && p.b == q.b && p.c == q.c && p.d == q.d && p.tx == q.tx && p.ty == q.ty;
  }
  friend bool operator!=(const TransformationBase& p, const TransformationBase& q) {
    return !(p == q);
  }
};

using Rectangle = RectangleBase<MilliPointCoordinateSystem>;
using Transformation = TransformationBase<MilliPointCoordinateSystem>;

// The smallest rectangle holding both; a null operand is ignored (the other one is returned as it
// is). The result keeps the flag of `first`, or of `second` when `first` is null.
Rectangle Union(const Rectangle& first, const Rectangle& second);
// The bounding box of a rectangle's four transformed corners, with the box's flag; a null box stays
// null.
Rectangle TransformBox(const Rectangle& box, const Transformation& t);

}  // namespace Vexl
