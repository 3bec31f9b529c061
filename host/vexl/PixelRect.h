#pragma once
// Integer rectangles of pixels: left and top inclusive, right and bottom exclusive; rows run
// top to bottom.

namespace MavMath {

template <class T>
struct Rectangle {
  T left = 0;
  T top = 0;
  T right = 0;
  T bottom = 0;

  bool IsEmpty() const { return !(left < right && top < bottom); }
  T Width() const { return right - left; }
  T Height() const { return bottom - top; }
  friend bool operator==(const Rectangle&, const Rectangle&) = default;
};

}  // namespace MavMath
