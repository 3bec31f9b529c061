#pragma once
// Colour functions of shadings (exponential, stitching, sampled): m inputs to n outputs.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace MavPaint {

// A function from m inputs to n outputs, clipped to its domain and (when given) its range.
// Immutable and shared (std::shared_ptr<const Function>).
class Function {
 public:
  virtual ~Function() = default;
  // Outputs at the given inputs (clipped to the domain first).
  virtual std::vector<float> Evaluate(const std::vector<double>& inputs) const = 0;
  virtual int OutputCount() const = 0;
  // True when output `channel` is 0 over the whole domain: that channel puts no ink anywhere.
  virtual bool IsZeroOnDomain(std::size_t channel) const = 0;
  // Structural equality (same kind and the same numbers).
  virtual bool Equals(const Function& other) const = 0;

  float EvaluateOne(double t, std::size_t channel) const { return Evaluate({t}).at(channel); }
};

bool operator==(const Function& a, const Function& b);
// Null-safe equality of shared functions: both null, the same object, or equal values.
bool FunctionsEqual(const std::shared_ptr<const Function>& a,
                    const std::shared_ptr<const Function>& b);

// Type 2: C0 + t^N (C1 − C0) over a one-dimensional domain.
class ExponentialFunction final : public Function {
 public:
  ExponentialFunction(std::vector<float> c0, std::vector<float> c1, double exponent,
                      std::array<double, 2> domain = {0, 1});
  std::vector<float> Evaluate(const std::vector<double>& inputs) const override;
  int OutputCount() const override { return static_cast<int>(c0_.size()); }
  bool IsZeroOnDomain(std::size_t channel) const override;
  bool Equals(const Function& other) const override;
  const std::vector<float>& GetC0() const { return c0_; }
  const std::vector<float>& GetC1() const { return c1_; }
  double GetExponent() const { return exponent_; }
  std::array<double, 2> GetDomain() const { return domain_; }

 private:
  std::vector<float> c0_, c1_;
  double exponent_;
  std::array<double, 2> domain_;
};

// Type 3: k one-input functions over adjacent subdomains split at `bounds`, each input mapped
// onto its function's domain by `encode` (two numbers per function).
class StitchingFunction final : public Function {
 public:
  StitchingFunction(std::vector<std::shared_ptr<const Function>> functions,
                    std::vector<double> bounds, std::vector<double> encode,
                    std::array<double, 2> domain = {0, 1});
  std::vector<float> Evaluate(const std::vector<double>& inputs) const override;
  int OutputCount() const override;
  bool IsZeroOnDomain(std::size_t channel) const override;
  bool Equals(const Function& other) const override;
  const std::vector<std::shared_ptr<const Function>>& GetFunctions() const { return functions_; }
  const std::vector<double>& GetBounds() const { return bounds_; }
  const std::vector<double>& GetEncode() const { return encode_; }
  std::array<double, 2> GetDomain() const { return domain_; }

 private:
  std::vector<std::shared_ptr<const Function>> functions_;
  std::vector<double> bounds_, encode_;
  std::array<double, 2> domain_;
};

// Type 0: a table of samples over m inputs, multilinear interpolation. `samples` holds the
// decoded output values (already in range units), the first input varying fastest.
class SampledFunction final : public Function {
 public:
  SampledFunction(std::vector<std::array<double, 2>> domain, std::vector<int> size,
                  std::vector<float> samples, int outputCount,
                  std::vector<std::array<double, 2>> encode = {});
  std::vector<float> Evaluate(const std::vector<double>& inputs) const override;
  int OutputCount() const override { return outputCount_; }
  bool IsZeroOnDomain(std::size_t channel) const override;
  bool Equals(const Function& other) const override;
  const std::vector<std::array<double, 2>>& GetDomain() const { return domain_; }
  const std::vector<int>& GetSize() const { return size_; }
  const std::vector<float>& GetSamples() const { return samples_; }
  // Never empty: the default [0, size − 1] per input is filled in by the constructor.
  const std::vector<std::array<double, 2>>& GetEncode() const { return encode_; }

 private:
  std::vector<std::array<double, 2>> domain_;
  std::vector<int> size_;
  std::vector<float> samples_;
  int outputCount_;
  std::vector<std::array<double, 2>> encode_;
};

}  // namespace MavPaint
