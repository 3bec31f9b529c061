#include <sampling/MeshSamplerInternal.h>

#include <algorithm>
#include <cmath>

namespace Sampling::Mesh {

namespace {

// Barycentric weights down to −kEdgeSlack count as inside: a pixel centre on an edge two
// triangles share is then painted by one of them, whatever the rounding.
constexpr double kEdgeSlack = 1e-9;
// A triangle whose doubled area is below this share of its squared extent has no area to paint.
constexpr double kDegenerateShare = 1e-12;
// Grid cells per side at most, and grid entries (triangle in cell) at most: large overlapping
// triangles would otherwise fill every cell.
constexpr std::size_t kMaxGridSize = 512;
constexpr std::size_t kMaxGridEntries = std::size_t{1} << 24;

double Cross(Vexl::Point a, Vexl::Point b) { return a.x * b.y - a.y * b.x; }

Vexl::Rectangle BoxOf(const std::array<Vexl::Point, 3>& p) {
  const double left = std::min({p[0].x, p[1].x, p[2].x}), right = std::max({p[0].x, p[1].x, p[2].x});
  const double bottom = std::min({p[0].y, p[1].y, p[2].y}), top = std::max({p[0].y, p[1].y, p[2].y});
  return {left, bottom, right - left, top - bottom, false};
}

Vexl::Rectangle Join(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  if (a.IsNull()) return b;
  const double left = std::min(a.x, b.x), bottom = std::min(a.y, b.y);
  return {left, bottom, std::max(a.Right(), b.Right()) - left, std::max(a.Top(), b.Top()) - bottom,
          false};
}

// The pixels [first, last] of a row where weight w0 + i · dw is not below −kEdgeSlack.
bool Clip(double w0, double dw, double& first, double& last) {
  if (!std::isfinite(w0) || !std::isfinite(dw)) return false;
  if (dw == 0) return w0 >= -kEdgeSlack;
  const double bound = (-kEdgeSlack - w0) / dw;
  if (dw > 0) first = std::max(first, std::ceil(bound));
  else last = std::min(last, std::floor(bound));
  return first <= last;
}

// The grid cell of coordinate v along an axis of the bounds [origin, origin + size].
std::size_t CellOf(double v, double origin, double size, std::size_t gridSize) {
  const double scaled = size > 0 ? (v - origin) / size * double(gridSize) : 0.0;
  return std::size_t(std::clamp(scaled, 0.0, double(gridSize - 1)));
}

}  // namespace

void TriangleRaster::Add(const std::array<Vexl::Point, 3>& p, const float* values) {
  const Vexl::Point ab{p[1].x - p[0].x, p[1].y - p[0].y}, ac{p[2].x - p[0].x, p[2].y - p[0].y};
  const double det = Cross(ab, ac);
  const auto box = BoxOf(p);
  const double extent = std::max(box.width, box.height);
  if (!std::isfinite(det) || std::fabs(det) <= kDegenerateShare * extent * extent) return;
  // p = p0 + s·ab + t·ac; weights (1 − s − t, s, t).
  Weights w;
  w.ex[1] = ac.y / det, w.ey[1] = -ac.x / det;
  w.ex[2] = -ab.y / det, w.ey[2] = ab.x / det;
  w.e0[1] = -(p[0].x * w.ex[1] + p[0].y * w.ey[1]);
  w.e0[2] = -(p[0].x * w.ex[2] + p[0].y * w.ey[2]);
  w.ex[0] = -w.ex[1] - w.ex[2], w.ey[0] = -w.ey[1] - w.ey[2], w.e0[0] = 1 - w.e0[1] - w.e0[2];
  weights_.push_back(w);
  values_.insert(values_.end(), values, values + 3 * valueCount_);
  boxes_.push_back(box);
  bounds_ = Join(bounds_, box);
}

void TriangleRaster::Index() {
  gridSize_ = std::clamp<std::size_t>(std::size_t(std::ceil(std::sqrt(double(boxes_.size())))), 1, kMaxGridSize);
  auto cellRange = [&](const Vexl::Rectangle& box, std::size_t& x0, std::size_t& x1, std::size_t& y0,
                       std::size_t& y1) {
    auto cell = [&](double v, double origin, double size) { return CellOf(v, origin, size, gridSize_); };
    x0 = cell(box.x, bounds_.x, bounds_.width), x1 = cell(box.Right(), bounds_.x, bounds_.width);
    y0 = cell(box.y, bounds_.y, bounds_.height), y1 = cell(box.Top(), bounds_.y, bounds_.height);
  };
  for (;;) {
    std::size_t entries = 0, x0, x1, y0, y1;
    for (const auto& box : boxes_) {
      cellRange(box, x0, x1, y0, y1);
      entries += (x1 - x0 + 1) * (y1 - y0 + 1);
    }
    if (entries <= kMaxGridEntries || gridSize_ == 1) break;
    gridSize_ /= 2;
  }
  cellStart_.assign(gridSize_ * gridSize_ + 1, 0);
  std::size_t x0, x1, y0, y1;
  for (const auto& box : boxes_) {
    cellRange(box, x0, x1, y0, y1);
    for (std::size_t y = y0; y <= y1; ++y)
      for (std::size_t x = x0; x <= x1; ++x) ++cellStart_[y * gridSize_ + x + 1];
  }
  for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
  cellItems_.resize(cellStart_.back());
  std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
  for (std::uint32_t i = 0; i < boxes_.size(); ++i) {
    cellRange(boxes_[i], x0, x1, y0, y1);
    for (std::size_t y = y0; y <= y1; ++y)
      for (std::size_t x = x0; x <= x1; ++x) cellItems_[fill[y * gridSize_ + x]++] = i;
  }
  boxes_ = {};
}

// Triangles in the cells the segment's bounding box meets, each once, in the order added.
void TriangleRaster::Candidates(Vexl::Point first, Vexl::Point last, std::vector<std::uint32_t>& out) const {
  out.clear();
  if (gridSize_ == 0 || bounds_.IsNull()) return;
  const double left = std::min(first.x, last.x), right = std::max(first.x, last.x);
  const double bottom = std::min(first.y, last.y), top = std::max(first.y, last.y);
  if (right < bounds_.x || left > bounds_.Right() || top < bounds_.y || bottom > bounds_.Top()) return;
  auto cell = [&](double v, double origin, double size) { return CellOf(v, origin, size, gridSize_); };
  const std::size_t x0 = cell(left, bounds_.x, bounds_.width), x1 = cell(right, bounds_.x, bounds_.width);
  const std::size_t y0 = cell(bottom, bounds_.y, bounds_.height), y1 = cell(top, bounds_.y, bounds_.height);
  for (std::size_t y = y0; y <= y1; ++y) {
    for (std::size_t x = x0; x <= x1; ++x) {
      const std::size_t c = y * gridSize_ + x;
      out.insert(out.end(), cellItems_.begin() + cellStart_[c], cellItems_.begin() + cellStart_[c + 1]);
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

void TriangleRaster::FillRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* values,
                             float* shape) const {
  std::fill(shape, shape + width, 0.0f);
  if (width == 0) return;
  const double lastIndex = double(width - 1);
  std::vector<std::uint32_t> candidates;
  Candidates(start, {start.x + step.x * lastIndex, start.y + step.y * lastIndex}, candidates);
  const std::size_t n = valueCount_;
  for (const std::uint32_t index : candidates) {
    const Weights& w = weights_[index];
    std::array<double, 3> w0, dw;
    double first = 0, last = lastIndex;
    bool inside = true;
    for (std::size_t k = 0; k < 3 && inside; ++k) {
      w0[k] = w.ex[k] * start.x + w.ey[k] * start.y + w.e0[k];
      dw[k] = w.ex[k] * step.x + w.ey[k] * step.y;
      inside = Clip(w0[k], dw[k], first, last);
    }
    if (!inside) continue;
    const float* v = &values_[std::size_t(index) * 3 * n];
    for (auto i = std::size_t(first); i <= std::size_t(last); ++i) {
      const double a = w0[0] + dw[0] * double(i), b = w0[1] + dw[1] * double(i), c = w0[2] + dw[2] * double(i);
      float* out = values + i * n;
      for (std::size_t j = 0; j < n; ++j) out[j] = static_cast<float>(a * v[j] + b * v[n + j] + c * v[2 * n + j]);
      shape[i] = 1.0f;
    }
  }
}

}  // namespace Sampling::Mesh
