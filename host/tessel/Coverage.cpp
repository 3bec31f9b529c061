#include <tessel/CoverageInternal.h>

#include <algorithm>
#include <span>

namespace TesselFixed::Internal {

namespace {

using Kind = Tessel::Input::TObject::Kind;

// Hash-consing of coverage keys kept in one pool: no allocation per key, O(1) identity later.
class KeyInterner {
 public:
  KeyInterner() : slots_(1024, kNone) {}
  // The id of the key, new ids counting up from 0.
  std::uint32_t Intern(std::span<const std::uint32_t> key) {
    if (2 * (begin_.size() - 1) >= slots_.size()) Grow();
    const std::uint64_t hash = Hash(key);
    for (std::size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
      const std::uint32_t id = slots_[slot];
      if (id == kNone) {
        slots_[slot] = static_cast<std::uint32_t>(begin_.size() - 1);
        hashes_.push_back(hash);
        pool_.insert(pool_.end(), key.begin(), key.end());
        begin_.push_back(static_cast<std::uint32_t>(pool_.size()));
        return slots_[slot];
      }
      if (hashes_[id] == hash && std::equal(key.begin(), key.end(), pool_.begin() + begin_[id], pool_.begin() + begin_[id + 1])) {
        return id;
      }
    }
  }

 private:
  static std::uint64_t Hash(std::span<const std::uint32_t> key) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t v : key) h = (h ^ v) * 1099511628211ull;
    return h ^ (h >> 29);
  }
  void Grow() {
    std::vector<std::uint32_t> slots(slots_.size() * 2, kNone);
    for (std::uint32_t id = 0; id + 1 < begin_.size(); ++id) {
      std::size_t slot = hashes_[id] & (slots.size() - 1);
      while (slots[slot] != kNone) slot = (slot + 1) & (slots.size() - 1);
      slots[slot] = id;
    }
    slots_ = std::move(slots);
  }
  std::vector<std::uint32_t> slots_;
  std::vector<std::uint64_t> hashes_;
  std::vector<std::uint32_t> pool_;
  std::vector<std::uint32_t> begin_{0};
};

// W(right of h) = W(left of h) − delta(h), merged by shape.
void CrossEdge(std::span<const ShapeWinding> from, std::span<const ShapeDelta> deltas, std::int32_t sign,
               std::vector<ShapeWinding>& out) {
  std::size_t i = 0, j = 0;
  while (i < from.size() || j < deltas.size()) {
    if (j == deltas.size() || (i < from.size() && from[i].shape < deltas[j].shape)) {
      out.push_back(from[i++]);
    } else if (i == from.size() || deltas[j].shape < from[i].shape) {
      out.push_back({deltas[j].shape, -sign * deltas[j].delta});
      ++j;
    } else {
      const std::int32_t w = from[i].winding - sign * deltas[j].delta;
      if (w != 0) out.push_back({from[i].shape, w});
      ++i, ++j;
    }
  }
}

void ComputeWindings(const HalfEdgeMap& map, Coverage& coverage) {
  const std::uint32_t faceCount = map.FaceCount();
  std::vector<std::uint32_t> begin(faceCount, kNone), end(faceCount, 0);
  std::vector<ShapeWinding> pool;
  std::vector<std::uint32_t> queue{0};
  begin[0] = end[0] = 0;
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::uint32_t f = queue[q];
    for (std::uint32_t k = map.faceCycleBegin[f]; k < map.faceCycleBegin[f + 1]; ++k) {
      const std::uint32_t first = map.cycleFirst[map.faceCycles[k]];
      std::uint32_t h = first;
      do {
        const std::uint32_t g = map.Face(HalfEdgeMap::Twin(h));
        if (begin[g] == kNone) {
          const NodedEdge& edge = map.edges[h >> 1];
          // Reserved first, so that the source range stays valid while the pool grows.
          const std::size_t need = pool.size() + (end[f] - begin[f]) + (edge.deltaEnd - edge.deltaBegin);
          if (pool.capacity() < need) pool.reserve(2 * need);
          begin[g] = static_cast<std::uint32_t>(pool.size());
          CrossEdge(std::span(pool).subspan(begin[f], end[f] - begin[f]),
                    std::span(map.deltas).subspan(edge.deltaBegin, edge.deltaEnd - edge.deltaBegin), map.Sign(h), pool);
          end[g] = static_cast<std::uint32_t>(pool.size());
          queue.push_back(g);
        }
        h = map.next[h];
      } while (h != first);
    }
  }
  // Store compactly in face order.
  coverage.windingBegin.assign(faceCount + 1, 0);
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    coverage.windingBegin[f + 1] = coverage.windingBegin[f] + (end[f] - begin[f]);
    coverage.windings.insert(coverage.windings.end(), pool.begin() + begin[f], pool.begin() + end[f]);
  }
}

