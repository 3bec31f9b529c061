#include <outline/AttributeComparison.h>

#include <cmath>

#include <graph/AttributeEquality.h>

namespace Corvel {

namespace {

constexpr float kTolerance = 1e-5f;
constexpr float kFullAlpha = 0.99999f;
// Lab white and black points are measured values; closer than this they are the same.
constexpr double kLabPointTolerance = 0.001;

bool Equal(float a, float b) { return std::fabs(a - b) < kTolerance; }

const DocumentGraph::ElementAttribute& ElementOf(const Tessel::TFill::TElement& element) {
  return static_cast<const DocumentGraph::ElementAttribute&>(*element.Attribute());
}

const DocumentGraph::GroupAttribute* GroupOf(const Tessel::TFill::TGroup& group) {
  return static_cast<const DocumentGraph::GroupAttribute*>(group.GroupAttribute());
}

bool SameMembers(Tessel::TFill::TGraphicsComponentIterator a,
                 Tessel::TFill::TGraphicsComponentIterator b) {
  for (;;) {
    const auto* x = a.Next();
    const auto* y = b.Next();
    if (!x || !y) return !x && !y;
    if (!SameComponent(*x, *y)) return false;
  }
}

// Gray as the Black ink it prints with.
MavColor::Color Normalised(const MavColor::Color& color) {
  if (!std::holds_alternative<MavColor::DeviceGray>(color.GetColorSpace())) return color;
  const float gray = color.Empty() ? 0.0f : color.GetEntries().front().value;
  MavColor::Color black = MavColor::MakeSeparationColor(
      {{"Cyan", 0.0f}, {"Magenta", 0.0f}, {"Yellow", 0.0f}, {"Black", 1 - gray}});
  black.keepZeroEntries = color.keepZeroEntries;
  black.sourceCode = 2;
  return black;
}

bool SameLab(const MavColor::Lab& a, const MavColor::Lab& b) {
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(a.whitePoint[i] - b.whitePoint[i]) < kLabPointTolerance) ||
        !(std::fabs(a.blackPoint[i] - b.blackPoint[i]) < kLabPointTolerance)) {
      return false;
    }
  }
  return a.range == b.range;
}

bool SameSpace(const MavColor::ColorSpace& a, const MavColor::ColorSpace& b) {
  if (a.index() != b.index()) return false;
  if (const auto* lab = std::get_if<MavColor::Lab>(&a)) return SameLab(*lab, std::get<MavColor::Lab>(b));
  return a == b;
}

bool SameNamedEntries(const MavColor::Color& a, const MavColor::Color& b) {
  auto count = [](const MavColor::Color& c, bool zerosCount) {
    std::size_t n = 0;
    for (std::size_t i = c.NamedBegin(); i < c.Size(); ++i) {
      if (zerosCount || c.GetEntries()[i].value != 0) ++n;
    }
    return n;
  };
  const bool keepZeros = a.keepZeroEntries != 0;
  if (count(a, keepZeros) != count(b, keepZeros)) return false;
  for (std::size_t i = a.NamedBegin(); i < a.Size(); ++i) {
    const auto& entry = a.GetEntries()[i];
    if (!keepZeros && entry.value == 0) continue;
    const auto* other = b.Find(entry.name);
    if (keepZeros && !other) return false;
    if (!Equal(entry.value, other ? other->value : 0.0f)) return false;
  }
  return true;
}

bool SameTransfer(const MavBlend::TransferFunction& a, const MavBlend::TransferFunction& b) {
  if (a.index() != b.index()) return false;
  if (const bool* flag = std::get_if<bool>(&a)) return *flag == std::get<bool>(b);
  return std::get<1>(a) == std::get<1>(b);
}

bool SameMaskSettings(const DocumentGraph::SoftMaskAttribute& a,
                      const DocumentGraph::SoftMaskAttribute& b) {
  const auto& ma = *a.DefiningSoftMask();
  const auto& mb = *b.DefiningSoftMask();
  const auto& ba = ma.GetBackdropColor();
  const auto& bb = mb.GetBackdropColor();
  if (ba.size() != bb.size()) return false;
  for (std::size_t i = 0; i < ba.size(); ++i) {
    if (!Equal(ba[i], bb[i])) return false;
  }
  return ma.IsAlpha() == mb.IsAlpha() && SameTransfer(ma.GetTransferFunction(), mb.GetTransferFunction()) &&
         a.GroupColorSpace() == b.GroupColorSpace();
}

}  // namespace

