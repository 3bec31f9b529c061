#pragma once
// Measures of compounds: area, winding, containment, and polyline approximation.

#include <vexl/Compound.h>

namespace Vexl {

// Signed area enclosed (counter-clockwise positive, y up), exact for cubics. Open subpaths count
// as closed by a straight line back to their start, as when filled.
double SignedArea(const Subpath& subpath);
double SignedArea(const Compound& compound);

// Winding number of the compound around p (counter-clockwise positive), every subpath treated as
// closed. A point exactly on the outline gets the winding of one side; do not probe there.
int WindingNumber(const Compound& compound, Point p);

// Whether p lies inside the compound under the given fill rule.
bool Contains(const Compound& compound, Point p, FillRule rule);

// A polyline subpath whose every point lies within `tolerance` millipoints of the subpath's curve
// (and vice versa); line segments are kept as they are. Keeps the closed flag.
Subpath MakePolyline(const Subpath& subpath, double tolerance);

}  // namespace Vexl
