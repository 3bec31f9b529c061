#include <tessel/NoderInternal.h>

#include <algorithm>
#include <numeric>
#include <tuple>

#include <tessel/GridInternal.h>

namespace TesselFixed::Internal {

namespace {

struct Contribution {
  std::uint32_t shape;
  std::uint32_t chord;
  std::int32_t sign;  // +1 when the chord runs from the piece's a to its b
};

struct Piece {
  FixedPoint a, b;
  std::uint32_t contributionBegin, contributionEnd;
};

struct Pieces {
  std::vector<Piece> pieces;
  std::vector<Contribution> contributions;
};

// A chord placed on its line: direction (ux, uy) reduced and made positive, offset c, and the
// positions of its ends along the direction.
struct OnLine {
  std::int64_t ux, uy, c, lo, hi;
  FixedPoint low, high;
  std::uint32_t chord;
  std::int32_t sign;
  bool SameLine(const OnLine& o) const { return ux == o.ux && uy == o.uy && c == o.c; }
};

OnLine PlaceOnLine(const Chord& chord, std::uint32_t index) {
  std::int64_t dx = std::int64_t{chord.b.x} - chord.a.x, dy = std::int64_t{chord.b.y} - chord.a.y;
  const std::int64_t g = std::gcd(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
  dx /= g, dy /= g;
  std::int32_t sign = 1;
  if (dx < 0 || (dx == 0 && dy < 0)) dx = -dx, dy = -dy, sign = -1;
  const std::int64_t posA = dx * chord.a.x + dy * chord.a.y, posB = dx * chord.b.x + dy * chord.b.y;
  const bool forward = posA < posB;
  return {dx, dy, dx * chord.a.y - dy * chord.a.x, forward ? posA : posB, forward ? posB : posA,
          forward ? chord.a : chord.b, forward ? chord.b : chord.a, index, sign};
}

// Splits one line's overlapping chords at every end point on the line; each elementary piece
// lists the chords covering it. Without this, n chords on one line would cross-test n² times.
void SplitLine(std::span<const OnLine> line, std::span<const Chord> chords, Pieces& out) {
  std::vector<std::pair<std::int64_t, FixedPoint>> stops;
  for (const OnLine& member : line) stops.push_back({member.lo, member.low}), stops.push_back({member.hi, member.high});
  std::sort(stops.begin(), stops.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  stops.erase(std::unique(stops.begin(), stops.end(), [](const auto& x, const auto& y) { return x.first == y.first; }),
              stops.end());
  const auto stopIndex = [&](std::int64_t pos) {
    return static_cast<std::size_t>(std::lower_bound(stops.begin(), stops.end(), pos,
                                                     [](const auto& s, std::int64_t p) { return s.first < p; }) -
                                    stops.begin());
  };
  std::vector<std::pair<std::size_t, std::size_t>> covers;  // (interval, member)
  for (std::size_t m = 0; m < line.size(); ++m) {
    for (std::size_t k = stopIndex(line[m].lo), end = stopIndex(line[m].hi); k < end; ++k) covers.push_back({k, m});
  }
  std::stable_sort(covers.begin(), covers.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (std::size_t i = 0; i < covers.size();) {
    const std::size_t k = covers[i].first;
    const auto begin = static_cast<std::uint32_t>(out.contributions.size());
    for (; i < covers.size() && covers[i].first == k; ++i) {
      const OnLine& member = line[covers[i].second];
      out.contributions.push_back({chords[member.chord].shape, member.chord, member.sign});
    }
    out.pieces.push_back({stops[k].second, stops[k + 1].second, begin,
                          static_cast<std::uint32_t>(out.contributions.size())});
  }
}

std::uint64_t LineHash(const OnLine& line) {
  std::uint64_t h = static_cast<std::uint64_t>(line.ux) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<std::uint64_t>(line.uy) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
  h ^= static_cast<std::uint64_t>(line.c) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
  return h;
}

Pieces MergeCollinear(std::span<const Chord> chords) {
  std::vector<OnLine> placed;
  placed.reserve(chords.size());
  for (std::uint32_t i = 0; i < chords.size(); ++i) {
    if (!(chords[i].a == chords[i].b)) placed.push_back(PlaceOnLine(chords[i], i));
  }
  // Most lines hold one chord: sort cheap hashes, and fully order only runs of equal hashes.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash(placed.size());
  for (std::uint32_t i = 0; i < placed.size(); ++i) byHash[i] = {LineHash(placed[i]), i};
  std::sort(byHash.begin(), byHash.end());
  Pieces out;
  out.pieces.reserve(placed.size());
  out.contributions.reserve(placed.size());
  std::vector<OnLine> run;
  for (std::size_t i = 0; i < byHash.size();) {
    std::size_t end = i + 1;
    while (end < byHash.size() && byHash[end].first == byHash[i].first) ++end;
    if (end == i + 1) {
      const OnLine& only = placed[byHash[i].second];
      const auto begin = static_cast<std::uint32_t>(out.contributions.size());
      out.contributions.push_back({chords[only.chord].shape, only.chord, only.sign});
      out.pieces.push_back({only.low, only.high, begin, begin + 1});
      i = end;
      continue;
    }
    run.clear();
    for (std::size_t k = i; k < end; ++k) run.push_back(placed[byHash[k].second]);
    std::sort(run.begin(), run.end(), [](const OnLine& x, const OnLine& y) {
      return std::tie(x.ux, x.uy, x.c, x.lo, x.hi, x.chord) < std::tie(y.ux, y.uy, y.c, y.lo, y.hi, y.chord);
    });
    for (std::size_t k = 0; k < run.size();) {
      std::size_t lineEnd = k + 1;
      while (lineEnd < run.size() && run[lineEnd].SameLine(run[k])) ++lineEnd;
      SplitLine(std::span(run).subspan(k, lineEnd - k), chords, out);
      k = lineEnd;
    }
    i = end;
  }
  return out;
}

bool BoxesOverlap(const Piece& p, const Piece& q) {
  return std::max(p.a.x, p.b.x) >= std::min(q.a.x, q.b.x) && std::max(q.a.x, q.b.x) >= std::min(p.a.x, p.b.x) &&
         std::max(p.a.y, p.b.y) >= std::min(q.a.y, q.b.y) && std::max(q.a.y, q.b.y) >= std::min(p.a.y, p.b.y);
}

// The grid point nearest the crossing of two pieces that cross properly (each strictly
// separates the other's ends); false otherwise.
bool ProperCrossing(const Piece& p, const Piece& q, FixedPoint& hot) {
  if (Orientation(p.a, p.b, q.a) * Orientation(p.a, p.b, q.b) >= 0) return false;
  if (Orientation(q.a, q.b, p.a) * Orientation(q.a, q.b, p.b) >= 0) return false;
  const std::int64_t px = std::int64_t{p.b.x} - p.a.x, py = std::int64_t{p.b.y} - p.a.y;
  const std::int64_t qx = std::int64_t{q.b.x} - q.a.x, qy = std::int64_t{q.b.y} - q.a.y;
  const Int128 den = Int128{px} * qy - Int128{py} * qx;
  const std::int64_t wx = std::int64_t{q.a.x} - p.a.x, wy = std::int64_t{q.a.y} - p.a.y;
  const Int128 num = Int128{wx} * qy - Int128{wy} * qx;
  hot.x = static_cast<std::int32_t>(p.a.x + RoundDivide(Int128{px} * num, den));
  hot.y = static_cast<std::int32_t>(p.a.y + RoundDivide(Int128{py} * num, den));
  return true;
}

CellGrid MakeGrid(std::span<const Piece> pieces) {
  std::int64_t minX = kMaxCoordinate, minY = kMaxCoordinate, maxX = -kMaxCoordinate, maxY = -kMaxCoordinate;
  for (const Piece& p : pieces) {
    minX = std::min<std::int64_t>({minX, p.a.x, p.b.x}), maxX = std::max<std::int64_t>({maxX, p.a.x, p.b.x});
    minY = std::min<std::int64_t>({minY, p.a.y, p.b.y}), maxY = std::max<std::int64_t>({maxY, p.a.y, p.b.y});
  }
  if (pieces.empty()) minX = minY = maxX = maxY = 0;
  return CellGrid(minX, minY, maxX, maxY, pieces.size());
}

CellBuckets BucketPieces(const CellGrid& grid, std::span<const Piece> pieces) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  pairs.reserve(pieces.size() * 2);
  for (std::uint32_t i = 0; i < pieces.size(); ++i) {
    grid.ForEachCell(pieces[i].a, pieces[i].b, [&](std::uint32_t cell) { pairs.push_back({cell, i}); });
  }
  return CellBuckets(std::size_t{grid.Columns()} * grid.Rows(), std::move(pairs));
}

// Hot pixels, sorted and unique, and for every piece the indices of its two ends.
struct HotPixels {
  std::vector<FixedPoint> points;
  std::vector<std::uint32_t> pieceEnds;  // 2 per piece
};

HotPixels FindHotPixels(std::span<const Piece> pieces, const CellGrid& grid, const CellBuckets& buckets) {
  std::vector<std::pair<FixedPoint, std::uint32_t>> candidates;  // (point, piece end or kNone)
  candidates.reserve(pieces.size() * 5 / 2);
  for (std::uint32_t i = 0; i < pieces.size(); ++i) {
    candidates.push_back({pieces[i].a, 2 * i});
    candidates.push_back({pieces[i].b, 2 * i + 1});
  }
  const std::uint32_t cells = grid.Columns() * grid.Rows();
  for (std::uint32_t cell = 0; cell < cells; ++cell) {
    const auto items = buckets.Items(cell);
    for (std::size_t i = 0; i < items.size(); ++i) {
      for (std::size_t j = i + 1; j < items.size(); ++j) {
        const Piece& p = pieces[items[i]];
        const Piece& q = pieces[items[j]];
        FixedPoint crossing;
        if (BoxesOverlap(p, q) && ProperCrossing(p, q, crossing)) candidates.push_back({crossing, kNone});
      }
    }
  }
  std::sort(candidates.begin(), candidates.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  HotPixels hot;
  hot.pieceEnds.resize(pieces.size() * 2);
  for (const auto& [point, end] : candidates) {
    if (hot.points.empty() || !(hot.points.back() == point)) hot.points.push_back(point);
    if (end != kNone) hot.pieceEnds[end] = static_cast<std::uint32_t>(hot.points.size() - 1);
  }
  return hot;
}

CellBuckets BucketHotPixels(const CellGrid& grid, std::span<const FixedPoint> hot) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  pairs.reserve(hot.size() * 2);
  for (std::uint32_t i = 0; i < hot.size(); ++i) {
    // A pixel's square [h − ½, h + ½) lies within the cells of h − 1 and h on each axis.
    const FixedPoint h = hot[i];
    for (std::uint32_t row = grid.Row(h.y - 1); row <= grid.Row(h.y); ++row) {
      for (std::uint32_t column = grid.Column(h.x - 1); column <= grid.Column(h.x); ++column) {
        pairs.push_back({grid.Cell(column, row), i});
      }
    }
  }
  return CellBuckets(std::size_t{grid.Columns()} * grid.Rows(), std::move(pairs));
}

// An edge of a snapped piece between hot pixels u < v; sign +1 when the piece runs u → v.
struct Fragment {
  std::uint32_t u, v;
  std::uint32_t piece;
  std::int32_t sign;
};

void AddFragment(std::uint32_t from, std::uint32_t to, std::uint32_t piece, std::vector<Fragment>& out) {
  if (from < to) {
    out.push_back({from, to, piece, 1});
  } else {
    out.push_back({to, from, piece, -1});
  }
}

std::vector<Fragment> SnapPieces(std::span<const Piece> pieces, const HotPixels& hotPixels,
                                 const CellGrid& grid, const CellBuckets& hotBuckets) {
  const std::vector<FixedPoint>& hot = hotPixels.points;
  std::vector<Fragment> fragments;
  fragments.reserve(pieces.size() + pieces.size() / 2);
  std::vector<std::pair<Int128, std::uint32_t>> along;
  for (std::uint32_t i = 0; i < pieces.size(); ++i) {
    const Piece& p = pieces[i];
    const std::int64_t dx = std::int64_t{p.b.x} - p.a.x, dy = std::int64_t{p.b.y} - p.a.y;
    const std::int32_t minX = std::min(p.a.x, p.b.x), maxX = std::max(p.a.x, p.b.x);
    const std::int32_t minY = std::min(p.a.y, p.b.y), maxY = std::max(p.a.y, p.b.y);
    along.clear();
    grid.ForEachCell(p.a, p.b, [&](std::uint32_t cell) {
      for (std::uint32_t h : hotBuckets.Items(cell)) {
        const FixedPoint c = hot[h];
        if (c.x + 1 < minX || c.x - 1 > maxX || c.y + 1 < minY || c.y - 1 > maxY) continue;
        if (c == p.a || c == p.b || !PassesThroughPixel(p.a, p.b, c)) continue;
        along.push_back({Int128{std::int64_t{c.x} - p.a.x} * dx + Int128{std::int64_t{c.y} - p.a.y} * dy, h});
      }
    });
    std::sort(along.begin(), along.end());
    along.erase(std::unique(along.begin(), along.end()), along.end());
    std::uint32_t previous = hotPixels.pieceEnds[2 * i];
    for (const auto& [position, h] : along) {
      AddFragment(previous, h, i, fragments);
      previous = h;
    }
    AddFragment(previous, hotPixels.pieceEnds[2 * i + 1], i, fragments);
  }
  return fragments;
}

// Merges identical fragments into edges with summed per-shape deltas.
NodedGraph MergeFragments(std::vector<Fragment> fragments, const Pieces& pieces, std::span<const FixedPoint> hot) {
  std::sort(fragments.begin(), fragments.end(), [](const Fragment& x, const Fragment& y) {
    const std::uint64_t kx = std::uint64_t{x.u} << 32 | x.v, ky = std::uint64_t{y.u} << 32 | y.v;
    return kx != ky ? kx < ky : x.piece < y.piece;
  });
  NodedGraph out;
  std::vector<ShapeDelta> scratch;
  std::vector<std::uint32_t> used(hot.size(), kNone);
  for (std::size_t i = 0; i < fragments.size();) {
    std::size_t end = i;
    scratch.clear();
    std::uint32_t chord = kNone;
    for (; end < fragments.size() && fragments[end].u == fragments[i].u && fragments[end].v == fragments[i].v; ++end) {
      const Piece& piece = pieces.pieces[fragments[end].piece];
      for (std::uint32_t c = piece.contributionBegin; c < piece.contributionEnd; ++c) {
        const Contribution& contribution = pieces.contributions[c];
        scratch.push_back({contribution.shape, contribution.sign * fragments[end].sign});
        chord = std::min(chord, contribution.chord);
      }
    }
    std::sort(scratch.begin(), scratch.end(), [](const ShapeDelta& x, const ShapeDelta& y) { return x.shape < y.shape; });
    const auto begin = static_cast<std::uint32_t>(out.deltas.size());
    for (std::size_t k = 0; k < scratch.size();) {
      ShapeDelta sum{scratch[k].shape, 0};
      for (; k < scratch.size() && scratch[k].shape == sum.shape; ++k) sum.delta += scratch[k].delta;
      if (sum.delta != 0) out.deltas.push_back(sum);
    }
    const auto deltaEnd = static_cast<std::uint32_t>(out.deltas.size());
    // An edge whose deltas all cancel separates nothing: dropping it leaves no antennas.
    if (deltaEnd != begin) {
      used[fragments[i].u] = used[fragments[i].v] = 0;
      out.edges.push_back({fragments[i].u, fragments[i].v, begin, deltaEnd, chord});
    }
    i = end;
  }
  for (std::uint32_t h = 0; h < hot.size(); ++h) {
    if (used[h] == kNone) continue;
    used[h] = static_cast<std::uint32_t>(out.vertices.size());
    out.vertices.push_back(hot[h]);
  }
  for (NodedEdge& edge : out.edges) edge.from = used[edge.from], edge.to = used[edge.to];
  return out;
}

// Rational t = num / den with den > 0, and whether the bound excludes its own value.
struct Bound {
  std::int64_t num, den;
  bool open;
};

int Compare(const Bound& x, const Bound& y) {
  const Int128 l = Int128{x.num} * y.den, r = Int128{y.num} * x.den;
  return (l > r) - (l < r);
}

void Raise(Bound& low, Bound candidate) {
  const int c = Compare(candidate, low);
  if (c > 0) low = candidate;
  else if (c == 0) low.open = low.open || candidate.open;
}

void Lower(Bound& high, Bound candidate) {
  const int c = Compare(candidate, high);
  if (c < 0) high = candidate;
  else if (c == 0) high.open = high.open || candidate.open;
}

// Restricts [low, high] to the parameters where from + t·d lies in [lower, upper).
bool ClipSlab(std::int64_t from, std::int64_t d, std::int64_t lower, std::int64_t upper, Bound& low, Bound& high) {
  if (d == 0) return lower <= from && from < upper;
  if (d > 0) {
    Raise(low, {lower - from, d, false});
    Lower(high, {upper - from, d, true});
  } else {
    Raise(low, {from - upper, -d, true});
    Lower(high, {from - lower, -d, false});
  }
  return true;
}

}  // namespace

bool PassesThroughPixel(FixedPoint a, FixedPoint b, FixedPoint h) {
  // Doubled coordinates make the square's sides integers: [2h − 1, 2h + 1).
  const std::int64_t ax = 2 * std::int64_t{a.x}, ay = 2 * std::int64_t{a.y};
  const std::int64_t dx = 2 * (std::int64_t{b.x} - a.x), dy = 2 * (std::int64_t{b.y} - a.y);
  Bound low{0, 1, false}, high{1, 1, false};
  if (!ClipSlab(ax, dx, 2 * std::int64_t{h.x} - 1, 2 * std::int64_t{h.x} + 1, low, high)) return false;
  if (!ClipSlab(ay, dy, 2 * std::int64_t{h.y} - 1, 2 * std::int64_t{h.y} + 1, low, high)) return false;
  const int c = Compare(low, high);
  return c < 0 || (c == 0 && !low.open && !high.open);
}

NodedGraph NodeChords(std::span<const Chord> chords) {
  const Pieces pieces = MergeCollinear(chords);
  const CellGrid grid = MakeGrid(pieces.pieces);
  const HotPixels hot = FindHotPixels(pieces.pieces, grid, BucketPieces(grid, pieces.pieces));
  const CellBuckets hotBuckets = BucketHotPixels(grid, hot.points);
  return MergeFragments(SnapPieces(pieces.pieces, hot, grid, hotBuckets), pieces, hot.points);
}

}  // namespace TesselFixed::Internal
