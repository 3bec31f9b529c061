#include <io/pdf/reader/ReaderFunctionsInternal.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace CorvelPdf::Detail {

namespace {

using FunctionPtr = std::shared_ptr<const MavPaint::Function>;
using Evaluator = std::function<std::vector<double>(const std::vector<double>&)>;

// Sampled function tables beyond this many values are refused (a hostile /Size).
constexpr std::size_t kMaxSampleValues = std::size_t{1} << 24;
// Grid of a function that is sampled: fine in one input, coarser with more inputs so that the
// table stays near 64 K points.
constexpr double kGridPoints = 65536;
constexpr int kMaxGridPerInput = 256;
// Stitching and nested functions deeper than this are refused (cycles in hostile files).
constexpr int kMaxFunctionNesting = 16;

FunctionPtr Read(ReaderContext& context, QPDFObjectHandle function, int inputCount, int depth);

std::vector<std::array<double, 2>> Pairs(const std::vector<double>& numbers, const char* what) {
  if (numbers.size() % 2 != 0) throw ReadError("", std::string("odd number of values in ") + what);
  std::vector<std::array<double, 2>> pairs;
  for (std::size_t i = 0; i < numbers.size(); i += 2) pairs.push_back({numbers[i], numbers[i + 1]});
  return pairs;
}

// Samples `evaluate` on a regular grid over `domain` into a sampled function.
FunctionPtr Sample(const Evaluator& evaluate, const std::vector<std::array<double, 2>>& domain,
                   int outputCount) {
  const int m = static_cast<int>(domain.size());
  const int perInput =
      std::clamp(static_cast<int>(std::floor(std::pow(kGridPoints, 1.0 / std::max(m, 1)))), 2,
                 kMaxGridPerInput);
  std::vector<int> size(static_cast<std::size_t>(m), perInput);
  std::size_t points = 1;
  for (int i = 0; i < m; ++i) points *= static_cast<std::size_t>(perInput);
  std::vector<float> samples;
  samples.reserve(points * static_cast<std::size_t>(outputCount));
  std::vector<double> inputs(static_cast<std::size_t>(m));
  for (std::size_t point = 0; point < points; ++point) {
    std::size_t rest = point;  // the first input varies fastest
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const double step = static_cast<double>(rest % static_cast<std::size_t>(perInput));
      rest /= static_cast<std::size_t>(perInput);
      inputs[i] = domain[i][0] + (domain[i][1] - domain[i][0]) * step / (perInput - 1);
    }
    const auto outputs = evaluate(inputs);
    for (int k = 0; k < outputCount; ++k) {
      samples.push_back(static_cast<float>(
          k < static_cast<int>(outputs.size()) ? outputs[static_cast<std::size_t>(k)] : 0));
    }
  }
  return std::make_shared<MavPaint::SampledFunction>(domain, size, std::move(samples), outputCount);
}

std::uint32_t ReadBits(const std::string& data, std::size_t& bitPos, int bits) {
  std::uint32_t value = 0;
  for (int i = 0; i < bits; ++i, ++bitPos) {
    const std::size_t byte = bitPos / 8;
    const int bit =
        byte < data.size() ? (static_cast<unsigned char>(data[byte]) >> (7 - bitPos % 8)) & 1 : 0;
    value = (value << 1) | static_cast<std::uint32_t>(bit);
  }
  return value;
}

FunctionPtr ReadSampled(QPDFObjectHandle function,
                        const std::vector<std::array<double, 2>>& domain) {
  auto dict = function.getDict();
  const auto range = Pairs(NumbersOf(dict.getKey("/Range"), "/Range"), "/Range");
  const auto sizes = NumbersOf(dict.getKey("/Size"), "/Size");
  const int bits = static_cast<int>(NumberOr(dict.getKey("/BitsPerSample"), 0));
  if (range.empty() || sizes.size() != domain.size() ||
      (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 12 && bits != 16 && bits != 24 &&
       bits != 32)) {
    throw ReadError("", "sampled function with bad /Range, /Size or /BitsPerSample");
  }
  std::vector<int> size;
  std::size_t count = range.size();
  for (double s : sizes) {
    if (!(s >= 1) || s > 1e6) throw ReadError("", "sampled function with bad /Size");
    size.push_back(static_cast<int>(s));
    count *= static_cast<std::size_t>(s);
    if (count > kMaxSampleValues) throw ReadError("", "sampled function too large");
  }
  auto decode = dict.hasKey("/Decode")
                    ? Pairs(NumbersOf(dict.getKey("/Decode"), "/Decode"), "/Decode")
                    : range;
  std::vector<std::array<double, 2>> encode;
  if (dict.hasKey("/Encode"))
    encode = Pairs(NumbersOf(dict.getKey("/Encode"), "/Encode"), "/Encode");
  if (decode.size() != range.size() || (!encode.empty() && encode.size() != domain.size())) {
    throw ReadError("", "sampled function with bad /Decode or /Encode");
  }
  const std::string data = StreamBytes(function);
  const double maxValue = std::ldexp(1.0, bits) - 1;
  std::vector<float> samples;
  samples.reserve(count);
  std::size_t bitPos = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto& d = decode[i % decode.size()];
    const double raw = ReadBits(data, bitPos, bits);
    samples.push_back(static_cast<float>(d[0] + raw * (d[1] - d[0]) / maxValue));
  }
  return std::make_shared<MavPaint::SampledFunction>(domain, std::move(size), std::move(samples),
                                                     static_cast<int>(range.size()),
                                                     std::move(encode));
}

