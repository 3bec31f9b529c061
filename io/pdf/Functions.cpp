#include <io/pdf/FunctionsInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// Sampled tables are written with 16-bit samples: finer than the 8-bit planes they end up on.
constexpr int kSampleBits = 16;
constexpr double kSampleMax = 65535;
// A function of a kind PDF has no type for is tabulated at this many points.
constexpr int kFallbackSamples = 256;

QPDFObjectHandle Domain(std::array<double, 2> domain) {
  return NumberArray({domain[0], domain[1]});
}

QPDFObjectHandle FloatArray(const std::vector<float>& values) {
  return NumberArray(std::vector<double>(values.begin(), values.end()));
}

QPDFObjectHandle Exponential(const MavPaint::ExponentialFunction& f) {
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(2));
  dictionary.replaceKey("/Domain", Domain(f.GetDomain()));
  dictionary.replaceKey("/C0", FloatArray(f.GetC0()));
  dictionary.replaceKey("/C1", FloatArray(f.GetC1()));
  dictionary.replaceKey("/N", NumberObject(f.GetExponent()));
  return dictionary;
}

QPDFObjectHandle Stitching(WriterState& state, const MavPaint::StitchingFunction& f) {
  auto functions = QPDFObjectHandle::newArray();
  for (const auto& sub : f.GetFunctions()) functions.appendItem(WriteFunction(state, *sub));
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(3));
  dictionary.replaceKey("/Domain", Domain(f.GetDomain()));
  dictionary.replaceKey("/Functions", functions);
  dictionary.replaceKey("/Bounds", NumberArray(f.GetBounds()));
  dictionary.replaceKey("/Encode", NumberArray(f.GetEncode()));
  return dictionary;
}

// Samples are stored as 16-bit codes spread over each output's own range, so that the table
// keeps its precision whatever the values are (ISO 32000-1 §7.10.2: Range and Decode).
QPDFObjectHandle SampledStream(WriterState& state, const std::vector<std::array<double, 2>>& domain,
                               const std::vector<int>& size, const std::vector<float>& samples,
                               int outputCount, const std::vector<std::array<double, 2>>& encode) {
  std::vector<double> range;
  for (int o = 0; o < outputCount; ++o) {
    double low = samples.at(o), high = samples.at(o);
    for (std::size_t i = o; i < samples.size(); i += outputCount) {
      low = std::min<double>(low, samples[i]);
      high = std::max<double>(high, samples[i]);
    }
    range.insert(range.end(), {low, high > low ? high : low + 1});
  }
  std::string data;
  data.reserve(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double low = range[2 * (i % outputCount)], high = range[2 * (i % outputCount) + 1];
    const auto code =
        static_cast<unsigned>(std::lround((samples[i] - low) / (high - low) * kSampleMax));
    data += static_cast<char>(code >> 8);
    data += static_cast<char>(code & 0xff);
  }
  std::vector<double> domainNumbers, encodeNumbers, sizeNumbers;
  for (const auto& d : domain) domainNumbers.insert(domainNumbers.end(), {d[0], d[1]});
  for (const auto& e : encode) encodeNumbers.insert(encodeNumbers.end(), {e[0], e[1]});
  for (int s : size) sizeNumbers.push_back(s);
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(0));
  dictionary.replaceKey("/Domain", NumberArray(domainNumbers));
  dictionary.replaceKey("/Range", NumberArray(range));
  dictionary.replaceKey("/Size", NumberArray(sizeNumbers));
  dictionary.replaceKey("/BitsPerSample", QPDFObjectHandle::newInteger(kSampleBits));
  dictionary.replaceKey("/Encode", NumberArray(encodeNumbers));
  dictionary.replaceKey("/Decode", NumberArray(range));
  return state.NewStream(data, dictionary);
}

QPDFObjectHandle Tabulated(WriterState& state, const MavPaint::Function& f) {
  const int outputs = f.OutputCount();
  if (outputs <= 0) throw std::invalid_argument("A colour function without outputs");
  std::vector<float> samples;
  for (int i = 0; i < kFallbackSamples; ++i) {
    const auto values = f.Evaluate({i / double(kFallbackSamples - 1)});
    samples.insert(samples.end(), values.begin(), values.end());
  }
  return SampledStream(state, {{0, 1}}, {kFallbackSamples}, samples, outputs, {});
}

}  // namespace

QPDFObjectHandle WriteFunction(WriterState& state, const MavPaint::Function& function) {
  if (const auto* f = dynamic_cast<const MavPaint::ExponentialFunction*>(&function)) {
    return Exponential(*f);
  }
  if (const auto* f = dynamic_cast<const MavPaint::StitchingFunction*>(&function)) {
    return Stitching(state, *f);
  }
  if (const auto* f = dynamic_cast<const MavPaint::SampledFunction*>(&function)) {
    return SampledStream(state, f->GetDomain(), f->GetSize(), f->GetSamples(), f->OutputCount(),
                         f->GetEncode());
  }
  return Tabulated(state, function);
}

QPDFObjectHandle ZeroFunction() {
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(2));
  dictionary.replaceKey("/Domain", NumberArray({0, 1}));
  dictionary.replaceKey("/C0", NumberArray({0}));
  dictionary.replaceKey("/C1", NumberArray({0}));
  dictionary.replaceKey("/N", QPDFObjectHandle::newInteger(1));
  return dictionary;
}

}  // namespace CorvelPdf::Detail
