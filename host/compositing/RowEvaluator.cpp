#include <compositing/RowEvaluator.h>
#include <compositing/RowPlanInternal.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Composite {

namespace {

using Detail::GroupPlan;
using Detail::kNone;
using Detail::RowPlan;
using Detail::SourcePlan;

// Evaluates one chunk of pixels [x0, x0 + n) of a row through a plan.
class ChunkEvaluator {
 public:
  // `output` (may be empty) receives the output planes of the row, each `width` bytes: the
  // output group's last step writes its part of this chunk there directly.
  ChunkEvaluator(RowPlan& plan, std::span<const InputRow> inputs, std::size_t x0, int n,
                 std::span<std::uint8_t> output = {}, std::size_t width = 0)
      : plan_(plan), inputs_(inputs), x0_(x0), n_(n), output_(output), width_(width) {}

  void EvaluateMasks();
  void MaskLuminosity(const Detail::MaskPlan& mask, const GroupPlan& group);
  void LuminosityOfElement(const Detail::MaskPlan& mask);
  void EvaluateGroup(int groupIndex, const std::vector<const float*>* backdrop,
                     const float* backdropAlpha);

 private:
  void Settle(GroupPlan& group);
  void PrepareSource(SourcePlan& source);
  void StoreDirect(GroupPlan& group, const SourcePlan& source);
  void CompositeOver(GroupPlan& group, const SourcePlan& source);
  void CompositeTriple(GroupPlan& group, const SourcePlan& source, const float* backdropAlpha);
  void UpdateAlpha(GroupPlan& group, const SourcePlan& source);
  const float* MaskPlane(int mask) const {
    return mask == kNone ? nullptr : plan_.masks[static_cast<std::size_t>(mask)].value;
  }

