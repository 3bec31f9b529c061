#include <sampling/MeshSamplerInternal.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Sampling::Mesh {

namespace {

// Halvings per direction at most: 2^-20 of a patch is far below any pixel of a sane patch, and
// the bound keeps a patch of non-finite points from recursing without end.
constexpr int kMaxDepth = 20;
// Largest departure of a piece's values from linear (in tints, or t over its range) left to the
// triangles: well under one 8-bit level.
constexpr double kValueTolerance = 0.5 / 255;

// (i, j) of the patch's points in their stored order: the boundary from p00 up to p03, across
// to p33, down to p30 and back, then the inner p11 p12 p22 p21.
constexpr std::array<std::array<int, 2>, 16> kPlaces{{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3},
                                                      {3, 3}, {3, 2}, {3, 1}, {3, 0}, {2, 0}, {1, 0},
                                                      {1, 1}, {1, 2}, {2, 2}, {2, 1}}};

Vexl::Point Add(Vexl::Point a, Vexl::Point b) { return {a.x + b.x, a.y + b.y}; }
Vexl::Point Scale(Vexl::Point a, double s) { return {a.x * s, a.y * s}; }
Vexl::Point Mid(Vexl::Point a, Vexl::Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
double Distance(Vexl::Point a, Vexl::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

using Grid = std::array<std::array<Vexl::Point, 4>, 4>;

// The inner point next to corner (ci, cj) of a Coons patch, (a, b) its place: the tensor point
// that makes the surface the Coons surface of the same boundary.
Vexl::Point CoonsInner(const Grid& p, int a, int b) {
  const int ci = a == 1 ? 0 : 3, cj = b == 1 ? 0 : 3, fi = 3 - ci, fj = 3 - cj;
  Vexl::Point sum = Scale(p[ci][cj], -4);
  sum = Add(sum, Scale(Add(p[ci][b], p[a][cj]), 6));
  sum = Add(sum, Scale(Add(p[ci][fj], p[fi][cj]), -2));
  sum = Add(sum, Scale(Add(p[fi][b], p[a][fj]), 3));
  sum = Add(sum, Scale(p[fi][fj], -1));
  return Scale(sum, 1.0 / 9);
}

// De Casteljau halving of a cubic.
void Halve(const std::array<Vexl::Point, 4>& c, std::array<Vexl::Point, 4>& low,
           std::array<Vexl::Point, 4>& high) {
  const Vexl::Point ab = Mid(c[0], c[1]), bc = Mid(c[1], c[2]), cd = Mid(c[2], c[3]);
  const Vexl::Point abc = Mid(ab, bc), bcd = Mid(bc, cd), middle = Mid(abc, bcd);
  low = {c[0], ab, abc, middle};
  high = {middle, bcd, cd, c[3]};
}

// The halves u ≤ 1/2 and u ≥ 1/2 (alongU) or v ≤ 1/2 and v ≥ 1/2.
void Split(const Grid& p, bool alongU, Grid& low, Grid& high) {
  for (int k = 0; k < 4; ++k) {
    std::array<Vexl::Point, 4> curve, a, b;
    for (int m = 0; m < 4; ++m) curve[m] = alongU ? p[m][k] : p[k][m];
    Halve(curve, a, b);
    for (int m = 0; m < 4; ++m) (alongU ? low[m][k] : low[k][m]) = a[m], (alongU ? high[m][k] : high[k][m]) = b[m];
  }
}

// How far the surface may be from the two triangles p00 p30 p33 and p00 p33 p03: control points
// against the bilinear patch of the corners, plus the bilinear patch against the triangles.
double Flatness(const Grid& p) {
  double worst = 0;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      const double u = i / 3.0, v = j / 3.0;
      const Vexl::Point bilinear =
          Add(Add(Scale(p[0][0], (1 - u) * (1 - v)), Scale(p[0][3], (1 - u) * v)),
              Add(Scale(p[3][3], u * v), Scale(p[3][0], u * (1 - v))));
      worst = std::max(worst, Distance(p[i][j], bilinear));
    }
  }
  const Vexl::Point twist = Add(Add(p[0][0], p[3][3]), Scale(Add(p[0][3], p[3][0]), -1));
  return worst + std::hypot(twist.x, twist.y) / 4;
}

double Size(const Grid& p) {
  double left = p[0][0].x, right = left, bottom = p[0][0].y, top = bottom;
  for (const auto& row : p)
    for (const auto& q : row)
      left = std::min(left, q.x), right = std::max(right, q.x), bottom = std::min(bottom, q.y), top = std::max(top, q.y);
  return std::hypot(right - left, top - bottom);
}

class Divider {
 public:
  Divider(const ShadingTints& tints, double tolerance, std::size_t maxTriangles, TriangleRaster& raster)
      : tints_(tints), n_(tints.ValueCount()), tolerance_(tolerance), maxTriangles_(maxTriangles), raster_(raster) {}

