#include <flatten/SeamPlan.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace Corvel {

namespace {

constexpr std::uint32_t kNoOwner = UINT32_MAX;
// A border pixel is judged at these shares of its area on one side: anti-aliasing blends
// whatever shares the edge leaves, and a plan that is clean at a half can fail at a quarter.
constexpr double kSideShares[] = {0.25, 0.5, 0.75};
// Lighter than both sides by more than this in some ink counts as a seam: the threshold of the
// seam count (8 of 255 steps).
constexpr double kLighterBy = 8.0 / 255;
// A region with more candidate pieces than this tries each alone, all and none, not every set.
constexpr std::size_t kEverySetUpTo = 4;
// Passes over all regions: a choice changes the borders its neighbours are judged by.
constexpr int kPlanPasses = 2;

// The inks of a flat colour by name, or nothing for a colour space without inks (gray, RGB),
// whose blends the plan cannot judge ink by ink.
std::optional<std::vector<std::pair<std::string, float>>> SeamInksOf(const MavColor::Color& colour) {
  const std::size_t process = colour.ProcessCount();
  const bool fourInks = std::holds_alternative<MavColor::FourComponent>(colour.GetColorSpace());
  if (process != 0 && !fourInks) return std::nullopt;
  std::vector<std::pair<std::string, float>> inks;
  const auto& entries = colour.GetEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& name = i < process ? MavColor::ProcessInkNames()[i] : entries[i].name;
    inks.emplace_back(name, entries[i].value);
  }
  return inks;
}

// One paint at a border: a piece, and which sides it covers (1 the first, 2 the second, 3 both).
struct BorderPaint {
  std::uint32_t group;
  int sides;
};

class SeamPlanner {
 public:
  SeamPlanner(const AttributedGraph& graph, const std::vector<RegionGroup>& groups,
              const SamplingContext& sampling, const PieceOrder& order);
  // By group: the regions a flat piece of known inks takes; nothing for the other pieces.
  std::vector<std::optional<std::vector<const TesselFixed::Region*>>> Plan();
  // By group, after Plan: the bands the plan chose, along the borders of each piece's regions.
  std::vector<std::vector<Vexl::Subpath>> Bands();

 private:
  void ReadColours(const std::vector<RegionGroup>& groups, const SamplingContext& sampling);
  void ReadBorders();
  void StartFromNeighbourRule(const std::vector<RegionGroup>& groups, const PieceOrder& order);
  std::vector<std::uint32_t> Candidates(std::uint32_t region) const;
  void ChooseFor(std::uint32_t region);
  bool AllInksKnownAround(std::uint32_t region) const;
  double LighterBorders(std::uint32_t region);
  bool Lighter(std::uint32_t first, std::uint32_t second);
  void CollectPaints(std::uint32_t region, int side, std::uint32_t across);

  std::vector<const TesselFixed::Region*> regions_;  // by region index
  std::vector<std::uint32_t> owner_;                 // by region index
  // By region: each region across and the length of their common borders, millipoints.
  std::vector<std::vector<std::pair<std::uint32_t, double>>> borders_;
  std::size_t inkCount_ = 0;
  std::vector<std::vector<double>> inks_;  // by group; empty when the colour is not known
  std::vector<std::vector<std::uint32_t>> fixed_;    // pieces outside the plan reaching under
  std::vector<std::vector<std::uint32_t>> planned_;  // flat pieces reaching under a region
  std::vector<std::vector<std::uint32_t>> banding_;  // flat pieces banding a region
  std::vector<BorderPaint> paints_;                  // scratch of Lighter
  std::vector<double> weights_;                      // scratch of Lighter
};

SeamPlanner::SeamPlanner(const AttributedGraph& graph, const std::vector<RegionGroup>& groups,
                         const SamplingContext& sampling, const PieceOrder& order) {
  const auto& all = graph.GetTesselGraph()->GetRegions();
  regions_.assign(all.size(), nullptr);
  for (const TesselFixed::Region* region : all) regions_.at(region->GetIndex()) = region;
  owner_.assign(regions_.size(), kNoOwner);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (const auto* region : groups[g].regions) owner_[region->GetIndex()] = std::uint32_t(g);
  }
  ReadColours(groups, sampling);
  ReadBorders();
  StartFromNeighbourRule(groups, order);
}

