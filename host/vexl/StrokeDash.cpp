#include <vexl/StrokeInternal.h>

#include <algorithm>
#include <array>

// Dashing after ISO 32000-1 8.4.3.6: the array's lengths alternate on and off and repeat (an odd
// count is used twice over, so that on and off swap on the second pass); the phase is the distance
// into the pattern at which the path starts. Lengths are measured along the curve (arc length).

namespace Vexl::Stroking {

namespace {

// Arc length by 5-point Gauss–Legendre quadrature on uniform parameter intervals: exact for the
// polynomial part of the speed up to degree 9, so far below any tolerance on ordinary cubics.
constexpr int kIntervals = 16;
constexpr std::array<double, 5> kNodes{-0.9061798459386640, -0.5384693101056831, 0.0,
                                       0.5384693101056831, 0.9061798459386640};
constexpr std::array<double, 5> kWeights{0.2369268850561891, 0.4786286704993665, 0.5688888888888889,
                                         0.4786286704993665, 0.2369268850561891};
// Newton steps that turn an arc length into a parameter within one interval.
constexpr int kInverseSteps = 6;

double SpeedIntegral(const Curve& c, double t0, double t1) {
  const double middle = (t0 + t1) / 2, radius = (t1 - t0) / 2;
  double sum = 0;
  for (std::size_t i = 0; i < kNodes.size(); ++i) {
    sum += kWeights[i] * Length(c.Derivative(middle + radius * kNodes[i]));
  }
  return sum * radius;
}

// A curve with its cumulative arc length at kIntervals + 1 uniform parameters.
class ArcLength {
 public:
  explicit ArcLength(const Curve& c) : curve_(c) {
    if (!c.isCubic) {
      cumulative_.fill(0);
      cumulative_.back() = Length(Sub(c.p3, c.p0));
      return;
    }
    cumulative_[0] = 0;
    for (int i = 0; i < kIntervals; ++i) {
      cumulative_[i + 1] = cumulative_[i] + SpeedIntegral(c, double(i) / kIntervals, double(i + 1) / kIntervals);
    }
  }
  double Total() const { return cumulative_.back(); }

  double ParameterAt(double s) const {
    if (s <= 0) return 0;
    if (s >= Total()) return 1;
    if (!curve_.isCubic) return s / Total();
    const auto upper = std::upper_bound(cumulative_.begin(), cumulative_.end(), s);
    const int i = static_cast<int>(upper - cumulative_.begin()) - 1;
    const double lo = double(i) / kIntervals, hi = double(i + 1) / kIntervals;
    const double span = cumulative_[i + 1] - cumulative_[i];
    double t = lo + (hi - lo) * (span > 0 ? (s - cumulative_[i]) / span : 0);
    for (int step = 0; step < kInverseSteps; ++step) {
      const double speed = Length(curve_.Derivative(t));
      if (!(speed > 0)) break;
      t = std::clamp(t - (cumulative_[i] + SpeedIntegral(curve_, lo, t) - s) / speed, lo, hi);
    }
    return t;
  }

 private:
  Curve curve_;
  std::array<double, kIntervals + 1> cumulative_{};
};

// The unit tangent at t, from the end tangents where the curve stalls (a cusp).
Point TangentAt(const Curve& c, double t) {
  const Point d1 = c.Derivative(t);
  if (Length(d1) > 0) return Unit(d1);
  return t < 0.5 ? c.StartTangent() : c.EndTangent();
}

// Where the pattern stands: which entry, and how much of it is left.
struct PatternState {
  std::size_t index = 0;
  double left = 0;
  bool On() const { return index % 2 == 0; }
};

// The pattern with an odd count doubled, so that even entries are always "on".
std::vector<double> EvenPattern(const std::vector<double>& dashes) {
  std::vector<double> pattern = dashes;
  if (pattern.size() % 2 == 1) pattern.insert(pattern.end(), dashes.begin(), dashes.end());
  return pattern;
}

PatternState StartState(const std::vector<double>& pattern, double phase) {
  double cycle = 0;
  for (double length : pattern) cycle += length;
  double offset = std::fmod(phase, cycle);
  if (offset < 0) offset += cycle;
  PatternState state;
  while (offset >= pattern[state.index] && offset > 0) {
    offset -= pattern[state.index];
    state.index = (state.index + 1) % pattern.size();
  }
  state.left = pattern[state.index] - offset;
  return state;
}

}  // namespace

bool DashStartsOn(const std::vector<double>& dashes, double phase) {
  return StartState(EvenPattern(dashes), phase).On();
}

void DashRun(const Run& run, const std::vector<double>& dashes, double phase,
             std::vector<Run>& pieces, std::vector<Mark>& dots) {
  const std::vector<double> pattern = EvenPattern(dashes);
  PatternState state = StartState(pattern, phase);
  Run current;
  for (const Curve& curve : run.curves) {
    const ArcLength arc(curve);
    double position = 0, parameter = 0;
    // The pattern changes inside (or at the end of) this curve.
    while (arc.Total() - position >= state.left) {
      position += state.left;
      const double cut = arc.ParameterAt(position);
      if (state.On()) {
        if (cut > parameter) current.curves.push_back(curve.Part(parameter, cut));
        if (!current.curves.empty()) {
          pieces.push_back(std::move(current));
        } else if (pattern[state.index] == 0) {
          // A zero-length dash: a dot aligned with the path there.
          dots.push_back({curve.Evaluate(cut), TangentAt(curve, cut)});
        }
        current = Run{};
      }
      parameter = cut;
      state.index = (state.index + 1) % pattern.size();
      state.left = pattern[state.index];
    }
    state.left -= arc.Total() - position;
    if (state.On() && parameter < 1) current.curves.push_back(curve.Part(parameter, 1));
  }
  if (!current.curves.empty()) pieces.push_back(std::move(current));
}

}  // namespace Vexl::Stroking
