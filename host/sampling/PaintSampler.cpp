#include <sampling/PaintSampler.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <sampling/MeshSamplerInternal.h>
#include <values/Conversion.h>

namespace Sampling {

MavColor::Color ConvertedValues(const MavPaint::SeparationMapping& mapping,
                                const std::vector<float>& outputs) {
  MavColor::Color color;
  if (std::holds_alternative<MavColor::AllSeparations>(mapping.GetColorSpace())) {
    color.SetColorSpace(MavColor::AllSeparations{});
  }
  for (const auto& entry : mapping.GetEntries()) {
    const float value = entry.IsMapped() && entry.channel < outputs.size() ? outputs[entry.channel] : 0;
    color.Append({entry.name, value});
  }
  return color;
}

namespace {

// Shadings are looked up in a table of this many steps along t: finer than 8-bit output can
// show over any ramp.
constexpr std::size_t kTableSize = 1024;

double Dot(Vexl::Point a, Vexl::Point b) { return a.x * b.x + a.y * b.y; }
Vexl::Point Minus(Vexl::Point a, Vexl::Point b) { return {a.x - b.x, a.y - b.y}; }

// The ramp of a one-input shading, tabulated over its domain in a composite space.
struct Ramp {
  std::vector<float> table;  // kTableSize × channels
  std::vector<float> background;
  bool hasBackground = false;
  std::array<double, 2> domain{0, 1};
  std::size_t channels = 0;
};

Ramp MakeRamp(const MavPaint::ShadingPaint& shading, std::array<double, 2> domain,
              const Projector& projector, std::optional<MavColor::RenderingIntent> intent) {
  Ramp ramp;
  ramp.domain = domain;
  ramp.channels = projector.Size();
  const auto mapping = shading.GetConvertedSeparationMapping(nullptr);
  const auto function = shading.GetConvertedFunction(nullptr, intent);
  // A gray or RGB shading inside a mask group of such a space is read in its own values.
  const auto& own = shading.GetSeparationMapping();
  const bool direct = own.Size() == own.ProcessCount() && shading.GetFunction() &&
                      projector.GetKind() != Projector::Kind::Separations;
  auto project = [&](const std::vector<float>& ownValues, const std::vector<float>& converted,
                     float* tints) {
    if (!direct || !projector.ProjectDirect(own.GetColorSpace(), ownValues, tints))
      projector.Project(ConvertedValues(mapping, converted), tints);
  };
  ramp.table.resize(kTableSize * ramp.channels);
  for (std::size_t i = 0; i < kTableSize; ++i) {
    const double t = domain[0] + (domain[1] - domain[0]) * double(i) / double(kTableSize - 1);
    project(direct ? shading.GetFunction()->Evaluate({t}) : std::vector<float>{},
            function->Evaluate({t}), &ramp.table[i * ramp.channels]);
  }
  if (const auto background = shading.GetConvertedBackground(nullptr, intent)) {
    ramp.hasBackground = true;
    ramp.background.resize(ramp.channels);
    project(shading.GetBackground().value_or(std::vector<float>{}), *background, ramp.background.data());
  }
  return ramp;
}

// Samplers of axial and radial shadings: a parameter s per point (NaN where the shading
// paints nothing), looked up in the ramp; nothing outside the shading's box.
class RampSampler : public PaintSampler {
 public:
  RampSampler(Ramp ramp, const Vexl::Transformation& pageToShading, const Vexl::Rectangle& box)
      : PaintSampler(ramp.channels), ramp_(std::move(ramp)), pageToShading_(pageToShading), box_(box) {}

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    const Vexl::Point p0 = pageToShading_.Apply(start);
    const Vexl::Point d = pageToShading_.ApplyLinear(step);
    for (std::size_t i = 0; i < width; ++i) {
      const Vexl::Point p{p0.x + d.x * double(i), p0.y + d.y * double(i)};
      const bool boxed = box_.IsNull() || box_.Contains(p);
      const double s = boxed ? Parameter(p) : std::nan("");
      const float* values = nullptr;
      if (!std::isnan(s)) {
        const auto index = static_cast<std::size_t>(std::lround(std::clamp(s, 0.0, 1.0) * (kTableSize - 1)));
        values = &ramp_.table[index * ramp_.channels];
      } else if (boxed && ramp_.hasBackground) {
        values = ramp_.background.data();
      }
      shape[i] = values ? 1.0f : 0.0f;
      for (std::size_t c = 0; c < ramp_.channels; ++c) tints[c][i] = values ? values[c] : 0.0f;
    }
  }

 protected:
  // Position along the ramp in [0, 1] (domain start to end), or NaN.
  virtual double Parameter(Vexl::Point p) const = 0;

