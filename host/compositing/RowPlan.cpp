#include <compositing/RowPlanInternal.h>

namespace Composite::Detail {

RowPlan::RowPlan(const ProgramData& programData) : data(programData) {
  zero = ConstantPlane(0.0f);
  one = ConstantPlane(1.0f);
  for (float*& plane : spare) plane = NewPlane();
  groups.resize(data.groups.size());
  masks.resize(data.masks.size());
  // Masks first, in their order, so that a mask's nested masks are planned before it.
  for (std::size_t i = 0; i < data.masks.size(); ++i) {
    if (data.masks[i].varying) BuildMask(static_cast<int>(i));
  }
  BuildGroup(0);
  const SourcePlan& root = groups.front().sources.front();
  pageForwards = root.group != kNone && root.direct &&
                 root.alpha == groups[static_cast<std::size_t>(root.group)].groupAlpha;
  top = pageForwards ? root.group : 0;
  MarkOutputStep();
  FuseMaskReaders();
}

// A picture under a luminosity mask of one image or shading is the commonest masked artwork:
// when that element is the mask's only reader, the mask pass computes its alpha as well.
void RowPlan::FuseMaskReaders() {
  std::vector<int> readCount(masks.size(), 0);
  std::vector<SourcePlan*> lastReader(masks.size(), nullptr);
  for (GroupPlan& group : groups) {
    for (SourcePlan& source : group.sources) {
      if (source.mask == kNone) continue;
      ++readCount[static_cast<std::size_t>(source.mask)];
      lastReader[static_cast<std::size_t>(source.mask)] = &source;
    }
  }
  for (std::size_t i = 0; i < masks.size(); ++i) {
    SourcePlan* reader = lastReader[i];
    if (!masks[i].single || readCount[i] != 1 || masks[i].mask->transferTable.size() >= 2) continue;
    // A group scales its planes by the mask, and alpha-is-shape reads the mask for the shape.
    if (reader->group != kNone || reader->alphaConstant || reader->source->alphaIsShape) continue;
    masks[i].reader = reader;
    reader->alphaFromMask = true;
  }
}

// The output group's last step can write the output planes itself when nothing follows it:
// it is composited (not stored) and no backdrop is removed afterwards.
void RowPlan::MarkOutputStep() {
  GroupPlan& output = groups[static_cast<std::size_t>(top)];
  if (!output.effectivelyIsolated || output.sources.empty()) return;
  SourcePlan& last = output.sources.back();
  last.writesOutput = !last.direct;
}

float* RowPlan::NewPlane() { return planes.emplace_back().values; }

float* RowPlan::ConstantPlane(float value) {
  float* plane = NewPlane();
  Fill(plane, value, kChunk);
  return plane;
}

void RowPlan::BuildMask(int maskIndex) {
  const CompiledMask& compiled = data.masks[static_cast<std::size_t>(maskIndex)];
  MaskPlan& plan = masks[static_cast<std::size_t>(maskIndex)];
  plan.mask = &compiled;
  plan.group = compiled.group;
  plan.value = NewPlane();
  if (compiled.kind == SoftMask::Kind::Luminosity) {
    for (float tint : compiled.backdrop) plan.backdrop.push_back(ConstantPlane(tint));
  }
  BuildGroup(compiled.group);
  const GroupPlan& group = groups[static_cast<std::size_t>(compiled.group)];
  if (compiled.kind != SoftMask::Kind::Luminosity) return;
  const SeparationSpace& space = data.spaces[static_cast<std::size_t>(group.group->space)];
  const ProcessInks& ink = space.GetProcessInks();
  plan.roles = {ink.cyan, ink.magenta, ink.yellow, ink.black};
  plan.blackOnly = ink.cyan < 0 && ink.magenta < 0 && ink.yellow < 0 && ink.black >= 0;
  if (group.effectivelyIsolated &&
      group.channels > 0 && group.sources.size() == 1) {
    const SourcePlan& only = group.sources.front();
    if (only.group == kNone && only.source->input != kNone && only.mask == kNone) {
      plan.single = &only;
    }
  }
}

void RowPlan::BuildGroup(int groupIndex) {
  const CompiledGroup& compiled = data.groups[static_cast<std::size_t>(groupIndex)];
  GroupPlan plan;
  plan.group = &compiled;
  plan.channels =
      compiled.alphaOnly
          ? 0
          : static_cast<int>(data.spaces[static_cast<std::size_t>(compiled.space)].Size());
  plan.effectivelyIsolated = compiled.isolated || compiled.backdropEmpty || !compiled.readsBackdrop;
  for (int c = 0; c < plan.channels; ++c) plan.colour.push_back(NewPlane());
  plan.colourView.assign(plan.colour.begin(), plan.colour.end());
  plan.backdrop.assign(static_cast<std::size_t>(plan.channels), zero);
  plan.backdropAlpha = zero;
  plan.alpha = NewPlane();
  plan.groupAlpha = plan.effectivelyIsolated ? plan.alpha : NewPlane();
  if (compiled.shapeNeeded) plan.shape = NewPlane();
  // Until a source is stored or composited, the running result is the backdrop (or a deferred
  // source) and the next step reads it from there.
  const std::size_t count = compiled.sources.size();
  Step step = Step::FromBelow;
  for (std::size_t i = 0; i < count; ++i) {
    const CompiledSource* next = i + 1 < count ? &compiled.sources[i + 1] : nullptr;
    plan.sources.push_back(BuildSource(compiled.sources[i], plan, i == 0, step, next));
    const SourcePlan& built = plan.sources.back();
    if (!built.deferred) {
      step = compiled.knockout ? Step::Knockout : Step::InPlace;
    } else {
      step = built.form == SourceForm::RawTints ? Step::FromBelowTints : Step::FromBelow;
    }
  }
  groups[static_cast<std::size_t>(groupIndex)] = std::move(plan);
}

SourcePlan RowPlan::BuildSource(const CompiledSource& source, const GroupPlan& parent, bool first,
                                Step step, const CompiledSource* next) {
  SourcePlan plan;
  plan.source = &source;
  plan.direct = first && parent.effectivelyIsolated;
  plan.step = step;
  const bool knockout = parent.group->knockout;
  const bool shapeRead = parent.group->knockout || parent.group->shapeNeeded;
  float maskFactor = 1;
  if (source.mask != kNone) {
    const CompiledMask& mask = data.masks[static_cast<std::size_t>(source.mask)];
    if (mask.varying) {
      plan.mask = source.mask;
    } else {
      maskFactor = static_cast<float>(mask.constantValue);
    }
  }
  const float k = source.constantAlpha * maskFactor;
  const float ownShape = source.isGroup ? 1.0f : source.shape;
  const float ownAlpha = source.isGroup ? 1.0f : source.shape * source.opacity;
  plan.alphaFactor = ownAlpha * k;
  plan.shapeFactor = source.alphaIsShape ? ownShape * k : ownShape;
  if (source.isGroup) {
    plan.group = source.group;
    BuildGroup(source.group);
    const GroupPlan& child = groups[static_cast<std::size_t>(source.group)];
    plan.form = SourceForm::Premultiplied;
    plan.colourIn = child.colourView;
    const bool unscaled = plan.mask == kNone && plan.alphaFactor == 1 && plan.shapeFactor == 1;
    plan.alpha = unscaled ? child.groupAlpha : NewPlane();
    if (shapeRead) plan.shape = unscaled ? child.shape : NewPlane();
  } else if (source.input == kNone && plan.mask == kNone) {
    for (float tint : source.tints) plan.colourIn.push_back(ConstantPlane(plan.alphaFactor * tint));
    plan.form = SourceForm::Premultiplied;
    plan.alphaConstant = true;
    plan.alpha = ConstantPlane(plan.alphaFactor);
    if (shapeRead) plan.shape = ConstantPlane(plan.shapeFactor);
    plan.deferred = plan.direct && !knockout;
  } else {
    if (source.input == kNone) {
      for (float tint : source.tints) plan.colourIn.push_back(ConstantPlane(tint));
      plan.form = SourceForm::Tints;
    } else {
      plan.colourIn.assign(static_cast<std::size_t>(parent.channels), nullptr);
      plan.form = SourceForm::RawTints;
      // The next step reads the tints themselves, unless it is a group, which needs a
      // premultiplied backdrop.
      plan.deferred = plan.direct && !knockout && next && !next->isGroup;
    }
    // A stored direct source's alpha and shape are the group's: computed in place, not copied.
    const bool inPlace = plan.direct && !plan.deferred;
    plan.alpha = inPlace ? parent.alpha : NewPlane();
    if (shapeRead) plan.shape = inPlace && parent.shape ? parent.shape : NewPlane();
  }
  plan.colourIn.resize(static_cast<std::size_t>(parent.channels));
  ChooseKernels(plan, parent);
  return plan;
}

namespace {

// Whether B(t, t) = t under a separable mode.
bool KeepsItsSelf(BlendMode mode) {
  return mode == BlendMode::Normal || mode == BlendMode::Darken || mode == BlendMode::Lighten;
}

}  // namespace

void RowPlan::ChooseKernels(SourcePlan& plan, const GroupPlan& parent) {
  const CompiledSource& source = *plan.source;
  const SeparationSpace& space = data.spaces[static_cast<std::size_t>(parent.group->space)];
  const ProcessInks& ink = space.GetProcessInks();
  const bool separable = IsSeparable(source.mode);
  const bool spotsBlend = IsWhitePreserving(source.mode);
  plan.kernels.assign(static_cast<std::size_t>(parent.channels), nullptr);
  for (int c = 0; c < parent.channels; ++c) {
    const bool spot = space.IsSpot(static_cast<std::size_t>(c));
    ChannelOp op = ChannelOp::Separable;
    BlendMode mode = source.mode;
    if (source.KeepsBackdrop(static_cast<std::size_t>(c))) {
      // An overprinted ink: B(t_b, t_b), which is t_b itself under Normal, Darken, Lighten,
      // non-separable modes, and for spots under modes that are not white-preserving.
      op = separable && (!spot || spotsBlend) && !KeepsItsSelf(source.mode) ? ChannelOp::SelfBlend
                                                                           : ChannelOp::KeepBackdrop;
    } else if (spot && !spotsBlend) {
      mode = BlendMode::Normal;
    } else if (!separable) {
      if (c != ink.black) continue;  // C, M, Y go to the triple kernel
      // K is not blended: the backdrop's under Hue, Saturation, Color; the source's under
      // Luminosity (ISO 32000-1 §11.3.5).
      if (source.mode == BlendMode::Luminosity) {
        mode = BlendMode::Normal;
      } else {
        op = ChannelOp::KeepBackdrop;
      }
    }
    plan.kernels[static_cast<std::size_t>(c)] = SelectChannelKernel(op, mode, plan.form, plan.step);
  }
  constexpr std::size_t kMaxRun = 8;  // the evaluator's batch
  for (int c = 0; c < parent.channels; ++c) {
    const ChannelKernel kernel = plan.kernels[static_cast<std::size_t>(c)];
    if (!kernel) continue;
    if (plan.runs.empty() || plan.runs.back().kernel != kernel ||
        plan.runs.back().channels.size() == kMaxRun) {
      plan.runs.push_back({kernel, {}});
    }
    plan.runs.back().channels.push_back(c);
  }
  const bool anyRole = ink.cyan >= 0 || ink.magenta >= 0 || ink.yellow >= 0;
  // Overprint keeps C, M and Y together or not at all (see Element::keepsBackdrop).
  const int firstRole = ink.cyan >= 0 ? ink.cyan : (ink.magenta >= 0 ? ink.magenta : ink.yellow);
  const bool rolesKept = anyRole && source.KeepsBackdrop(static_cast<std::size_t>(firstRole));
  if (!separable && parent.channels > 0 && anyRole && !rolesKept) {
    plan.triple = SelectTripleKernel(source.mode, plan.form, plan.step);
    plan.tripleChannels = {ink.cyan, ink.magenta, ink.yellow};
  }
}

}  // namespace Composite::Detail
