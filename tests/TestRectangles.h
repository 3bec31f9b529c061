#pragma once
// Rectangles for test pages, in millipoints.

#include <vexl/Geometry.h>

namespace CorvelTest {

inline Vexl::Rectangle Box(double x, double y, double w, double h) { return {x, y, w, h, false}; }
// The square most single-object tests paint: 40 pt wide, 10 pt in from the page's corner.
inline const Vexl::Rectangle kSquare = Box(10000, 10000, 50000, 50000);

}  // namespace CorvelTest
