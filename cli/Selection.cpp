#include <cli/Selection.h>

namespace CorvelCli {

bool IsRepresentable(const MavDoc::ContentObject& object) {
  if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    if (dynamic_cast<const MavDoc::TextGroup*>(group) && group->IsClippingObject()) return false;
    for (const MavDoc::ContentObject& member : group->GetContent().GetChildren()) {
      if (!IsRepresentable(member)) return false;
    }
    return true;
  }
  // Text whose glyphs could not be read (fonts not supported yet) would be deleted without a
  // replacement: it stays in place.
  if (const auto* text = dynamic_cast<const MavDoc::Text*>(&object)) {
    return text->GetRenderingMode() % 4 == 3 || !text->GetGlyphs()->IsEmpty();
  }
  // Paths (filled and stroked), pictures and stencils all enter the planar map.
  return true;
}

std::vector<const MavDoc::ContentObject*> Unrepresentable(const MavDoc::Content& content) {
  std::vector<const MavDoc::ContentObject*> found;
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      if (!(dynamic_cast<const MavDoc::TextGroup*>(group) && group->IsClippingObject())) {
        const auto inner = Unrepresentable(group->GetContent());
        found.insert(found.end(), inner.begin(), inner.end());
        continue;
      }
    }
    if (!IsRepresentable(member)) found.push_back(&member);
  }
  return found;
}

std::size_t CountObjects(const MavDoc::Content& content) {
  std::size_t count = 0;
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    ++count;
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      count += CountObjects(group->GetContent());
    }
  }
  return count;
}

}  // namespace CorvelCli
