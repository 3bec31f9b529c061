#include <tessel/GridInternal.h>

#include <cmath>

namespace TesselFixed::Internal {

namespace {
// A grid side beyond this buys nothing but memory.
constexpr std::int64_t kMaxCellsPerSide = 4096;
}  // namespace

CellGrid::CellGrid(std::int64_t minX, std::int64_t minY, std::int64_t maxX, std::int64_t maxY,
                   std::size_t cellsWanted)
    : minX_(minX), minY_(minY) {
  const double width = double(std::max<std::int64_t>(maxX - minX, 1));
  const double height = double(std::max<std::int64_t>(maxY - minY, 1));
  const double cells = double(std::max<std::size_t>(cellsWanted, 1));
  double side = std::ceil(std::sqrt(width * height / cells));
  side = std::max({side, width / kMaxCellsPerSide, height / kMaxCellsPerSide, 1.0});
  cellSize_ = static_cast<std::int64_t>(std::ceil(side));
  columns_ = static_cast<std::uint32_t>((maxX - minX) / cellSize_ + 1);
  rows_ = static_cast<std::uint32_t>((maxY - minY) / cellSize_ + 1);
}

CellBuckets::CellBuckets(std::size_t cellCount,
                         std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs)
    : begin_(cellCount + 1, 0), items_(pairs.size()) {
  for (const auto& pair : pairs) ++begin_[pair.first + 1];
  for (std::size_t i = 1; i < begin_.size(); ++i) begin_[i] += begin_[i - 1];
  std::vector<std::uint32_t> fill(begin_.begin(), begin_.end() - 1);
  for (const auto& [cell, item] : pairs) items_[fill[cell]++] = item;
}

}  // namespace TesselFixed::Internal