  // `values`: corners (0, 0), (0, 1), (1, 1), (1, 0).
  void Divide(const Grid& p, const std::vector<float>& values, int depth) {
    if (depth >= kMaxDepth || Size(p) <= tolerance_ ||
        (Flatness(p) <= tolerance_ && ValueTwist(values) <= kValueTolerance)) {
      Emit(p, values);
      return;
    }
    Grid left, right, parts[4];
    Split(p, true, left, right);
    Split(left, false, parts[0], parts[2]);
    Split(right, false, parts[1], parts[3]);
    // Lower v first, lower u first within it: where a patch folds over itself, larger v (then
    // larger u) shows.
    const std::array<std::array<double, 2>, 4> origins{{{0, 0}, {0.5, 0}, {0, 0.5}, {0.5, 0.5}}};
    for (int k = 0; k < 4; ++k) Divide(parts[k], Quarter(values, origins[k]), depth + 1);
  }

 private:
  float Corner(const std::vector<float>& values, std::size_t corner, std::size_t j) const {
    return values[corner * n_ + j];
  }
  double ValueTwist(const std::vector<float>& values) const {
    double worst = 0;
    for (std::size_t j = 0; j < n_; ++j) {
      const double twist = Corner(values, 0, j) - Corner(values, 1, j) + Corner(values, 2, j) - Corner(values, 3, j);
      worst = std::max(worst, std::fabs(twist) * tints_.ValueScale(j) / 4);
    }
    return worst;
  }
  // Corner values of the quarter whose (u, v) origin is `origin`, bilinear in the parent's.
  std::vector<float> Quarter(const std::vector<float>& values, std::array<double, 2> origin) const {
    std::vector<float> out(4 * n_);
    const std::array<std::array<double, 2>, 4> corners{{{0, 0}, {0, 0.5}, {0.5, 0.5}, {0.5, 0}}};
    for (std::size_t k = 0; k < 4; ++k) {
      const double u = origin[0] + corners[k][0], v = origin[1] + corners[k][1];
      for (std::size_t j = 0; j < n_; ++j) {
        out[k * n_ + j] = static_cast<float>((1 - u) * (1 - v) * Corner(values, 0, j) + (1 - u) * v * Corner(values, 1, j) +
                                             u * v * Corner(values, 2, j) + u * (1 - v) * Corner(values, 3, j));
      }
    }
    return out;
  }
  void Emit(const Grid& p, const std::vector<float>& values) {
    emitted_ += 2;
    if (emitted_ > maxTriangles_) {
      throw std::invalid_argument("Patch mesh needs more than " + std::to_string(maxTriangles_) +
                                  " triangles at this resolution");
    }
    std::vector<float> v(3 * n_);
    auto put = [&](std::size_t slot, std::size_t corner) {
      std::copy_n(values.begin() + std::ptrdiff_t(corner * n_), n_, v.begin() + std::ptrdiff_t(slot * n_));
    };
    put(0, 0), put(1, 3), put(2, 2);
    raster_.Add({p[0][0], p[3][0], p[3][3]}, v.data());
    put(0, 0), put(1, 2), put(2, 1);
    raster_.Add({p[0][0], p[3][3], p[0][3]}, v.data());
  }

  const ShadingTints& tints_;
  std::size_t n_;
  double tolerance_;
  std::size_t maxTriangles_;
  TriangleRaster& raster_;
  std::size_t emitted_ = 0;
};

}  // namespace

TensorPatch ToTensorPatch(const MavPaint::MeshShadingPaint::Patch& patch,
                          const Vexl::Transformation& shadingToPage) {
  TensorPatch out;
  const std::size_t count = std::min<std::size_t>(patch.controlPoints.size(), kPlaces.size());
  for (std::size_t k = 0; k < count; ++k) {
    out.p[std::size_t(kPlaces[k][0])][std::size_t(kPlaces[k][1])] = shadingToPage.Apply(patch.controlPoints[k]);
  }
  if (count == 12) {
    for (const auto& [a, b] : std::array<std::array<int, 2>, 4>{{{1, 1}, {1, 2}, {2, 2}, {2, 1}}}) {
      out.p[std::size_t(a)][std::size_t(b)] = CoonsInner(out.p, a, b);
    }
  }
  return out;
}

void SubdividePatches(const std::vector<TensorPatch>& patches, const ShadingTints& tints,
                      double tolerance, std::size_t maxTriangles, TriangleRaster& raster) {
  Divider divider(tints, tolerance, maxTriangles, raster);
  for (const auto& patch : patches) divider.Divide(patch.p, patch.cornerValues, 0);
}

}  // namespace Sampling::Mesh
