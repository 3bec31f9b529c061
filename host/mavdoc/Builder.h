#pragma once
// Short ways to build documents: for tests, examples and file readers.

#include <memory>
#include <string>

#include <mavdoc/Objects.h>

namespace MavDoc::Build {

// A flat paint of named separation values, e.g. Flat({{"Cyan", 0.5f}}).
std::shared_ptr<const MavPaint::FlatPaint> Flat(
    std::initializer_list<std::pair<std::string, MavColor::Component>> entries);
std::shared_ptr<const MavPaint::FlatPaint> Flat(MavColor::Color color);

// A transparency with a blend mode and fill (and stroke) alpha.
std::shared_ptr<const MavBlend::Transparency> Blend(MavBlend::BlendMode mode, float alpha = 1);

// A filled path on a rectangle / an ellipse, with an optional transparency.
std::unique_ptr<Path> FilledRectangle(const Vexl::Rectangle& box,
                                      std::shared_ptr<const MavPaint::Paint> paint,
                                      std::shared_ptr<const MavBlend::Transparency> t = nullptr);
std::unique_ptr<Path> FilledEllipse(Vexl::Point centre, double rx, double ry,
                                    std::shared_ptr<const MavPaint::Paint> paint,
                                    std::shared_ptr<const MavBlend::Transparency> t = nullptr);
// A clipping path on a rectangle.
std::unique_ptr<Path> ClipRectangle(const Vexl::Rectangle& box);

// A group with a transparency (isolated / knockout flags set on it as given).
std::unique_ptr<Group> TransparencyGroup(std::shared_ptr<const MavBlend::Transparency> t,
                                         bool isolated, bool knockout);

// A layer named `name` whose visibility is its own properties' flag.
std::unique_ptr<Layer> MakeLayer(const std::string& name, bool visible = true);

// Adds an object on top of a content or group and returns it typed.
template <class T>
T& Add(Content& content, std::unique_ptr<T> object) {
  T& added = *object;
  content.AddOnTop(std::move(object));
  return added;
}
template <class T>
T& Add(Group& group, std::unique_ptr<T> object) {
  T& added = *object;
  group.AddOnTop(std::move(object));
  return added;
}

}  // namespace MavDoc::Build