bool Covered(Vexl::FillRule rule, std::int32_t winding) {
  return rule == Vexl::FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
}

class PresenceFinder {
 public:
  PresenceFinder(const FlatInput& flat, const Tessel::Input& input)
      : flat_(flat), nodes_(input.GetNodes()), stamp_(input.GetNodes().size(), 0) {}

  // Writes [inside bounds, present elements...] for one face.
  void Find(std::span<const ShapeWinding> windings, std::vector<std::uint32_t>& key);

 private:
  bool ShapeCovered(std::span<const ShapeWinding> windings, std::uint32_t shape) const {
    const auto it = std::lower_bound(windings.begin(), windings.end(), shape,
                                     [](const ShapeWinding& w, std::uint32_t s) { return w.shape < s; });
    return it != windings.end() && it->shape == shape && Covered(flat_.shapeRules[shape], it->winding);
  }

  const FlatInput& flat_;
  const std::vector<Tessel::Input::Node>& nodes_;
  std::vector<std::uint32_t> stamp_;  // == current_ when the node is present in this face
  std::uint32_t current_ = 0;
  std::vector<std::uint32_t> candidates_;
};

void PresenceFinder::Find(std::span<const ShapeWinding> windings, std::vector<std::uint32_t>& key) {
  key.clear();
  const bool inside = flat_.boundsShape == kNone || ShapeCovered(windings, flat_.boundsShape);
  key.push_back(inside ? 1 : 0);
  if (!inside) return;
  candidates_.clear();
  for (const ShapeWinding& w : windings) {
    const std::uint32_t e = flat_.elementOfShape[w.shape];
    if (e == kNone || !Covered(flat_.shapeRules[w.shape], w.winding)) continue;
    const auto& clips = flat_.elements[e].clips;
    if (std::all_of(clips.begin(), clips.end(), [&](std::uint32_t c) { return ShapeCovered(windings, c); })) {
      candidates_.push_back(e);
    }
  }
  // Top down, so that a soft mask's target is decided before the mask's artwork.
  ++current_;
  const std::size_t first = key.size();
  for (auto it = candidates_.rbegin(); it != candidates_.rend(); ++it) {
    const FlatElement& element = flat_.elements[*it];
    if (element.maskTarget != kNone && stamp_[element.maskTarget] != current_) continue;
    key.push_back(element.node);
    stamp_[element.node] = current_;
    for (std::uint32_t n = nodes_[element.node].parent; n != kNone && nodes_[n].kind == Kind::Group;
         n = nodes_[n].parent) {
      stamp_[n] = current_;
    }
  }
  std::reverse(key.begin() + static_cast<std::ptrdiff_t>(first), key.end());
}

}  // namespace

Coverage ComputeCoverage(const HalfEdgeMap& map, const FlatInput& flat, const Tessel::Input& input) {
  Coverage coverage;
  ComputeWindings(map, coverage);
  PresenceFinder finder(flat, input);
  KeyInterner keys;
  std::vector<std::uint32_t> key;
  const std::uint32_t faceCount = map.FaceCount();
  coverage.faceKey.resize(faceCount);
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    const std::span<const ShapeWinding> windings(coverage.windings.data() + coverage.windingBegin[f],
                                                 coverage.windingBegin[f + 1] - coverage.windingBegin[f]);
    finder.Find(windings, key);
    const std::uint32_t id = keys.Intern(key);
    coverage.faceKey[f] = id;
    if (id < coverage.keyFill.size()) continue;
    // Keys differ by their element lists, or only by the bounds flag when no element covers:
    // every key with elements is a fill of its own, and fill 0 is the empty one.
    if (key.size() == 1) {
      coverage.keyFill.push_back(0);
      continue;
    }
    coverage.keyFill.push_back(static_cast<std::uint32_t>(coverage.FillCount()));
    coverage.fillElements.insert(coverage.fillElements.end(), key.begin() + 1, key.end());
    coverage.fillBegin.push_back(static_cast<std::uint32_t>(coverage.fillElements.size()));
  }
  return coverage;
}

}  // namespace TesselFixed::Internal
