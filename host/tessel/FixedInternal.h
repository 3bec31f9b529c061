#pragma once
// The fixed grid of the planar map and exact predicates on it. A grid unit is 1/16 millipoint;
// coordinates are integers within ±kMaxCoordinate, so differences fit in 32 bits and every
// product of two differences in 64 bits; sums of products and rational comparisons use 128 bits.

#include <cmath>
#include <cstdint>

#include <vexl/Geometry.h>

namespace TesselFixed::Internal {

__extension__ typedef __int128 Int128;

// Fine enough that snapping (at most half a unit per axis) stays far below any printing device's
// resolution, coarse enough that a 67,000-point page fits with room for exact arithmetic.
constexpr double kUnitsPerMillipoint = 16.0;
constexpr std::int64_t kMaxCoordinate = std::int64_t{1} << 30;
constexpr double kMaxMillipoints = static_cast<double>(kMaxCoordinate) / kUnitsPerMillipoint;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;

struct FixedPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const FixedPoint&, const FixedPoint&) = default;
  // Lexicographic by x, then y: the vertex order of the map.
  friend bool operator<(const FixedPoint& a, const FixedPoint& b) {
    return a.x != b.x ? a.x < b.x : a.y < b.y;
  }
};

inline std::uint64_t PackPoint(FixedPoint p) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) << 32) |
         static_cast<std::uint32_t>(p.y);
}

inline Vexl::Point ToMillipoints(FixedPoint p) {
  // Exact: integers below 2^31 divided by a power of two.
  return {p.x / kUnitsPerMillipoint, p.y / kUnitsPerMillipoint};
}

// Nearest grid point, halves rounded up; the caller has checked the range. (floor instead of
// llround: the latter is an out-of-line library call on the flattening's hot path.)
inline FixedPoint ToFixed(Vexl::Point p) {
  return {static_cast<std::int32_t>(std::floor(p.x * kUnitsPerMillipoint + 0.5)),
          static_cast<std::int32_t>(std::floor(p.y * kUnitsPerMillipoint + 0.5))};
}

inline std::int64_t Cross(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
  return ax * by - ay * bx;  // |a|, |b| < 2^31 per coordinate: each product < 2^62
}

// Sign of the turn a → b → c: +1 left (counter-clockwise, y up), −1 right, 0 collinear.
inline int Orientation(FixedPoint a, FixedPoint b, FixedPoint c) {
  const Int128 value = Int128{std::int64_t{b.x} - a.x} * (std::int64_t{c.y} - a.y) -
                       Int128{std::int64_t{b.y} - a.y} * (std::int64_t{c.x} - a.x);
  return (value > 0) - (value < 0);
}

// Rounds n / d to the nearest integer, halves towards +infinity.
inline Int128 RoundDivide(Int128 n, Int128 d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const Int128 twice = 2 * n + d;
  const Int128 twoD = 2 * d;
  Int128 q = twice / twoD;
  if (twice % twoD != 0 && twice < 0) --q;
  return q;
}

// Angular order of directions counter-clockwise from the positive x axis (inclusive).
inline bool AngleLess(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
  const bool lowerA = ay < 0 || (ay == 0 && ax < 0);
  const bool lowerB = by < 0 || (by == 0 && bx < 0);
  if (lowerA != lowerB) return lowerB;
  return Cross(ax, ay, bx, by) > 0;
}

}  // namespace TesselFixed::Internal
