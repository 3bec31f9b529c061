#include <tessel/CurveApprox.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include <tessel/CurveApproxInternal.h>

namespace CurveApprox {

namespace {

using TesselFixed::Internal::FixedPoint;
using TesselFixed::Internal::PackPoint;
using TesselFixed::Internal::ToFixed;

// A sub-curve whose control points lie this close to its chord is emitted as a line: its bulge
// is below the grid, and a tiny cubic in a near-tangent sliver could only cross its neighbour.
constexpr double kFlatnessInMillipoints = 1.0 / TesselFixed::Internal::kUnitsPerMillipoint;

double ParameterAt(const TesselFixed::Internal::Chord& chord, FixedPoint p) {
  if (p == chord.a) return chord.t0;
  if (p == chord.b) return chord.t1;
  const double dx = double(chord.b.x) - chord.a.x, dy = double(chord.b.y) - chord.a.y;
  const double s = ((double(p.x) - chord.a.x) * dx + (double(p.y) - chord.a.y) * dy) / (dx * dx + dy * dy);
  return chord.t0 + std::clamp(s, 0.0, 1.0) * (chord.t1 - chord.t0);
}

Vexl::Point Lerp(Vexl::Point a, Vexl::Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// The part of the cubic between parameters lo < hi, by de Casteljau.
std::array<Vexl::Point, 4> SubCurve(const std::array<Vexl::Point, 4>& c, double lo, double hi) {
  std::array<Vexl::Point, 4> left = c;
  if (hi < 1) {
    const Vexl::Point ab = Lerp(c[0], c[1], hi), bc = Lerp(c[1], c[2], hi), cd = Lerp(c[2], c[3], hi);
    const Vexl::Point abc = Lerp(ab, bc, hi), bcd = Lerp(bc, cd, hi);
    left = {c[0], ab, abc, Lerp(abc, bcd, hi)};
  }
  if (lo <= 0) return left;
  const double s = lo / hi;
  const Vexl::Point ab = Lerp(left[0], left[1], s), bc = Lerp(left[1], left[2], s), cd = Lerp(left[2], left[3], s);
  const Vexl::Point abc = Lerp(ab, bc, s), bcd = Lerp(bc, cd, s);
  return {Lerp(abc, bcd, s), bcd, cd, left[3]};
}

double DistanceToLine(Vexl::Point p, Vexl::Point a, Vexl::Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
  if (length == 0) return std::hypot(p.x - a.x, p.y - a.y);
  return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
}

bool Continues(const TData::EdgeSource& a, const TData::EdgeSource& b) {
  return a.curve != TData::kStraight && a.curve == b.curve && a.tTo == b.tFrom &&
         (a.tTo > a.tFrom) == (b.tTo > b.tFrom);
}

}  // namespace

void TDataAccess::Record(TData& data, const TesselFixed::Internal::HalfEdgeMap& map,
                         const TesselFixed::Internal::FlatInput& flat) {
  data.curves_ = flat.curves;
  data.edges_.clear();
  data.nodes_.clear();
  data.edges_.reserve(map.edges.size());
  for (const auto& edge : map.edges) {
    const auto& chord = flat.chords[edge.chord];
    FixedPoint a = map.vertices[edge.from], b = map.vertices[edge.to];
    double ta = ParameterAt(chord, a), tb = ParameterAt(chord, b);
    if (PackPoint(b) < PackPoint(a)) std::swap(a, b), std::swap(ta, tb);
    data.edges_.push_back({PackPoint(a), PackPoint(b), chord.curve, ta, tb});
  }
  std::sort(data.edges_.begin(), data.edges_.end(),
            [](const auto& x, const auto& y) { return std::tie(x.a, x.b) < std::tie(y.a, y.b); });
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    if (map.aroundBegin[v + 1] - map.aroundBegin[v] != 2) data.nodes_.push_back(PackPoint(map.vertices[v]));
  }
  std::sort(data.nodes_.begin(), data.nodes_.end());
}

std::optional<TData::EdgeSource> TData::FindEdge(Vexl::Point from, Vexl::Point to) const {
  std::uint64_t a = PackPoint(ToFixed(from)), b = PackPoint(ToFixed(to));
  const bool swapped = b < a;
  if (swapped) std::swap(a, b);
  const auto it = std::lower_bound(edges_.begin(), edges_.end(), std::make_pair(a, b),
                                   [](const EdgeRecord& r, const std::pair<std::uint64_t, std::uint64_t>& key) {
                                     return std::tie(r.a, r.b) < std::tie(key.first, key.second);
                                   });
  if (it == edges_.end() || it->a != a || it->b != b) return std::nullopt;
  return swapped ? EdgeSource{it->curve, it->tb, it->ta} : EdgeSource{it->curve, it->ta, it->tb};
}

bool TData::IsNode(Vexl::Point vertex) const {
  return std::binary_search(nodes_.begin(), nodes_.end(), PackPoint(ToFixed(vertex)));
}

TOutputEngine::TOutputEngine(ADT::TContourEngine& target, const TData& data) : target_(target), data_(data) {}

void TOutputEngine::MoveTo(Vexl::Point p) {
  Flush();
  points_.assign(1, p);
  open_ = true;
}

void TOutputEngine::LineTo(Vexl::Point p) {
  if (!open_) MoveTo(points_.empty() ? p : points_.front());
  if (!(p == points_.back())) points_.push_back(p);
}

void TOutputEngine::Flush() {
  if (!open_) return;
  open_ = false;
  target_.MoveTo(points_.front());
  for (std::size_t i = 1; i < points_.size(); ++i) target_.LineTo(points_[i]);
}

void TOutputEngine::Close() {
  if (!open_) return;
  open_ = false;
  if (points_.size() > 1 && points_.back() == points_.front()) points_.pop_back();
  EmitLoop();
}

void TOutputEngine::EmitLoop() {
  const std::size_t n = points_.size();
  sources_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    sources_[i] = data_.FindEdge(points_[i], points_[(i + 1) % n]).value_or(TData::EdgeSource{});
  }
  const auto breaksBefore = [&](std::size_t i) {
    return data_.IsNode(points_[i]) || !Continues(sources_[(i + n - 1) % n], sources_[i]);
  };
  std::size_t start = 0;
  while (start < n && !breaksBefore(start)) ++start;
  if (start == n) start = 0;
  target_.MoveTo(points_[start]);
  for (std::size_t k = 0; k < n;) {
    std::size_t count = 1;
    while (k + count < n && !breaksBefore((start + k + count) % n)) ++count;
    EmitRun((start + k) % n, count);
    k += count;
  }
  target_.Close();
}

