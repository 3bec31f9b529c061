#include <sampling/FillProgram.h>

#include <sampling/ElementCoverage.h>
#include <sampling/OverprintInks.h>

#include <algorithm>
#include <stdexcept>


namespace Sampling {

namespace {

using Tessel::TFill;

const DocumentGraph::ElementAttribute& ElementOf(const TFill::TElement& element) {
  return static_cast<const DocumentGraph::ElementAttribute&>(*element.Attribute());
}

Composite::SeparationSpace MaskSpace(const MavColor::GroupColorSpace& space) {
  using namespace MavColor;
  if (std::holds_alternative<DeviceGray>(space) || std::holds_alternative<CalGray>(space) ||
      std::holds_alternative<ICCGray>(space))
    return Composite::SeparationSpace::DeviceGray();
  if (std::holds_alternative<DeviceRGB>(space) || std::holds_alternative<CalRGB>(space) ||
      std::holds_alternative<ICCRGB>(space))
    return Composite::SeparationSpace::DeviceRgb();
  return Composite::SeparationSpace::DeviceCmyk();
}

// A backdrop colour in the mask space's components, as tints (additive spaces complemented).
std::vector<float> BackdropTints(const std::vector<MavColor::Component>& backdrop,
                                 const Composite::SeparationSpace& space) {
  if (backdrop.empty()) return {};
  if (backdrop.size() != space.Size()) {
    throw std::invalid_argument("Soft-mask backdrop does not match the mask's colour space");
  }
  std::vector<float> tints(backdrop.begin(), backdrop.end());
  if (!(space == Composite::SeparationSpace::DeviceCmyk())) {
    for (float& t : tints) t = 1 - t;
  }
  return tints;
}

std::function<double(double)> Transfer(const MavBlend::TransferFunction& transfer) {
  if (const bool* identity = std::get_if<bool>(&transfer)) {
    if (*identity) return {};
    return [](double) { return 0.0; };
  }
  const auto function = std::get<1>(transfer);
  return [function](double v) { return double(function->Evaluate({v}).at(0)); };
}

// An element's paint limited to where the element covers each pixel.
class CoveredSampler : public PaintSampler {
 public:
  CoveredSampler(std::unique_ptr<PaintSampler> paint, const ElementCoverage& coverage,
                 std::uint32_t node)
      : PaintSampler(paint->Channels()), paint_(std::move(paint)), coverage_(coverage), node_(node) {}
  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    paint_->SampleRow(start, step, width, tints, shape);
    coverage_.CoverRow(node_, start, step, width, shape);
  }

 private:
  std::unique_ptr<PaintSampler> paint_;
  const ElementCoverage& coverage_;
  std::uint32_t node_;
};

}  // namespace

Composite::BlendMode ToComposite(MavBlend::BlendMode mode) {
  return static_cast<Composite::BlendMode>(static_cast<int>(mode));
}

FillProgram::FillProgram(const TFill& fill, const Composite::SeparationSpace& space,
                         const ElementCoverage* coverage)
    : coverage_(coverage) {
  const TFill::TGraphicsComponentIterator members(fill.GetTopGroup(),
                                                  Tessel::Input::TObject::kCovering, false);
  Composite::Group page;
  page.isolated = true;
  page.elements = TranslateMembers(members, space);
  program_ = std::make_unique<Composite::Program>(space, Composite::Node(std::move(page)));
}

std::vector<Composite::Node> FillProgram::TranslateMembers(
    TFill::TGraphicsComponentIterator members, const Composite::SeparationSpace& space) {
  std::vector<Composite::Node> nodes;
  while (const TFill::TComponent* component = members.Next()) {
    nodes.push_back(Translate(*component, space));
  }
  return nodes;
}

Composite::Node FillProgram::Translate(const TFill::TComponent& component,
                                       const Composite::SeparationSpace& space) {
  if (const TFill::TElement* element = component.Element()) {
    const auto& attribute = ElementOf(*element);
    const auto& transparency = *attribute.Transparency();
    Composite::Element out;
    out.constantAlpha = attribute.Alpha();
    out.alphaIsShape = transparency.IsAlphaIsShape();
    out.blendMode = ToComposite(transparency.GetBlendMode());
    out.softMask = TranslateMask(component.SoftMask());
    out.keepsBackdrop = KeptInks(attribute, space);
    if (!attribute.PaintedPicture() && !attribute.HasUnknownShape() &&
        attribute.Paint()->GetType() == MavPaint::Paint::kFlat) {
      const auto& flat = static_cast<const MavPaint::FlatPaint&>(*attribute.Paint());
      out.tints.resize(space.Size());
      Projector(space).ProjectFlat(flat, attribute.Intent(), out.tints.data());
      if (!coverage_) return out;
      auto constant = MakeConstantSampler(std::move(out.tints));
      out.tints.clear();
      out.input = static_cast<int>(samplers_.size());
      samplers_.push_back(
          std::make_unique<CoveredSampler>(std::move(constant), *coverage_, element->InputIndex()));
    } else {
      out.input = static_cast<int>(samplers_.size());
      auto paint = MakePaintSampler(attribute, space);
      if (coverage_)
        paint = std::make_unique<CoveredSampler>(std::move(paint), *coverage_, element->InputIndex());
      samplers_.push_back(std::move(paint));
    }
    return out;
  }
  const TFill::TGroup& group = *component.Group();
  Composite::Group out;
  if (const auto* attribute = static_cast<const DocumentGraph::GroupAttribute*>(group.GroupAttribute())) {
    const auto& transparency = *attribute->Transparency();
    out.isolated = transparency.IsIsolated();
    out.knockout = transparency.IsKnockout();
    out.constantAlpha = attribute->Alpha();
    out.alphaIsShape = transparency.IsAlphaIsShape();
    out.blendMode = ToComposite(transparency.GetBlendMode());
  }
  out.softMask = TranslateMask(component.SoftMask());
  out.elements = TranslateMembers(
      TFill::TGraphicsComponentIterator(group, Tessel::Input::TObject::kCovering, false), space);
  return out;
}

std::shared_ptr<const Composite::SoftMask> FillProgram::TranslateMask(const TFill::TSoftMask* mask) {
  if (!mask) return nullptr;
  const auto& attribute = static_cast<const DocumentGraph::SoftMaskAttribute&>(*mask->SoftMaskAttribute());
  const MavBlend::SoftMask& defining = *attribute.DefiningSoftMask();
  auto out = std::make_shared<Composite::SoftMask>();
  out->kind = defining.IsAlpha() ? Composite::SoftMask::Kind::Alpha
                                 : Composite::SoftMask::Kind::Luminosity;
  out->space = defining.IsAlpha() ? Composite::SeparationSpace::DeviceCmyk()
                                  : MaskSpace(defining.GetColorSpace());
  out->backdrop = defining.IsAlpha() ? std::vector<float>{}
                                     : BackdropTints(defining.GetBackdropColor(), out->space);
  out->transfer = Transfer(defining.GetTransferFunction());
  out->elements = TranslateMembers(
      TFill::TGraphicsComponentIterator(*mask, Tessel::Input::TObject::kCovering, false), out->space);
  return out;
}

}  // namespace Sampling
