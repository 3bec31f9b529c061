#include <mavdoc/Objects.h>

#include <cmath>
#include <stdexcept>

namespace MavDoc {

namespace {

class GroupContent final : public Content {
 public:
  explicit GroupContent(Group& owner) : Content(kGroupContent, nullptr, &owner) {}
};

}  // namespace

SourceRecord::~SourceRecord() = default;

ContentObject::~ContentObject() = default;

Group* ContentObject::GetParent() const { return container_ ? container_->GetOwner() : nullptr; }

namespace {

// The mask with its transformation followed by `t`.
std::shared_ptr<const MavBlend::SoftMask> MovedMask(const MavBlend::SoftMask& mask, const Vexl::Transformation& t) {
  return MavBlend::SoftMask::Factory(mask.GetContent())
      .SetBackdropColor(mask.GetBackdropColor())
      .SetColorSpace(mask.GetColorSpace())
      .SetAlpha(mask.IsAlpha())
      .SetTransferFunction(mask.GetTransferFunction())
      .SetTransformation(mask.GetTransformation() * t)
      .SetDefinesShape(mask.DefinesShape())
      .Get();
}

}  // namespace

void Transformable::SetTransformation(const Vexl::Transformation& t, int mode) {
  if (mode < 0 || mode > (kKeepFillPaint | kKeepStrokePaint | kKeepSoftMask)) {
    throw std::invalid_argument("Unknown transformation mode " + std::to_string(mode));
  }
  // Paints lie in the object's own space: they move with it unless kept, when they are
  // re-expressed by old · new⁻¹ so that old space maps to the same page.
  if (mode & (kKeepFillPaint | kKeepStrokePaint)) {
    const Vexl::Transformation keep = transformation_ * t.Inverse();
    auto* fillable = dynamic_cast<Fillable*>(this);
    if ((mode & kKeepFillPaint) && fillable && fillable->GetFillPaint()) {
      fillable->SetFillPaint(MavPaint::Transform(fillable->GetFillPaint(), keep));
    }
    auto* strokable = dynamic_cast<Strokable*>(this);
    if ((mode & kKeepStrokePaint) && strokable && strokable->GetStrokePaint()) {
      strokable->SetStrokePaint(MavPaint::Transform(strokable->GetStrokePaint(), keep));
    }
  }
  // A soft mask lies in the space the object sits in (as PDF places it where its graphics state
  // is set): it stays in place when kept, and follows the object's move, old⁻¹ · new, otherwise.
  auto* blendable = dynamic_cast<Blendable*>(this);
  if (!(mode & kKeepSoftMask) && blendable && blendable->GetTransparency()->GetSoftMask() &&
      !(transformation_ == t)) {
    const Vexl::Transformation move = transformation_.Inverse() * t;
    blendable->SetTransparency(MavBlend::Transparency::Factory(blendable->GetTransparency())
                                   .SetSoftMask(MovedMask(*blendable->GetTransparency()->GetSoftMask(), move))
                                   .Get());
  }
  transformation_ = t;
}

const std::shared_ptr<const MavBlend::Transparency>& Blendable::GetTransparency() const {
  return transparency_ ? transparency_ : MavBlend::Transparency::GetDefault();
}

void Strokable::SetStrokeStyle(StrokeStyle style) {
  if (!std::isfinite(style.width) || style.width < 0) {
    throw std::invalid_argument("Stroke width must be finite and not negative");
  }
  if (!(style.miterLimit >= 1)) throw std::invalid_argument("Miter limit must be at least 1");
  double dashTotal = 0;
  for (double d : style.dashes) {
    if (!std::isfinite(d) || d < 0) throw std::invalid_argument("Dash lengths must not be negative");
    dashTotal += d;
  }
  if (!style.dashes.empty() && dashTotal == 0) {
    throw std::invalid_argument("Dash array must not be all zero");
  }
  style_ = std::move(style);
}

Group::Group(std::uint32_t flags) : flags_(flags), content_(std::make_unique<GroupContent>(*this)) {}

Group::~Group() = default;

ContentObject& Group::AddOnTop(std::unique_ptr<ContentObject> object) {
  return content_->AddOnTop(std::move(object));
}

void Group::AcceptChildren(VisitorBase& visitor) { content_->AcceptChildren(visitor); }

void Group::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) AcceptChildren(visitor);
  visitor.EndVisit(*this);
}

Layer::Layer(std::shared_ptr<LayerProperties> properties, LayerExpression expression)
    : properties_(std::move(properties)), expression_(std::move(expression)) {}

void Layer::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) AcceptChildren(visitor);
  visitor.EndVisit(*this);
}

void TextGroup::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) AcceptChildren(visitor);
  visitor.EndVisit(*this);
}

Path::Path(std::shared_ptr<const Vexl::Compound> outline) { SetOutline(std::move(outline)); }

void Path::SetOutline(std::shared_ptr<const Vexl::Compound> outline) {
  outline_ = outline ? std::move(outline) : std::make_shared<const Vexl::Compound>();
}

void Path::Accept(VisitorBase& visitor) {
  visitor.Visit(*this);
  visitor.EndVisit(*this);
}

Image::Image(std::shared_ptr<const MavImg::PaintedPicture> picture) : picture_(std::move(picture)) {
  if (!picture_) throw std::invalid_argument("An image needs a painted picture");
}

void Image::Accept(VisitorBase& visitor) {
  visitor.Visit(*this);
  visitor.EndVisit(*this);
}

ImageMask::ImageMask(std::shared_ptr<const MavImg::PaintedPicture> stencil, bool inverted)
    : stencil_(std::move(stencil)), inverted_(inverted) {
  if (!stencil_) throw std::invalid_argument("An image mask needs a stencil picture");
}

void ImageMask::Accept(VisitorBase& visitor) {
  visitor.Visit(*this);
  visitor.EndVisit(*this);
}

Text::Text(std::string characters, std::shared_ptr<const Vexl::Compound> glyphs, int renderingMode)
    : characters_(std::move(characters)), glyphs_(std::move(glyphs)), renderingMode_(renderingMode) {
  if (renderingMode < 0 || renderingMode > 7) {
    throw std::invalid_argument("Text rendering mode must be 0 to 7");
  }
  if (!glyphs_) glyphs_ = std::make_shared<const Vexl::Compound>();
}

void Text::Accept(VisitorBase& visitor) {
  visitor.Visit(*this);
  visitor.EndVisit(*this);
}

}  // namespace MavDoc