void TOutputEngine::EmitRun(std::size_t first, std::size_t count) {
  const std::size_t n = points_.size();
  const TData::EdgeSource& head = sources_[first];
  const Vexl::Point end = points_[(first + count) % n];
  if (head.curve == TData::kStraight) {
    for (std::size_t k = 1; k <= count; ++k) target_.LineTo(points_[(first + k) % n]);
    return;
  }
  const Vexl::Point begin = points_[first];
  const double tBegin = head.tFrom, tEnd = sources_[(first + count - 1) % n].tTo;
  const bool forward = tBegin < tEnd;
  std::array<Vexl::Point, 4> piece = SubCurve(data_.GetCurve(head.curve), std::min(tBegin, tEnd), std::max(tBegin, tEnd));
  const Vexl::Point low = forward ? begin : end, high = forward ? end : begin;
  piece[1] = {piece[1].x + low.x - piece[0].x, piece[1].y + low.y - piece[0].y};
  piece[2] = {piece[2].x + high.x - piece[3].x, piece[2].y + high.y - piece[3].y};
  piece[0] = low, piece[3] = high;
  if (count == 1 && DistanceToLine(piece[1], low, high) < kFlatnessInMillipoints &&
      DistanceToLine(piece[2], low, high) < kFlatnessInMillipoints) {
    target_.LineTo(end);
  } else if (forward) {
    target_.CubicTo(piece[1], piece[2], piece[3]);
  } else {
    target_.CubicTo(piece[2], piece[1], piece[0]);
  }
}

}  // namespace CurveApprox