  RowPlan& plan_;
  std::span<const InputRow> inputs_;
  std::size_t x0_;
  int n_;
  std::span<std::uint8_t> output_;
  std::size_t width_;
};

void ChunkEvaluator::EvaluateMasks() {
  for (Detail::MaskPlan& mask : plan_.masks) {
    if (!mask.value) continue;
    const GroupPlan& group = plan_.groups[static_cast<std::size_t>(mask.group)];
    if (mask.mask->kind == SoftMask::Kind::Alpha) {
      EvaluateGroup(mask.group, nullptr, nullptr);
      Detail::Copy(mask.value, group.groupAlpha, n_);
    } else if (mask.single) {
      LuminosityOfElement(mask);
      if (mask.reader) continue;  // no transfer function; the reader's alpha is written
    } else {
      EvaluateGroup(mask.group, &mask.backdrop, plan_.one);
      MaskLuminosity(mask, group);
    }
    const auto& table = mask.mask->transferTable;
    Detail::ApplyTransfer(mask.value, table.data(), static_cast<int>(table.size()), n_);
  }
}

// The C, M, Y, K planes of a luminosity mask's colour, from `planeOf(channel)` (a zero
// plane for an absent role), and their BC tints (0 there).
struct RolePlanes {
  const float* planes[4];
  float backdrop[4];
};

RolePlanes GatherRoles(const Detail::MaskPlan& mask, const float* zero, const auto& planeOf) {
  RolePlanes result{{zero, zero, zero, zero}, {}};
  for (std::size_t i = 0; i < 4; ++i) {
    if (mask.roles[i] < 0) continue;
    const auto role = static_cast<std::size_t>(mask.roles[i]);
    result.planes[i] = planeOf(role);
    result.backdrop[i] = mask.mask->backdrop[role];
  }
  return result;
}

void ChunkEvaluator::LuminosityOfElement(const Detail::MaskPlan& mask) {
  const SourcePlan& only = *mask.single;
  const auto shapeOf = [&](const SourcePlan& source) {
    const float* shape = inputs_[static_cast<std::size_t>(source.source->input)].shape;
    return shape ? shape + x0_ : plan_.one;
  };
  const InputRow& input = inputs_[static_cast<std::size_t>(only.source->input)];
  const float* shape = shapeOf(only);
  const auto tintsOf = [&](std::size_t channel) { return input.tints[channel] + x0_; };
  float* out = mask.value;
  Detail::MaskReader reader;
  if (mask.reader) {
    out = mask.reader->alpha;
    reader.alphaFactor = mask.reader->alphaFactor;
    reader.shape = mask.reader->source->input == kNone ? plan_.one : shapeOf(*mask.reader);
  }
  if (mask.blackOnly) {
    const auto black = static_cast<std::size_t>(mask.roles[3]);
    Detail::MaskLuminosityOfBlackTints(out, tintsOf(black), mask.mask->backdrop[black],
                                       only.alphaFactor, shape, reader, n_);
    return;
  }
  const RolePlanes roles = GatherRoles(mask, plan_.zero, tintsOf);
  Detail::MaskLuminosityOfTints(out, roles.planes, roles.backdrop, only.alphaFactor, shape,
                                reader, n_);
}

void ChunkEvaluator::MaskLuminosity(const Detail::MaskPlan& mask, const GroupPlan& group) {
  const auto colourOf = [&](std::size_t channel) { return group.colour[channel]; };
  if (mask.blackOnly) {
    const auto black = static_cast<std::size_t>(mask.roles[3]);
    Detail::MaskLuminosityBlack(mask.value, colourOf(black), mask.mask->backdrop[black],
                                group.groupAlpha, n_);
    return;
  }
  const RolePlanes roles = GatherRoles(mask, plan_.zero, colourOf);
  Detail::MaskLuminosity(mask.value, roles.planes, roles.backdrop, group.groupAlpha, n_);
}

// Runs a group's stack over the given backdrop (null: empty) and leaves the group's result in
// its planes: premultiplied colour with the backdrop removed, group alpha and shape.
void ChunkEvaluator::EvaluateGroup(int groupIndex, const std::vector<const float*>* backdrop,
                                   const float* backdropAlpha) {
  GroupPlan& group = plan_.groups[static_cast<std::size_t>(groupIndex)];
  if (!group.effectivelyIsolated) {  // an isolated group's backdrop is its plan's zero planes
    std::copy(backdrop->begin(), backdrop->begin() + group.channels, group.backdrop.begin());
    group.backdropAlpha = backdropAlpha;
  }
  group.below = &group.backdrop;
  group.belowAlpha = group.backdropAlpha;
  group.belowGroupAlpha = plan_.zero;
  group.belowShape = plan_.zero;
  group.inOwnPlanes = false;
  const bool knockout = group.group->knockout;
  for (SourcePlan& source : group.sources) {
    if (source.group != kNone) {
      // A nested group composites over what lies below it: the group's backdrop in a
      // knockout group, else the running result.
      const bool own = group.inOwnPlanes && !knockout;
      EvaluateGroup(source.group, own ? &group.colourView : group.below,
                    own ? group.alpha : group.belowAlpha);
    }
    PrepareSource(source);
    if (source.deferred) {
      group.below = &source.colourIn;
      group.belowAlpha = source.alpha;
      group.belowGroupAlpha = source.alpha;
      group.belowShape = source.shape;
      continue;
    }
    if (source.direct) {
      StoreDirect(group, source);
    } else {
      CompositeOver(group, source);
    }
    group.inOwnPlanes = true;
  }
  if (!group.inOwnPlanes) Settle(group);
  if (!group.effectivelyIsolated) {
    for (int c = 0; c < group.channels; ++c) {
      Detail::RemoveBackdrop(group.colour[static_cast<std::size_t>(c)],
                             group.backdrop[static_cast<std::size_t>(c)], group.groupAlpha, n_);
    }
  }
}

// Copies the running result into the group's planes when no step put it there: an empty
// stack (the backdrop) or a deferred flat source alone.
void ChunkEvaluator::Settle(GroupPlan& group) {
  for (std::size_t c = 0; c < group.colour.size(); ++c) {
    Detail::Copy(group.colour[c], (*group.below)[c], n_);
  }
  Detail::Copy(group.alpha, group.belowAlpha, n_);
  if (group.groupAlpha != group.alpha) Detail::Copy(group.groupAlpha, group.belowGroupAlpha, n_);
  if (group.shape) Detail::Copy(group.shape, group.belowShape, n_);
}

// Fills the source's alpha and shape planes (and points at a varying element's tints).
void ChunkEvaluator::PrepareSource(SourcePlan& source) {
  if (source.alphaConstant) return;
  const float* mask = MaskPlane(source.mask);
  const float* maskOnShape = source.source->alphaIsShape ? mask : nullptr;
  if (source.group != kNone) {
    GroupPlan& child = plan_.groups[static_cast<std::size_t>(source.group)];
    if (source.alpha == child.groupAlpha) return;
    for (float* plane : child.colour) Detail::ScaleInPlace(plane, source.alphaFactor, mask, n_);
    Detail::ScaledProduct(source.alpha, source.alphaFactor, mask, child.groupAlpha, n_);
    if (source.shape) {
      Detail::ScaledProduct(source.shape, source.shapeFactor, maskOnShape, child.shape, n_);
    }
    return;
  }
  const float* shapeIn = nullptr;
  if (source.source->input != kNone) {
    const InputRow& input = inputs_[static_cast<std::size_t>(source.source->input)];
    for (std::size_t c = 0; c < source.colourIn.size(); ++c)
      source.colourIn[c] = input.tints[c] + x0_;
    if (input.shape) shapeIn = input.shape + x0_;
  }
  if (!source.alphaFromMask) Detail::ScaledProduct(source.alpha, source.alphaFactor, mask, shapeIn, n_);
  if (source.shape) {
    Detail::ScaledProduct(source.shape, source.shapeFactor, maskOnShape, shapeIn, n_);
  }
}

void ChunkEvaluator::StoreDirect(GroupPlan& group, const SourcePlan& source) {
  Detail::StoreSource(group.colour.data(), source.colourIn.data(), group.colour.size(),
                      source.alpha, source.form, n_);
  Detail::Copy(group.alpha, source.alpha, n_);
  if (group.shape) Detail::Copy(group.shape, source.shape, n_);
}

void ChunkEvaluator::CompositeOver(GroupPlan& group, const SourcePlan& source) {
  const bool fromBelow = Detail::ReadsBelow(source.step);
  const float* backdropAlpha = group.group->knockout ? group.backdropAlpha
                               : fromBelow           ? group.belowAlpha
                                                     : group.alpha;
  const auto& p0 = fromBelow ? *group.below : group.backdrop;
  const bool toOutput = source.writesOutput && !output_.empty();
  std::array<Detail::ChannelArgs, 8> batch;
  for (const SourcePlan::KernelRun& run : source.runs) {
    int count = 0;
    for (const int channel : run.channels) {
      const auto c = static_cast<std::size_t>(channel);
      batch[static_cast<std::size_t>(count++)] = {
          group.colour[c], p0[c], backdropAlpha, source.colourIn[c], source.alpha, source.shape,
          n_,              toOutput ? output_.data() + c * width_ + x0_ : nullptr};
    }
    run.kernel(batch.data(), count);
  }
  if (source.triple) CompositeTriple(group, source, backdropAlpha);
  if (!source.writesOutput) UpdateAlpha(group, source);
}

// The group's alpha (and group-only alpha and shape) after a composited source.
void ChunkEvaluator::UpdateAlpha(GroupPlan& group, const SourcePlan& source) {
  const bool separateGroupAlpha = group.groupAlpha != group.alpha;
  if (Detail::ReadsBelow(source.step)) {
    // Over what lies below, a knockout step is a plain union too (P = P_0 there).
    Detail::UnionOf(group.alpha, group.belowAlpha, source.alpha, n_);
    if (separateGroupAlpha) {
      Detail::UnionOf(group.groupAlpha, group.belowGroupAlpha, source.alpha, n_);
    }
    if (group.shape) Detail::UnionOf(group.shape, group.belowShape, source.shape, n_);
    return;
  }
  if (group.group->knockout) {
    Detail::KnockoutAlpha(group.alpha, group.backdropAlpha, source.alpha, source.shape, n_);
    if (separateGroupAlpha) {
      Detail::KnockoutGroupAlpha(group.groupAlpha, source.alpha, source.shape, n_);
    }
  } else {
    Detail::UnionInPlace(group.alpha, source.alpha, n_);
    if (separateGroupAlpha) Detail::UnionInPlace(group.groupAlpha, source.alpha, n_);
  }
  if (group.shape) Detail::UnionInPlace(group.shape, source.shape, n_);
}

// The C, M, Y roles under a non-separable mode; an absent role reads as no ink and its
// result goes to a spare plane.
void ChunkEvaluator::CompositeTriple(GroupPlan& group, const SourcePlan& source,
                                     const float* backdropAlpha) {
  const auto& p0 = Detail::ReadsBelow(source.step) ? *group.below : group.backdrop;
  Detail::TripleArgs args{};
  args.ab = backdropAlpha;
  args.as = source.alpha;
  args.fs = source.shape;
  args.n = n_;
  for (std::size_t i = 0; i < 3; ++i) {
    const int c = source.tripleChannels[i];
    if (c == kNone) {
      Detail::Fill(plan_.spare[i], 0.0f, n_);
      args.p[i] = plan_.spare[i];
      args.p0[i] = plan_.zero;
      args.src[i] = plan_.zero;
    } else {
      const auto channel = static_cast<std::size_t>(c);
      args.p[i] = group.colour[channel];
      args.p0[i] = p0[channel];
      args.src[i] = source.colourIn[channel];
    }
  }
  source.triple(args);
}

[[noreturn]] void FailEvaluation(const std::string& message) {
  throw std::invalid_argument("Composite: " + message);
}

void CheckRowInputs(const Detail::ProgramData& data, std::span<const InputRow> inputs,
                    std::size_t width, std::size_t planeBytes) {
  const std::size_t channels = data.spaces.front().Size();
  if (planeBytes < channels * width) {
    FailEvaluation("the output holds " + std::to_string(planeBytes) + " bytes, " + std::to_string(channels) +
         " planes of " + std::to_string(width) + " need more");
  }
  if (inputs.size() < data.inputChannels.size()) {
    FailEvaluation("the program reads " + std::to_string(data.inputChannels.size()) + " inputs but " +
         std::to_string(inputs.size()) + " rows were given");
  }
  for (std::size_t i = 0; i < data.inputChannels.size(); ++i) {
    if (data.inputChannels[i] < 0) continue;
    const auto expected = static_cast<std::size_t>(data.inputChannels[i]);
    if (inputs[i].tints.size() != expected) {
      FailEvaluation("input row " + std::to_string(i) + " has " + std::to_string(inputs[i].tints.size()) +
           " tint planes, expected " + std::to_string(expected));
    }
    for (const float* plane : inputs[i].tints) {
      if (!plane) FailEvaluation("input row " + std::to_string(i) + " has a null tint plane");
    }
  }
}

}  // namespace

