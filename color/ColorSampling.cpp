#include <color/ColorSampling.h>

#include <cmath>

#include <flatten/FillProperties.h>

namespace Corvel {

namespace {

// Below this a tint is no ink; above the full tint it covers completely.
constexpr float kEmptyTint = 1e-5f;
constexpr float kFullTint = 0.99999f;

bool IsOpaqueInk(const MavDoc::Separation::Entries& info, const std::string& name) {
  const auto it = MavDoc::Separation::Find(info, name);
  return it != info.end() && it->GetInkType() == MavDoc::Separation::kOpaqueInk;
}

MavColor::Color WithoutInkTypes(const std::vector<float>& v, const std::vector<std::string>& s) {
  MavColor::Color color;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (std::fabs(v[i]) < kEmptyTint) continue;
    color[s[i]].value = v[i];
  }
  return color;
}

MavColor::Color WithInkTypes(const std::vector<float>& v, const std::vector<std::string>& s,
                             const MavDoc::Separation::Entries& info) {
  MavColor::Color color;
  double factor = 1.0;
  for (std::size_t i = v.size(); i-- > 0;) {
    if (v[i] < kEmptyTint) continue;
    color[s[i]].value = factor == 1.0 ? v[i] : static_cast<float>(double(v[i]) * factor);
    if (!IsOpaqueInk(info, s[i])) continue;
    if (v[i] > kFullTint) break;
    factor *= 1.0 - double(v[i]);
  }
  return color;
}

}  // namespace

SampledColor SampleFillColor(const SamplingContext& context, const Tessel::TFill* fill) {
  for (int i = 0; i < fill->NElements(); ++i) {
    if (!IsFlatElement(&fill->GetElement(i))) return NotFlat{};
  }
  const auto picked = DocumentSamplePicker::PickComponentsAtPoints(
      {{0, 0}}, {{0, 0}}, context.options, context.resources, fill, nullptr);
  const auto& values = picked.front();
  const auto& names = context.options.GetBlendingSeparations();
  if (!context.inkTypeStacking) return WithoutInkTypes(values, names);
  return WithInkTypes(values, names, context.options.GetContent().GetDocument()->GetSeparationInfo());
}

SampledColor MakeEmptyColor() { return MavColor::Color{}; }

}  // namespace Corvel