void SeamPlanner::ReadColours(const std::vector<RegionGroup>& groups,
                              const SamplingContext& sampling) {
  std::unordered_map<std::string, std::size_t> inkIndex;
  std::vector<std::vector<std::pair<std::size_t, float>>> sparse(groups.size());
  std::vector<bool> known(groups.size(), false);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const SampledColor colour = SampleFillColor(sampling, groups[g].fill);
    const auto* list = std::get_if<MavColor::Color>(&colour);
    const auto inks = list ? SeamInksOf(*list) : std::nullopt;
    if (!inks) continue;
    known[g] = true;
    for (const auto& [name, value] : *inks) {
      const auto [it, added] = inkIndex.try_emplace(name, inkIndex.size());
      sparse[g].emplace_back(it->second, value);
    }
  }
  inkCount_ = inkIndex.size();
  inks_.assign(groups.size(), {});
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (!known[g]) continue;
    inks_[g].assign(inkCount_, 0.0);
    for (const auto& [ink, value] : sparse[g]) inks_[g][ink] = value;
  }
}

void SeamPlanner::ReadBorders() {
  borders_.assign(regions_.size(), {});
  for (std::size_t r = 0; r < regions_.size(); ++r) {
    if (!regions_[r]) continue;
    auto& list = borders_[r];
    for (const auto& contour : regions_[r]->GetContours()) {
      for (const auto& border : contour.GetBorders()) {
        const std::uint32_t other = border.GetRightSide()->GetIndex();
        if (other == r) continue;
        double length = 0;
        for (std::size_t i = 1; i < border.NPoints(); ++i) {
          const Vexl::Point a = border.GetPoint(i - 1), b = border.GetPoint(i);
          length += std::hypot(b.x - a.x, b.y - a.y);
        }
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const auto& entry) { return entry.first == other; });
        if (it != list.end()) {
          it->second += length;
        } else {
          list.emplace_back(other, length);
        }
      }
    }
  }
}

// The earliest neighbour rule of ExtendUnderLaterPieces: what rendered pieces do, and where
// the flat pieces' plan starts.
void SeamPlanner::StartFromNeighbourRule(const std::vector<RegionGroup>& groups,
                                         const PieceOrder& order) {
  fixed_.assign(regions_.size(), {});
  planned_.assign(regions_.size(), {});
  banding_.assign(regions_.size(), {});
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto extended = ExtendUnderLaterPieces(groups[g].regions, order.LaterThan(g));
    auto& into = inks_[g].empty() ? fixed_ : planned_;
    for (std::size_t i = groups[g].regions.size(); i < extended.size(); ++i) {
      into[extended[i]->GetIndex()].push_back(std::uint32_t(g));
    }
  }
}

// Flat pieces painted before the region's own piece that own one of its neighbours.
std::vector<std::uint32_t> SeamPlanner::Candidates(std::uint32_t region) const {
  std::vector<std::uint32_t> candidates;
  const std::uint32_t own = owner_[region];
  if (own == kNoOwner) return candidates;
  for (const auto& [other, length] : borders_[region]) {
    const std::uint32_t piece = owner_[other];
    if (piece == kNoOwner || piece <= own || inks_[piece].empty()) continue;
    if (std::find(candidates.begin(), candidates.end(), piece) == candidates.end()) {
      candidates.push_back(piece);
    }
  }
  std::sort(candidates.begin(), candidates.end());
  return candidates;
}

// What the earlier neighbours do with a region: take it whole, or reach it by a band along their
// own border with it.
struct SeamOption {
  std::vector<std::uint32_t> takes, bands;
  // What it adds to the file: a taken region often simplifies the outline; a band is new points.
  std::size_t Weight() const { return takes.size() + 2 * bands.size(); }
};

