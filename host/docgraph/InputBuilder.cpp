#include <docgraph/CreateGraph.h>

#include <stdexcept>
#include <string>

#include <mavdoc/Placement.h>
#include <mavdoc/StrokePen.h>
#include <vexl/Stroke.h>

namespace DocumentGraph::Detail {

namespace {

using MavDoc::Blendable;
using MavDoc::Content;
using MavDoc::ContentObject;
using Vexl::Transformation;

constexpr double kInputMillipointsPerPoint = 1000;

// What the walk knows about the objects at one level.
struct Scope {
  bool visible;  // the nearest layer's verdict, or the selection flag
  bool chosen;   // accepted by the object predicate, or inside an accepted group
};

// Walks a content in drawing order and describes what the selection admits to a map input.
class InputBuilder {
 public:
  InputBuilder(const GraphBase::Options& options, const GraphBase::ObjectSelection& selection,
               AttributeCreator& creator)
      : options_(options), selection_(selection), creator_(creator) {
    if (options.sliverWidth != 0) throw std::invalid_argument("Sliver width must be 0");
    if (options.bounds && !options.bounds->hint) input_.SetBounds(options.bounds->rectangle);
  }

  void WalkContent(const Content& content) {
    const MavDoc::Group* owner = content.GetOwner();
    const Transformation toPage =
        owner ? MavDoc::GetAbsoluteTransformation(*owner) : Transformation::Identity();
    WalkMembers(content, toPage, {selection_.selectionFlag, false}, false, {});
  }

  void WalkObject(const ContentObject& object) {
    WalkOne(object, MavDoc::GetContentTransformation(object), {selection_.selectionFlag, false},
            false, {});
  }

  Tessel::Input Take() {
    input_.CheckComplete();
    return std::move(input_);
  }

 private:
  std::string Name(const ContentObject& object, const char* kind) {
    return std::string(kind) + " " + std::to_string(++objectCount_) +
           (dynamic_cast<const MavDoc::Group*>(object.GetParent()) ? " (in a group)" : "");
  }

  // The clipping members of a content as page outlines: they clip every other member.
  std::vector<Tessel::Outline> ClipsOf(const Content& content, const Transformation& toPage) {
    std::vector<Tessel::Outline> clips;
    for (const ContentObject& member : content.GetChildren()) {
      if (!member.IsClippingObject()) continue;
      creator_.CreateClipAttribute(member);
      if (const auto* path = dynamic_cast<const MavDoc::Path*>(&member)) {
        const Transformation t = path->GetTransformation() * toPage;
        clips.push_back({std::make_shared<const Vexl::Compound>(*path->GetOutline() * t),
                         path->GetFillRule()});
      } else if (const auto* text = dynamic_cast<const MavDoc::Text*>(&member)) {
        // Clipping text clips by its glyph outlines.
        const Transformation t = text->GetTransformation() * toPage;
        clips.push_back({std::make_shared<const Vexl::Compound>(*text->GetGlyphs() * t),
                         Vexl::FillRule::NonZero});
      } else {
        throw std::invalid_argument("Only paths and text can clip yet: " + Name(member, "clip"));
      }
    }
    return clips;
  }

  // A content walked as a whole (the root, or a soft mask's artwork): its clipping members clip
  // everything in it, and having no group to carry them, each element takes them.
  void WalkMembers(const Content& content, const Transformation& toPage, Scope scope,
                   bool inMask, std::vector<Tessel::Outline> elementClips) {
    const std::vector<Tessel::Outline> clips = ClipsOf(content, toPage);
    elementClips.insert(elementClips.end(), clips.begin(), clips.end());
    for (const ContentObject& member : content.GetChildren()) {
      if (!member.IsClippingObject()) WalkOne(member, toPage, scope, inMask, elementClips);
    }
  }

  bool Admitted(const ContentObject& object, Scope scope, bool inMask) {
    if (inMask) return true;
    if (!scope.visible) return false;
    return scope.chosen || selection_.includeUnchosen || selection_.objectPredicate(object);
  }

  void WalkOne(const ContentObject& object, const Transformation& toPage, Scope scope,
               bool inMask, const std::vector<Tessel::Outline>& elementClips) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
      WalkGroup(*group, toPage, scope, inMask, elementClips);
    } else if (Admitted(object, scope, inMask)) {
      AddDrawn(object, toPage, elementClips);
    }
  }

