#pragma once
// A uniform grid of square cells over the fixed plane, used to find segments that may meet and
// points near a segment without comparing everything with everything.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include <tessel/FixedInternal.h>

namespace TesselFixed::Internal {

class CellGrid {
 public:
  // Cells of about `cellsWanted` in total over the box [minX, maxX] × [minY, maxY].
  CellGrid(std::int64_t minX, std::int64_t minY, std::int64_t maxX, std::int64_t maxY,
           std::size_t cellsWanted);

  std::uint32_t Columns() const { return columns_; }
  std::uint32_t Rows() const { return rows_; }
  std::uint32_t Column(std::int64_t x) const { return Clamp((x - minX_) / cellSize_, columns_); }
  std::uint32_t Row(std::int64_t y) const { return Clamp((y - minY_) / cellSize_, rows_); }
  std::int64_t RowBottom(std::uint32_t row) const { return minY_ + std::int64_t{row} * cellSize_; }
  std::uint32_t Cell(std::uint32_t column, std::uint32_t row) const { return row * columns_ + column; }

  // Calls visit(cell) for every cell the segment a–b passes through, widened by a margin of two
  // units so that rounding of the walk never misses a cell.
  template <class Visit>
  void ForEachCell(FixedPoint a, FixedPoint b, Visit&& visit) const;

 private:
  static std::uint32_t Clamp(std::int64_t value, std::uint32_t count) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, std::int64_t{count} - 1));
  }
  std::int64_t minX_ = 0, minY_ = 0, cellSize_ = 1;
  std::uint32_t columns_ = 1, rows_ = 1;
};

template <class Visit>
void CellGrid::ForEachCell(FixedPoint a, FixedPoint b, Visit&& visit) const {
  constexpr std::int64_t kMargin = 2;
  const std::int64_t lowY = std::min(a.y, b.y), highY = std::max(a.y, b.y);
  const std::int64_t lowX = std::min(a.x, b.x), highX = std::max(a.x, b.x);
  const std::uint32_t firstRow = Row(lowY - kMargin), lastRow = Row(highY + kMargin);
  const double slope = a.y == b.y ? 0.0 : double(b.x - a.x) / double(b.y - a.y);
  for (std::uint32_t row = firstRow; row <= lastRow; ++row) {
    std::int64_t fromX = lowX, toX = highX;
    if (a.y != b.y && firstRow != lastRow) {
      const std::int64_t bandLow = std::max(lowY, RowBottom(row));
      const std::int64_t bandHigh = std::min(highY, RowBottom(row) + cellSize_);
      const double x0 = a.x + slope * double(bandLow - a.y);
      const double x1 = a.x + slope * double(bandHigh - a.y);
      fromX = std::max(lowX, static_cast<std::int64_t>(std::floor(std::min(x0, x1))));
      toX = std::min(highX, static_cast<std::int64_t>(std::ceil(std::max(x0, x1))));
    }
    const std::uint32_t lastColumn = Column(toX + kMargin);
    for (std::uint32_t column = Column(fromX - kMargin); column <= lastColumn; ++column) {
      visit(Cell(column, row));
    }
  }
}

// Items bucketed by cell: items of cell c are Items()[Begin(c) .. Begin(c + 1)).
class CellBuckets {
 public:
  // pairs: (cell, item); sorted by cell here, items of one cell keep their order.
  CellBuckets(std::size_t cellCount, std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs);
  std::span<const std::uint32_t> Items(std::uint32_t cell) const {
    return {items_.data() + begin_[cell], items_.data() + begin_[cell + 1]};
  }

 private:
  std::vector<std::uint32_t> begin_;
  std::vector<std::uint32_t> items_;
};

}  // namespace TesselFixed::Internal
