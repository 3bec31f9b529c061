#include <graph/AttributeEquality.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <mavdoc/Content.h>

namespace Corvel {

namespace {

// Below this, two alphas or tints are the same to the eye and to the press.
constexpr float kFloatTolerance = 1e-5f;
// Above this, an alpha is full.
constexpr float kFullAlpha = 0.99999f;
constexpr std::uint64_t kMaxUlps = 5;

// Doubles ordered on one integer scale (both zeros at 0), so ulp distance is a difference.
std::int64_t OrderedBits(double value) {
  const auto bits = std::bit_cast<std::int64_t>(value);
  if (bits >= 0) return bits;
  return static_cast<std::int64_t>(0x8000000000000000ull - static_cast<std::uint64_t>(bits));
}

bool UlpsEqual(double a, double b) {
  const std::int64_t x = OrderedBits(a), y = OrderedBits(b);
  // Unsigned, so that the distance between far-apart values cannot overflow.
  const std::uint64_t distance = x >= y ? static_cast<std::uint64_t>(x) - static_cast<std::uint64_t>(y)
                                        : static_cast<std::uint64_t>(y) - static_cast<std::uint64_t>(x);
  return distance <= kMaxUlps;
}

bool AlphasEqual(float a, float b) { return std::fabs(a - b) < kFloatTolerance; }

// The flags and modes that make two transparencies composite alike.
bool TransparenciesAlike(const MavBlend::Transparency& a, float alphaA,
                         const MavBlend::Transparency& b, float alphaB) {
  if (a.GetBlendMode() != b.GetBlendMode() || !AlphasEqual(alphaA, alphaB)) return false;
  if (a.IsAlphaIsShape() == b.IsAlphaIsShape()) return true;
  // Alpha-is-shape only matters where there is alpha less than full, or a mask.
  return alphaA > kFullAlpha && !a.GetSoftMask() && !b.GetSoftMask();
}

bool TransferFunctionsEqual(const MavBlend::TransferFunction& a,
                            const MavBlend::TransferFunction& b) {
  if (a.index() != b.index()) return false;
  if (const bool* flag = std::get_if<bool>(&a)) return *flag == std::get<bool>(b);
  return std::get<1>(a) == std::get<1>(b);
}

bool MasksAlike(const MavBlend::SoftMask& a, const MavBlend::SoftMask& b) {
  const auto& backdropA = a.GetBackdropColor();
  const auto& backdropB = b.GetBackdropColor();
  if (backdropA.size() != backdropB.size()) return false;
  for (std::size_t i = 0; i < backdropA.size(); ++i) {
    if (!AlphasEqual(backdropA[i], backdropB[i])) return false;
  }
  return TransformationsEqual(a.GetTransformation(), b.GetTransformation()) &&
         a.IsAlpha() == b.IsAlpha() &&
         TransferFunctionsEqual(a.GetTransferFunction(), b.GetTransferFunction());
}

bool SeparationListsEqual(const MavBlend::SoftMask& a, const MavBlend::SoftMask& b) {
  return a.GetContent()->GetSeparations().GetList(false) ==
         b.GetContent()->GetSeparations().GetList(false);
}

}  // namespace

bool TransformationsEqual(const Vexl::Transformation& a, const Vexl::Transformation& b) {
  return UlpsEqual(a.tx, b.tx) && UlpsEqual(a.ty, b.ty) && UlpsEqual(a.a, b.a) &&
         UlpsEqual(a.b, b.b) && UlpsEqual(a.c, b.c) && UlpsEqual(a.d, b.d);
}

bool ElementAttributesEqual(const DocumentGraph::ElementAttribute& a,
                            const DocumentGraph::ElementAttribute& b) {
  if (a.PaintedPicture() != b.PaintedPicture()) return false;
  if (a.PaintedPicture()) {
    if (a.HalftoneSet() != b.HalftoneSet() ||
        !TransformationsEqual(a.ObjectTransformation(), b.ObjectTransformation())) {
      return false;
    }
  } else {
    if (!MavPaint::PaintsEqual(a.Paint(), b.Paint())) return false;
    // Shadings sit in their object's space: the same paint elsewhere is another picture.
    if (a.Paint()->GetType() != MavPaint::Paint::kFlat &&
        !TransformationsEqual(a.ContentTransformation(), b.ContentTransformation())) {
      return false;
    }
  }
  if (a.HalftoneSet() != b.HalftoneSet()) return false;
  if (a.Overprints() != b.Overprints() || a.NonzeroOverprint() != b.NonzeroOverprint()) return false;
  if (a.Intent() != b.Intent()) return false;
  if (a.Transparency() == b.Transparency()) return true;
  return TransparenciesAlike(*a.Transparency(), a.Alpha(), *b.Transparency(), b.Alpha());
}

bool GroupAttributesEqual(const DocumentGraph::GroupAttribute& a,
                          const DocumentGraph::GroupAttribute& b) {
  if (a.Transparency() != b.Transparency()) {
    const auto& ta = *a.Transparency();
    const auto& tb = *b.Transparency();
    if (ta.IsIsolated() != tb.IsIsolated() || ta.IsKnockout() != tb.IsKnockout() ||
        !TransparenciesAlike(ta, a.Alpha(), tb, b.Alpha())) {
      return false;
    }
  }
  return a.GroupColorSpace() == b.GroupColorSpace();
}

bool SoftMaskAttributesEqual(const DocumentGraph::SoftMaskAttribute& a,
                             const DocumentGraph::SoftMaskAttribute& b) {
  const auto& maskA = *a.DefiningSoftMask();
  const auto& maskB = *b.DefiningSoftMask();
  if (&maskA != &maskB && !MasksAlike(maskA, maskB)) return false;
  return a.GroupColorSpace() == b.GroupColorSpace() && a.DefinesShape() == b.DefinesShape() &&
         SeparationListsEqual(maskA, maskB);
}

}  // namespace Corvel