std::vector<SeamOption> SeamOptionsOf(const std::vector<std::uint32_t>& candidates,
                                      SeamOption current) {
  std::vector<SeamOption> options{std::move(current), {}};
  if (candidates.size() <= kEverySetUpTo) {
    // Each candidate takes the region, bands it or does neither: base 3 digits.
    std::size_t count = 1;
    for (std::size_t i = 0; i < candidates.size(); ++i) count *= 3;
    for (std::size_t code = 1; code < count; ++code) {
      SeamOption option;
      for (std::size_t i = 0, rest = code; i < candidates.size(); ++i, rest /= 3) {
        if (rest % 3 == 1) option.takes.push_back(candidates[i]);
        if (rest % 3 == 2) option.bands.push_back(candidates[i]);
      }
      options.push_back(std::move(option));
    }
  } else {
    for (const std::uint32_t piece : candidates) {
      options.push_back({{piece}, {}});
      options.push_back({{}, {piece}});
    }
    options.push_back({candidates, {}});
    options.push_back({{}, candidates});
  }
  return options;
}

void SeamPlanner::ChooseFor(std::uint32_t region) {
  const auto candidates = Candidates(region);
  if (candidates.empty()) return;
  const auto options = SeamOptionsOf(candidates, {planned_[region], banding_[region]});
  // The current choice wins ties, unless a lighter one does as well where every colour around
  // is known ink by ink (a smaller file); elsewhere the judgement is blind to some colours,
  // and the neighbour rule stays unless something does better.
  const bool judged = AllInksKnownAround(region);
  const auto apply = [&](const SeamOption& option) {
    planned_[region] = option.takes;
    banding_[region] = option.bands;
  };
  std::size_t best = 0;
  apply(options[0]);
  double bestCost = LighterBorders(region);
  for (std::size_t i = 1; i < options.size(); ++i) {
    apply(options[i]);
    const double cost = LighterBorders(region);
    const bool smaller = (judged || best != 0) && options[i].Weight() < options[best].Weight();
    if (cost < bestCost || (cost == bestCost && smaller)) {
      best = i;
      bestCost = cost;
    }
  }
  apply(options[best]);
}

bool SeamPlanner::AllInksKnownAround(std::uint32_t region) const {
  const auto known = [&](std::uint32_t r) {
    return owner_[r] == kNoOwner || !inks_[owner_[r]].empty();
  };
  if (!known(region)) return false;
  return std::all_of(borders_[region].begin(), borders_[region].end(),
                     [&](const auto& entry) { return known(entry.first); });
}

// The length of the region's borders that show lighter than the blend of their two sides.
double SeamPlanner::LighterBorders(std::uint32_t region) {
  double length = 0;
  for (const auto& [other, borderLength] : borders_[region]) {
    if (owner_[other] != owner_[region] && Lighter(region, other)) length += borderLength;
  }
  return length;
}

// The paints over `region` at its border with `across`: a band reaches the region only along its
// piece's own border with it.
void SeamPlanner::CollectPaints(std::uint32_t region, int side, std::uint32_t across) {
  const auto add = [&](std::uint32_t group) {
    if (group == kNoOwner) return;
    for (auto& paint : paints_) {
      if (paint.group == group) {
        paint.sides |= side;
        return;
      }
    }
    paints_.push_back({group, side});
  };
  add(owner_[region]);
  for (const std::uint32_t group : fixed_[region]) add(group);
  for (const std::uint32_t group : planned_[region]) add(group);
  for (const std::uint32_t group : banding_[region]) {
    if (group == owner_[across]) add(group);
  }
}

