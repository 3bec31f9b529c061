#include <outline/RegionsPerFill.h>

#include <algorithm>
#include <set>

#include <flatten/FillProperties.h>
#include <outline/AttributeComparison.h>
#include <tessel/CurveApprox.h>
#include <tessel/Envelope.h>

namespace Corvel {

namespace {

using Region = TesselFixed::Region;

// Calls `visit(neighbour, onHole)` for the region across every border of `region`.
template <class Visit>
void ForEachNeighbour(const Region& region, Visit visit) {
  bool hole = false;
  for (const auto& contour : region.GetContours()) {
    for (TesselFixed::RegionBorderIterator it(contour, 0), end(contour, 1); it != end; ++it) {
      visit(TesselFixed::GetRightSide(it), hole);
    }
    hole = true;
  }
}

class Grouper {
 public:
  Grouper(const MavDoc::Content& content, const DocumentGraph::GraphBase& graph)
      : context_(MakeSamplingContext(content, false, std::nullopt)),
        graph_(graph),
        regions_(graph.GetTesselGraph()->GetRegions()),
        curves_(compounds_, graph.GetCurveData()) {}

  std::vector<RegionResult> Run() {
    std::size_t i = 0;
    while (i < regions_.size() && regions_[i]->GetFill()->NElements() == 0) visited_.insert(regions_[i++]);
    for (; i < regions_.size(); ++i) {
      if (visited_.count(regions_[i])) continue;
      position_ = i;
      Grow(i);
    }
    std::stable_sort(results_.begin(), results_.end(), [](const auto& a, const auto& b) {
      return a.fill->GetNumber() > b.fill->GetNumber();
    });
    return std::move(results_);
  }

 private:
  // Marks and pushes every region of `fill` from index `from` on, while the fill stays.
  void PushFill(std::size_t from) {
    const Tessel::TFill* fill = regions_[from]->GetFill();
    for (std::size_t j = from; j < regions_.size() && regions_[j]->GetFill() == fill; ++j) {
      if (visited_.insert(regions_[j]).second) stack_.push_back(regions_[j]);
    }
  }

  std::size_t FirstOfFill(const Tessel::TFill* fill) const {
    const auto it = std::lower_bound(
        regions_.begin() + static_cast<std::ptrdiff_t>(position_), regions_.end(), fill->GetNumber(),
        [](const Region* r, int number) { return r->GetFill()->GetNumber() < number; });
    return static_cast<std::size_t>(it - regions_.begin());
  }

  void Grow(std::size_t seedIndex) {
    RegionEntry seed{regions_[seedIndex], AppearanceOfFill(context_, regions_[seedIndex]->GetFill())};
    PushFill(seedIndex);
    std::vector<const Region*> group, holes;
    while (!stack_.empty()) {
      const Region* q = stack_.back();
      stack_.pop_back();
      group.push_back(q);
      ForEachNeighbour(*q, [&](const Region* n, bool onHole) {
        if (visited_.count(n)) return;
        RegionEntry entry{n, {}};
        if (RegionsMatch(context_, seed, entry)) {
          PushFill(FirstOfFill(n->GetFill()));
        } else if (onHole && std::find(holes.begin(), holes.end(), n) == holes.end() &&
                   CoversOpaquely(*n->GetFill())) {
          holes.push_back(n);
        }
      });
    }
    const Region* top = *std::max_element(group.begin(), group.end(), [](const Region* a, const Region* b) {
      return a->GetFill()->GetNumber() < b->GetFill()->GetNumber();
    });
    FillHoles(seed, top->GetFill()->GetNumber(), holes, group);
    results_.push_back({Outline(group), top->GetFill(), seed.colour});
  }

  void FillHoles(RegionEntry& seed, int topNumber, std::vector<const Region*> holes,
                 std::vector<const Region*>& group) {
    std::erase_if(holes, [&](const Region* r) { return r->GetFill()->GetNumber() < topNumber; });
    std::set<const Region*> candidates(holes.begin(), holes.end());
    while (!holes.empty()) {
      const Region* c = holes.back();
      holes.pop_back();
      group.push_back(c);
      ForEachNeighbour(*c, [&](const Region* m, bool) {
        if (candidates.count(m) || m->GetFill()->GetNumber() <= topNumber) return;
        RegionEntry entry{m, {}};
        if (RegionsMatch(context_, seed, entry) || !CoversOpaquely(*m->GetFill())) return;
        candidates.insert(m);
        holes.push_back(m);
      });
    }
  }

  std::shared_ptr<const Vexl::Compound> Outline(std::vector<const Region*>& group) {
    if (group.size() == 1) {
      TesselFixed::FeedToEngine(*group.front(), curves_, true);
    } else {
      const auto envelope = TesselFixed::Envelope::Create(
          graph_.GetTesselGraph(), std::span<const Region* const>(group));
      TesselFixed::FeedToEngine(envelope, curves_, true);
    }
    return compounds_.GetResult();
  }

  SamplingContext context_;
  const DocumentGraph::GraphBase& graph_;
  std::vector<const Region*> regions_;
  std::set<const Region*> visited_;
  std::vector<const Region*> stack_;
  std::size_t position_ = 0;
  Vexl::CompoundEngine compounds_;
  CurveApprox::TOutputEngine curves_;
  std::vector<RegionResult> results_;
};

}  // namespace

SampledColor AppearanceOfFill(const SamplingContext& context, const Tessel::TFill* fill) {
  if (fill->NElements() >= 2) return SampleFillColor(context, fill);
  return NotFlat{};
}

bool RegionsMatch(const SamplingContext& context, RegionEntry& a, RegionEntry& b) {
  const bool unsampled = std::holds_alternative<std::monostate>(a.colour) ||
                         std::holds_alternative<std::monostate>(b.colour);
  if (unsampled) {
    if (SameComponentTree(a.region->GetFill()->GetTopGroup(), b.region->GetFill()->GetTopGroup())) {
      return true;
    }
    for (RegionEntry* e : {&a, &b}) {
      if (std::holds_alternative<std::monostate>(e->colour)) {
        e->colour = AppearanceOfFill(context, e->region->GetFill());
      }
    }
  }
  const auto* ca = std::get_if<MavColor::Color>(&a.colour);
  const auto* cb = std::get_if<MavColor::Color>(&b.colour);
  if (!ca || !cb) return false;
  const auto ha = GetFillHalftoneSet(a.region->GetFill());
  const auto hb = GetFillHalftoneSet(b.region->GetFill());
  return ha && hb && SameColor(*ca, *cb) && *ha == *hb;
}

bool CoversOpaquely(const Tessel::TFill& fill) {
  if (fill.NElements() == 0) return false;
  if (fill.NElements() == 1 || fill.IsOpaque()) return fill.IsOpaque();
  return IsFlatFill(fill) && GetFillHalftoneSet(&fill).has_value();
}

std::vector<RegionResult> GetRegionsPerFill(const MavDoc::Content& content,
                                            const DocumentGraph::GraphBase& graph) {
  return Grouper(content, graph).Run();
}

}  // namespace Corvel
