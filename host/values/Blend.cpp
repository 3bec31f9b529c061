#include <values/Blend.h>

#include <cmath>
#include <stdexcept>

namespace MavBlend {

namespace {

float CheckedAlpha(float alpha) {
  if (!std::isfinite(alpha) || alpha < 0 || alpha > 1) {
    throw std::invalid_argument("Alpha must lie between 0 and 1");
  }
  return alpha;
}

bool IsNormalOpaque(const Transparency* t, float alpha) {
  return !t || (t->GetBlendMode() == BlendMode::Normal && alpha == 1 && !t->GetSoftMask());
}

}  // namespace

bool IsWhitePreserving(BlendMode mode) {
  return static_cast<int>(mode) <= static_cast<int>(BlendMode::SoftLight);
}

const char* BlendModeName(BlendMode mode) {
  static const char* const names[kBlendModeCount] = {
      "Normal",     "Multiply",  "Screen",     "Overlay",   "Darken",  "Lighten",
      "ColorDodge", "ColorBurn", "HardLight",  "SoftLight", "Difference", "Exclusion",
      "Hue",        "Saturation", "Color",     "Luminosity"};
  return names[static_cast<int>(mode)];
}

SoftMask::Factory::Factory(std::shared_ptr<MavDoc::Content> content) {
  if (!content) throw std::invalid_argument("A soft mask needs a content");
  mask_.content_ = std::move(content);
}

SoftMask::Factory& SoftMask::Factory::SetBackdropColor(std::vector<MavColor::Component> b) {
  mask_.backdrop_ = std::move(b);
  return *this;
}

SoftMask::Factory& SoftMask::Factory::SetColorSpace(MavColor::GroupColorSpace space) {
  mask_.colorSpace_ = std::move(space);
  return *this;
}

SoftMask::Factory& SoftMask::Factory::SetAlpha(bool isAlpha) {
  mask_.isAlpha_ = isAlpha;
  return *this;
}

SoftMask::Factory& SoftMask::Factory::SetTransferFunction(TransferFunction transfer) {
  if (const auto* f = std::get_if<std::shared_ptr<const MavPaint::Function>>(&transfer)) {
    if (!*f || (*f)->OutputCount() != 1) {
      throw std::invalid_argument("A soft-mask transfer function needs one output");
    }
  }
  mask_.transfer_ = std::move(transfer);
  return *this;
}

SoftMask::Factory& SoftMask::Factory::SetTransformation(const Vexl::Transformation& t) {
  mask_.transformation_ = t;
  return *this;
}

SoftMask::Factory& SoftMask::Factory::SetDefinesShape(bool definesShape) {
  mask_.definesShape_ = definesShape;
  return *this;
}

std::shared_ptr<const SoftMask> SoftMask::Factory::Get() const {
  return std::shared_ptr<const SoftMask>(new SoftMask(mask_));
}

const std::shared_ptr<const Transparency>& Transparency::GetDefault() {
  static const std::shared_ptr<const Transparency> value = std::make_shared<Transparency>();
  return value;
}

Transparency::Factory::Factory(const std::shared_ptr<const Transparency>& from) {
  if (from) value_ = *from;
}

Transparency::Factory& Transparency::Factory::SetBlendMode(BlendMode mode) {
  if (static_cast<int>(mode) < 0 || static_cast<int>(mode) >= kBlendModeCount) {
    throw std::invalid_argument("Unknown blend mode");
  }
  value_.mode_ = mode;
  return *this;
}

Transparency::Factory& Transparency::Factory::SetFillAlpha(float alpha) {
  value_.fillAlpha_ = CheckedAlpha(alpha);
  return *this;
}

Transparency::Factory& Transparency::Factory::SetStrokeAlpha(float alpha) {
  value_.strokeAlpha_ = CheckedAlpha(alpha);
  return *this;
}

Transparency::Factory& Transparency::Factory::SetIsolated(bool isolated) {
  value_.isolated_ = isolated;
  return *this;
}

Transparency::Factory& Transparency::Factory::SetKnockout(bool knockout) {
  value_.knockout_ = knockout;
  return *this;
}

Transparency::Factory& Transparency::Factory::SetAlphaIsShape(bool alphaIsShape) {
  value_.alphaIsShape_ = alphaIsShape;
  return *this;
}

Transparency::Factory& Transparency::Factory::SetSoftMask(std::shared_ptr<const SoftMask> mask) {
  value_.softMask_ = std::move(mask);
  return *this;
}

std::shared_ptr<const Transparency> Transparency::Factory::Get() const {
  return std::make_shared<const Transparency>(value_);
}

bool FillIsNormalOpaque(const Transparency* t) {
  return IsNormalOpaque(t, t ? t->GetFillAlpha() : 1.0f);
}

bool StrokeIsNormalOpaque(const Transparency* t) {
  return IsNormalOpaque(t, t ? t->GetStrokeAlpha() : 1.0f);
}

}  // namespace MavBlend

