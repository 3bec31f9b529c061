#include <cli/AreaSpans.h>
#include <vexl/Measure.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace CorvelCli {

namespace {

// 0.1 pt between lines for reported areas; pages so tall that this would take more lines get
// them spread further apart, so that a poster costs no more than a tall page.
constexpr double kAreaStepInMillipoints = 100;
constexpr int kMaxAreaRows = 40000;

struct Crossing {
  int row;
  double x;
  int winding;  // +1 where the edge goes up, −1 where it goes down
};

bool Inside(int winding, Vexl::FillRule rule) {
  return rule == Vexl::FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
}

bool RowThenX(const RowSpan& a, const RowSpan& b) {
  return a.row != b.row ? a.row < b.row : a.x0 < b.x0;
}

// Where each edge p → q crosses the lines it spans: lines with y in [min y, max y), so that a
// vertex shared by two edges is counted once.
void AddCrossings(Vexl::Point p, Vexl::Point q, const RowGrid& grid, std::vector<Crossing>& out) {
  // Horizontal edges cross no line; edges out of reach of numbers (a damaged file's) paint nothing
  // we could draw.
  if (p.y == q.y || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(q.x) ||
      !std::isfinite(q.y))
    return;
  const double low = std::min(p.y, q.y), high = std::max(p.y, q.y);
  const double first = std::floor((grid.top - high) / grid.step - 0.5) + 1;
  const double last = std::floor((grid.top - low) / grid.step - 0.5);
  if (!(first <= last) || last < 0 || first >= grid.rows) return;
  const int from = static_cast<int>(std::max(first, 0.0));
  const int to = static_cast<int>(std::min(last, double(grid.rows - 1)));
  const int winding = q.y > p.y ? 1 : -1;
  for (int row = from; row <= to; ++row) {
    const double y = grid.top - (row + 0.5) * grid.step;
    out.push_back({row, p.x + (y - p.y) * (q.x - p.x) / (q.y - p.y), winding});
  }
}

// The spans one outline covers under its rule, clamped to [left, right].
std::vector<RowSpan> OutlineSpans(const FilledOutline& outline, const RowGrid& grid) {
  std::vector<Crossing> crossings;
  for (const Vexl::Subpath& subpath : outline.polylines.GetSubpaths()) {
    Vexl::Point from = subpath.GetStart();
    for (const Vexl::Segment& segment : subpath.GetSegments()) {
      AddCrossings(from, segment.end, grid, crossings);
      from = segment.end;
    }
    AddCrossings(from, subpath.GetStart(), grid, crossings);  // filled: always closed
  }
  std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) {
    return a.row != b.row ? a.row < b.row : a.x < b.x;
  });
  std::vector<RowSpan> spans;
  int winding = 0;
  double start = 0;
  for (std::size_t i = 0; i < crossings.size(); ++i) {
    if (i == 0 || crossings[i].row != crossings[i - 1].row) winding = 0;
    const bool before = Inside(winding, outline.rule);
    winding += crossings[i].winding;
    const bool after = Inside(winding, outline.rule);
    if (!before && after) start = crossings[i].x;
    if (before && !after) {
      const double x0 = std::max(start, grid.left), x1 = std::min(crossings[i].x, grid.right);
      if (x1 > x0) spans.push_back({crossings[i].row, x0, x1});
    }
  }
  return spans;
}

std::vector<RowSpan> Intersect(const std::vector<RowSpan>& a, const std::vector<RowSpan>& b) {
  std::vector<RowSpan> out;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].row != b[j].row) {
      (a[i].row < b[j].row ? i : j)++;
      continue;
    }
    const double x0 = std::max(a[i].x0, b[j].x0), x1 = std::min(a[i].x1, b[j].x1);
    if (x1 > x0) out.push_back({a[i].row, x0, x1});
    (a[i].x1 < b[j].x1 ? i : j)++;
  }
  return out;
}

// Sorts and merges overlapping or touching spans of a row.
std::vector<RowSpan> Union(std::vector<RowSpan> spans) {
  std::sort(spans.begin(), spans.end(), RowThenX);
  std::vector<RowSpan> out;
  for (const RowSpan& span : spans) {
    if (!out.empty() && out.back().row == span.row && span.x0 <= out.back().x1) {
      out.back().x1 = std::max(out.back().x1, span.x1);
    } else {
      out.push_back(span);
    }
  }
  return out;
}

}  // namespace

std::vector<RowSpan> CoveredSpans(const std::vector<AreaShape>& shapes, const RowGrid& grid) {
  std::unordered_map<const FilledOutline*, std::vector<RowSpan>> clipSpans;
  std::vector<RowSpan> all;
  for (const AreaShape& shape : shapes) {
    auto spans = OutlineSpans(shape.painted, grid);
    for (const auto& clip : shape.clips) {
      if (spans.empty()) break;
      auto [cached, fresh] = clipSpans.try_emplace(clip.get());
      if (fresh) cached->second = OutlineSpans(*clip, grid);
      spans = Intersect(spans, cached->second);
    }
    all.insert(all.end(), spans.begin(), spans.end());
  }
  return Union(std::move(all));
}

double UnionAreaInSquarePoints(const std::vector<AreaShape>& shapes, const Vexl::Rectangle& box) {
  if (shapes.empty() || box.IsEmpty()) return 0;
  RowGrid grid{box.Left(), box.Right(), box.Top(), kAreaStepInMillipoints, 0};
  grid.step = std::max(grid.step, box.height / kMaxAreaRows);
  grid.rows = static_cast<int>(std::ceil(box.height / grid.step));
  double length = 0;
  for (const RowSpan& span : CoveredSpans(shapes, grid)) length += span.x1 - span.x0;
  return length * grid.step / 1e6;
}

FilledOutline MakeFilledOutline(const Vexl::Compound& outline, const Vexl::Transformation& toPage,
                                Vexl::FillRule rule) {
  std::vector<Vexl::Subpath> polylines;
  const Vexl::Compound onPage = outline * toPage;
  for (const Vexl::Subpath& subpath : onPage.GetSubpaths())
    polylines.push_back(Vexl::MakePolyline(subpath, kPolylineToleranceInMillipoints));
  return {Vexl::Compound(std::move(polylines)), rule};
}

}  // namespace CorvelCli
