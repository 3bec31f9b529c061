#include <flatten/RegionOutlines.h>

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <map>

#include <tessel/CurveApprox.h>
#include <tessel/Envelope.h>
#include <vexl/ContourEngine.h>

namespace Corvel {

namespace {

// Positions of element attributes in drawing order (the container's element list), from 1; the
// first position of an attribute listed twice stays. A hash table with open addressing: the
// stack order looks up two positions at every step of every map search, and chained buckets
// cost a division and two dependent loads per look-up.
class AttributeOrder {
 public:
  explicit AttributeOrder(const AttributedGraph& graph) {
    const auto& elements = graph.GetAttributes().elements;
    std::size_t size = 16;
    while (size < 2 * elements.size()) size *= 2;
    slots_.resize(size);
    shift_ = 64 - std::countr_zero(size);
    for (std::size_t i = 0; i < elements.size(); ++i) {
      Slot& slot = slots_[SlotOf(elements[i].get())];
      if (!slot.attribute) slot = {elements[i].get(), i + 1};
    }
  }

  // Throws std::out_of_range for an attribute the container does not list.
  std::size_t At(const Tessel::TElementAttribute* attribute) const {
    const Slot& slot = slots_[SlotOf(attribute)];
    if (!slot.attribute) throw std::out_of_range("Element attribute not in the graph's container");
    return slot.position;
  }

 private:
  struct Slot {
    const Tessel::TElementAttribute* attribute = nullptr;
    std::size_t position = 0;
  };

  // The attribute's slot, or the empty slot where it would go (Fibonacci hashing).
  std::size_t SlotOf(const Tessel::TElementAttribute* attribute) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = (reinterpret_cast<std::uintptr_t>(attribute) * 0x9E3779B97F4A7C15ull) >> shift_;
    while (slots_[i].attribute && slots_[i].attribute != attribute) i = (i + 1) & mask;
    return i;
  }

  std::vector<Slot> slots_;
  int shift_ = 0;
};

// Lexicographic order of fills by their element stacks, compared by drawing position at the
// first attribute that differs; a stack that runs out first is less.
// The order is shared: std::map hands out copies of its comparator on every lookup.
class StackLess {
 public:
  explicit StackLess(AttributeOrder order)
      : order_(std::make_shared<const AttributeOrder>(std::move(order))) {}

  bool operator()(const Tessel::TFill* a, const Tessel::TFill* b) const {
    const int na = a->NElements(), nb = b->NElements();
    for (int i = 0; i < na && i < nb; ++i) {
      const auto* x = a->GetElement(i).Attribute();
      const auto* y = b->GetElement(i).Attribute();
      if (x != y) return order_->At(x) < order_->At(y);
    }
    return na < nb;
  }

 private:
  std::shared_ptr<const AttributeOrder> order_;
};

std::shared_ptr<const Vexl::Compound> Outline(const DocumentGraph::GraphBase& graph,
                                              const auto& feed) {
  Vexl::CompoundEngine compounds;
  CurveApprox::TOutputEngine curves(compounds, graph.GetCurveData());
  feed(curves);
  return compounds.GetResult();
}

}  // namespace

std::vector<RegionGroup> GroupRegionsByStack(const AttributedGraph& graph) {
  std::map<const Tessel::TFill*, std::vector<const TesselFixed::Region*>, StackLess> stacks(
      StackLess{AttributeOrder(graph)});
  for (const TesselFixed::Region* region : graph.GetTesselGraph()->GetRegions()) {
    const Tessel::TFill* fill = region->GetFill();
    if (fill->NElements() <= 0) continue;
    stacks[fill].push_back(region);  // an equivalent key already present keeps its fill
  }
  std::vector<RegionGroup> groups;
  groups.reserve(stacks.size());
  for (auto it = stacks.rbegin(); it != stacks.rend(); ++it) {
    groups.push_back({it->first, std::move(it->second)});
  }
  return groups;
}

std::shared_ptr<const Vexl::Compound> MakeCompound(
    const DocumentGraph::GraphBase& graph, const std::vector<const TesselFixed::Region*>& regions) {
  if (regions.size() == 1) return MakeRegionCompound(graph, regions.front());
  return Outline(graph, [&](ADT::TVectorContourEngine& engine) {
    // The member-list envelope walks only the members' borders, not the whole map: a page has
    // many small groups.
    const auto envelope = TesselFixed::Envelope::Create(
        graph.GetTesselGraph(), std::span<const TesselFixed::Region* const>(regions));
    TesselFixed::FeedToEngine(envelope, engine, true);
  });
}

std::shared_ptr<const Vexl::Compound> MakeRegionCompound(const DocumentGraph::GraphBase& graph,
                                                         const TesselFixed::Region* region) {
  return Outline(graph, [&](ADT::TVectorContourEngine& engine) {
    TesselFixed::FeedToEngine(*region, engine, true);
  });
}

}  // namespace Corvel
