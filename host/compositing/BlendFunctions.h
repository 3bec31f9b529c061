#pragma once
// Blend functions B(c_b, c_s) of ISO 32000-1 §11.3.5 on additive values (0 = no light, 1 = white),
// with the PDF 2.0 edge rules for ColorDodge and ColorBurn. Templates on the number type so that
// the double-precision point evaluation and the float pixel kernels share one definition.

#include <compositing/BlendMode.h>

#include <algorithm>
#include <cmath>

// The pixel kernels are compiled once per instruction set (see KernelsImpl.h). Each copy
// gets its own instantiations of these templates through this inline namespace, so that the
// linker cannot hand a baseline caller the AVX-512 body of a template it failed to inline.
#ifndef CORVEL_KERNEL_ISA
#define CORVEL_KERNEL_ISA Generic
#endif

namespace Composite {
inline namespace CORVEL_KERNEL_ISA {

// An additive value this close to 0 or 1 is taken as exactly 0 or 1 by the ColorDodge and
// ColorBurn edge rules, and a colour whose channels differ by no more than this has no hue
// for SetSat. Those functions are discontinuous there (solid ink under an unpainted dodge
// source keeps its ink, a hair less loses all of it; a gray has no hue, a near-gray has the
// hue of its rounding noise), and unpremultiplying float tints by small alphas moves exact
// values by up to about 1e-6.
inline constexpr double kBlendEdgeTolerance = 1e-5;

// An additive RGB triple.
template <class T>
struct Rgb {
  T r;
  T g;
  T b;
};

namespace BlendDetail {

template <class T>
T Screen(T cb, T cs) {
  return cb + cs - cb * cs;
}

template <class T>
T HardLight(T cb, T cs) {
  return cs <= T(0.5) ? cb * (T(2) * cs) : Screen(cb, T(2) * cs - T(1));
}

template <class T>
T SoftLightD(T x) {
  return x <= T(0.25) ? ((T(16) * x - T(12)) * x + T(4)) * x : std::sqrt(x);
}

template <class T>
T SoftLight(T cb, T cs) {
  if (cs <= T(0.5)) return cb - (T(1) - T(2) * cs) * cb * (T(1) - cb);
  return cb + (T(2) * cs - T(1)) * (SoftLightD(cb) - cb);
}

template <class T>
T ColorDodge(T cb, T cs) {
  if (cb <= T(kBlendEdgeTolerance)) return T(0);
  if (cs >= T(1 - kBlendEdgeTolerance)) return T(1);
  return std::min(T(1), cb / (T(1) - cs));
}

template <class T>
T ColorBurn(T cb, T cs) {
  if (cb >= T(1 - kBlendEdgeTolerance)) return T(1);
  if (cs <= T(kBlendEdgeTolerance)) return T(0);
  return T(1) - std::min(T(1), (T(1) - cb) / cs);
}

template <class T>
T Lum(const Rgb<T>& c) {
  return T(0.30) * c.r + T(0.59) * c.g + T(0.11) * c.b;
}

template <class T>
Rgb<T> ClipColor(Rgb<T> c) {
  const T l = Lum(c);
  const T n = std::min({c.r, c.g, c.b});
  const T x = std::max({c.r, c.g, c.b});
  if (n < T(0) && l - n > T(0)) {
    const T k = l / (l - n);
    c = {l + (c.r - l) * k, l + (c.g - l) * k, l + (c.b - l) * k};
  }
  if (x > T(1) && x - l > T(0)) {
    const T k = (T(1) - l) / (x - l);
    c = {l + (c.r - l) * k, l + (c.g - l) * k, l + (c.b - l) * k};
  }
  return c;
}

template <class T>
Rgb<T> SetLum(const Rgb<T>& c, T l) {
  const T d = l - Lum(c);
  return ClipColor(Rgb<T>{c.r + d, c.g + d, c.b + d});
}

template <class T>
T Sat(const Rgb<T>& c) {
  return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

template <class T>
Rgb<T> SetSat(Rgb<T> c, T s) {
  T* lo = &c.r;
  T* mid = &c.g;
  T* hi = &c.b;
  if (*lo > *mid) std::swap(lo, mid);
  if (*mid > *hi) std::swap(mid, hi);
  if (*lo > *mid) std::swap(lo, mid);
  if (*hi - *lo > T(kBlendEdgeTolerance)) {
    *mid = (*mid - *lo) * s / (*hi - *lo);
    *hi = s;
  } else {
    *mid = T(0);
    *hi = T(0);
  }
  *lo = T(0);
  return c;
}

template <class T>
T Clamp01(T v) {
  return v > T(0) ? (v < T(1) ? v : T(1)) : T(0);
}

}  // namespace BlendDetail

// B(c_b, c_s) of a separable mode, chosen at compile time (the pixel kernels' form).
template <BlendMode kMode, class T>
T BlendSeparable(T cb, T cs) {
  using namespace BlendDetail;
  if constexpr (kMode == BlendMode::Normal) return cs;
  if constexpr (kMode == BlendMode::Multiply) return cb * cs;
  if constexpr (kMode == BlendMode::Screen) return Screen(cb, cs);
  if constexpr (kMode == BlendMode::Overlay) return HardLight(cs, cb);
  if constexpr (kMode == BlendMode::Darken) return std::min(cb, cs);
  if constexpr (kMode == BlendMode::Lighten) return std::max(cb, cs);
  if constexpr (kMode == BlendMode::ColorDodge) return ColorDodge(cb, cs);
  if constexpr (kMode == BlendMode::ColorBurn) return ColorBurn(cb, cs);
  if constexpr (kMode == BlendMode::HardLight) return HardLight(cb, cs);
  if constexpr (kMode == BlendMode::SoftLight) return SoftLight(cb, cs);
  if constexpr (kMode == BlendMode::Difference) return std::abs(cb - cs);
  if constexpr (kMode == BlendMode::Exclusion) return cb + cs - T(2) * cb * cs;
  static_assert(kMode <= BlendMode::Exclusion, "not a separable blend mode");
}

// B(c_b, c_s) of a separable mode chosen at run time. Non-separable modes are rejected by the
// caller; here they yield c_s.
template <class T>
T BlendSeparable(BlendMode mode, T cb, T cs) {
  switch (mode) {
    case BlendMode::Multiply:
      return BlendSeparable<BlendMode::Multiply>(cb, cs);
    case BlendMode::Screen:
      return BlendSeparable<BlendMode::Screen>(cb, cs);
    case BlendMode::Overlay:
      return BlendSeparable<BlendMode::Overlay>(cb, cs);
    case BlendMode::Darken:
      return BlendSeparable<BlendMode::Darken>(cb, cs);
    case BlendMode::Lighten:
      return BlendSeparable<BlendMode::Lighten>(cb, cs);
    case BlendMode::ColorDodge:
      return BlendSeparable<BlendMode::ColorDodge>(cb, cs);
    case BlendMode::ColorBurn:
      return BlendSeparable<BlendMode::ColorBurn>(cb, cs);
    case BlendMode::HardLight:
      return BlendSeparable<BlendMode::HardLight>(cb, cs);
    case BlendMode::SoftLight:
      return BlendSeparable<BlendMode::SoftLight>(cb, cs);
    case BlendMode::Difference:
      return BlendSeparable<BlendMode::Difference>(cb, cs);
    case BlendMode::Exclusion:
      return BlendSeparable<BlendMode::Exclusion>(cb, cs);
    default:
      return cs;
  }
}

// B(C_b, C_s) of a non-separable mode on additive RGB, chosen at compile time, clamped to
// [0, 1] to absorb rounding.
template <BlendMode kMode, class T>
Rgb<T> BlendNonSeparable(const Rgb<T>& cb, const Rgb<T>& cs) {
  using namespace BlendDetail;
  static_assert(kMode >= BlendMode::Hue, "not a non-separable blend mode");
  Rgb<T> result;
  if constexpr (kMode == BlendMode::Hue) result = SetLum(SetSat(cs, Sat(cb)), Lum(cb));
  if constexpr (kMode == BlendMode::Saturation) result = SetLum(SetSat(cb, Sat(cs)), Lum(cb));
  if constexpr (kMode == BlendMode::Color) result = SetLum(cs, Lum(cb));
  if constexpr (kMode == BlendMode::Luminosity) result = SetLum(cb, Lum(cs));
  return {Clamp01(result.r), Clamp01(result.g), Clamp01(result.b)};
}

// B(C_b, C_s) of a non-separable mode chosen at run time. Separable modes yield C_s.
template <class T>
Rgb<T> BlendNonSeparable(BlendMode mode, const Rgb<T>& cb, const Rgb<T>& cs) {
  switch (mode) {
    case BlendMode::Hue:
      return BlendNonSeparable<BlendMode::Hue>(cb, cs);
    case BlendMode::Saturation:
      return BlendNonSeparable<BlendMode::Saturation>(cb, cs);
    case BlendMode::Color:
      return BlendNonSeparable<BlendMode::Color>(cb, cs);
    case BlendMode::Luminosity:
      return BlendNonSeparable<BlendMode::Luminosity>(cb, cs);
    default:
      return cs;
  }
}

}  // namespace CORVEL_KERNEL_ISA
}  // namespace Composite
