#pragma once
// Pixel kernels of row evaluation: planar float loops over one chunk of a row.
//
// Colours are kept premultiplied by their alpha, as tints: P = α·t. Compositing a source of
// alpha α_s and premultiplied colour S = α_s·t_s over a backdrop (P_b, α_b) is then
//   P_r = (1 − α_s)·P_b + (1 − α_b)·S + O,   O = α_s·α_b·B_t(t_b, t_s)
// (ISO 32000-1 §11.3.6 NOTE 2), with B_t the blend function on tints. For Normal, Multiply,
// Screen, Darken, Lighten, Difference and Exclusion, O is a polynomial in P_b, α_b, S and α_s,
// so no division is needed; the other modes unpremultiply.

#include <compositing/BlendMode.h>

#include <cstddef>
#include <cstdint>

namespace Composite::Detail {

// Pixels per chunk: the planes of a deep tree stay in the first-level cache.
inline constexpr int kChunk = 256;

// What a source does to one channel: a separable blend mode, or (for K under Hue, Saturation
// and Color) keeping the backdrop.
// SelfBlend: an overprinted ink under a separable mode whose B(t, t) is not t, blended as
// B(t_b, t_b).
enum class ChannelOp { Separable, KeepBackdrop, SelfBlend };

// Where a compositing step finds the running result it composites over, and what it keeps
// of it. InPlace: in p, updated in place. FromBelow: in p0 (the group's backdrop, or a flat
// colour stored below without being copied), so p is only written; this saves copying the
// backdrop into a group's planes before its first step. FromBelowTints: p0 holds the plain
// tints of a varying source below, whose alpha is ab (P_b = α_b·clamp(t)), so that source is
// never stored. Knockout: the source composites over the group's backdrop p0 and keeps
// 1 − f_s of the earlier result p: P = (1 − f_s)(P − P_0) + [source over (P_0, α_0)]
// (ISO 32000-1 §11.4.8).
enum class Step { InPlace, FromBelow, FromBelowTints, Knockout };
inline constexpr int kStepCount = 4;
// The steps that read the running result from p0 rather than from the group's planes.
inline bool ReadsBelow(Step step) {
  return step == Step::FromBelow || step == Step::FromBelowTints;
}

// Arguments of one channel's compositing step over n pixels.
// p: the running premultiplied channel (see Step). p0: see Step. ab: the alpha of what the
// source composites over. src: the source channel, premultiplied or plain tints as the kernel
// was chosen. as, fs: the source's alpha and shape per pixel. out: when not null the result
// is written there as 8-bit ink (255 = full, rounded to nearest) instead of to p: the page's
// last step writes the output planes directly.
struct ChannelArgs {
  float* p;
  const float* p0;
  const float* ab;
  const float* src;
  const float* as;
  const float* fs;
  int n;
  std::uint8_t* out = nullptr;
};
// A kernel composites `count` channels in one call: the channels of a source that share a
// kernel cost one call, not one each.
using ChannelKernel = void (*)(const ChannelArgs* channels, int count);

// The same for the three complemented process channels of a non-separable mode.
struct TripleArgs {
  float* p[3];
  const float* p0[3];
  const float* ab;
  const float* src[3];
  const float* as;
  const float* fs;
  int n;
};
using TripleKernel = void (*)(const TripleArgs&);

// How a kernel reads its source planes: premultiplied S; tints known to lie in [0, 1] (S =
// α_s·t); or tints from the caller, clamped to [0, 1] as they are read (NaN reads as 0).
enum class SourceForm { Premultiplied, Tints, RawTints };
inline constexpr int kSourceFormCount = 3;

// `mode` must be separable for ChannelOp::Separable.
ChannelKernel SelectChannelKernel(ChannelOp op, BlendMode mode, SourceForm form, Step step);
// `mode` must be non-separable.
TripleKernel SelectTripleKernel(BlendMode mode, SourceForm form, Step step);

// One compiled copy of every kernel. The pixel kernels are built once per instruction set
// (KernelBodiesInternal.h); the best copy the processor runs is chosen on first use.
// The one element that reads a luminosity mask, when the mask pass may write that element's
// alpha α_s = alphaFactor · m · clamp(shape) itself: one pass over the chunk fewer. No shape
// plane: the pass writes m.
struct MaskReader {
  float alphaFactor = 1;
  const float* shape = nullptr;
};

struct KernelSet {
  // [blend mode, kKeepBackdropSlot, or kSelfBlendSlot + blend mode][source form][step]
  ChannelKernel channel[2 * kBlendModeCount + 1][kSourceFormCount][kStepCount];
  // [mode − Hue][source form][step]
  TripleKernel triple[4][kSourceFormCount][kStepCount];
  void (*storeSource)(float* const*, const float* const*, std::size_t, const float*, SourceForm,
                      int);
  void (*fill)(float*, float, int);
  void (*unionInPlace)(float*, const float*, int);
  void (*unionOf)(float*, const float*, const float*, int);
  void (*knockoutAlpha)(float*, const float*, const float*, const float*, int);
  void (*knockoutGroupAlpha)(float*, const float*, const float*, int);
  void (*removeBackdrop)(float*, const float*, const float*, int);
  void (*scaledProduct)(float*, float, const float*, const float*, int);
  void (*scaleInPlace)(float*, float, const float*, int);
  void (*maskLuminosity)(float*, const float* const (&)[4], const float (&)[4], const float*, int);
  void (*maskLuminosityBlack)(float*, const float*, float, const float*, int);
  void (*maskLuminosityOfTints)(float*, const float* const (&)[4], const float (&)[4], float,
                                const float*, const MaskReader&, int);
  void (*maskLuminosityOfBlackTints)(float*, const float*, float, float, const float*,
                                     const MaskReader&, int);
  void (*applyTransfer)(float*, const float*, int, int);
  void (*quantise)(const float*, std::uint8_t*, std::size_t);
};
inline constexpr int kKeepBackdropSlot = kBlendModeCount;
inline constexpr int kSelfBlendSlot = kBlendModeCount + 1;

namespace Generic {
const KernelSet& Kernels();
}
namespace Avx2 {
const KernelSet& Kernels();
}
namespace Avx512 {
const KernelSet& Kernels();
}

// The best kernel set the processor runs (see Kernels.cpp).
const KernelSet& ChooseKernels();
// The kernel set used by this process, chosen on first use. Inline: the per-chunk kernel calls
// then cost one load, not a call through the library's symbol table.
inline const KernelSet& ActiveKernels() {
  static const KernelSet& active = ChooseKernels();
  return active;
}

// P = S for `count` channels: the first source over an empty backdrop (any blend mode acts as
// Normal there).
inline void StoreSource(float* const* p, const float* const* src, std::size_t count,
                        const float* as, SourceForm form, int n) {
  ActiveKernels().storeSource(p, src, count, as, form, n);
}
inline void Fill(float* plane, float value, int n) { ActiveKernels().fill(plane, value, n); }
// a = a + v − a·v.
inline void UnionInPlace(float* a, const float* v, int n) { ActiveKernels().unionInPlace(a, v, n); }
// out = a + v − a·v, out distinct from a and v.
inline void UnionOf(float* out, const float* a, const float* v, int n) {
  ActiveKernels().unionOf(out, a, v, n);
}
// Knockout alpha: a = (1 − f)(a − a0) + a0 + v − a0·v.
inline void KnockoutAlpha(float* a, const float* a0, const float* v, const float* f, int n) {
  ActiveKernels().knockoutAlpha(a, a0, v, f, n);
}
// Knockout group-only alpha, whose initial value is 0: a = (1 − f)·a + v.
inline void KnockoutGroupAlpha(float* a, const float* v, const float* f, int n) {
  ActiveKernels().knockoutGroupAlpha(a, v, f, n);
}
// Backdrop removal of a non-isolated group (ISO 32000-1 §11.4.8, premultiplied):
// P_g = P_n − (1 − α_g)·P_0.
inline void RemoveBackdrop(float* p, const float* p0, const float* groupAlpha, int n) {
  ActiveKernels().removeBackdrop(p, p0, groupAlpha, n);
}
// out = value · factor (factor null: 1) · clamp(shape) (shape null: 1).
inline void ScaledProduct(float* out, float value, const float* factor, const float* shape, int n) {
  ActiveKernels().scaledProduct(out, value, factor, shape, n);
}
// plane ·= value · factor (factor null: 1).
inline void ScaleInPlace(float* plane, float value, const float* factor, int n) {
  ActiveKernels().scaleInPlace(plane, value, factor, n);
}
// Luminosity of a mask group's result over its backdrop colour BC (ISO 32000-1 §11.5.2,
// C = P_g + (1 − α_g)·BC), from the planes of the cyan, magenta, yellow and black roles
// (a zero plane with BC 0 for an absent role) and their BC tints.
inline void MaskLuminosity(float* out, const float* const (&roles)[4], const float (&backdrop)[4],
                           const float* groupAlpha, int n) {
  ActiveKernels().maskLuminosity(out, roles, backdrop, groupAlpha, n);
}
// The same when only the black role is present (a gray mask): r = g = b = 1.
inline void MaskLuminosityBlack(float* out, const float* black, float backdrop,
                                const float* groupAlpha, int n) {
  ActiveKernels().maskLuminosityBlack(out, black, backdrop, groupAlpha, n);
}
// The same for a mask group that is one varying element, straight from its plain tints and
// shape: C = α·clamp(t) + (1 − α)·BC, α = alphaFactor·clamp(shape). Saves storing the
// element in the group's planes first. Absent roles are zero planes with BC 0.
// With `reader.shape` set, `out` receives the alpha of the element the mask is read by,
// reader.alphaFactor · m · clamp(reader.shape), instead of m.
inline void MaskLuminosityOfTints(float* out, const float* const (&roles)[4],
                                  const float (&backdrop)[4], float alphaFactor,
                                  const float* shape, const MaskReader& reader, int n) {
  ActiveKernels().maskLuminosityOfTints(out, roles, backdrop, alphaFactor, shape, reader, n);
}
inline void MaskLuminosityOfBlackTints(float* out, const float* black, float backdrop,
                                       float alphaFactor, const float* shape,
                                       const MaskReader& reader, int n) {
  ActiveKernels().maskLuminosityOfBlackTints(out, black, backdrop, alphaFactor, shape, reader, n);
}
// The transfer function: identity when the table is empty, else linear interpolation in it.
inline void ApplyTransfer(float* plane, const float* table, int tableSize, int n) {
  ActiveKernels().applyTransfer(plane, table, tableSize, n);
}
// 8-bit plane, 255 = full ink, rounded to nearest: out = ⌊255·clamp(t) + 0.5⌋.
inline void Quantise(const float* tints, std::uint8_t* out, std::size_t n) {
  ActiveKernels().quantise(tints, out, n);
}

void Copy(float* plane, const float* from, int n);

}  // namespace Composite::Detail