bool SameComponentTree(const Tessel::TFill::TGroup& a, const Tessel::TFill::TGroup& b) {
  const auto* ga = GroupOf(a);
  const auto* gb = GroupOf(b);
  if ((ga == nullptr) != (gb == nullptr)) return false;
  if (ga && !GroupAttributesEqual(*ga, *gb)) return false;
  return SameMembers({a, Tessel::Input::TObject::kCovering, false},
                     {b, Tessel::Input::TObject::kCovering, false});
}

bool SameComponent(const Tessel::TFill::TComponent& a, const Tessel::TFill::TComponent& b) {
  const auto* groupA = a.Group();
  const auto* groupB = b.Group();
  if ((groupA == nullptr) != (groupB == nullptr)) return false;
  if (groupA) {
    if (!SameComponentTree(*groupA, *groupB)) return false;
  } else if (!SameElementAttribute(ElementOf(*a.Element()), ElementOf(*b.Element()))) {
    return false;
  }
  return SameMaskComponents(a, b);
}

bool SameElementAttribute(const DocumentGraph::ElementAttribute& a,
                          const DocumentGraph::ElementAttribute& b) {
  if (a.PaintedPicture() != b.PaintedPicture()) return false;
  if (a.PaintedPicture()) {
    if (!TransformationsEqual(a.ObjectTransformation(), b.ObjectTransformation())) return false;
  } else {
    const auto& pa = a.Paint();
    const auto& pb = b.Paint();
    if (pa != pb) {
      if (pa->GetType() != pb->GetType()) return false;
      if (pa->GetType() == MavPaint::Paint::kFlat) {
        if (!SameColor(static_cast<const MavPaint::FlatPaint&>(*pa).GetColor(),
                       static_cast<const MavPaint::FlatPaint&>(*pb).GetColor())) {
          return false;
        }
      } else if (pa->GetType() >= MavPaint::Paint::kAxial && pa->GetType() <= MavPaint::Paint::kTensor) {
        return false;
      }
    }
    if (pa->GetType() != MavPaint::Paint::kFlat &&
        !TransformationsEqual(a.ContentTransformation(), b.ContentTransformation())) {
      return false;
    }
  }
  if (a.HalftoneSet() != b.HalftoneSet()) return false;
  if (a.Transparency() == b.Transparency()) return true;
  const auto& ta = *a.Transparency();
  const auto& tb = *b.Transparency();
  if (ta.GetBlendMode() != tb.GetBlendMode() || !Equal(a.Alpha(), b.Alpha())) return false;
  if (ta.IsAlphaIsShape() == tb.IsAlphaIsShape()) return true;
  return a.Alpha() > kFullAlpha && !ta.GetSoftMask() && !tb.GetSoftMask();
}

bool SameMaskComponents(const Tessel::TFill::TComponent& a, const Tessel::TFill::TComponent& b) {
  Tessel::TFill::TMaskComponentIterator masksA(a, true);
  Tessel::TFill::TMaskComponentIterator masksB(b, true);
  const auto* ma = masksA.Next();
  const auto* mb = masksB.Next();
  if (!ma || !mb) return !ma && !mb;
  const auto& sa = static_cast<const DocumentGraph::SoftMaskAttribute&>(*ma->SoftMaskAttribute());
  const auto& sb = static_cast<const DocumentGraph::SoftMaskAttribute&>(*mb->SoftMaskAttribute());
  if (!SameMaskSettings(sa, sb)) return false;
  return SameMembers({*ma, Tessel::Input::TObject::kCovering, false},
                     {*mb, Tessel::Input::TObject::kCovering, false});
}

bool SameColor(const MavColor::Color& first, const MavColor::Color& second) {
  const MavColor::Color a = Normalised(first);
  const MavColor::Color b = Normalised(second);
  if (!SameSpace(a.GetColorSpace(), b.GetColorSpace())) return false;
  const std::size_t process = a.ProcessCount();
  if (a.Size() < process || b.Size() < process) return false;
  for (std::size_t i = 0; i < process; ++i) {
    if (!Equal(a.GetEntries()[i].value, b.GetEntries()[i].value)) return false;
  }
  if (a.keepZeroEntries != b.keepZeroEntries) return false;
  const auto& space = a.GetColorSpace();
  const bool converted = !std::holds_alternative<std::monostate>(space) &&
                         !std::holds_alternative<MavColor::AllSeparations>(space);
  if (converted && a.sourceCode != b.sourceCode) return false;
  return SameNamedEntries(a, b);
}

}  // namespace Corvel
