#include <tessel/CurveApprox.h>

#include <algorithm>
#include <cmath>

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

// A power of two at least twice `entries` (and at least 16): open addressing stays short.
std::size_t TableSize(std::size_t entries) {
  std::size_t size = 16;
  while (size < 2 * entries) size *= 2;
  return size;
}

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  return x ^ (x >> 33);
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
  data.nodeVertex_.assign(map.vertices.size(), 0);
  for (std::uint32_t v = 0; v < map.vertices.size(); ++v) {
    if (map.aroundBegin[v + 1] - map.aroundBegin[v] == 2) continue;
    data.nodes_.push_back(PackPoint(map.vertices[v]));
    data.nodeVertex_[v] = 1;
  }
  data.edgeSlots_.assign(TableSize(data.edges_.size()), 0);
  for (std::uint32_t i = 0; i < data.edges_.size(); ++i) {
    const std::uint32_t slot = data.EdgeSlot(data.edges_[i].a, data.edges_[i].b);
    if (data.edgeSlots_[slot] == 0) data.edgeSlots_[slot] = i + 1;
  }
  data.nodeSlots_.assign(TableSize(data.nodes_.size()), 0);
  for (std::uint32_t i = 0; i < data.nodes_.size(); ++i) {
    const std::uint32_t slot = data.NodeSlot(data.nodes_[i]);
    if (data.nodeSlots_[slot] == 0) data.nodeSlots_[slot] = i + 1;
  }
}

// The slot holding the edge (a, b), or the empty slot where it would go.
std::uint32_t TData::EdgeSlot(std::uint64_t a, std::uint64_t b) const {
  const std::size_t mask = edgeSlots_.size() - 1;
  for (std::size_t slot = Mix(a * 0x9E3779B97F4A7C15ull ^ b) & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = edgeSlots_[slot];
    if (entry == 0 || (edges_[entry - 1].a == a && edges_[entry - 1].b == b)) return static_cast<std::uint32_t>(slot);
  }
}

std::uint32_t TData::NodeSlot(std::uint64_t point) const {
  const std::size_t mask = nodeSlots_.size() - 1;
  for (std::size_t slot = Mix(point) & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = nodeSlots_[slot];
    if (entry == 0 || nodes_[entry - 1] == point) return static_cast<std::uint32_t>(slot);
  }
}

std::optional<TData::EdgeSource> TData::FindEdge(Vexl::Point from, Vexl::Point to) const {
  std::uint64_t a = PackPoint(ToFixed(from)), b = PackPoint(ToFixed(to));
  const bool swapped = b < a;
  if (swapped) std::swap(a, b);
  if (edgeSlots_.empty()) return std::nullopt;
  const std::uint32_t entry = edgeSlots_[EdgeSlot(a, b)];
  if (entry == 0) return std::nullopt;
  const EdgeRecord& r = edges_[entry - 1];
  return swapped ? EdgeSource{r.curve, r.tb, r.ta} : EdgeSource{r.curve, r.ta, r.tb};
}

bool TData::IsNode(Vexl::Point vertex) const {
  return !nodeSlots_.empty() && nodeSlots_[NodeSlot(PackPoint(ToFixed(vertex)))] != 0;
}

std::optional<TData::EdgeSource> TData::FindHalfEdge(std::uint32_t halfEdge, Vexl::Point from,
                                                     Vexl::Point to) const {
  const std::size_t edge = halfEdge >> 1;
  if (edge >= edges_.size()) return std::nullopt;
  const EdgeRecord& r = edges_[edge];
  const std::uint64_t a = PackPoint(ToFixed(from)), b = PackPoint(ToFixed(to));
  if (r.a == a && r.b == b) return EdgeSource{r.curve, r.ta, r.tb};
  if (r.a == b && r.b == a) return EdgeSource{r.curve, r.tb, r.ta};
  return std::nullopt;
}

bool TData::IsNodeVertex(std::uint32_t vertex) const {
  return vertex < nodeVertex_.size() && nodeVertex_[vertex];
}