// Whether a pixel across the border of `first` and `second` comes out lighter than both regions'
// own colours in some ink, at some share of the sides. Each paint blends over what lies under
// it by its share of the pixel: a paint covering both sides hides everything under it. A piece
// of unknown colour must show by its share, as if it were an ink of its own.
bool SeamPlanner::Lighter(std::uint32_t first, std::uint32_t second) {
  paints_.clear();
  CollectPaints(first, 1, second);
  CollectPaints(second, 2, first);
  // Painted first: the highest group index.
  std::sort(paints_.begin(), paints_.end(),
            [](const BorderPaint& a, const BorderPaint& b) { return a.group > b.group; });
  const std::uint32_t own[2] = {owner_[first], owner_[second]};
  for (const double share : kSideShares) {
    weights_.assign(paints_.size(), 0.0);
    for (std::size_t i = 0; i < paints_.size(); ++i) {
      const double cover = paints_[i].sides == 3 ? 1.0 : paints_[i].sides == 1 ? share : 1 - share;
      for (std::size_t j = 0; j < i; ++j) weights_[j] *= 1 - cover;
      weights_[i] = cover;
    }
    const double wanted[2] = {share, 1 - share};
    for (int side = 0; side < 2; ++side) {
      if (own[side] == kNoOwner || !inks_[own[side]].empty()) continue;
      double weight = 0;
      for (std::size_t i = 0; i < paints_.size(); ++i) {
        if (paints_[i].group == own[side]) weight = weights_[i];
      }
      if (wanted[side] - weight > kLighterBy) return true;
    }
    for (std::size_t ink = 0; ink < inkCount_; ++ink) {
      // Lighter than both sides: a side of unknown colour leaves the other to judge by.
      double sides = 1, actual = 0;
      for (int side = 0; side < 2; ++side) {
        if (own[side] == kNoOwner) sides = 0;
        if (own[side] != kNoOwner && !inks_[own[side]].empty())
          sides = std::min(sides, double(inks_[own[side]][ink]));
      }
      for (std::size_t i = 0; i < paints_.size(); ++i) {
        const auto& inks = inks_[paints_[i].group];
        if (!inks.empty()) actual += weights_[i] * inks[ink];
      }
      if (sides - actual > kLighterBy) return true;
    }
  }
  return false;
}

std::vector<std::optional<std::vector<const TesselFixed::Region*>>> SeamPlanner::Plan() {
  for (int pass = 0; pass < kPlanPasses; ++pass) {
    for (std::uint32_t r = 0; r < regions_.size(); ++r) {
      if (regions_[r]) ChooseFor(r);
    }
  }
  std::vector<std::optional<std::vector<const TesselFixed::Region*>>> taken(inks_.size());
  for (std::size_t g = 0; g < inks_.size(); ++g) {
    if (!inks_[g].empty()) taken[g].emplace();
  }
  for (std::uint32_t r = 0; r < regions_.size(); ++r) {
    for (const std::uint32_t group : planned_[r]) taken[group]->push_back(regions_[r]);
  }
  return taken;
}

std::vector<std::vector<Vexl::Subpath>> SeamPlanner::Bands() {
  std::vector<std::vector<Vexl::Subpath>> bands(inks_.size());
  std::vector<const TesselFixed::Border*> along;
  for (std::uint32_t r = 0; r < regions_.size(); ++r) {
    const std::uint32_t piece = owner_[r];
    if (piece == kNoOwner || inks_[piece].empty()) continue;
    for (const auto& [other, length] : borders_[r]) {
      const auto& chosen = banding_[other];
      if (std::find(chosen.begin(), chosen.end(), piece) == chosen.end()) continue;
      along.clear();
      for (const auto& contour : regions_[r]->GetContours()) {
        for (const auto& border : contour.GetBorders()) {
          if (border.GetRightSide()->GetIndex() == other) along.push_back(&border);
        }
      }
      // Regions outside every piece, and those of pieces painted before this one.
      const auto paintedBefore = [&](const TesselFixed::Region* region) {
        const std::uint32_t by = owner_[region->GetIndex()];
        return by != piece && by != owner_[other] && (by == kNoOwner || by > piece);
      };
      auto band = SeamBandAlong(along, *regions_[r], *regions_[other], paintedBefore);
      bands[piece].insert(bands[piece].end(), std::make_move_iterator(band.begin()),
                          std::make_move_iterator(band.end()));
    }
  }
  return bands;
}

}  // namespace

SeamPlan::SeamPlan(const AttributedGraph& graph, const std::vector<RegionGroup>& groups,
                   const SamplingContext& sampling)
    : groups_(groups), order_(graph, groups) {
  SeamPlanner planner(graph, groups, sampling, order_);
  taken_ = planner.Plan();
  bands_ = planner.Bands();
}

SeamReach SeamPlan::Reach(std::size_t group) const {
  SeamReach reach{order_.LaterThan(group), {}, bands_.at(group)};
  const auto& taken = taken_.at(group);
  if (!taken) return reach;
  reach.flatRegions = groups_.at(group).regions;
  reach.flatRegions.insert(reach.flatRegions.end(), taken->begin(), taken->end());
  return reach;
}

}  // namespace Corvel
