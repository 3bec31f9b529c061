#include <mavdoc/Builder.h>

namespace MavDoc::Build {

std::shared_ptr<const MavPaint::FlatPaint> Flat(
    std::initializer_list<std::pair<std::string, MavColor::Component>> entries) {
  return Flat(MavColor::MakeSeparationColor(entries));
}

std::shared_ptr<const MavPaint::FlatPaint> Flat(MavColor::Color color) {
  return MavPaint::FlatPaint::Factory(std::move(color), nullptr, nullptr).Get();
}

std::shared_ptr<const MavBlend::Transparency> Blend(MavBlend::BlendMode mode, float alpha) {
  return MavBlend::Transparency::Factory().SetBlendMode(mode).SetFillAlpha(alpha).SetStrokeAlpha(alpha).Get();
}

std::unique_ptr<Path> FilledRectangle(const Vexl::Rectangle& box,
                                      std::shared_ptr<const MavPaint::Paint> paint,
                                      std::shared_ptr<const MavBlend::Transparency> t) {
  auto path = std::make_unique<Path>(Vexl::MakeRectangle(box));
  path->SetFillPaint(std::move(paint));
  path->SetTransparency(std::move(t));
  return path;
}

std::unique_ptr<Path> FilledEllipse(Vexl::Point centre, double rx, double ry,
                                    std::shared_ptr<const MavPaint::Paint> paint,
                                    std::shared_ptr<const MavBlend::Transparency> t) {
  auto path = std::make_unique<Path>(Vexl::MakeEllipse(centre, rx, ry));
  path->SetFillPaint(std::move(paint));
  path->SetTransparency(std::move(t));
  return path;
}

std::unique_ptr<Path> ClipRectangle(const Vexl::Rectangle& box) {
  auto path = std::make_unique<Path>(Vexl::MakeRectangle(box));
  path->SetClippingObject(true);
  return path;
}

std::unique_ptr<Group> TransparencyGroup(std::shared_ptr<const MavBlend::Transparency> t,
                                         bool isolated, bool knockout) {
  auto group = std::make_unique<Group>();
  group->SetTransparency(
      MavBlend::Transparency::Factory(t).SetIsolated(isolated).SetKnockout(knockout).Get());
  return group;
}

std::unique_ptr<Layer> MakeLayer(const std::string& name, bool visible) {
  auto properties = std::make_shared<LayerProperties>(LayerProperties{name, visible});
  return std::make_unique<Layer>(properties, LayerExpression::Of(properties));
}

}  // namespace MavDoc::Build
