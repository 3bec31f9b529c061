#pragma once
// The compiled form of a component tree, shared by point and row evaluation.

#include <compositing/BlendMode.h>
#include <compositing/Node.h>
#include <compositing/Program.h>
#include <compositing/SeparationSpace.h>

#include <functional>
#include <span>
#include <vector>

namespace Composite::Detail {

inline constexpr int kNone = -1;

// One entry of a group's stack: a leaf element or a nested group, with the attributes it is
// painted with.
struct CompiledSource {
  bool isGroup = false;
  int group = kNone;         // index into ProgramData::groups when isGroup
  std::vector<float> tints;  // flat element colour
  int input = kNone;         // varying element: index of its per-pixel values
  float shape = 1;           // f_j of an element
  float opacity = 1;         // q_j of an element
  float constantAlpha = 1;
  bool alphaIsShape = false;
  BlendMode mode = BlendMode::Normal;
  int mask = kNone;      // index into ProgramData::masks
  bool varying = false;  // differs from pixel to pixel (input, group or mask)
  // Per channel of the parent's space: the element overprints there (B = backdrop). Empty
  // when it paints every channel.
  std::vector<bool> keepsBackdrop;
  bool KeepsBackdrop(std::size_t channel) const {
    return !keepsBackdrop.empty() && keepsBackdrop[channel];
  }
};

// A group's stack. Facts known from the structure are recorded here so that evaluation can
// skip work: a backdrop known to be empty makes a non-isolated group behave as isolated.
struct CompiledGroup {
  int space = 0;  // index into ProgramData::spaces
  bool isolated = false;
  bool knockout = false;
  std::vector<CompiledSource> sources;  // bottom to top
  bool varying = false;
  bool backdropEmpty = false;  // its backdrop has alpha 0 wherever it is evaluated
  bool shapeNeeded = false;    // its parent is a knockout group, so its shape is read
  bool alphaOnly = false;      // only its alpha is read (inside an alpha mask)
  // Its result depends on its backdrop's colour: it is knockout, or some element blends with
  // a mode other than Normal, or a nested non-isolated group does. A non-isolated group that
  // does not read its backdrop gives the same result as an isolated one (ISO 32000-1
  // §11.4.4 NOTE 5: Normal compositing is associative).
  bool readsBackdrop = false;
};

struct CompiledMask {
  SoftMask::Kind kind = SoftMask::Kind::Alpha;
  int group = kNone;                       // the mask group, in ProgramData::groups
  std::vector<float> backdrop;             // BC with the default applied
  std::function<double(double)> transfer;  // empty: identity
  bool varying = false;
  bool constantReady = false;  // constantValue holds the mask value (it does not vary)
  double constantValue = 1;
  // TR sampled at kTransferTableSize evenly spaced inputs over [0, 1] for pixel evaluation,
  // clamped to [0, 1]; empty for identity or for a mask that does not vary.
  std::vector<float> transferTable;
};

// Linear interpolation between 4,096 steps keeps a smooth TR within 1e-7 of exact, far below
// one 8-bit step; a TR with a jump is smoothed over one step only.
inline constexpr int kTransferTableSize = 4097;

struct ProgramData {
  std::vector<SeparationSpace> spaces;  // [0] is the composite's own space
  std::vector<CompiledGroup> groups;    // [0] is the page
  std::vector<CompiledMask> masks;      // a mask's nested masks come before it
  std::vector<int> inputChannels;       // per input index; -1 when unused
};

// Luminosity of a colour given as tints of `space` (see SoftMask).
double LuminosityOfTints(const SeparationSpace& space, const double* tints);

// Reference evaluation at one point, in double precision: the page's tints, and one mask's
// value. `inputs` may be empty when nothing evaluated varies.
std::vector<double> EvaluatePageAtPoint(const ProgramData& data,
                                        std::span<const PointInput> inputs);
double EvaluateMaskAtPoint(const ProgramData& data, int mask, std::span<const PointInput> inputs);

}  // namespace Composite::Detail