void TData::Prefetch(std::uint32_t halfEdge, std::uint32_t vertex) const {
  if ((halfEdge >> 1) < edges_.size()) {
    // A record may straddle two cache lines.
    const auto* record = reinterpret_cast<const char*>(&edges_[halfEdge >> 1]);
    __builtin_prefetch(record);
    __builtin_prefetch(record + sizeof(EdgeRecord) - 1);
  }
  if (vertex < nodeVertex_.size()) __builtin_prefetch(&nodeVertex_[vertex]);
}

TOutputEngine::TOutputEngine(ADT::TContourEngine& target, const TData& data) : target_(target), data_(data) {
  // Most loops of a busy page have a few dozen points: room for them up front saves a string of
  // reallocations per engine, and an engine is made per outline.
  constexpr std::size_t kTypicalLoop = 64;
  points_.reserve(kTypicalLoop);
  hints_.reserve(kTypicalLoop);
}

void TOutputEngine::NextEdge(std::uint32_t halfEdge, std::uint32_t vertex) {
  pending_ = {halfEdge, vertex};
}

// Appends a point with the hint given for it, if any.
void TOutputEngine::AddPoint(Vexl::Point p) {
  points_.push_back(p);
  hints_.push_back(pending_);
  pending_ = {};
}

void TOutputEngine::MoveTo(Vexl::Point p) {
  Flush();
  points_.clear();
  hints_.clear();
  AddPoint(p);
  open_ = true;
}

// A hint that lands on another point than its own is harmless: FindHalfEdge checks the
// edge's ends, and a mismatch falls back to the look-up by coordinates.
void TOutputEngine::LineTo(Vexl::Point p) {
  if (!open_) MoveTo(points_.empty() ? p : points_.front());
  if (p == points_.back()) {
    pending_ = {};
  } else {
    AddPoint(p);
  }
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
  if (points_.size() > 1 && points_.back() == points_.front()) {
    points_.pop_back();
    hints_.pop_back();
  }
  EmitLoop();
}

// Runs break at nodes and where the next edge does not continue the same curve.
bool TOutputEngine::BreaksBefore(std::size_t i) const {
  const std::size_t n = points_.size();
  return nodes_[i] || !Continues(sources_[(i + n - 1) % n], sources_[i]);
}

// Each point's edge and node flag are found once: by the feeder's hint when it has one (an
// index into the records, in the map's order), else by coordinates (look-ups that miss the
// cache).
void TOutputEngine::EmitLoop() {
  const std::size_t n = points_.size();
  sources_.resize(n);
  nodes_.resize(n);
  // A loop's edge records lie scattered over the map's; most loops are short. Requesting the
  // first records at once, and then each one well ahead, keeps the look-ups from waiting on
  // memory one by one.
  constexpr std::size_t kAhead = 64;
  for (std::size_t i = 0; i < n && i < kAhead; ++i) data_.Prefetch(hints_[i].halfEdge, hints_[i].vertex);
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) data_.Prefetch(hints_[i + kAhead].halfEdge, hints_[i + kAhead].vertex);
    const Vexl::Point from = points_[i], to = points_[(i + 1) % n];
    const Hint hint = hints_[i];
    std::optional<TData::EdgeSource> source;
    if (hint.halfEdge != kNoHint) source = data_.FindHalfEdge(hint.halfEdge, from, to);
    if (source) {
      sources_[i] = *source;
      nodes_[i] = data_.IsNodeVertex(hint.vertex);
    } else {
      sources_[i] = data_.FindEdge(from, to).value_or(TData::EdgeSource{});
      nodes_[i] = data_.IsNode(from);
    }
  }
  std::size_t start = 0;
  while (start < n && !BreaksBefore(start)) ++start;
  if (start == n) start = 0;
  target_.MoveTo(points_[start]);
  for (std::size_t k = 0; k < n;) {
    std::size_t count = 1;
    while (k + count < n && !BreaksBefore((start + k + count) % n)) ++count;
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
