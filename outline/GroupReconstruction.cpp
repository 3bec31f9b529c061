#include <outline/GroupReconstruction.h>

#include <cmath>

#include <docgraph/Attributes.h>
#include <vexl/Measure.h>

namespace Corvel {

namespace {

constexpr int kImageTransformationMode = 7;
// Outline corners and picture corners closer than this (millipoints) are the same point.
constexpr double kCornerTolerance = 0.01;

std::unique_ptr<MavDoc::Path> ClipPath(const RebuildContext& context) {
  auto clip = std::make_unique<MavDoc::Path>(context.outline);
  clip->SetClippingObject(true);
  return clip;
}

// The context's objects, with the outline as a clip in front when a picture needs it.
std::vector<std::unique_ptr<MavDoc::ContentObject>> ClippedObjects(RebuildContext& nested) {
  if (!nested.objects.empty() && nested.needsClip) {
    nested.objects.insert(nested.objects.begin(), ClipPath(nested));
  }
  return std::move(nested.objects);
}

float AlphaOf(const MavBlend::Transparency& t, bool stroke) {
  return stroke ? t.GetStrokeAlpha() : t.GetFillAlpha();
}

// Rebuilt elements are fills (a stroke becomes its outline), so the element's overprint, from
// its stroke or its fill, becomes the fill's.
MavDoc::Overprint FillOverprint(const DocumentGraph::ElementAttribute& a) {
  return {a.Overprints(), false, a.NonzeroOverprint()};
}

void RebuildPath(RebuildContext& context, const Tessel::TFill::TComponent& component,
                 const DocumentGraph::ElementAttribute& a) {
  auto path = std::make_unique<MavDoc::Path>(context.outline);
  path->SetFillPaint(MavPaint::Transform(a.Paint(), a.ContentTransformation()));
  const auto& t = *a.Transparency();
  path->SetTransparency(MavBlend::Transparency::Factory()
                            .SetFillAlpha(AlphaOf(t, a.DoSelectStroke()))
                            .SetBlendMode(t.GetBlendMode())
                            .SetAlphaIsShape(t.IsAlphaIsShape())
                            .SetSoftMask(BuildSoftMask(context, component))
                            .Get());
  path->SetHalftoneSet(a.HalftoneSet());
  path->SetOverprint(FillOverprint(a));
  path->SetRenderingIntent(a.Intent());
  context.objects.push_back(std::move(path));
}

void RebuildImage(RebuildContext& context, const Tessel::TFill::TComponent& component,
                  const DocumentGraph::ElementAttribute& a) {
  // Any picture that does not fit the outline exactly needs the clip, whatever others do.
  if (!OutlineIsImageFrame(context, a.ObjectTransformation())) context.needsClip = true;
  auto image = std::make_unique<MavDoc::Image>(a.PaintedPicture());
  image->SetTransformation(a.ObjectTransformation(), kImageTransformationMode);
  image->SetTransparency(MavBlend::Transparency::Factory(a.Transparency())
                             .SetSoftMask(BuildSoftMask(context, component))
                             .Get());
  image->SetHalftoneSet(a.HalftoneSet());
  image->SetOverprint(FillOverprint(a));
  image->SetRenderingIntent(a.Intent());
  context.objects.push_back(std::move(image));
}

// A stencil keeps its own coverage: it is rebuilt as a stencil in its own place, clipped like
// a picture.
void RebuildStencil(RebuildContext& context, const Tessel::TFill::TComponent& component,
                    const DocumentGraph::ElementAttribute& a, const MavDoc::ImageMask& original) {
  if (!OutlineIsImageFrame(context, a.ObjectTransformation())) context.needsClip = true;
  auto stencil = std::make_unique<MavDoc::ImageMask>(original.GetStencil(), original.IsInverted());
  stencil->SetTransformation(a.ObjectTransformation(), kImageTransformationMode);
  stencil->SetFillPaint(a.Paint());
  stencil->SetTransparency(MavBlend::Transparency::Factory(a.Transparency())
                               .SetSoftMask(BuildSoftMask(context, component))
                               .Get());
  stencil->SetHalftoneSet(a.HalftoneSet());
  stencil->SetOverprint(FillOverprint(a));
  stencil->SetRenderingIntent(a.Intent());
  context.objects.push_back(std::move(stencil));
}

void RebuildGroup(RebuildContext& context, const Tessel::TFill::TComponent& component,
                  const Tessel::TFill::TGroup& group) {
  const auto* g = static_cast<const DocumentGraph::GroupAttribute*>(group.GroupAttribute());
  const MavBlend::Transparency* t = g ? g->Transparency().get() : nullptr;
  const bool plain = !t || ((g->DoSelectStroke() ? MavBlend::StrokeIsNormalOpaque(t)
                                                 : MavBlend::FillIsNormalOpaque(t)) &&
                            !t->IsIsolated() && !t->IsKnockout());
  if (plain) {
    RebuildComponents(context, group);
    return;
  }
  RebuildContext nested(context.document, context.outline);
  RebuildComponents(nested, group);
  auto rebuilt = std::make_unique<MavDoc::Group>(kNewGroupFlags);
  for (auto& object : ClippedObjects(nested)) rebuilt->AddOnTop(std::move(object));
  rebuilt->SetTransparency(MavBlend::Transparency::Factory(g->Transparency())
                               .SetFillAlpha(AlphaOf(*t, g->DoSelectStroke()))
                               .SetSoftMask(BuildSoftMask(context, component))
                               .Get());
  rebuilt->SetGroupColorSpace(g->GroupColorSpace());
  context.objects.push_back(std::move(rebuilt));
}

bool SamePoint(Vexl::Point a, Vexl::Point b) {
  return std::fabs(a.x - b.x) < kCornerTolerance && std::fabs(a.y - b.y) < kCornerTolerance;
}

}  // namespace

void RebuildComponents(RebuildContext& context, const Tessel::TFill::TGroup& group) {
  Tessel::TFill::TGraphicsComponentIterator components(group, Tessel::Input::TObject::kCovering, false);
  while (const auto* component = components.Next()) RebuildComponent(context, *component);
}

void RebuildComponent(RebuildContext& context, const Tessel::TFill::TComponent& component) {
  if (const auto* element = component.Element()) {
    const auto& a = static_cast<const DocumentGraph::ElementAttribute&>(*element->Attribute());
    if (a.PaintedPicture()) {
      RebuildImage(context, component, a);
    } else if (const auto* stencil = dynamic_cast<const MavDoc::ImageMask*>(&a.Object())) {
      RebuildStencil(context, component, a, *stencil);
    } else {
      RebuildPath(context, component, a);
    }
    return;
  }
  RebuildGroup(context, component, *component.Group());
}

std::shared_ptr<const MavBlend::SoftMask> BuildSoftMask(RebuildContext& context,
                                                        const Tessel::TFill::TComponent& component) {
  Tessel::TFill::TMaskComponentIterator masks(component, false);
  const Tessel::TFill::TSoftMask* first = masks.Next();
  if (!first) return nullptr;
  const auto& s = static_cast<const DocumentGraph::SoftMaskAttribute&>(*first->SoftMaskAttribute());
  const MavBlend::SoftMask& m = *s.DefiningSoftMask();
  auto content = MavDoc::Content::MakeSoftMaskContent(context.document);
  RebuildContext nested(context.document, context.outline);
  Tessel::TFill::TGraphicsComponentIterator components(*first, Tessel::Input::TObject::kCovering, false);
  while (const auto* component = components.Next()) RebuildComponent(nested, *component);
  for (auto& object : ClippedObjects(nested)) content->AddOnTop(std::move(object));
  return MavBlend::SoftMask::Factory(std::move(content))
      .SetColorSpace(s.GroupColorSpace())
      .SetBackdropColor(m.GetBackdropColor())
      .SetAlpha(m.IsAlpha())
      .SetTransferFunction(m.GetTransferFunction())
      .SetDefinesShape(m.DefinesShape())
      .Get();
}

bool OutlineIsImageFrame(RebuildContext& context, const Vexl::Transformation& t) {
  if (context.frame == RebuildContext::Frame::Unknown) {
    context.frame = RebuildContext::Frame::NotQuadrilateral;
    const auto& subpaths = context.outline->GetSubpaths();
    if (subpaths.size() == 1 && subpaths.front().IsPolyline()) {
      const Vexl::Subpath polyline = Vexl::MakePolyline(subpaths.front(), 1.0);
      std::vector<Vexl::Point> points{polyline.GetStart()};
      for (const auto& segment : polyline.GetSegments()) points.push_back(segment.end);
      if (points.size() == 5 && points[4] == points[0]) points.pop_back();
      if (points.size() == 4) {
        std::copy(points.begin(), points.end(), context.corners.begin());
        context.frame = RebuildContext::Frame::Quadrilateral;
      }
    }
  }
  if (context.frame != RebuildContext::Frame::Quadrilateral) return false;
  const double unit = MavDoc::Image::kUnit;
  const std::array<Vexl::Point, 4> frame{t.Apply({0, 0}), t.Apply({unit, 0}), t.Apply({unit, unit}),
                                         t.Apply({0, unit})};
  for (int start = 0; start < 4; ++start) {
    for (int direction : {1, 3}) {
      bool all = true;
      for (int k = 0; k < 4 && all; ++k) {
        all = SamePoint(context.corners[k], frame[(start + direction * k) % 4]);
      }
      if (all) return true;
    }
  }
  return false;
}

}  // namespace Corvel
