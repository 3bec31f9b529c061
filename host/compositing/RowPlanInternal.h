#pragma once
// The per-node kernels and scratch planes of row evaluation, chosen once per program.

#include <compositing/KernelsInternal.h>
#include <compositing/ProgramInternal.h>

#include <array>
#include <deque>
#include <vector>

namespace Composite::Detail {

// One chunk-wide plane, aligned for vector loads.
struct alignas(64) Plane {
  float values[kChunk];
};

// How one entry of a group's stack is turned into (S, α_s, f_s) and composited.
struct SourcePlan {
  const CompiledSource* source = nullptr;
  int group = kNone;  // the nested group's plan
  // α_s = alphaFactor · m · (per-pixel shape); f_s = shapeFactor · (m with AIS) · shape.
  // For a group, the group's own alpha and shape take the place of the per-pixel shape.
  float alphaFactor = 1;
  float shapeFactor = 1;
  int mask = kNone;  // a varying mask's plan
  SourceForm form = SourceForm::RawTints;
  bool direct = false;         // first source over an empty backdrop: P = S
  // A direct source that is never stored: a flat colour left in its constant planes, or a
  // varying element's tints read by the next step (FromBelow, FromBelowTints).
  bool deferred = false;
  Step step = Step::InPlace;  // of a composited source
  // The last step of the group that makes the output: it may write the output planes
  // directly, and its alpha and shape are not kept (nothing reads them).
  bool writesOutput = false;
  bool alphaConstant = false;  // alpha and shape planes filled once, when the plan is built
  bool alphaFromMask = false;  // its mask's pass writes α_s (MaskPlan::reader)
  float* alpha = nullptr;
  float* shape = nullptr;  // null when nothing reads the shape
  // Source colour planes: the nested group's colour, a flat element's broadcast colour
  // (premultiplied when its alpha is constant), or (set per chunk) the input planes of a
  // varying element.
  std::vector<const float*> colourIn;
  std::vector<ChannelKernel> kernels;  // per channel; null where `triple` acts
  // The channels that share a kernel, in channel order: one call each.
  struct KernelRun {
    ChannelKernel kernel = nullptr;
    std::vector<int> channels;
  };
  std::vector<KernelRun> runs;
  TripleKernel triple = nullptr;
  std::array<int, 3> tripleChannels{kNone, kNone, kNone};  // C, M, Y roles
};

struct GroupPlan {
  const CompiledGroup* group = nullptr;
  int channels = 0;  // 0 inside an alpha mask: colours are never read
  // Isolated, or its backdrop is known to be empty, or it does not read its backdrop.
  bool effectivelyIsolated = false;
  std::vector<float*> colour;            // premultiplied tints P
  std::vector<const float*> colourView;  // the same planes, read-only
  // P_0 and α_0: zero planes for an effectively isolated group, else set per evaluation.
  std::vector<const float*> backdrop;
  const float* backdropAlpha = nullptr;
  float* alpha = nullptr;                // α including the backdrop
  float* groupAlpha = nullptr;           // α of the elements alone (== alpha when isolated)
  float* shape = nullptr;                // null when the parent does not read it
  std::vector<SourcePlan> sources;
  // Where the running result lives while the group's own planes do not hold it yet (before
  // its first step, or while a deferred flat source is the result): set per evaluation.
  const std::vector<const float*>* below = nullptr;
  const float* belowAlpha = nullptr;
  const float* belowGroupAlpha = nullptr;
  const float* belowShape = nullptr;
  bool inOwnPlanes = false;
};

struct MaskPlan {
  const CompiledMask* mask = nullptr;
  int group = kNone;
  float* value = nullptr;
  std::vector<const float*> backdrop;  // BC broadcast, one plane per channel
  // A luminosity mask's C, M, Y, K channels in its group's space (kNone where absent), and
  // whether black is the only one (a gray mask).
  std::array<int, 4> roles{kNone, kNone, kNone, kNone};
  bool blackOnly = false;
  // A luminosity mask whose group is one varying element over BC: its luminosity is read
  // straight from the element's tints, and the group is not evaluated.
  const SourcePlan* single = nullptr;
  // Such a mask with no transfer function whose one reader is an element: the mask pass writes
  // that element's alpha directly, and `value` is not used.
  SourcePlan* reader = nullptr;
};

// Everything row evaluation needs besides the inputs. Planes live in `planes`, whose
// addresses never move.
class RowPlan {
 public:
  explicit RowPlan(const ProgramData& data);

  const ProgramData& data;
  std::deque<Plane> planes;
  std::vector<GroupPlan> groups;  // [0] is the page
  std::vector<MaskPlan> masks;    // same order as ProgramData::masks
  // The page only forwards its one source, a group at full alpha without mask: the page's
  // tints are that group's planes, and the page itself is not evaluated.
  bool pageForwards = false;
  int top = 0;  // the group whose planes are the output: the page or the group it forwards
  const float* zero = nullptr;
  const float* one = nullptr;
  std::array<float*, 3> spare{};  // outputs of absent process roles under non-separable modes

  float* NewPlane();
  float* ConstantPlane(float value);

 private:
  void BuildGroup(int groupIndex);
  SourcePlan BuildSource(const CompiledSource& source, const GroupPlan& parent, bool first,
                         Step step, const CompiledSource* next);
  void MarkOutputStep();
  void ChooseKernels(SourcePlan& plan, const GroupPlan& parent);
  void BuildMask(int maskIndex);
  void FuseMaskReaders();
};

}  // namespace Composite::Detail
