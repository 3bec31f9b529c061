#pragma once
// Which objects of a page transparency involves: those that carry transparency themselves
// (constant alpha below 1, a blend mode other than Normal, a soft mask, a picture with a
// coverage channel; a group with any of these, with all its members), and those painted below
// an involved object whose painted area meets it, in turn (see InvolvementRules for overprint):
// the replaced artwork sits where the lowest object of each stack sat, so nothing it covers may
// stay in between. Everything else stays as it is: objects above all transparency, objects
// beside it.
// A group without an effect of its own (whatever its isolated and knockout flags) is not a unit:
// its members are judged one by one, and objects outside it count as below the members they
// lie under.

#include <cstddef>
#include <unordered_set>

#include <mavdoc/Objects.h>

namespace CorvelCli {

struct Involvement {
  // The involved units with every object inside them.
  std::unordered_set<const MavDoc::ContentObject*> objects;
  std::size_t units = 0;        // objects and effect groups judged
  std::size_t transparent = 0;  // units that carry transparency
  std::size_t involved = 0;     // units involved (the transparent ones included)

  bool Contains(const MavDoc::ContentObject& object) const { return objects.contains(&object); }
};

// How overprint widens what transparency involves. With `overprintAbove`, an object that overprints and meets a transparent object below it is
// involved as well, so that its overprint is simulated in the replaced artwork instead of left
// to the output device; objects away from all transparency keep their overprint either way.
struct InvolvementRules {
  bool overprintAbove = true;
};

// Painted areas are compared by their page bounding boxes (strokes included).
Involvement FindInvolved(const MavDoc::Content& page, const InvolvementRules& rules = {});

// Whether any painted object in `object` (itself or a member) overprints.
bool Overprints(const MavDoc::ContentObject& object);

// Whether a transparency changes how its object paints.
bool HasEffect(const MavBlend::Transparency& transparency);

}  // namespace CorvelCli