 private:
  Ramp ramp_;
  Vexl::Transformation pageToShading_;
  Vexl::Rectangle box_;
};

class AxialSampler final : public RampSampler {
 public:
  AxialSampler(const MavPaint::AxialShadingPaint& axial, const Projector& projector,
               const Vexl::Transformation& pageToShading, std::optional<MavColor::RenderingIntent> intent)
      : RampSampler(MakeRamp(axial, axial.GetDomain(), projector, intent), pageToShading, axial.GetBox()),
        start_(axial.GetStart()),
        axis_(Minus(axial.GetEnd(), axial.GetStart())),
        extend_(axial.GetExtend()) {}

 private:
  double Parameter(Vexl::Point p) const override {
    const double length2 = Dot(axis_, axis_);
    if (length2 == 0) return std::nan("");
    const double s = Dot(Minus(p, start_), axis_) / length2;
    if (s < 0) return extend_[0] ? 0.0 : std::nan("");
    if (s > 1) return extend_[1] ? 1.0 : std::nan("");
    return s;
  }
  Vexl::Point start_, axis_;
  std::array<bool, 2> extend_;
};

class RadialSampler final : public RampSampler {
 public:
  RadialSampler(const MavPaint::RadialShadingPaint& radial, const Projector& projector,
                const Vexl::Transformation& pageToShading, std::optional<MavColor::RenderingIntent> intent)
      : RampSampler(MakeRamp(radial, radial.GetDomain(), projector, intent), pageToShading, radial.GetBox()),
        c0_(radial.GetCentre0()),
        dc_(Minus(radial.GetCentre1(), radial.GetCentre0())),
        r0_(radial.GetRadius0()),
        dr_(radial.GetRadius1() - radial.GetRadius0()),
        extend_(radial.GetExtend()) {}

 private:
  bool Usable(double s) const {
    if (std::isnan(s) || r0_ + s * dr_ < 0) return false;
    return (s >= 0 || extend_[0]) && (s <= 1 || extend_[1]);
  }
  // The largest s whose circle passes through p (ISO 32000-1 §8.7.4.5.4).
  double Parameter(Vexl::Point p) const override {
    const Vexl::Point pd = Minus(p, c0_);
    const double a = Dot(dc_, dc_) - dr_ * dr_;
    const double b = Dot(pd, dc_) + r0_ * dr_;
    const double c = Dot(pd, pd) - r0_ * r0_;
    double candidates[2] = {std::nan(""), std::nan("")};
    if (std::fabs(a) < 1e-12 * std::max(1.0, Dot(dc_, dc_))) {
      if (b != 0) candidates[0] = c / (2 * b);
    } else {
      const double discriminant = b * b - a * c;
      if (discriminant < 0) return std::nan("");
      const double root = std::sqrt(discriminant);
      candidates[0] = std::max((b + root) / a, (b - root) / a);
      candidates[1] = std::min((b + root) / a, (b - root) / a);
    }
    for (double s : candidates) {
      if (Usable(s)) return std::clamp(s, 0.0, 1.0);
    }
    return std::nan("");
  }
  Vexl::Point c0_, dc_;
  double r0_, dr_;
  std::array<bool, 2> extend_;
};

Vexl::Transformation PageToShading(const MavPaint::ShadingPaint& shading,
                                   const DocumentGraph::ElementAttribute& element) {
  return (shading.GetTransformation() * element.ContentTransformation()).Inverse();
}

}  // namespace

std::unique_ptr<PaintSampler> MakePictureSampler(const DocumentGraph::ElementAttribute& element,
                                                 const Projector& projector);
std::unique_ptr<PaintSampler> MakeStencilSampler(const DocumentGraph::ElementAttribute& element,
                                                 std::unique_ptr<PaintSampler> paint);

namespace {

// A flat colour everywhere: the paint of a stencil.
class ConstantSampler final : public PaintSampler {
 public:
  explicit ConstantSampler(std::vector<float> tints) : PaintSampler(tints.size()), tints_(std::move(tints)) {}
  void SampleRow(Vexl::Point, Vexl::Point, std::size_t width, float* const* tints,
                 float* shape) const override {
    for (std::size_t c = 0; c < tints_.size(); ++c) std::fill(tints[c], tints[c] + width, tints_[c]);
    std::fill(shape, shape + width, 1.0f);
  }

 private:
  std::vector<float> tints_;
};

std::unique_ptr<PaintSampler> MakePaintOnly(const DocumentGraph::ElementAttribute& element,
                                            const Projector& projector) {
  const auto& paint = *element.Paint();
  if (const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(&paint)) {
    std::vector<float> tints(projector.Size());
    projector.ProjectFlat(*flat, element.Intent(), tints.data());
    return MakeConstantSampler(std::move(tints));
  }
  if (const auto* axial = dynamic_cast<const MavPaint::AxialShadingPaint*>(&paint)) {
    return std::make_unique<AxialSampler>(*axial, projector, PageToShading(*axial, element), element.Intent());
  }
  if (const auto* radial = dynamic_cast<const MavPaint::RadialShadingPaint*>(&paint)) {
    return std::make_unique<RadialSampler>(*radial, projector, PageToShading(*radial, element), element.Intent());
  }
  if (auto mesh = std::dynamic_pointer_cast<const MavPaint::MeshShadingPaint>(element.Paint())) {
    return MakeMeshSampler(mesh, projector, mesh->GetTransformation() * element.ContentTransformation(),
                           element.Intent());
  }
  throw std::invalid_argument("Shadings of type " + std::to_string(paint.GetType()) +
                              " cannot be rendered yet");
}

}  // namespace

