#include <cli/Involvement.h>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <vector>

#include <mavdoc/Placement.h>

namespace CorvelCli {

namespace {

namespace bg = boost::geometry;
using BoxPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<BoxPoint>;

struct Unit {
  const MavDoc::ContentObject* object;
  Vexl::Rectangle box;
  bool transparent;
  bool overprints;
};

bool CarriesTransparency(const MavDoc::ContentObject& object) {
  // A picture with a coverage channel of its own composites like a soft mask.
  if (const auto* image = dynamic_cast<const MavDoc::Image*>(&object);
      image && image->GetPaintedPicture()->HasAlpha())
    return true;
  const auto* blendable = dynamic_cast<const MavDoc::Blendable*>(&object);
  return blendable && HasEffect(*blendable->GetTransparency());
}

// Units bottom to top.
void CollectUnits(const MavDoc::Content& content, std::vector<Unit>& units) {
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (member.IsClippingObject()) continue;
    const bool transparent = CarriesTransparency(member);
    const auto* group = dynamic_cast<const MavDoc::Group*>(&member);
    if (group && !transparent) {
      CollectUnits(group->GetContent(), units);
      continue;
    }
    const auto box = MavDoc::GetBoundingBox(member, MavDoc::kStrokes | MavDoc::kPageCoordinates);
    if (box.IsNull()) continue;  // paints nothing
    units.push_back({&member, box, transparent, Overprints(member)});
  }
}

Box ToBox(const Vexl::Rectangle& r) {
  return {{r.Left(), r.Bottom()}, {r.Right(), r.Top()}};
}

void AddWithMembers(const MavDoc::ContentObject& object, Involvement& involvement) {
  involvement.objects.insert(&object);
  if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    for (const MavDoc::ContentObject& member : group->GetContent().GetChildren())
      AddWithMembers(member, involvement);
  }
}

}  // namespace

bool HasEffect(const MavBlend::Transparency& transparency) {
  return transparency.GetFillAlpha() < 1 || transparency.GetStrokeAlpha() < 1 ||
         transparency.GetBlendMode() != MavBlend::BlendMode::Normal ||
         transparency.GetSoftMask() != nullptr;
}

bool Overprints(const MavDoc::ContentObject& object) {
  if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    for (const MavDoc::ContentObject& member : group->GetContent().GetChildren()) {
      if (!member.IsClippingObject() && Overprints(member)) return true;
    }
    return false;
  }
  const auto* painted = dynamic_cast<const MavDoc::Blendable*>(&object);
  return painted && painted->GetOverprint().Any();
}

// Units become involved one at a time; each newly involved unit may involve others (what it
// shows through, what overprints it), so every unit is queued at most once.
Involvement FindInvolved(const MavDoc::Content& page, const InvolvementRules& rules) {
  std::vector<Unit> units;
  CollectUnits(page, units);
  Involvement involvement;
  involvement.units = units.size();
  bg::index::rtree<std::pair<Box, std::size_t>, bg::index::rstar<16>> all;
  std::vector<std::size_t> queue;
  std::vector<bool> involved(units.size(), false);
  for (std::size_t i = 0; i < units.size(); ++i) {
    all.insert({ToBox(units[i].box), i});
    if (!units[i].transparent) continue;
    ++involvement.transparent;
    involved[i] = true;
    queue.push_back(i);
  }
  const auto involve = [&](std::size_t i) {
    if (involved[i]) return;
    involved[i] = true;
    queue.push_back(i);
  };
  while (!queue.empty()) {
    const std::size_t u = queue.back();
    queue.pop_back();
    const Unit& unit = units[u];
    const Box box = ToBox(unit.box);
    // What lies below an involved unit and meets it is involved too, opaque units included: the
    // replaced artwork takes the place of its stack's lowest object, so an object left between
    // would end up painted over what covered it.
    for (auto it = all.qbegin(bg::index::intersects(box) &&
                              bg::index::satisfies([u](const auto& e) { return e.second < u; }));
         it != all.qend(); ++it)
      involve(it->second);
    if (rules.overprintAbove && unit.transparent) {
      const auto overprintsAbove = [u, &units](const auto& e) {
        return e.second > u && units[e.second].overprints;
      };
      for (auto it = all.qbegin(bg::index::intersects(box) && bg::index::satisfies(overprintsAbove));
           it != all.qend(); ++it)
        involve(it->second);
    }
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (!involved[i]) continue;
    ++involvement.involved;
    AddWithMembers(*units[i].object, involvement);
  }
  return involvement;
}

}  // namespace CorvelCli
