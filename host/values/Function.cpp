#include <values/Function.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace MavPaint {

namespace {

double Clip(double v, std::array<double, 2> range) {
  return std::clamp(v, std::min(range[0], range[1]), std::max(range[0], range[1]));
}

double Interpolate(double x, double x0, double x1, double y0, double y1) {
  return x1 == x0 ? y0 : y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

// A zero tint is "no ink": below this it cannot show on any plate.
constexpr float kNoInk = 1e-5f;

}  // namespace

bool operator==(const Function& a, const Function& b) { return a.Equals(b); }

bool FunctionsEqual(const std::shared_ptr<const Function>& a,
                    const std::shared_ptr<const Function>& b) {
  if (a == b) return true;
  return a && b && *a == *b;
}

ExponentialFunction::ExponentialFunction(std::vector<float> c0, std::vector<float> c1,
                                         double exponent, std::array<double, 2> domain)
    : c0_(std::move(c0)), c1_(std::move(c1)), exponent_(exponent), domain_(domain) {
  if (c0_.size() != c1_.size()) {
    throw std::invalid_argument("Exponential function: C0 and C1 differ in length");
  }
}

std::vector<float> ExponentialFunction::Evaluate(const std::vector<double>& inputs) const {
  const double t = Clip(inputs.empty() ? 0.0 : inputs[0], domain_);
  const double p = std::pow(t, exponent_);
  std::vector<float> out(c0_.size());
  for (std::size_t i = 0; i < c0_.size(); ++i) {
    out[i] = static_cast<float>(c0_[i] + p * (c1_[i] - c0_[i]));
  }
  return out;
}

bool ExponentialFunction::IsZeroOnDomain(std::size_t channel) const {
  if (channel >= c0_.size()) return true;
  // t^N is monotone on the domain, so the output lies between its values at the two ends.
  const auto ends = {Evaluate({domain_[0]})[channel], Evaluate({domain_[1]})[channel]};
  return std::all_of(ends.begin(), ends.end(), [](float v) { return std::fabs(v) < kNoInk; });
}

bool ExponentialFunction::Equals(const Function& other) const {
  const auto* o = dynamic_cast<const ExponentialFunction*>(&other);
  return o && c0_ == o->c0_ && c1_ == o->c1_ && exponent_ == o->exponent_ &&
         domain_ == o->domain_;
}

StitchingFunction::StitchingFunction(std::vector<std::shared_ptr<const Function>> functions,
                                     std::vector<double> bounds, std::vector<double> encode,
                                     std::array<double, 2> domain)
    : functions_(std::move(functions)),
      bounds_(std::move(bounds)),
      encode_(std::move(encode)),
      domain_(domain) {
  if (functions_.empty() || bounds_.size() + 1 != functions_.size() ||
      encode_.size() != 2 * functions_.size()) {
    throw std::invalid_argument("Stitching function: Functions, Bounds and Encode disagree");
  }
  for (const auto& f : functions_) {
    if (!f || f->OutputCount() != functions_.front()->OutputCount()) {
      throw std::invalid_argument("Stitching function: sub-functions differ in outputs");
    }
  }
}

std::vector<float> StitchingFunction::Evaluate(const std::vector<double>& inputs) const {
  const double x = Clip(inputs.empty() ? 0.0 : inputs[0], domain_);
  std::size_t k = 0;
  while (k < bounds_.size() && x >= bounds_[k]) ++k;
  const double lo = k == 0 ? domain_[0] : bounds_[k - 1];
  const double hi = k == bounds_.size() ? domain_[1] : bounds_[k];
  return functions_[k]->Evaluate({Interpolate(x, lo, hi, encode_[2 * k], encode_[2 * k + 1])});
}

int StitchingFunction::OutputCount() const { return functions_.front()->OutputCount(); }

bool StitchingFunction::IsZeroOnDomain(std::size_t channel) const {
  return std::all_of(functions_.begin(), functions_.end(),
                     [channel](const auto& f) { return f->IsZeroOnDomain(channel); });
}

bool StitchingFunction::Equals(const Function& other) const {
  const auto* o = dynamic_cast<const StitchingFunction*>(&other);
  if (!o || bounds_ != o->bounds_ || encode_ != o->encode_ || domain_ != o->domain_ ||
      functions_.size() != o->functions_.size()) {
    return false;
  }
  for (std::size_t i = 0; i < functions_.size(); ++i) {
    if (!FunctionsEqual(functions_[i], o->functions_[i])) return false;
  }
  return true;
}

SampledFunction::SampledFunction(std::vector<std::array<double, 2>> domain, std::vector<int> size,
                                 std::vector<float> samples, int outputCount,
                                 std::vector<std::array<double, 2>> encode)
    : domain_(std::move(domain)),
      size_(std::move(size)),
      samples_(std::move(samples)),
      outputCount_(outputCount),
      encode_(std::move(encode)) {
  std::size_t count = static_cast<std::size_t>(std::max(outputCount_, 0));
  for (int s : size_) count *= static_cast<std::size_t>(std::max(s, 0));
  if (domain_.empty() || domain_.size() != size_.size() || outputCount_ <= 0 ||
      std::any_of(size_.begin(), size_.end(), [](int s) { return s < 1; }) ||
      samples_.size() != count) {
    throw std::invalid_argument("Sampled function: Size, Domain and sample count disagree");
  }
  if (encode_.empty()) {
    for (int s : size_) encode_.push_back({0.0, double(s - 1)});
  }
  if (encode_.size() != size_.size()) {
    throw std::invalid_argument("Sampled function: Encode has the wrong length");
  }
}

std::vector<float> SampledFunction::Evaluate(const std::vector<double>& inputs) const {
  const std::size_t m = size_.size();
  std::vector<std::size_t> base(m);
  std::vector<double> frac(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double x = Clip(i < inputs.size() ? inputs[i] : 0.0, domain_[i]);
    const double e = Interpolate(x, domain_[i][0], domain_[i][1], encode_[i][0], encode_[i][1]);
    const double c = std::clamp(e, 0.0, double(size_[i] - 1));
    base[i] = std::min(static_cast<std::size_t>(c), static_cast<std::size_t>(size_[i] - 1));
    frac[i] = c - double(base[i]);
  }
  std::vector<float> out(static_cast<std::size_t>(outputCount_), 0.0f);
  // Multilinear interpolation over the 2^m corners of the cell.
  for (std::size_t corner = 0; corner < (std::size_t{1} << m); ++corner) {
    double weight = 1;
    std::size_t index = 0, stride = 1;
    for (std::size_t i = 0; i < m; ++i) {
      const bool up = (corner >> i) & 1;
      const std::size_t coord =
          std::min(base[i] + (up ? 1 : 0), static_cast<std::size_t>(size_[i] - 1));
      weight *= up ? frac[i] : 1 - frac[i];
      index += coord * stride;
      stride *= static_cast<std::size_t>(size_[i]);
    }
    if (weight == 0) continue;
    for (int o = 0; o < outputCount_; ++o) {
      out[o] += static_cast<float>(weight * samples_[index * outputCount_ + o]);
    }
  }
  return out;
}

bool SampledFunction::IsZeroOnDomain(std::size_t channel) const {
  if (channel >= static_cast<std::size_t>(outputCount_)) return true;
  // Interpolation stays within the samples, so all-zero samples mean zero everywhere.
  for (std::size_t i = channel; i < samples_.size(); i += outputCount_) {
    if (std::fabs(samples_[i]) >= kNoInk) return false;
  }
  return true;
}

bool SampledFunction::Equals(const Function& other) const {
  const auto* o = dynamic_cast<const SampledFunction*>(&other);
  return o && domain_ == o->domain_ && size_ == o->size_ && samples_ == o->samples_ &&
         outputCount_ == o->outputCount_ && encode_ == o->encode_;
}

}  // namespace MavPaint
