#include <sampling/MeshSamplerInternal.h>

#include <algorithm>
#include <cmath>

namespace Sampling::Mesh {

namespace {

// Steps of the t table: as ramps, finer than 8-bit output can show.
constexpr std::size_t kTableSize = 1024;
// A conversion whose probes stray from the affine prediction by more than this is treated as
// not affine; float rounding of an affine conversion stays far below it.
constexpr double kAffineTolerance = 1e-5;

// Points at which an affine conversion is checked, beyond the corners it was fitted at.
std::vector<std::vector<float>> AffineProbes(std::size_t channels) {
  std::vector<std::vector<float>> probes(3, std::vector<float>(channels));
  for (std::size_t c = 0; c < channels; ++c) {
    probes[0][c] = c % 2 ? 0.75f : 0.25f;
    probes[1][c] = 0.6f;
    probes[2][c] = static_cast<float>((c * 7 + 3) % 10) / 10.0f;
  }
  return probes;
}

}  // namespace

ShadingTints::ShadingTints(std::shared_ptr<const MavPaint::ShadingPaint> shading,
                           const Projector& projector, Input input, std::size_t channels,
                           std::array<double, 2> tRange,
                           std::optional<MavColor::RenderingIntent> objectIntent)
    : shading_(std::move(shading)),
      projector_(projector),
      convertedMapping_(shading_->GetConvertedSeparationMapping(nullptr)),
      channels_(channels),
      tintCount_(projector.Size()),
      tRange_(tRange),
      intent_(objectIntent) {
  if (input == Input::T) {
    mode_ = Mode::Table;
    valueCount_ = 1;
    const auto function = shading_->GetConvertedFunction(nullptr, intent_);
    table_.resize(kTableSize * tintCount_);
    for (std::size_t i = 0; i < kTableSize; ++i) {
      const double t = tRange[0] + (tRange[1] - tRange[0]) * double(i) / double(kTableSize - 1);
      projector_.Project(ConvertedValues(convertedMapping_, function->Evaluate({t})),
                        &table_[i * tintCount_]);
    }
    return;
  }
  mode_ = FindAffineMap() ? Mode::Direct : Mode::Converted;
  valueCount_ = mode_ == Mode::Direct ? tintCount_ : channels_;
}

void ShadingTints::ConvertChannels(const std::vector<float>& channels, float* tints) const {
  projector_.Project(ConvertedValues(convertedMapping_, shading_->GetConvertedValues(channels, nullptr, intent_)),
                     tints);
}

// Fits tints = A · channels + b at zero and the unit vectors, then checks it elsewhere.
bool ShadingTints::FindAffineMap() {
  const std::size_t n = channels_, stride = channels_ + 1;
  affine_.assign(tintCount_ * stride, 0.0f);
  std::vector<float> base(tintCount_), unit(tintCount_), channels(n, 0.0f);
  ConvertChannels(channels, base.data());
  for (std::size_t t = 0; t < tintCount_; ++t) affine_[t * stride + n] = base[t];
  for (std::size_t c = 0; c < n; ++c) {
    channels.assign(n, 0.0f);
    channels[c] = 1.0f;
    ConvertChannels(channels, unit.data());
    for (std::size_t t = 0; t < tintCount_; ++t) affine_[t * stride + c] = unit[t] - base[t];
  }
  std::vector<float> exact(tintCount_), predicted(tintCount_);
  for (const auto& probe : AffineProbes(n)) {
    ConvertChannels(probe, exact.data());
    for (std::size_t t = 0; t < tintCount_; ++t) {
      double value = affine_[t * stride + n];
      for (std::size_t c = 0; c < n; ++c) value += double(affine_[t * stride + c]) * probe[c];
      if (std::fabs(value - exact[t]) > kAffineTolerance) return false;
    }
  }
  return true;
}

float ShadingTints::ValueScale(std::size_t) const {
  if (mode_ != Mode::Table) return 1.0f;
  const double range = std::fabs(tRange_[1] - tRange_[0]);
  return range > 0 ? static_cast<float>(1.0 / range) : 1.0f;
}

void ShadingTints::VertexValues(const std::vector<float>& color, float* values) const {
  auto at = [&](std::size_t c) { return c < color.size() ? color[c] : 0.0f; };
  switch (mode_) {
    case Mode::Table:
      values[0] = at(0);
      return;
    case Mode::Converted:
      for (std::size_t c = 0; c < channels_; ++c) values[c] = at(c);
      return;
    case Mode::Direct: {
      const std::size_t stride = channels_ + 1;
      for (std::size_t t = 0; t < tintCount_; ++t) {
        double value = affine_[t * stride + channels_];
        for (std::size_t c = 0; c < channels_; ++c) value += double(affine_[t * stride + c]) * at(c);
        values[t] = static_cast<float>(value);
      }
      return;
    }
  }
}

void ShadingTints::Tints(const float* values, float* const* tints, std::size_t pixel) const {
  switch (mode_) {
    case Mode::Table: {
      const double span = tRange_[1] - tRange_[0];
      const double s = span != 0 ? (values[0] - tRange_[0]) / span : 0.0;
      const auto index = static_cast<std::size_t>(std::lround(std::clamp(s, 0.0, 1.0) * (kTableSize - 1)));
      for (std::size_t t = 0; t < tintCount_; ++t) tints[t][pixel] = table_[index * tintCount_ + t];
      return;
    }
    case Mode::Direct:
      for (std::size_t t = 0; t < tintCount_; ++t) tints[t][pixel] = std::clamp(values[t], 0.0f, 1.0f);
      return;
    case Mode::Converted: {
      std::vector<float> out(tintCount_);
      ConvertChannels(std::vector<float>(values, values + channels_), out.data());
      for (std::size_t t = 0; t < tintCount_; ++t) tints[t][pixel] = out[t];
      return;
    }
  }
}

}  // namespace Sampling::Mesh
