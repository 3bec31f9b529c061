#pragma once
// The bodies of the pixel kernels. Included by exactly one source file per instruction set,
// which defines CORVEL_KERNEL_ISA (Generic, Avx2, Avx512) first and is compiled with that
// instruction set enabled; everything here has internal linkage except <ISA>::Kernels().
//
// The loops are written for the vectoriser: no calls, selects instead of branches, and
// __restrict on planes that never alias. Two block helpers use intrinsics where the vectoriser
// does poorly: QuantiseBlock (narrowing) and ClampBlock (clamping with NaN read as 0).

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

// An overprinted ink under a blend mode: the object paints as a group of one whose unpainted
// inks are the backdrop's, so the mode blends the backdrop with itself, B(t_b, t_b) (ISO
// 32000-1 §11.7.4.5); the source's own tint still counts where there is no backdrop.
template <BlendMode kMode>
struct SelfBlendOp {
  static float Over(float pb, float ab, float s, float e) {
    const bool overlap = ab > 0.0f && e > 0.0f;
    const float tb = Clamp01(pb / (overlap ? ab : 1.0f));
    const float blended = 1.0f - BlendSeparable<kMode>(1.0f - tb, 1.0f - tb);
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

// 64 values clamped as Clamp01 does. The vector max gives its second operand when the first
// is NaN, so clamping takes one max and one min per vector; the vectoriser, which must keep
// the scalar form's NaN rule, emits two compares and two blends. Kernels that clamp a plane
// clamp it a block at a time through this.
inline void ClampBlock(const float* __restrict in, float* __restrict out) {
#if defined(__AVX512F__)
  const __m512 zero = _mm512_setzero_ps();
  const __m512 one = _mm512_set1_ps(1.0f);
  for (int i = 0; i < 64; i += 16) {
    _mm512_store_ps(out + i, _mm512_min_ps(_mm512_max_ps(_mm512_loadu_ps(in + i), zero), one));
  }
#elif defined(__AVX2__)
  const __m256 zero = _mm256_setzero_ps();
  const __m256 one = _mm256_set1_ps(1.0f);
  for (int i = 0; i < 64; i += 8) {
    _mm256_store_ps(out + i, _mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in + i), zero), one));
  }
#else
  for (int i = 0; i < 64; ++i) out[i] = Clamp01(in[i]);
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

// One block of 64 pixels from x: raw source tints (and the raw tints below, FromBelowTints)
// are clamped first by ClampBlock and then read as plain tints.
template <class Op, SourceForm kForm, Step kStep>
inline void CompositeBlock(const float* __restrict p, const float* __restrict p0,
                           const float* __restrict ab, const float* __restrict src,
                           const float* __restrict as, const float* __restrict fs, int x,
                           float* __restrict result) {
  constexpr bool kClampSource = kForm == SourceForm::RawTints;
  constexpr bool kClampBelow = kStep == Step::FromBelowTints;
  constexpr SourceForm kBlockForm = kClampSource ? SourceForm::Tints : kForm;
  alignas(64) float source[64];
  alignas(64) float below[64];
  if constexpr (kClampSource) ClampBlock(src + x, source);
  if constexpr (kClampBelow) ClampBlock(p0 + x, below);
  for (int i = 0; i < 64; ++i) {
    const float s = kClampSource ? source[i] : src[x + i];
    const float e = as[x + i];
    float value;
    if constexpr (kClampBelow) {
      value = OverSource<Op, kBlockForm>(ab[x + i] * below[i], ab[x + i], s, e);
    } else if constexpr (kStep == Step::Knockout) {
      value = (1.0f - fs[x + i]) * (p[x + i] - p0[x + i]) +
              OverSource<Op, kBlockForm>(p0[x + i], ab[x + i], s, e);
    } else if constexpr (kStep == Step::FromBelow) {
      value = OverSource<Op, kBlockForm>(p0[x + i], ab[x + i], s, e);
    } else {
      value = OverSource<Op, kBlockForm>(p[x + i], ab[x + i], s, e);
    }
    result[i] = value;
  }
}

