#pragma once
// The bodies of the pixel kernels. Included by exactly one source file per instruction set,
// which defines CORVEL_KERNEL_ISA (Generic, Avx2, Avx512) first and is compiled with that
// instruction set enabled; everything here has internal linkage except <ISA>::Kernels().
//
// The loops are written for the vectoriser: no calls, selects instead of branches, and
// __restrict on planes that never alias.

#include <compositing/BlendFunctions.h>
#include <compositing/KernelsInternal.h>

#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__AVX2__)
// GCC 12 warns about the deliberately undefined pass-through operand inside its own
// AVX-512 conversion intrinsics.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

namespace Composite::Detail::CORVEL_KERNEL_ISA {

namespace {

inline float Max(float a, float b) { return a > b ? a : b; }
inline float Min(float a, float b) { return a < b ? a : b; }
// Clamp to [0, 1]; NaN becomes 0. This form compiles to one compare-and-blend per bound.
inline float Clamp01(float v) {
  const float high = 1.0f < v ? 1.0f : v;
  return 0.0f < v ? high : 0.0f;
}

// Each op gives the whole premultiplied result
//   P_r = (1 − α_s)·P_b + (1 − α_b)·S + α_s·α_b·B_t(t_b, t_s)
// from pb = P_b, ab = α_b, s = S, e = α_s, simplified where the mode allows: in tints,
// Multiply is t_b + t_s − t_b·t_s, so P_r = P_b + S − P_b·S whatever the alphas; Screen is
// t_b·t_s, Darken max, Lighten min, Difference 1 − |t_b − t_s|, Exclusion
// 1 − t_b − t_s + 2·t_b·t_s.
inline float Disjoint(float pb, float ab, float s, float e) {
  return (1.0f - e) * pb + (1.0f - ab) * s;
}
struct NormalOp {
  static float Over(float pb, float, float s, float e) { return (1.0f - e) * pb + s; }
};
struct MultiplyOp {
  static float Over(float pb, float, float s, float) { return pb + s - pb * s; }
};
struct ScreenOp {
  static float Over(float pb, float ab, float s, float e) {
    return Disjoint(pb, ab, s, e) + pb * s;
  }
};
struct DarkenOp {
  static float Over(float pb, float ab, float s, float e) {
    return Disjoint(pb, ab, s, e) + Max(e * pb, ab * s);
  }
};
struct LightenOp {
  static float Over(float pb, float ab, float s, float e) {
    return Disjoint(pb, ab, s, e) + Min(e * pb, ab * s);
  }
};
struct DifferenceOp {
  static float Over(float pb, float ab, float s, float e) {
    const float d = e * pb - ab * s;
    return Disjoint(pb, ab, s, e) + e * ab - Max(d, -d);
  }
};
struct ExclusionOp {
  static float Over(float pb, float ab, float s, float e) {
    return Disjoint(pb, ab, s, e) + e * ab - e * pb - ab * s + 2.0f * pb * s;
  }
};
// K under Hue, Saturation and Color: B_t = t_b.
struct KeepBackdropOp {
  static float Over(float pb, float ab, float s, float) { return pb + (1.0f - ab) * s; }
};
// The modes that are not polynomials in premultiplied values: unpremultiply, blend,
// premultiply. Where either alpha is 0 the overlap term vanishes.
template <BlendMode kMode>
struct UnpremultipliedOp {
  static float Over(float pb, float ab, float s, float e) {
    const bool overlap = ab > 0.0f && e > 0.0f;
    const float tb = Clamp01(pb / (overlap ? ab : 1.0f));
    const float ts = Clamp01(s / (overlap ? e : 1.0f));
    const float blended = 1.0f - BlendSeparable<kMode>(1.0f - tb, 1.0f - ts);
    return Disjoint(pb, ab, s, e) + (overlap ? e * ab * blended : 0.0f);
  }
};

template <SourceForm kForm>
inline float Premultiplied(float src, float e) {
  if constexpr (kForm == SourceForm::Premultiplied) return src;
  if constexpr (kForm == SourceForm::Tints) return e * src;
  return e * Clamp01(src);
}

// ⌊255·clamp(t) + 0.5⌋, clamped after conversion, in integers, which vectorises to two
// instructions. A NaN or a value beyond ±8e6 converts to INT_MIN and ends as 0; neither
// arises from clamped inputs.
inline std::uint8_t QuantiseOne(float tint) {
  int byte = static_cast<int>(tint * 255.0f + 0.5f);
  byte = byte < 0 ? 0 : byte;
  return static_cast<std::uint8_t>(byte > 255 ? 255 : byte);
}

// 64 tints to bytes as QuantiseOne does. With vector units the integers are narrowed by
// saturating packs, which clamp to [0, 255] on the way (NaN's INT_MIN ends as 0); the packs
// work within 128-bit lanes, so one permutation puts the pixels back in order. The
// vectoriser's own narrowing takes three times the shuffles.
inline void QuantiseBlock(const float* __restrict tints, std::uint8_t* __restrict out) {
#if defined(__AVX512BW__)
  const __m512 scale = _mm512_set1_ps(255.0f);
  const __m512 half = _mm512_set1_ps(0.5f);
  __m512i v[4];
  for (int i = 0; i < 4; ++i) {
    v[i] = _mm512_cvttps_epi32(_mm512_fmadd_ps(_mm512_loadu_ps(tints + 16 * i), scale, half));
  }
  // Lane L of the packed bytes holds pixels 4L..4L+3 of v[0], then of v[1], v[2], v[3].
  const __m512i packed = _mm512_packus_epi16(_mm512_packs_epi32(v[0], v[1]),
                                             _mm512_packs_epi32(v[2], v[3]));
  const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  _mm512_storeu_si512(out, _mm512_permutexvar_epi32(order, packed));
#elif defined(__AVX2__)
  const __m256 scale = _mm256_set1_ps(255.0f);
  const __m256 half = _mm256_set1_ps(0.5f);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (int h = 0; h < 2; ++h) {
    __m256i v[4];
    for (int i = 0; i < 4; ++i) {
      const __m256 t = _mm256_loadu_ps(tints + 32 * h + 8 * i);
      v[i] = _mm256_cvttps_epi32(_mm256_fmadd_ps(t, scale, half));
    }
    const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(v[0], v[1]),
                                               _mm256_packs_epi32(v[2], v[3]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * h),
                        _mm256_permutevar8x32_epi32(packed, order));
  }
#else
  for (int x = 0; x < 64; ++x) out[x] = QuantiseOne(tints[x]);
#endif
}

// The source over P_b. Normal from plain tints is (1 − α_s)·P_b + α_s·t, one multiply-add
// once t − P_b is known: a step the page's commonest stacks take for every channel.
template <class Op, SourceForm kForm>
inline float OverSource(float pb, float ab, float src, float e) {
  if constexpr (std::is_same_v<Op, NormalOp> && kForm != SourceForm::Premultiplied) {
    const float t = kForm == SourceForm::Tints ? src : Clamp01(src);
    return pb + e * (t - pb);
  } else {
    return Op::Over(pb, ab, Premultiplied<kForm>(src, e), e);
  }
}

// One pixel of a compositing step.
template <class Op, SourceForm kForm, Step kStep>
inline float StepResult(const float* p, const float* p0, const float* ab, const float* src,
                        const float* as, const float* fs, int x) {
  const float e = as[x];
  if constexpr (kStep == Step::Knockout) {
    return (1.0f - fs[x]) * (p[x] - p0[x]) + OverSource<Op, kForm>(p0[x], ab[x], src[x], e);
  } else if constexpr (kStep == Step::FromBelow) {
    return OverSource<Op, kForm>(p0[x], ab[x], src[x], e);
  } else if constexpr (kStep == Step::FromBelowTints) {
    return OverSource<Op, kForm>(ab[x] * Clamp01(p0[x]), ab[x], src[x], e);
  } else {
    return OverSource<Op, kForm>(p[x], ab[x], src[x], e);
  }
}

// The planes are parameters, not fields read through the arguments, so that __restrict holds
// and a byte store cannot be taken to change the loop's bounds.
template <class Op, SourceForm kForm, Step kStep, bool kQuantise>
void CompositeLoop(float* __restrict p, const float* __restrict p0, const float* __restrict ab,
                   const float* __restrict src, const float* __restrict as,
                   const float* __restrict fs, std::uint8_t* __restrict out, int n) {
  constexpr auto kResult = &StepResult<Op, kForm, kStep>;
  if constexpr (kQuantise) {
    int x = 0;
    for (; x + 64 <= n; x += 64) {
      alignas(64) float block[64];
      for (int i = 0; i < 64; ++i) block[i] = kResult(p, p0, ab, src, as, fs, x + i);
      QuantiseBlock(block, out + x);
    }
    for (; x < n; ++x) out[x] = QuantiseOne(kResult(p, p0, ab, src, as, fs, x));
  } else {
    for (int x = 0; x < n; ++x) p[x] = kResult(p, p0, ab, src, as, fs, x);
  }
}

template <class Op, SourceForm kForm, Step kStep>
void CompositeChannel(const ChannelArgs* channels, int count) {
  for (int i = 0; i < count; ++i) {
    const ChannelArgs& a = channels[i];
    if (a.out) {
      CompositeLoop<Op, kForm, kStep, true>(a.p, a.p0, a.ab, a.src, a.as, a.fs, a.out, a.n);
    } else {
      CompositeLoop<Op, kForm, kStep, false>(a.p, a.p0, a.ab, a.src, a.as, a.fs, nullptr, a.n);
    }
  }
}

template <BlendMode kMode, SourceForm kForm, Step kStep>
void CompositeTriple(const TripleArgs& args) {
  for (int x = 0; x < args.n; ++x) {
    const float e = args.as[x];
    const float b = args.ab[x];
    float pb[3];
    float s[3];
    for (int i = 0; i < 3; ++i) {
      pb[i] = kStep == Step::InPlace          ? args.p[i][x]
              : kStep == Step::FromBelowTints ? b * Clamp01(args.p0[i][x])
                                              : args.p0[i][x];
      s[i] = Premultiplied<kForm>(args.src[i][x], e);
    }
    float overlap[3] = {0.0f, 0.0f, 0.0f};
    if (e > 0.0f && b > 0.0f) {
      const Rgb<float> cb{1.0f - Clamp01(pb[0] / b), 1.0f - Clamp01(pb[1] / b),
                          1.0f - Clamp01(pb[2] / b)};
      const Rgb<float> cs{1.0f - Clamp01(s[0] / e), 1.0f - Clamp01(s[1] / e),
                          1.0f - Clamp01(s[2] / e)};
      const Rgb<float> r = BlendNonSeparable<kMode>(cb, cs);
      overlap[0] = e * b * (1.0f - r.r);
      overlap[1] = e * b * (1.0f - r.g);
      overlap[2] = e * b * (1.0f - r.b);
    }
    for (int i = 0; i < 3; ++i) {
      const float over = Disjoint(pb[i], b, s[i], e) + overlap[i];
      args.p[i][x] = kStep == Step::Knockout
                         ? (1.0f - args.fs[x]) * (args.p[i][x] - pb[i]) + over
                         : over;
    }
  }
}

// Fills a kernel table [source form][step] with make.operator()<form, step>().
template <class Kernel, class Make, std::size_t... kIndex>
void FillTable(Kernel (&table)[kSourceFormCount][kStepCount], const Make& make,
               std::index_sequence<kIndex...>) {
  ((table[kIndex / kStepCount][kIndex % kStepCount] =
        make.template operator()<static_cast<SourceForm>(kIndex / kStepCount),
                                 static_cast<Step>(kIndex % kStepCount)>()),
   ...);
}

template <class Op>
void SetChannel(ChannelKernel (&table)[kSourceFormCount][kStepCount]) {
  FillTable(table, []<SourceForm kForm, Step kStep>() -> ChannelKernel {
    return &CompositeChannel<Op, kForm, kStep>;
  }, std::make_index_sequence<kSourceFormCount * kStepCount>{});
}

template <BlendMode kMode>
void SetTriple(TripleKernel (&table)[kSourceFormCount][kStepCount]) {
  FillTable(table, []<SourceForm kForm, Step kStep>() -> TripleKernel {
    return &CompositeTriple<kMode, kForm, kStep>;
  }, std::make_index_sequence<kSourceFormCount * kStepCount>{});
}

void StoreChannel(float* __restrict p, const float* __restrict src, const float* __restrict as,
                  SourceForm form, int n) {
  if (form == SourceForm::Premultiplied) {
    std::memcpy(p, src, static_cast<std::size_t>(n) * sizeof(float));
  } else if (form == SourceForm::Tints) {
    for (int x = 0; x < n; ++x) p[x] = as[x] * src[x];
  } else {
    for (int x = 0; x < n; ++x) p[x] = as[x] * Clamp01(src[x]);
  }
}

void StoreSource(float* const* p, const float* const* src, std::size_t count, const float* as,
                 SourceForm form, int n) {
  for (std::size_t c = 0; c < count; ++c) StoreChannel(p[c], src[c], as, form, n);
}

void Fill(float* __restrict plane, float value, int n) {
  for (int x = 0; x < n; ++x) plane[x] = value;
}

void UnionInPlace(float* __restrict a, const float* __restrict v, int n) {
  for (int x = 0; x < n; ++x) a[x] = a[x] + v[x] - a[x] * v[x];
}

void UnionOf(float* __restrict out, const float* __restrict a, const float* __restrict v, int n) {
  for (int x = 0; x < n; ++x) out[x] = a[x] + v[x] - a[x] * v[x];
}

void KnockoutAlpha(float* __restrict a, const float* __restrict a0, const float* __restrict v,
                   const float* __restrict f, int n) {
  for (int x = 0; x < n; ++x) {
    a[x] = (1.0f - f[x]) * (a[x] - a0[x]) + a0[x] + v[x] - a0[x] * v[x];
  }
}

void KnockoutGroupAlpha(float* __restrict a, const float* __restrict v, const float* __restrict f,
                        int n) {
  for (int x = 0; x < n; ++x) a[x] = (1.0f - f[x]) * a[x] + v[x];
}

void RemoveBackdrop(float* __restrict p, const float* __restrict p0,
                    const float* __restrict groupAlpha, int n) {
  for (int x = 0; x < n; ++x) p[x] -= (1.0f - groupAlpha[x]) * p0[x];
}

void ScaledProduct(float* __restrict out, float value, const float* __restrict factor,
                   const float* __restrict shape, int n) {
  if (factor && shape) {
    for (int x = 0; x < n; ++x) out[x] = value * factor[x] * Clamp01(shape[x]);
  } else if (factor) {
    for (int x = 0; x < n; ++x) out[x] = value * factor[x];
  } else if (shape) {
    for (int x = 0; x < n; ++x) out[x] = value * Clamp01(shape[x]);
  } else {
    for (int x = 0; x < n; ++x) out[x] = value;
  }
}

void ScaleInPlace(float* __restrict plane, float value, const float* __restrict factor, int n) {
  if (factor) {
    for (int x = 0; x < n; ++x) plane[x] *= value * factor[x];
  } else if (value != 1.0f) {
    for (int x = 0; x < n; ++x) plane[x] *= value;
  }
}

void MaskLuminosity(float* __restrict out, const float* const (&roles)[4],
                    const float (&backdrop)[4], const float* __restrict groupAlpha, int n) {
  // Planes and backdrop tints in locals, so that the loop vectorises.
  const float* __restrict c = roles[0];
  const float* __restrict m = roles[1];
  const float* __restrict y = roles[2];
  const float* __restrict k = roles[3];
  const float bc = backdrop[0], bm = backdrop[1], by = backdrop[2], bk = backdrop[3];
  for (int x = 0; x < n; ++x) {
    const float uncovered = 1.0f - groupAlpha[x];
    const float r = 1.0f - Clamp01(c[x] + uncovered * bc);
    const float g = 1.0f - Clamp01(m[x] + uncovered * bm);
    const float b = 1.0f - Clamp01(y[x] + uncovered * by);
    const float w = 1.0f - Clamp01(k[x] + uncovered * bk);
    out[x] = (0.30f * r + 0.59f * g + 0.11f * b) * w;
  }
}

void MaskLuminosityBlack(float* __restrict out, const float* __restrict k, float backdrop,
                         const float* __restrict groupAlpha, int n) {
  for (int x = 0; x < n; ++x) out[x] = 1.0f - Clamp01(k[x] + (1.0f - groupAlpha[x]) * backdrop);
}

// The luminosity of one varying element over BC, from its plain tints: C = α·clamp(t) +
// (1 − α)·BC with α = alphaFactor·clamp(shape). With α, t and BC in [0, 1] (a program checks
// BC) C cannot leave [0, 1], even rounded (each product is at most its bound, and α + fl(1 − α)
// rounds to at most 1), so it needs no clamp.
// C = α·clamp(t) + (1 − α)·BC of a mask element, α = alphaFactor·clamp(shape), per role.
inline float TintsLuminosity(float c, float m, float y, float k, const float (&backdrop)[4],
                             float a) {
  const float uncovered = 1.0f - a;
  const float r = 1.0f - (a * Clamp01(c) + uncovered * backdrop[0]);
  const float g = 1.0f - (a * Clamp01(m) + uncovered * backdrop[1]);
  const float b = 1.0f - (a * Clamp01(y) + uncovered * backdrop[2]);
  const float w = 1.0f - (a * Clamp01(k) + uncovered * backdrop[3]);
  return (0.30f * r + 0.59f * g + 0.11f * b) * w;
}

void MaskLuminosityOfTints(float* __restrict out, const float* const (&roles)[4],
                           const float (&backdrop)[4], float alphaFactor,
                           const float* __restrict shape, const MaskReader& reader, int n) {
  const float* __restrict c = roles[0];
  const float* __restrict m = roles[1];
  const float* __restrict y = roles[2];
  const float* __restrict k = roles[3];
  const float* __restrict readerShape = reader.shape;
  const float scale = reader.alphaFactor;
  if (!readerShape) {
    for (int x = 0; x < n; ++x) {
      out[x] = TintsLuminosity(c[x], m[x], y[x], k[x], backdrop, alphaFactor * Clamp01(shape[x]));
    }
    return;
  }
  for (int x = 0; x < n; ++x) {
    const float mask =
        TintsLuminosity(c[x], m[x], y[x], k[x], backdrop, alphaFactor * Clamp01(shape[x]));
    out[x] = scale * mask * Clamp01(readerShape[x]);
  }
}

void MaskLuminosityOfBlackTints(float* __restrict out, const float* __restrict k, float backdrop,
                                float alphaFactor, const float* __restrict shape,
                                const MaskReader& reader, int n) {
  const float* __restrict readerShape = reader.shape;
  const float scale = reader.alphaFactor;
  if (!readerShape) {
    for (int x = 0; x < n; ++x) {
      const float a = alphaFactor * Clamp01(shape[x]);
      out[x] = 1.0f - (a * Clamp01(k[x]) + (1.0f - a) * backdrop);
    }
    return;
  }
  for (int x = 0; x < n; ++x) {
    const float a = alphaFactor * Clamp01(shape[x]);
    const float mask = 1.0f - (a * Clamp01(k[x]) + (1.0f - a) * backdrop);
    out[x] = scale * mask * Clamp01(readerShape[x]);
  }
}

void ApplyTransfer(float* __restrict plane, const float* __restrict table, int tableSize, int n) {
  if (tableSize < 2) return;
  const float last = static_cast<float>(tableSize - 1);
  for (int x = 0; x < n; ++x) {
    const float position = Clamp01(plane[x]) * last;
    int index = static_cast<int>(position);
    index = index > tableSize - 2 ? tableSize - 2 : index;
    const float fraction = position - static_cast<float>(index);
    plane[x] = table[index] + fraction * (table[index + 1] - table[index]);
  }
}

void Quantise(const float* __restrict tints, std::uint8_t* __restrict out, std::size_t n) {
  std::size_t x = 0;
  for (; x + 64 <= n; x += 64) QuantiseBlock(tints + x, out + x);
  for (; x < n; ++x) out[x] = QuantiseOne(tints[x]);
}

KernelSet MakeKernelSet() {
  KernelSet set{};
  SetChannel<NormalOp>(set.channel[static_cast<int>(BlendMode::Normal)]);
  SetChannel<MultiplyOp>(set.channel[static_cast<int>(BlendMode::Multiply)]);
  SetChannel<ScreenOp>(set.channel[static_cast<int>(BlendMode::Screen)]);
  SetChannel<UnpremultipliedOp<BlendMode::Overlay>>(
      set.channel[static_cast<int>(BlendMode::Overlay)]);
  SetChannel<DarkenOp>(set.channel[static_cast<int>(BlendMode::Darken)]);
  SetChannel<LightenOp>(set.channel[static_cast<int>(BlendMode::Lighten)]);
  SetChannel<UnpremultipliedOp<BlendMode::ColorDodge>>(
      set.channel[static_cast<int>(BlendMode::ColorDodge)]);
  SetChannel<UnpremultipliedOp<BlendMode::ColorBurn>>(
      set.channel[static_cast<int>(BlendMode::ColorBurn)]);
  SetChannel<UnpremultipliedOp<BlendMode::HardLight>>(
      set.channel[static_cast<int>(BlendMode::HardLight)]);
  SetChannel<UnpremultipliedOp<BlendMode::SoftLight>>(
      set.channel[static_cast<int>(BlendMode::SoftLight)]);
  SetChannel<DifferenceOp>(set.channel[static_cast<int>(BlendMode::Difference)]);
  SetChannel<ExclusionOp>(set.channel[static_cast<int>(BlendMode::Exclusion)]);
  SetChannel<KeepBackdropOp>(set.channel[kKeepBackdropSlot]);
  SetTriple<BlendMode::Hue>(set.triple[0]);
  SetTriple<BlendMode::Saturation>(set.triple[1]);
  SetTriple<BlendMode::Color>(set.triple[2]);
  SetTriple<BlendMode::Luminosity>(set.triple[3]);
  set.storeSource = &StoreSource;
  set.fill = &Fill;
  set.unionInPlace = &UnionInPlace;
  set.unionOf = &UnionOf;
  set.knockoutAlpha = &KnockoutAlpha;
  set.knockoutGroupAlpha = &KnockoutGroupAlpha;
  set.removeBackdrop = &RemoveBackdrop;
  set.scaledProduct = &ScaledProduct;
  set.scaleInPlace = &ScaleInPlace;
  set.maskLuminosity = &MaskLuminosity;
  set.maskLuminosityBlack = &MaskLuminosityBlack;
  set.maskLuminosityOfTints = &MaskLuminosityOfTints;
  set.maskLuminosityOfBlackTints = &MaskLuminosityOfBlackTints;
  set.applyTransfer = &ApplyTransfer;
  set.quantise = &Quantise;
  return set;
}

}  // namespace

const KernelSet& Kernels() {
  static const KernelSet kSet = MakeKernelSet();
  return kSet;
}

}  // namespace Composite::Detail::CORVEL_KERNEL_ISA
