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
    units.push_back({&member, box, transparent});
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

Involvement FindInvolved(const MavDoc::Content& page) {
  std::vector<Unit> units;
  CollectUnits(page, units);
  Involvement involvement;
  involvement.units = units.size();
  // The transparent units, each with its place in paint order.
  bg::index::rtree<std::pair<Box, std::size_t>, bg::index::rstar<16>> transparent;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i].transparent) transparent.insert({ToBox(units[i].box), i});
  }
  involvement.transparent = transparent.size();
  for (std::size_t i = 0; i < units.size(); ++i) {
    bool involved = units[i].transparent;
    if (!involved && !transparent.empty()) {
      const auto above = [i](const std::pair<Box, std::size_t>& entry) { return entry.second > i; };
      auto hit = transparent.qbegin(bg::index::intersects(ToBox(units[i].box)) &&
                                    bg::index::satisfies(above));
      involved = hit != transparent.qend();
    }
    if (!involved) continue;
    ++involvement.involved;
    AddWithMembers(*units[i].object, involvement);
  }
  return involvement;
}

}  // namespace CorvelCli