  void WalkGroup(const MavDoc::Group& group, const Transformation& toPage, Scope scope,
                 bool inMask, const std::vector<Tessel::Outline>& elementClips) {
    const auto* layer = dynamic_cast<const MavDoc::Layer*>(&group);
    if (dynamic_cast<const MavDoc::TextGroup*>(&group) && group.IsClippingObject()) {
      throw std::invalid_argument("Clipping text cannot be flattened yet: " + Name(group, "text"));
    }
    Scope inner = scope;
    if (layer && !inMask) {
      inner.visible = MavDoc::Evaluate(layer->GetExpression(), selection_.layerPredicate);
      creator_.BeginLayer(*layer);
    } else if (!inMask && !scope.chosen) {
      inner.chosen = selection_.objectPredicate(group);
    }
    const Transformation groupToPage = group.GetTransformation() * toPage;
    const auto& transparency = group.GetTransparency();
    AddSoftMask(transparency, toPage);
    const GroupAttribute* attribute = creator_.CreateGroupAttribute(
        transparency, false, groupToPage, group.GetGroupColorSpace());
    input_.BeginGroup(attribute, ClipsOf(group.GetContent(), groupToPage), Name(group, "group"));
    for (const ContentObject& member : group.GetContent().GetChildren()) {
      if (!member.IsClippingObject()) WalkOne(member, groupToPage, inner, inMask, elementClips);
    }
    input_.EndGroup();
    creator_.EndGroup();
    if (layer && !inMask) creator_.EndLayer(*layer);
  }

  // A soft mask's artwork comes before what it masks; all of it counts, whatever the selection.
  void AddSoftMask(const std::shared_ptr<const MavBlend::Transparency>& transparency,
                   const Transformation& toPage) {
    const auto& mask = transparency->GetSoftMask();
    if (!mask || !options_.transparency) return;
    const Transformation maskToPage = mask->GetTransformation() * toPage;
    const SoftMaskAttribute* attribute =
        creator_.CreateSoftMaskAttribute(transparency, maskToPage, mask->GetColorSpace());
    input_.BeginSoftMask(attribute, "soft mask");
    WalkMembers(*mask->GetContent(), maskToPage, {true, true}, true, {});
    input_.EndSoftMask();
    creator_.EndSoftMask();
  }

  void AddDrawn(const ContentObject& object, const Transformation& toPage,
                const std::vector<Tessel::Outline>& clips);
  void AddPath(const MavDoc::Path& path, const Transformation& toPage,
               const std::vector<Tessel::Outline>& clips);
  void AddImage(const MavDoc::Image& image, const Transformation& toPage,
                const std::vector<Tessel::Outline>& clips);
  void AddImageMask(const MavDoc::ImageMask& stencil, const Transformation& toPage,
                    const std::vector<Tessel::Outline>& clips);
  void AddText(const MavDoc::Text& text, const Transformation& toPage,
               const std::vector<Tessel::Outline>& clips);
  void AddStroke(const MavDoc::Strokable& object, const Vexl::Compound& outline,
                 const Transformation& t, const Transformation& toPage,
                 const std::vector<Tessel::Outline>& clips, const std::string& name);
  void AddShape(const Tessel::TElementAttribute* attribute, Tessel::Outline shape, bool isStroke,
                const std::vector<Tessel::Outline>& clips, std::string name);
  void AddFrame(const Tessel::TElementAttribute* attribute, const Transformation& t,
                const std::vector<Tessel::Outline>& clips, std::string name);

  const GraphBase::Options& options_;
  const GraphBase::ObjectSelection& selection_;
  AttributeCreator& creator_;
  Tessel::Input input_;
  int objectCount_ = 0;
};

void InputBuilder::AddDrawn(const ContentObject& object, const Transformation& toPage,
                            const std::vector<Tessel::Outline>& clips) {
  if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    AddPath(*path, toPage, clips);
  } else if (const auto* image = dynamic_cast<const MavDoc::Image*>(&object)) {
    AddImage(*image, toPage, clips);
  } else if (const auto* text = dynamic_cast<const MavDoc::Text*>(&object)) {
    AddText(*text, toPage, clips);
  } else if (const auto* stencil = dynamic_cast<const MavDoc::ImageMask*>(&object)) {
    AddImageMask(*stencil, toPage, clips);
  }
}

void InputBuilder::AddPath(const MavDoc::Path& path, const Transformation& toPage,
                           const std::vector<Tessel::Outline>& clips) {
  const std::string name = Name(path, "path");
  const Transformation t = path.GetTransformation() * toPage;
  const auto& transparency = path.GetTransparency();
  // The fill is painted first, the stroke over it: two elements.
  if (path.GetFillPaint()) {
    AddSoftMask(transparency, toPage);
    const ElementAttribute* attribute = creator_.CreateElementAttribute(
        path, transparency, false, path.GetFillPaint(), path.GetHalftoneSet(), t, &path);
    AddShape(attribute, {std::make_shared<const Vexl::Compound>(*path.GetOutline() * t), path.GetFillRule()},
             false, clips, name);
  }
  if (path.GetStrokePaint()) AddStroke(path, *path.GetOutline(), t, toPage, clips, name + " stroke");
}

void InputBuilder::AddStroke(const MavDoc::Strokable& object, const Vexl::Compound& outline,
                             const Transformation& t, const Transformation& toPage,
                             const std::vector<Tessel::Outline>& clips, const std::string& name) {
  const Vexl::StrokeParameters pen = MavDoc::PenOf(object.GetStrokeStyle());
  auto shape = std::make_shared<const Vexl::Compound>(
      Vexl::OutlineStroke(outline, pen, t, options_.flatteningTolerance * kInputMillipointsPerPoint));
  const auto* blendable = dynamic_cast<const MavDoc::Blendable*>(&object);
  const auto& transparency = blendable->GetTransparency();
  AddSoftMask(transparency, toPage);
  const auto* fillable = dynamic_cast<const MavDoc::Fillable*>(&object);
  const ElementAttribute* attribute = creator_.CreateElementAttribute(
      object, transparency, true, object.GetStrokePaint(),
      fillable ? fillable->GetHalftoneSet() : nullptr, t, blendable);
  AddShape(attribute, {std::move(shape), Vexl::FillRule::NonZero}, true, clips, name);
}

