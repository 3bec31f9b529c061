#include <cli/AreaSpans.h>
#include <vexl/Measure.h>

#include <algorithm>
#include <cmath>
#include <limits>
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

// The lines [first, last] taken together: a band.
struct RowBand {
  int first = 0, last = 0;
};

// Lines per band: a band of a page-wide union of thousands of shapes holds a few megabytes.
constexpr int kAreaBandRows = 256;

// The lines a stretch [low, high) of y spans, as (first, last); empty when first > last.
std::pair<double, double> LinesWithin(double low, double high, const RowGrid& grid) {
  return {std::floor((grid.top - high) / grid.step - 0.5) + 1,
          std::floor((grid.top - low) / grid.step - 0.5)};
}

bool RingMeetsBand(const OutlineRing& ring, const RowGrid& grid, const RowBand& band) {
  const auto [first, last] = LinesWithin(ring.low, ring.high, grid);
  return first <= last && first <= band.last && last >= band.first;
}

// Where each edge p → q crosses the band's lines it spans: lines with y in [min y, max y), so
// that a vertex shared by two edges is counted once.
void AddCrossings(Vexl::Point p, Vexl::Point q, const RowGrid& grid, const RowBand& band,
                  std::vector<Crossing>& out) {
  // Horizontal edges cross no line; edges out of reach of numbers (a damaged file's) paint nothing
  // we could draw.
  if (p.y == q.y || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(q.x) ||
      !std::isfinite(q.y))
    return;
  const auto [first, last] = LinesWithin(std::min(p.y, q.y), std::max(p.y, q.y), grid);
  if (!(first <= last) || last < band.first || first > band.last) return;
  const int from = static_cast<int>(std::max(first, double(band.first)));
  const int to = static_cast<int>(std::min(last, double(band.last)));
  const int winding = q.y > p.y ? 1 : -1;
  for (int row = from; row <= to; ++row) {
    const double y = grid.top - (row + 0.5) * grid.step;
    out.push_back({row, p.x + (y - p.y) * (q.x - p.x) / (q.y - p.y), winding});
  }
}

// The spans one outline covers on the band's lines under its rule, clamped to [left, right].
std::vector<RowSpan> OutlineSpans(const FilledOutline& outline, const RowGrid& grid,
                                  const RowBand& band) {
  std::vector<Crossing> crossings;
  for (const OutlineRing& ring : outline.rings) {
    if (!RingMeetsBand(ring, grid, band)) continue;
    const auto& points = ring.points;
    for (std::size_t i = 0; i < points.size(); ++i)  // filled: always closed
      AddCrossings(points[i], points[i + 1 < points.size() ? i + 1 : 0], grid, band, crossings);
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

void ForEachCoveredBand(const std::vector<AreaShape>& shapes, const RowGrid& grid,
                        const std::function<void(const std::vector<RowSpan>&)>& take) {
  if (shapes.empty()) return;
  std::unordered_map<const FilledOutline*, std::vector<RowSpan>> clipSpans;
  std::vector<RowSpan> all;
  for (int first = 0; first < grid.rows; first += kAreaBandRows) {
    const RowBand band{first, std::min(first + kAreaBandRows, grid.rows) - 1};
    clipSpans.clear();
    all.clear();
    for (const AreaShape& shape : shapes) {
      auto spans = OutlineSpans(shape.painted, grid, band);
      for (const auto& clip : shape.clips) {
        if (spans.empty()) break;
        auto [cached, fresh] = clipSpans.try_emplace(clip.get());
        if (fresh) cached->second = OutlineSpans(*clip, grid, band);
        spans = Intersect(spans, cached->second);
      }
      all.insert(all.end(), spans.begin(), spans.end());
    }
    take(Union(std::move(all)));
  }
}

std::vector<RowSpan> CoveredSpans(const std::vector<AreaShape>& shapes, const RowGrid& grid) {
  std::vector<RowSpan> covered;
  ForEachCoveredBand(shapes, grid, [&](const std::vector<RowSpan>& band) {
    covered.insert(covered.end(), band.begin(), band.end());
  });
  return covered;
}

double UnionAreaInSquarePoints(const std::vector<AreaShape>& shapes, const Vexl::Rectangle& box) {
  if (shapes.empty() || box.IsEmpty()) return 0;
  RowGrid grid{box.Left(), box.Right(), box.Top(), kAreaStepInMillipoints, 0};
  grid.step = std::max(grid.step, box.height / kMaxAreaRows);
  grid.rows = static_cast<int>(std::ceil(box.height / grid.step));
  double length = 0;
  ForEachCoveredBand(shapes, grid, [&](const std::vector<RowSpan>& band) {
    for (const RowSpan& span : band) length += span.x1 - span.x0;
  });
  return length * grid.step / 1e6;
}

OutlineRing MakeOutlineRing(const Vexl::Subpath& polyline) {
  OutlineRing ring;
  ring.points.reserve(polyline.GetSegments().size() + 1);
  ring.points.push_back(polyline.GetStart());
  for (const Vexl::Segment& segment : polyline.GetSegments()) ring.points.push_back(segment.end);
  // Bounds of the finite points: edges reaching beyond them are never drawn.
  ring.low = std::numeric_limits<double>::infinity();
  ring.high = -ring.low;
  for (const Vexl::Point& point : ring.points) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) continue;
    ring.low = std::min(ring.low, point.y);
    ring.high = std::max(ring.high, point.y);
  }
  return ring;
}

FilledOutline MakeFilledOutline(const Vexl::Compound& outline, const Vexl::Transformation& toPage,
                                Vexl::FillRule rule) {
  FilledOutline filled{{}, rule};
  for (const Vexl::Subpath& subpath : outline.GetSubpaths())
    filled.rings.push_back(
        MakeOutlineRing(Vexl::MakePolyline(subpath * toPage, kPolylineToleranceInMillipoints)));
  return filled;
}

}  // namespace CorvelCli
