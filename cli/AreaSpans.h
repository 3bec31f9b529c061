#pragma once
// Painted areas of a page measured and drawn by horizontal spans: each shape is cut by evenly
// spaced horizontal lines, and the covered stretch of each line is exact for the polyline
// outlines. The area is the sum of the stretches times the spacing (the midpoint rule: exact
// for outlines whose corners fall between lines, within half a spacing per edge otherwise).
// Lines are taken a band at a time, so that what is held at once is one band's crossings and
// spans, however many shapes there are (10,000 overlapping page-wide shapes would otherwise
// hold hundreds of megabytes of them). Coordinates in millipoints on the page, y up.

#include <vexl/Compound.h>

#include <functional>
#include <memory>
#include <vector>

namespace CorvelCli {

// One closed polygon of a filled outline (the last point joins the first) and its extent in y.
struct OutlineRing {
  std::vector<Vexl::Point> points;
  double low = 0, high = 0;
};

// A filled outline on the page: closed polygons only (curves are flattened before), with its
// rule. Points alone, not segments, since a page's outlines flattened this finely run to
// millions of chords.
struct FilledOutline {
  std::vector<OutlineRing> rings;
  Vexl::FillRule rule = Vexl::FillRule::NonZero;
};

// What one object paints, limited by every clip that encloses it (their intersection). Clips
// are shared between the objects of a group.
struct AreaShape {
  FilledOutline painted;
  std::vector<std::shared_ptr<const FilledOutline>> clips;
};

// The horizontal lines: line k lies at y = top − (k + 0.5) · step, for k in [0, rows); only
// what lies between `left` and `right` counts.
struct RowGrid {
  double left = 0, right = 0, top = 0;
  double step = 100;
  int rows = 0;
};

// The covered stretch [x0, x1) of line `row`.
struct RowSpan {
  int row = 0;
  double x0 = 0, x1 = 0;
};

// The union of the shapes on each line: disjoint spans ordered by row, then x.
std::vector<RowSpan> CoveredSpans(const std::vector<AreaShape>& shapes, const RowGrid& grid);

// The same spans handed to `take` band by band, in order, none of them held afterwards.
void ForEachCoveredBand(const std::vector<AreaShape>& shapes, const RowGrid& grid,
                        const std::function<void(const std::vector<RowSpan>&)>& take);

// The area of the union of the shapes within `box` (square points), lines 0.1 pt apart.
double UnionAreaInSquarePoints(const std::vector<AreaShape>& shapes, const Vexl::Rectangle& box);

// The curve flattening tolerance of outlines made into polylines: chords cut inside a curve by
// at most this, so a curved outline measures short by under this times its length (a circle of
// 50 pt radius by under 0.7 of its 7,854 sq pt), far below what a preview pixel shows.
inline constexpr double kPolylineToleranceInMillipoints = 2;

// `outline` mapped by `toPage` with its curves made into polylines.
FilledOutline MakeFilledOutline(const Vexl::Compound& outline, const Vexl::Transformation& toPage,
                                Vexl::FillRule rule);

// The ring of a polyline subpath (no cubics), closed whether or not the subpath is.
OutlineRing MakeOutlineRing(const Vexl::Subpath& polyline);

}  // namespace CorvelCli
