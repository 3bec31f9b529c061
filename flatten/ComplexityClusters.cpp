#include <flatten/ComplexityClusters.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace Corvel {

namespace {

using Kind = Tessel::Input::TObject::Kind;
constexpr std::uint32_t kNoNode = Tessel::Input::kNone;
// A cubic counts as this many straight segments: the map cuts curves into chords, and a
// curve crosses about as many others as a few lines of its length would.
constexpr double kSegmentsPerCubic = 4;

double ClusterOutlineSegments(const Tessel::Outline& outline) {
  double count = 0;
  for (const auto& subpath : outline.compound->GetSubpaths()) {
    count += 1;  // the closing line
    for (const auto& segment : subpath.GetSegments()) count += segment.IsCubic() ? kSegmentsPerCubic : 1;
  }
  return count;
}

// Union-find over input nodes.
class ClusterSets {
 public:
  explicit ClusterSets(std::size_t size) : parent_(size) {
    std::iota(parent_.begin(), parent_.end(), std::uint32_t{0});
  }
  std::uint32_t Find(std::uint32_t n) {
    while (parent_[n] != n) n = parent_[n] = parent_[parent_[n]];
    return n;
  }
  void Join(std::uint32_t a, std::uint32_t b) {
    a = Find(a), b = Find(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<std::uint32_t> parent_;
};

struct ClusterBox {
  Vexl::Rectangle box;
  std::uint32_t node;
  double segments;
};

// Joins the elements whose boxes overlap and adds the pair costs to `pairCost` (per node, on
// the lower node of each pair). A sweep along x: only boxes still open at a box's left edge
// are compared with it.
void JoinOverlappingClusterBoxes(std::vector<ClusterBox> boxes, ClusterSets& sets, std::vector<double>& pairCost) {
  std::sort(boxes.begin(), boxes.end(),
            [](const ClusterBox& a, const ClusterBox& b) { return a.box.Left() < b.box.Left(); });
  std::vector<const ClusterBox*> open;
  for (const ClusterBox& box : boxes) {
    std::erase_if(open, [&](const ClusterBox* o) { return o->box.Right() < box.box.Left(); });
    for (const ClusterBox* o : open) {
      if (o->box.Top() < box.box.Bottom() || box.box.Top() < o->box.Bottom()) continue;
      sets.Join(o->node, box.node);
      pairCost[std::min(o->node, box.node)] += o->segments * box.segments;
    }
    open.push_back(&box);
  }
}

// Joins what must be flattened together whatever the geometry: everything inside a group
// that has transparency of its own or a soft mask (at any depth), a soft mask's artwork with
// the mask and the mask with its target. Nodes come parents first.
void JoinClusterStructure(const Tessel::Input& input, ClusterSets& sets) {
  const auto& nodes = input.GetNodes();
  std::vector<bool> bound(nodes.size(), false);
  for (std::uint32_t n = 0; n < nodes.size(); ++n) {
    const auto& node = nodes[n];
    const bool parentBound = node.parent != kNoNode && bound[node.parent];
    bound[n] = parentBound || node.kind == Kind::SoftMask || node.group != nullptr ||
               node.softMask != kNoNode;
    if (parentBound) sets.Join(n, node.parent);
    if (node.softMask != kNoNode) sets.Join(n, node.softMask);
  }
}

Vexl::Rectangle ClusterBoxUnion(const Vexl::Rectangle& a, const Vexl::Rectangle& b) {
  if (a.IsNull()) return b;
  if (b.IsNull()) return a;
  const double left = std::min(a.Left(), b.Left()), bottom = std::min(a.Bottom(), b.Bottom());
  return {left, bottom, std::max(a.Right(), b.Right()) - left,
          std::max(a.Top(), b.Top()) - bottom, false};
}

}  // namespace

std::vector<InputCluster> FindInputClusters(const Tessel::Input& input) {
  const auto& nodes = input.GetNodes();
  ClusterSets sets(nodes.size());
  std::vector<double> segments(nodes.size(), 0), pairCost(nodes.size(), 0);
  std::vector<ClusterBox> boxes;
  for (std::uint32_t n = 0; n < nodes.size(); ++n) {
    if (nodes[n].kind != Kind::Element) continue;
    segments[n] = ClusterOutlineSegments(nodes[n].shape);
    const Vexl::Rectangle box = nodes[n].shape.compound->GetBoundingBox();
    if (!box.IsNull()) boxes.push_back({box, n, segments[n]});
  }
  JoinOverlappingClusterBoxes(std::move(boxes), sets, pairCost);
  JoinClusterStructure(input, sets);
  std::vector<std::int64_t> clusterOf(nodes.size(), -1);
  std::vector<InputCluster> clusters;
  for (std::uint32_t n = 0; n < nodes.size(); ++n) {
    if (nodes[n].kind != Kind::Element) continue;
    const std::uint32_t root = sets.Find(n);
    if (clusterOf[root] < 0) {
      clusterOf[root] = static_cast<std::int64_t>(clusters.size());
      clusters.push_back({{}, Vexl::Rectangle::Null(), 0});
    }
    InputCluster& cluster = clusters[static_cast<std::size_t>(clusterOf[root])];
    cluster.elements.push_back(n);
    cluster.bounds = ClusterBoxUnion(cluster.bounds, nodes[n].shape.compound->GetBoundingBox());
    cluster.cost += segments[n] + pairCost[n];
  }
  return clusters;
}

double BalancedBudget(double budget, int balance) {
  if (balance < 0 || balance > 100)
    throw std::invalid_argument("The balance must lie between 0 and 100, not " + std::to_string(balance));
  const double share = balance / 100.0;
  return balance == 0 ? -1 : budget * share * share * share;
}

Tessel::Input InputWithout(const Tessel::Input& input, const std::vector<bool>& removed) {
  const auto& nodes = input.GetNodes();
  // Bottom-up: a group stays when something in it stays; a soft mask when its target stays
  // (targets come after their masks, so they are decided first).
  std::vector<bool> keep(nodes.size(), false);
  for (std::size_t i = nodes.size(); i-- > 0;) {
    const auto& node = nodes[i];
    if (node.kind == Kind::Element) keep[i] = !removed.at(i);
    if (node.kind == Kind::SoftMask) keep[i] = node.maskTarget != kNoNode && keep[node.maskTarget];
    if (keep[i] && node.parent != kNoNode && nodes[node.parent].kind == Kind::Group)
      keep[node.parent] = true;
  }
  Tessel::Input out;
  if (input.GetBounds()) out.SetBounds(*input.GetBounds());
  std::vector<std::uint32_t> open;
  const auto close = [&](std::uint32_t until) {
    while (!open.empty() && open.back() != until) {
      nodes[open.back()].kind == Kind::Group ? out.EndGroup() : out.EndSoftMask();
      open.pop_back();
    }
  };
  for (std::uint32_t i = 0; i < nodes.size(); ++i) {
    if (!keep[i]) continue;
    const auto& node = nodes[i];
    close(node.parent);
    if (node.kind == Kind::Element) {
      out.AddElement(node.element, node.shape, {node.isStroke, node.clips, node.name});
    } else if (node.kind == Kind::Group) {
      out.BeginGroup(node.group, node.clips, node.name);
      open.push_back(i);
    } else {
      out.BeginSoftMask(node.mask, node.name);
      open.push_back(i);
    }
  }
  close(kNoNode);
  out.CheckComplete();
  return out;
}

}  // namespace Corvel