void InputBuilder::AddShape(const Tessel::TElementAttribute* attribute, Tessel::Outline shape,
                            bool isStroke, const std::vector<Tessel::Outline>& clips,
                            std::string name) {
  Tessel::ElementOptions options;
  options.isStroke = isStroke;
  options.clips = clips;
  options.name = std::move(name);
  input_.AddElement(attribute, std::move(shape), std::move(options));
}

// Text paints its glyph outlines: filled in rendering modes 0, 2, 4 and 6, stroked in 1, 2, 5
// and 6, nothing in 3 and 7.
void InputBuilder::AddText(const MavDoc::Text& text, const Transformation& toPage,
                           const std::vector<Tessel::Outline>& clips) {
  const std::string name = Name(text, "text");
  const int mode = text.GetRenderingMode() % 4;
  if (mode == 3 || text.GetGlyphs()->IsEmpty()) return;
  const Transformation t = text.GetTransformation() * toPage;
  if (mode != 1 && text.GetFillPaint()) {
    const auto& transparency = text.GetTransparency();
    AddSoftMask(transparency, toPage);
    const ElementAttribute* attribute = creator_.CreateElementAttribute(
        text, transparency, false, text.GetFillPaint(), text.GetHalftoneSet(), t, &text);
    AddShape(attribute, {std::make_shared<const Vexl::Compound>(*text.GetGlyphs() * t), Vexl::FillRule::NonZero},
             false, clips, name);
  }
  if ((mode == 1 || mode == 2) && text.GetStrokePaint()) {
    AddStroke(text, *text.GetGlyphs(), t, toPage, clips, name + " stroke");
  }
}

// Pictures and stencils cover the unit square of their own space.
void InputBuilder::AddFrame(const Tessel::TElementAttribute* attribute, const Transformation& t,
                            const std::vector<Tessel::Outline>& clips, std::string name) {
  const Vexl::Rectangle unit{0, 0, MavDoc::Image::kUnit, MavDoc::Image::kUnit, false};
  Tessel::ElementOptions options;
  options.clips = clips;
  options.name = std::move(name);
  input_.AddElement(attribute,
                    {std::make_shared<const Vexl::Compound>(*Vexl::MakeRectangle(unit) * t),
                     Vexl::FillRule::NonZero},
                    std::move(options));
}

void InputBuilder::AddImage(const MavDoc::Image& image, const Transformation& toPage,
                            const std::vector<Tessel::Outline>& clips) {
  std::string name = Name(image, "image");
  const Transformation t = image.GetTransformation() * toPage;
  const auto& transparency = image.GetTransparency();
  AddSoftMask(transparency, toPage);
  // A picture with a coverage channel does not cover its whole frame.
  const bool partial = image.GetPaintedPicture()->HasAlpha();
  if (partial) creator_.SetForceUnknownShape(true);
  const ElementAttribute* attribute = creator_.CreateElementAttribute(
      image, transparency, false, image.GetPaintedPicture(), t, image.GetHalftoneSet(), toPage,
      &image);
  if (partial) creator_.SetForceUnknownShape(false);
  AddFrame(attribute, t, clips, std::move(name));
}

void InputBuilder::AddImageMask(const MavDoc::ImageMask& stencil, const Transformation& toPage,
                                const std::vector<Tessel::Outline>& clips) {
  std::string name = Name(stencil, "image mask");
  if (!stencil.GetFillPaint()) return;
  const Transformation t = stencil.GetTransformation() * toPage;
  const auto& transparency = stencil.GetTransparency();
  AddSoftMask(transparency, toPage);
  // The paint shows only where the stencil is set: the element's coverage is its own.
  creator_.SetForceUnknownShape(true);
  const ElementAttribute* attribute = creator_.CreateElementAttribute(
      stencil, transparency, false, stencil.GetFillPaint(), stencil.GetHalftoneSet(), t, &stencil);
  creator_.SetForceUnknownShape(false);
  AddFrame(attribute, t, clips, std::move(name));
}

}  // namespace

Tessel::Input MakeInput(const GraphBase::Options& options, MavDoc::Visitable& visitable,
                        const GraphBase::ObjectSelection& selection, AttributeCreator& creator) {
  InputBuilder builder(options, selection, creator);
  if (const auto* content = dynamic_cast<const Content*>(&visitable)) {
    builder.WalkContent(*content);
  } else if (const auto* object = dynamic_cast<const ContentObject*>(&visitable)) {
    builder.WalkObject(*object);
  } else {
    throw std::invalid_argument("A planar map is built from a content or an object");
  }
  return builder.Take();
}

}  // namespace DocumentGraph::Detail