FunctionPtr ReadExponential(QPDFObjectHandle dict,
                            const std::vector<std::array<double, 2>>& domain) {
  auto floats = [&](const char* key, float fallback) {
    std::vector<float> values;
    if (dict.hasKey(key)) {
      for (double v : NumbersOf(dict.getKey(key), key)) values.push_back(static_cast<float>(v));
    } else {
      values.push_back(fallback);
    }
    return values;
  };
  if (domain.size() != 1) throw ReadError("", "exponential function needs one input");
  return std::make_shared<MavPaint::ExponentialFunction>(floats("/C0", 0), floats("/C1", 1),
                                                         NumberOr(dict.getKey("/N"), 1), domain[0]);
}

FunctionPtr ReadStitching(ReaderContext& context, QPDFObjectHandle dict,
                          const std::vector<std::array<double, 2>>& domain, int depth) {
  if (domain.size() != 1) throw ReadError("", "stitching function needs one input");
  auto list = dict.getKey("/Functions");
  if (!list.isArray()) throw ReadError("", "stitching function without /Functions");
  std::vector<FunctionPtr> functions;
  for (auto& f : list.aitems()) functions.push_back(Read(context, f, 1, depth + 1));
  return std::make_shared<MavPaint::StitchingFunction>(
      std::move(functions), NumbersOf(dict.getKey("/Bounds"), "/Bounds"),
      NumbersOf(dict.getKey("/Encode"), "/Encode"), domain[0]);
}

FunctionPtr ReadCalculator(ReaderContext& context, QPDFObjectHandle function,
                           const std::vector<std::array<double, 2>>& domain) {
  const auto range = Pairs(NumbersOf(function.getDict().getKey("/Range"), "/Range"), "/Range");
  if (range.empty()) throw ReadError("", "calculator function without /Range");
  const CalculatorProgram program(StreamBytes(function));
  context.Warn("PostScript calculator functions sampled on a grid (approximate)");
  const int outputs = static_cast<int>(range.size());
  return Sample(
      [&](const std::vector<double>& inputs) {
        auto values = program.Run(inputs, outputs);
        for (std::size_t i = 0; i < values.size(); ++i)
          values[i] = std::clamp(values[i], range[i][0], range[i][1]);
        return values;
      },
      domain, outputs);
}

FunctionPtr ReadArray(ReaderContext& context, QPDFObjectHandle array, int inputCount, int depth) {
  std::vector<FunctionPtr> parts;
  for (auto& f : array.aitems()) {
    parts.push_back(Read(context, f, inputCount, depth + 1));
    if (parts.back()->OutputCount() != 1)
      throw ReadError("", "function array member with several outputs");
  }
  if (parts.empty()) throw ReadError("", "empty function array");
  if (parts.size() == 1) return parts.front();
  context.Warn("arrays of functions sampled on a grid (approximate)");
  std::vector<std::array<double, 2>> domain(static_cast<std::size_t>(inputCount),
                                            std::array<double, 2>{0, 1});
  if (auto dict = array.getArrayItem(0); dict.isDictionary() || dict.isStream()) {
    auto numbers = NumbersOf(
        dict.isStream() ? dict.getDict().getKey("/Domain") : dict.getKey("/Domain"), "/Domain");
    if (numbers.size() == 2 * domain.size()) domain = Pairs(numbers, "/Domain");
  }
  return Sample(
      [&](const std::vector<double>& inputs) {
        std::vector<double> outputs;
        for (const auto& part : parts) outputs.push_back(part->Evaluate(inputs).at(0));
        return outputs;
      },
      domain, static_cast<int>(parts.size()));
}

FunctionPtr Read(ReaderContext& context, QPDFObjectHandle function, int inputCount, int depth) {
  if (depth > kMaxFunctionNesting) throw ReadError("", "functions nested too deeply");
  if (function.isArray()) return ReadArray(context, function, inputCount, depth);
  if (!function.isDictionary() && !function.isStream())
    throw ReadError("", "function is not a dictionary");
  auto dict = function.isStream() ? function.getDict() : function;
  const auto domain = Pairs(NumbersOf(dict.getKey("/Domain"), "/Domain"), "/Domain");
  if (static_cast<int>(domain.size()) != inputCount) {
    throw ReadError("", "function with " + std::to_string(domain.size()) + " inputs where " +
                            std::to_string(inputCount) + " are needed");
  }
  const int type = static_cast<int>(NumberOr(dict.getKey("/FunctionType"), -1));
  if ((type == 0 || type == 4) && !function.isStream())
    throw ReadError("", "function type " + std::to_string(type) + " is not a stream");
  switch (type) {
    case 0:
      return ReadSampled(function, domain);
    case 2:
      return ReadExponential(dict, domain);
    case 3:
      return ReadStitching(context, dict, domain, depth);
    case 4:
      return ReadCalculator(context, function, domain);
    default:
      throw ReadError("", "unknown function type " + std::to_string(type));
  }
}

}  // namespace

std::shared_ptr<const MavPaint::Function> ReadFunction(ReaderContext& context,
                                                       QPDFObjectHandle function, int inputCount) {
  return Read(context, function, inputCount, 0);
}

}  // namespace CorvelPdf::Detail
