#include <cli/OutlineCount.h>

#include <cmath>
#include <string>
#include <unordered_set>

namespace CorvelCli {

namespace {

// The outlines outline view draws for an object, in its own space: a path's or text's
// subpaths, an image's or stencil's frame.
const Vexl::Compound* OutlineOf(const MavDoc::ContentObject& object) {
  static const auto frame = Vexl::MakeRectangle({0, 0, MavDoc::Image::kUnit, MavDoc::Image::kUnit, false});
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) return path->GetOutline().get();
  if (const auto* text = dynamic_cast<const MavDoc::Text*>(&object)) return text->GetGlyphs().get();
  if (dynamic_cast<const MavDoc::Image*>(&object) || dynamic_cast<const MavDoc::ImageMask*>(&object)) {
    return frame.get();
  }
  return nullptr;
}

// A subpath on the page, to the millipoint: outlines drawn over one another look like one.
std::string Key(const Vexl::Subpath& subpath, const Vexl::Transformation& toPage) {
  std::string key;
  auto add = [&](Vexl::Point p) {
    p = toPage.Apply(p);
    key += std::to_string(std::llround(p.x)) + "," + std::to_string(std::llround(p.y)) + ";";
  };
  add(subpath.GetStart());
  for (const auto& segment : subpath.GetSegments()) {
    if (segment.IsCubic()) {
      add(segment.control1);
      add(segment.control2);
    }
    add(segment.end);
  }
  return key;
}

void Count(const MavDoc::Content& content, const Vexl::Transformation& toPage, Drawn& drawn,
           std::unordered_set<std::string>& seen) {
  for (const auto& object : content.GetChildren()) {
    ++drawn.objects;
    const auto* transformable = dynamic_cast<const MavDoc::Transformable*>(&object);
    const Vexl::Transformation t = transformable ? transformable->GetTransformation() * toPage : toPage;
    if (const Vexl::Compound* outline = OutlineOf(object)) {
      for (const auto& subpath : outline->GetSubpaths()) {
        ++drawn.subpaths;
        if (seen.insert(Key(subpath, t)).second) ++drawn.distinctSubpaths;
      }
    }
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) Count(group->GetContent(), t, drawn, seen);
  }
}

}  // namespace

Drawn CountDrawn(const MavDoc::Content& content) {
  Drawn drawn;
  std::unordered_set<std::string> seen;
  Count(content, Vexl::Transformation::Identity(), drawn, seen);
  return drawn;
}

}  // namespace CorvelCli