Projector::Projector(const Composite::SeparationSpace& space) : names_(space.GetNames()) {
  if (names_ == Composite::SeparationSpace::DeviceGray().GetNames()) {
    kind_ = Kind::Gray;
  } else if (names_ == Composite::SeparationSpace::DeviceRgb().GetNames()) {
    kind_ = Kind::RGB;
  } else {
    kind_ = Kind::Separations;
  }
}

void Projector::Project(const MavColor::Color& converted, float* tints) const {
  const bool all = std::holds_alternative<MavColor::AllSeparations>(converted.GetColorSpace());
  if (all) {
    const float value = converted.Empty() ? 0.0f : converted.GetEntries().front().value;
    std::fill(tints, tints + names_.size(), value);
    return;
  }
  auto ink = [&](const std::string& name) {
    const auto* entry = converted.Find(name);
    return entry ? double(std::clamp(entry->value, 0.0f, 1.0f)) : 0.0;
  };
  const auto& process = MavColor::ProcessInkNames();
  const double c = ink(process[0]), m = ink(process[1]), y = ink(process[2]), k = ink(process[3]);
  switch (kind_) {
    case Kind::Gray:
      tints[0] = static_cast<float>(1 - (0.30 * (1 - c) + 0.59 * (1 - m) + 0.11 * (1 - y)) * (1 - k));
      return;
    case Kind::RGB:
      tints[0] = static_cast<float>(1 - (1 - c) * (1 - k));
      tints[1] = static_cast<float>(1 - (1 - m) * (1 - k));
      tints[2] = static_cast<float>(1 - (1 - y) * (1 - k));
      return;
    case Kind::Separations:
      for (std::size_t i = 0; i < names_.size(); ++i) tints[i] = static_cast<float>(ink(names_[i]));
      return;
  }
}

bool Projector::ProjectDirect(const MavColor::ColorSpace& space, std::span<const float> values,
                              float* tints) const {
  using namespace MavColor;
  if (kind_ == Kind::Separations) return false;
  const bool gray = std::holds_alternative<DeviceGray>(space) || std::holds_alternative<CalGray>(space) ||
                    std::holds_alternative<ICCGray>(space);
  const bool rgb = std::holds_alternative<DeviceRGB>(space) || std::holds_alternative<CalRGB>(space) ||
                   std::holds_alternative<ICCRGB>(space);
  if (!(gray && !values.empty()) && !(rgb && values.size() >= 3)) return false;
  auto clamped = [&](std::size_t i) { return std::clamp(double(values[gray ? 0 : i]), 0.0, 1.0); };
  const double r = clamped(0), g = clamped(1), b = clamped(2);
  if (kind_ == Kind::Gray) {
    tints[0] = static_cast<float>(1 - (0.30 * r + 0.59 * g + 0.11 * b));
  } else {
    tints[0] = static_cast<float>(1 - r);
    tints[1] = static_cast<float>(1 - g);
    tints[2] = static_cast<float>(1 - b);
  }
  return true;
}

void Projector::ProjectFlat(const MavPaint::FlatPaint& flat,
                            std::optional<MavColor::RenderingIntent> intent, float* tints) const {
  const auto& color = flat.GetColor();
  if (color.Size() == color.ProcessCount()) {
    std::vector<float> values;
    for (const auto& entry : color.GetEntries()) values.push_back(entry.value);
    if (ProjectDirect(color.GetColorSpace(), values, tints)) return;
  }
  Project(flat.GetConvertedColor(nullptr, intent), tints);
}

std::unique_ptr<PaintSampler> MakePaintSampler(const DocumentGraph::ElementAttribute& element,
                                               const Composite::SeparationSpace& space) {
  const Projector projector(space);
  if (element.PaintedPicture()) return MakePictureSampler(element, projector);
  auto paint = MakePaintOnly(element, projector);
  if (dynamic_cast<const MavDoc::ImageMask*>(&element.Object())) {
    return MakeStencilSampler(element, std::move(paint));
  }
  return paint;
}

std::unique_ptr<PaintSampler> MakeConstantSampler(std::vector<float> tints) {
  return std::make_unique<ConstantSampler>(std::move(tints));
}

}  // namespace Sampling