// The planes are parameters, not fields read through the arguments, so that __restrict holds
// and a byte store cannot be taken to change the loop's bounds.
template <class Op, SourceForm kForm, Step kStep, bool kQuantise>
void CompositeLoop(float* __restrict p, const float* __restrict p0, const float* __restrict ab,
                   const float* __restrict src, const float* __restrict as,
                   const float* __restrict fs, std::uint8_t* __restrict out, int n) {
  int x = 0;
  for (; x + 64 <= n; x += 64) {
    alignas(64) float block[64];
    CompositeBlock<Op, kForm, kStep>(p, p0, ab, src, as, fs, x, block);
    if constexpr (kQuantise) {
      QuantiseBlock(block, out + x);
    } else {
      std::memcpy(p + x, block, sizeof(block));
    }
  }
  constexpr auto kResult = &StepResult<Op, kForm, kStep>;
  for (; x < n; ++x) {
    const float value = kResult(p, p0, ab, src, as, fs, x);
    if constexpr (kQuantise) {
      out[x] = QuantiseOne(value);
    } else {
      p[x] = value;
    }
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
  if (!shape) {
    if (factor) {
      for (int x = 0; x < n; ++x) out[x] = value * factor[x];
    } else {
      for (int x = 0; x < n; ++x) out[x] = value;
    }
    return;
  }
  int x = 0;
  for (; x + 64 <= n; x += 64) {
    alignas(64) float cover[64];
    ClampBlock(shape + x, cover);
    if (factor) {
      for (int i = 0; i < 64; ++i) out[x + i] = value * factor[x + i] * cover[i];
    } else {
      for (int i = 0; i < 64; ++i) out[x + i] = value * cover[i];
    }
  }
  for (; x < n; ++x) out[x] = value * (factor ? factor[x] : 1.0f) * Clamp01(shape[x]);
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

// The luminosity of one varying element over BC, from its clamped C, M, Y, K tints t:
// C = α·t + (1 − α)·BC with α = alphaFactor · its clamped shape. With α, t and BC in [0, 1] (a
// program checks BC) C cannot leave [0, 1], even rounded (each product is at most its bound,
// and α + fl(1 − α) rounds to at most 1), so it needs no clamp.
inline float TintsLuminosity(float c, float m, float y, float k, const float (&backdrop)[4],
                             float a) {
  const float uncovered = 1.0f - a;
  const float r = 1.0f - (a * c + uncovered * backdrop[0]);
  const float g = 1.0f - (a * m + uncovered * backdrop[1]);
  const float b = 1.0f - (a * y + uncovered * backdrop[2]);
  const float w = 1.0f - (a * k + uncovered * backdrop[3]);
  return (0.30f * r + 0.59f * g + 0.11f * b) * w;
}

// 1 − C of a gray mask element from its clamped black tint and shape.
inline float BlackTintsMask(float k, float shape, float alphaFactor, float backdrop) {
  const float a = alphaFactor * shape;
  return 1.0f - (a * k + (1.0f - a) * backdrop);
}

// Turns the block of mask values at x into its reader's alpha, when the mask has a reader.
inline void ScaleBlockForReader(float* __restrict out, const MaskReader& reader, int x) {
  if (!reader.shape) return;
  alignas(64) float cover[64];
  ClampBlock(reader.shape + x, cover);
  for (int i = 0; i < 64; ++i) out[x + i] *= reader.alphaFactor * cover[i];
}

inline float ForReader(float mask, const MaskReader& reader, int x) {
  return reader.shape ? mask * (reader.alphaFactor * Clamp01(reader.shape[x])) : mask;
}

void MaskLuminosityOfTints(float* __restrict out, const float* const (&roles)[4],
                           const float (&backdrop)[4], float alphaFactor,
                           const float* __restrict shape, const MaskReader& reader, int n) {
  int x = 0;
  for (; x + 64 <= n; x += 64) {
    alignas(64) float tints[4][64], cover[64];
    for (int r = 0; r < 4; ++r) ClampBlock(roles[r] + x, tints[r]);
    ClampBlock(shape + x, cover);
    for (int i = 0; i < 64; ++i) {
      out[x + i] = TintsLuminosity(tints[0][i], tints[1][i], tints[2][i], tints[3][i], backdrop,
                                   alphaFactor * cover[i]);
    }
    ScaleBlockForReader(out, reader, x);
  }
  for (; x < n; ++x) {
    const float mask = TintsLuminosity(Clamp01(roles[0][x]), Clamp01(roles[1][x]),
                                       Clamp01(roles[2][x]), Clamp01(roles[3][x]), backdrop,
                                       alphaFactor * Clamp01(shape[x]));
    out[x] = ForReader(mask, reader, x);
  }
}

void MaskLuminosityOfBlackTints(float* __restrict out, const float* __restrict k, float backdrop,
                                float alphaFactor, const float* __restrict shape,
                                const MaskReader& reader, int n) {
  int x = 0;
  for (; x + 64 <= n; x += 64) {
    alignas(64) float tint[64], cover[64];
    ClampBlock(k + x, tint);
    ClampBlock(shape + x, cover);
    for (int i = 0; i < 64; ++i) out[x + i] = BlackTintsMask(tint[i], cover[i], alphaFactor, backdrop);
    ScaleBlockForReader(out, reader, x);
  }
  for (; x < n; ++x) {
    const float mask = BlackTintsMask(Clamp01(k[x]), Clamp01(shape[x]), alphaFactor, backdrop);
    out[x] = ForReader(mask, reader, x);
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

template <BlendMode... kModes>
void SetSelfBlend(KernelSet& set) {
  (SetChannel<SelfBlendOp<kModes>>(set.channel[kSelfBlendSlot + static_cast<int>(kModes)]), ...);
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
  SetSelfBlend<BlendMode::Multiply, BlendMode::Screen, BlendMode::Overlay, BlendMode::ColorDodge,
               BlendMode::ColorBurn, BlendMode::HardLight, BlendMode::SoftLight,
               BlendMode::Difference, BlendMode::Exclusion>(set);
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