RowEvaluator::RowEvaluator(Program program)
    : program_(std::move(program)), plan_(std::make_unique<Detail::RowPlan>(program_.GetData())) {
  if (program_.IsFlat()) {
    ChunkEvaluator chunk(*plan_, {}, 0, 1);
    chunk.EvaluateGroup(0, nullptr, nullptr);
    const GroupPlan& page = plan_->groups.front();
    flatBytes_.resize(page.colour.size());
    for (std::size_t c = 0; c < page.colour.size(); ++c) {
      Detail::Quantise(page.colour[c], &flatBytes_[c], 1);
    }
  }
}

RowEvaluator::~RowEvaluator() = default;
RowEvaluator::RowEvaluator(RowEvaluator&&) noexcept = default;
RowEvaluator& RowEvaluator::operator=(RowEvaluator&&) noexcept = default;

void RowEvaluator::EvaluateRow(std::span<const InputRow> inputs, std::size_t width,
                               std::span<std::uint8_t> planes) {
  const Detail::ProgramData& data = program_.GetData();
  CheckRowInputs(data, inputs, width, planes.size());
  if (program_.IsFlat()) {
    for (std::size_t c = 0; c < flatBytes_.size(); ++c) {
      std::memset(planes.data() + c * width, flatBytes_[c], width);
    }
    return;
  }
  const GroupPlan& page = plan_->groups[static_cast<std::size_t>(plan_->top)];
  const SourcePlan* last = page.sources.empty() ? nullptr : &page.sources.back();
  for (std::size_t x0 = 0; x0 < width; x0 += Detail::kChunk) {
    const int n = static_cast<int>(std::min<std::size_t>(Detail::kChunk, width - x0));
    ChunkEvaluator chunk(*plan_, inputs, x0, n, planes, width);
    chunk.EvaluateMasks();
    chunk.EvaluateGroup(plan_->top, nullptr, nullptr);
    for (std::size_t c = 0; c < page.colour.size(); ++c) {
      if (last && last->writesOutput && last->kernels[c]) continue;  // written by the step
      Detail::Quantise(page.colour[c], planes.data() + c * width + x0, static_cast<std::size_t>(n));
    }
  }
}

}  // namespace Composite
