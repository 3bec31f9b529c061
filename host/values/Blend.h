#pragma once
// Transparency values: blend modes, constant alpha, soft masks. Immutable and shared.

#include <memory>
#include <variant>
#include <vector>

#include <values/Color.h>
#include <values/Function.h>
#include <vexl/Geometry.h>

namespace MavDoc {
class Content;
}

namespace MavBlend {

enum class BlendMode {
  Normal,
  Multiply,
  Screen,
  Overlay,
  Darken,
  Lighten,
  ColorDodge,
  ColorBurn,
  HardLight,
  SoftLight,
  Difference,
  Exclusion,
  Hue,
  Saturation,
  Color,
  Luminosity
};
inline constexpr int kBlendModeCount = 16;

// White-preserving modes (Normal through SoftLight) leave a white backdrop white under a white
// source, so spot inks can be blended with them like process inks.
bool IsWhitePreserving(BlendMode mode);
// The PDF name of the mode ("Normal", "Multiply", ...).
const char* BlendModeName(BlendMode mode);

// The transfer function of a soft mask: `true` is the identity, `false` maps every value to 0
// (a mask that hides everything), or a function of one input and one output.
using TransferFunction = std::variant<bool, std::shared_ptr<const MavPaint::Function>>;

// A soft mask: its own artwork (a content, in the coordinates of `transformation`'s source
// space), the backdrop colour the mask group is composited over, alpha or luminosity, the
// transfer function, and whether the mask also limits the shape.
class SoftMask {
 public:
  class Factory;

  const std::shared_ptr<MavDoc::Content>& GetContent() const { return content_; }
  const std::vector<MavColor::Component>& GetBackdropColor() const { return backdrop_; }
  const MavColor::GroupColorSpace& GetColorSpace() const { return colorSpace_; }
  bool IsAlpha() const { return isAlpha_; }
  const TransferFunction& GetTransferFunction() const { return transfer_; }
  const Vexl::Transformation& GetTransformation() const { return transformation_; }
  bool DefinesShape() const { return definesShape_; }

 private:
  SoftMask() = default;
  std::shared_ptr<MavDoc::Content> content_;
  std::vector<MavColor::Component> backdrop_;
  MavColor::GroupColorSpace colorSpace_;
  bool isAlpha_ = false;
  TransferFunction transfer_ = true;
  Vexl::Transformation transformation_;
  bool definesShape_ = false;
};

class SoftMask::Factory {
 public:
  // The mask's artwork; the content must have the soft-mask content type.
  explicit Factory(std::shared_ptr<MavDoc::Content> content);
  Factory& SetBackdropColor(std::vector<MavColor::Component> backdrop);
  Factory& SetColorSpace(MavColor::GroupColorSpace space);
  Factory& SetAlpha(bool isAlpha);
  Factory& SetTransferFunction(TransferFunction transfer);
  Factory& SetTransformation(const Vexl::Transformation& t);
  Factory& SetDefinesShape(bool definesShape);
  std::shared_ptr<const SoftMask> Get() const;

 private:
  SoftMask mask_;
};

// Blend mode, fill and stroke alpha, the group flags and an optional soft mask.
class Transparency {
 public:
  class Factory;

  BlendMode GetBlendMode() const { return mode_; }
  float GetFillAlpha() const { return fillAlpha_; }
  float GetStrokeAlpha() const { return strokeAlpha_; }
  bool IsIsolated() const { return isolated_; }
  bool IsKnockout() const { return knockout_; }
  bool IsAlphaIsShape() const { return alphaIsShape_; }
  const std::shared_ptr<const SoftMask>& GetSoftMask() const { return softMask_; }

  // Normal, alpha 1, no flags, no mask.
  static const std::shared_ptr<const Transparency>& GetDefault();

  friend bool operator==(const Transparency&, const Transparency&) = default;

 private:
  BlendMode mode_ = BlendMode::Normal;
  float fillAlpha_ = 1;
  float strokeAlpha_ = 1;
  bool isolated_ = false;
  bool knockout_ = false;
  bool alphaIsShape_ = false;
  std::shared_ptr<const SoftMask> softMask_;
};

class Transparency::Factory {
 public:
  Factory() = default;
  // Starts from an existing transparency (null: the default).
  explicit Factory(const std::shared_ptr<const Transparency>& from);
  Factory& SetBlendMode(BlendMode mode);
  Factory& SetFillAlpha(float alpha);
  Factory& SetStrokeAlpha(float alpha);
  Factory& SetIsolated(bool isolated);
  Factory& SetKnockout(bool knockout);
  Factory& SetAlphaIsShape(bool alphaIsShape);
  Factory& SetSoftMask(std::shared_ptr<const SoftMask> mask);
  std::shared_ptr<const Transparency> Get() const;

 private:
  Transparency value_;
};

// Whether the fill (stroke) composites as plain opaque paint: Normal, alpha 1, no soft mask.
bool FillIsNormalOpaque(const Transparency* transparency);
bool StrokeIsNormalOpaque(const Transparency* transparency);

}  // namespace MavBlend
