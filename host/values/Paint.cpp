#include <values/Paint.h>

#include <stdexcept>

namespace MavPaint {

bool PaintsEqual(const std::shared_ptr<const Paint>& a, const std::shared_ptr<const Paint>& b) {
  if (a == b) return true;
  return a && b && *a == *b;
}

bool FlatPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const FlatPaint*>(&other);
  return o && color_ == o->color_ && MavColor::operator==(profile_, o->profile_);
}

FlatPaint::Factory::Factory(MavColor::Color color, const MavDoc::Document* /*document*/,
                            const std::shared_ptr<const MavColor::ICCProfile>& profile)
    : paint_(std::make_shared<const FlatPaint>(std::move(color), profile)) {}

bool ShadingCommon::operator==(const ShadingCommon& other) const {
  return FunctionsEqual(function, other.function) && mapping == other.mapping &&
         background == other.background && transformation == other.transformation;
}

AxialShadingPaint::AxialShadingPaint(ShadingCommon common, Vexl::Point start, Vexl::Point end,
                                     std::array<double, 2> domain, std::array<bool, 2> extend)
    : ShadingPaint(std::move(common)), start_(start), end_(end), domain_(domain), extend_(extend) {
  if (!common_.function) throw std::invalid_argument("Axial shading without a function");
}

bool AxialShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const AxialShadingPaint*>(&other);
  return o && common_ == o->common_ && start_ == o->start_ && end_ == o->end_ &&
         domain_ == o->domain_ && extend_ == o->extend_;
}

std::shared_ptr<const ShadingPaint> AxialShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<AxialShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

RadialShadingPaint::RadialShadingPaint(ShadingCommon common, Vexl::Point centre0, double radius0,
                                       Vexl::Point centre1, double radius1,
                                       std::array<double, 2> domain, std::array<bool, 2> extend)
    : ShadingPaint(std::move(common)),
      centre0_(centre0),
      radius0_(radius0),
      centre1_(centre1),
      radius1_(radius1),
      domain_(domain),
      extend_(extend) {
  if (!common_.function) throw std::invalid_argument("Radial shading without a function");
  if (radius0 < 0 || radius1 < 0) throw std::invalid_argument("Radial shading: negative radius");
}

bool RadialShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const RadialShadingPaint*>(&other);
  return o && common_ == o->common_ && centre0_ == o->centre0_ && radius0_ == o->radius0_ &&
         centre1_ == o->centre1_ && radius1_ == o->radius1_ && domain_ == o->domain_ &&
         extend_ == o->extend_;
}

std::shared_ptr<const ShadingPaint> RadialShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<RadialShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

MeshShadingPaint::MeshShadingPaint(int type, ShadingCommon common, std::array<double, 4> domain,
                                   std::vector<Triangle> triangles, std::vector<Patch> patches)
    : ShadingPaint(std::move(common)),
      type_(type),
      domain_(domain),
      triangles_(std::move(triangles)),
      patches_(std::move(patches)) {
  if (type < kFunctionBased || type > kTensor) {
    throw std::invalid_argument("Mesh shading: type must be 4 to 8");
  }
  if (type == kFunctionBased && !common_.function) {
    throw std::invalid_argument("Function-based shading without a function");
  }
  const std::size_t points = type == kCoons ? 12 : 16;
  for (const auto& patch : patches_) {
    if (patch.controlPoints.size() != points) {
      throw std::invalid_argument("Patch mesh: wrong number of control points");
    }
  }
}

bool MeshShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const MeshShadingPaint*>(&other);
  return o && type_ == o->type_ && common_ == o->common_ && domain_ == o->domain_ &&
         triangles_ == o->triangles_ && patches_ == o->patches_;
}

std::shared_ptr<const ShadingPaint> MeshShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<MeshShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

std::shared_ptr<const Paint> Transform(const std::shared_ptr<const Paint>& paint,
                                       const Vexl::Transformation& t) {
  if (const auto* shading = dynamic_cast<const ShadingPaint*>(paint.get())) {
    return shading->Transformed(t);
  }
  return paint;
}

}  // namespace MavPaint
