#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

namespace CorvelPdf::Detail {

namespace {

std::unique_ptr<MavDoc::ContentObject> MakeClipObject(const ClipEntry& clip) {
  if (clip.text) {
    auto text = std::make_unique<MavDoc::Text>("", clip.outline, 7);
    text->SetClippingObject(true);
    text->SetTransformation(clip.transformation, 0);
    return text;
  }
  auto path = std::make_unique<MavDoc::Path>(clip.outline);
  path->SetClippingObject(true);
  path->SetFillRule(clip.rule);
  path->SetTransformation(clip.transformation, 0);
  return path;
}

// A clip or a layer that should enclose the next object, in order of establishment.
struct Enclosure {
  std::uint64_t id;
  const ClipEntry* clip;
  const LayerDefinition* layer;
};

}  // namespace

void Interpreter::PushLevel(MavDoc::Content& root, const Vexl::Transformation& absolute,
                            QPDFObjectHandle resources) {
  GraphicsState state = State();
  state.ctm = {};
  state.clips.clear();
  const bool uncolored = CurrentLevel().uncolored;
  states_.push_back(std::move(state));
  levels_.push_back({&root, absolute, resources, states_.size(), {}, {}, {}, uncolored});
}

// A pattern cell starts from the graphics state its parent content started with, transparency
// reset as in any transparency group (ISO 32000-1 §11.6.7), in pattern space; an uncoloured
// cell paints in the colour given with the pattern.
void Interpreter::PushCellLevel(MavDoc::Content& root, const Vexl::Transformation& absolute,
                                QPDFObjectHandle resources, const TilingPaint& tiling) {
  GraphicsState state = states_[CurrentLevel().stateBase - 1];
  state.ctm = {};
  state.clips.clear();
  state.blendMode = MavBlend::BlendMode::Normal;
  state.fillAlpha = state.strokeAlpha = 1;
  state.alphaIsShape = false;
  state.softMask.reset();
  if (tiling.uncolored) {
    for (PaintState* paint : {&state.fill, &state.stroke}) {
      *paint = PaintState{};
      SetColor(*paint, tiling.space, tiling.components);
      // Recorded in the underlying space so that the cell's objects can be written again.
      const bool device =
          tiling.spaceObject.isName() && IsDeviceSpaceName(tiling.spaceObject.getName());
      const char* setSpace = paint == &state.fill ? "cs" : "CS";
      if (device) {
        paint->setting.push_back({{setSpace, {tiling.spaceObject}}, "", {}});
      } else {
        paint->setting.push_back(
            {{setSpace, {QPDFObjectHandle::newName("/CS")}}, "ColorSpace", tiling.spaceObject});
      }
      Operation color{paint == &state.fill ? "sc" : "SC", {}};
      for (double value : tiling.components)
        color.operands.push_back(QPDFObjectHandle::newReal(value, 6, true));
      paint->setting.push_back({std::move(color), "", {}});
    }
  }
  states_.push_back(std::move(state));
  levels_.push_back({&root, absolute, resources, states_.size(), {}, {}, {},
                     tiling.uncolored || CurrentLevel().uncolored});
}

void Interpreter::PopLevel() {
  states_.resize(levels_.back().stateBase - 1);
  levels_.pop_back();
}

MavDoc::Content& Interpreter::Target() {
  Level& level = CurrentLevel();
  std::vector<Enclosure> wanted;
  auto clip = State().clips.begin();
  for (const auto& marked : level.marked) {
    for (; clip != State().clips.end() && clip->id < marked.id; ++clip)
      wanted.push_back({clip->id, &*clip, nullptr});
    if (marked.layer) wanted.push_back({marked.id, nullptr, &*marked.layer});
  }
  for (; clip != State().clips.end(); ++clip) wanted.push_back({clip->id, &*clip, nullptr});

  std::size_t keep = 0;
  while (keep < level.open.size() && keep < wanted.size() && level.open[keep].id == wanted[keep].id)
    ++keep;
  level.open.resize(keep);
  MavDoc::Content* content = keep == 0 ? level.root : &level.open.back().group->GetContent();
  for (std::size_t i = keep; i < wanted.size(); ++i) {
    std::unique_ptr<MavDoc::Group> group;
    if (wanted[i].layer) {
      group =
          std::make_unique<MavDoc::Layer>(wanted[i].layer->properties, wanted[i].layer->expression);
      auto source = std::make_shared<PdfLayerSource>();
      source->membership = wanted[i].layer->membership;
      group->SetSource(std::move(source));
    } else {
      group = std::make_unique<MavDoc::Group>();
      group->AddOnTop(MakeClipObject(*wanted[i].clip));
    }
    MavDoc::Group* added = group.get();
    content->AddOnTop(std::move(group));
    level.open.push_back({wanted[i].id, added});
    content = &added->GetContent();
  }
  return *content;
}

void Interpreter::SetPaintedState(MavDoc::Blendable& painted) {
  painted.SetOverprint(State().overprint);
  painted.SetRenderingIntent(State().intent);
}

MavDoc::ContentObject& Interpreter::Emit(std::unique_ptr<MavDoc::ContentObject> object) {
  // Painted objects take the overprint and intent in force; a group's members carry their own.
  if (auto* painted = dynamic_cast<MavDoc::Blendable*>(object.get());
      painted && !dynamic_cast<MavDoc::Group*>(object.get())) {
    SetPaintedState(*painted);
  }
  return Target().AddOnTop(std::move(object));
}

// One operator that fills and strokes paints both as if in a non-isolated knockout group
// (ISO 32000-1 §11.7.4.4): a stroke that composites shows what lay beneath the fill, not the
// fill. The document model paints the stroke over the fill, so such an object gets that group.
MavDoc::ContentObject& Interpreter::EmitFilledAndStroked(
    std::unique_ptr<MavDoc::ContentObject> object) {
  const auto& s = State();
  if (s.strokeAlpha == 1 && s.blendMode == MavBlend::BlendMode::Normal && !s.softMask)
    return Emit(std::move(object));
  if (auto* painted = dynamic_cast<MavDoc::Blendable*>(object.get())) SetPaintedState(*painted);
  auto group = std::make_unique<MavDoc::Group>();
  group->SetTransparency(MavBlend::Transparency::Factory().SetKnockout(true).Get());
  group->AddOnTop(std::move(object));
  return Emit(std::move(group));
}

void Interpreter::AddClip(std::shared_ptr<const Vexl::Compound> outline, Vexl::FillRule rule,
                          bool text) {
  State().clips.push_back({NextId(), std::move(outline), State().ctm, rule, text});
}

std::shared_ptr<const MavBlend::SoftMask> Interpreter::SoftMaskForLevel(const SoftMaskState& mask,
                                                                      bool alphaIsShape) {
  Vexl::Transformation toLevel;
  try {
    toLevel = mask.absolute * CurrentLevel().absolute.Inverse();
  } catch (const std::invalid_argument&) {
    return nullptr;  // a level of no area paints nothing anyway
  }
  return MavBlend::SoftMask::Factory(mask.content)
      .SetAlpha(mask.alpha)
      .SetBackdropColor(mask.backdrop)
      .SetColorSpace(mask.space)
      .SetTransferFunction(mask.transfer)
      .SetTransformation(toLevel)
      // PDF's one /AIS flag governs the mask as it governs the constant alpha.
      .SetDefinesShape(alphaIsShape)
      .Get();
}

std::shared_ptr<const MavBlend::Transparency> Interpreter::CurrentTransparency() {
  const auto& s = State();
  if (s.blendMode == MavBlend::BlendMode::Normal && s.fillAlpha == 1 && s.strokeAlpha == 1 &&
      !s.alphaIsShape && !s.softMask) {
    return nullptr;
  }
  MavBlend::Transparency::Factory factory;
  factory.SetBlendMode(s.blendMode).SetFillAlpha(s.fillAlpha).SetStrokeAlpha(s.strokeAlpha);
  factory.SetAlphaIsShape(s.alphaIsShape);
  if (s.softMask) factory.SetSoftMask(SoftMaskForLevel(*s.softMask, s.alphaIsShape));
  return factory.Get();
}

// Middle gray: what a stand-in for an unreadable paint shows if anything ever draws it.
std::shared_ptr<const MavPaint::Paint> Interpreter::Placeholder() {
  const double gray[] = {0.5};
  return MavPaint::FlatPaint::Factory(MakeColor(*DeviceGraySpace(), gray), &context_.Document(),
                                      nullptr)
      .Get();
}

// What an object painted with a colour the reader cannot represent gets: a stand-in when the
// file keeps what cannot be read, otherwise nothing.
std::shared_ptr<const MavPaint::Paint> Interpreter::FailedPaint(const std::string& why) {
  if (context_.KeepUnreadable()) {
    context_.Warn(why + ": objects painted with it kept as they are");
    unreadable_ = why;
    return Placeholder();
  }
  context_.Warn(why + ": objects painted with it dropped");
  return nullptr;
}

std::shared_ptr<const MavPaint::Paint> Interpreter::PaintFor(const PaintState& paint, bool stroke) {
  if (!paint.unsupported.empty()) return FailedPaint(paint.unsupported);
  // Paths and text tile their pattern (TileParts); what else paints with one stands in.
  if (paint.tiling)
    return FailedPaint("tiling pattern /" + paint.tiling->name + " on an image mask");
  if (!paint.shading) return paint.flat;
  try {
    return paint.shading->Transformed(State().ctm.Inverse());
  } catch (const std::invalid_argument&) {
    context_.Warn(std::string(stroke ? "stroke" : "fill") +
                  " with a shading under a singular matrix dropped");
    return nullptr;
  }
}

void Interpreter::OpBeginMarked(const Operation&) {
  CurrentLevel().marked.push_back({NextId(), std::nullopt});
}

void Interpreter::OpBeginMarkedProperties(const Operation& operation) {
  std::optional<LayerDefinition> layer;
  if (operation.operands.size() >= 2 && operation.operands[0].isNameAndEquals("/OC")) {
    auto properties = operation.operands[1];
    if (properties.isName()) properties = Resource("/Properties", NameOf(properties));
    layer = context_.Layers().LayerOf(properties);
  }
  CurrentLevel().marked.push_back({NextId(), std::move(layer)});
}

void Interpreter::OpEndMarked(const Operation&) {
  if (CurrentLevel().marked.empty()) {
    context_.Warn("EMC without its BMC or BDC ignored");
    return;
  }
  CurrentLevel().marked.pop_back();
}

}  // namespace CorvelPdf::Detail
