#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <io/pdf/reader/ReaderContextInternal.h>
#include <io/pdf/reader/ReaderFontsInternal.h>
#include <io/pdf/reader/ReaderOptionalContentInternal.h>

#include <algorithm>
#include <cmath>
#include <qpdf/QPDFExc.hh>

namespace CorvelPdf {

ReadError::ReadError(std::string where, std::string why)
    : std::runtime_error(where.empty() ? why : where + ": " + why),
      where_(std::move(where)),
      why_(std::move(why)) {}

ReadError ReadError::Within(const std::string& outer) const {
  return ReadError(where_.empty() ? outer : outer + ", " + where_, why_);
}

namespace Detail {

namespace {
// qpdf reports every repair; a badly damaged file gives thousands. The first few say enough.
constexpr std::size_t kMaxPdfWarnings = 10;
}  // namespace

ReaderContext::ReaderContext(QPDF& pdf, MavDoc::Document& document, const ReadLimits& limits)
    : pdf_(pdf),
      document_(document),
      limits_(limits),
      fonts_(std::make_unique<FontCache>()),
      layers_(std::make_unique<OptionalContent>(pdf)) {}

ReaderContext::~ReaderContext() = default;

void ReaderContext::Warn(const std::string& message) {
  if (seen_.insert(message).second) warnings_.push_back(message);
}

QPDFObjectHandle ReaderContext::Indirect(QPDFObjectHandle object) {
  if (object.isIndirect()) return object;
  auto& found = indirect_[object.unparse()];
  if (!found.isInitialized()) found = pdf_.makeIndirectObject(object);
  return found;
}

void ReaderContext::CollectPdfWarnings() {
  for (const auto& warning : pdf_.getWarnings()) {
    if (++pdfWarningCount_ <= kMaxPdfWarnings) {
      Warn("damaged file repaired: " + std::string(warning.what()));
    } else {
      Warn("damaged file repaired: more repairs not listed");
    }
  }
}

void ReaderContext::StartPage(int pageNumber) {
  pageNumber_ = pageNumber;
  operatorCount_ = 0;
}

void ReaderContext::CountOperator() {
  if (++operatorCount_ > limits_.maxOperatorsPerPage) {
    throw ReadError(
        "", "more than " + std::to_string(limits_.maxOperatorsPerPage) + " operators on the page");
  }
}

std::vector<double> NumbersOf(QPDFObjectHandle array, const std::string& what) {
  std::vector<double> numbers;
  if (!array.isArray()) throw ReadError("", what + " is not an array of numbers");
  for (auto& item : array.aitems()) {
    if (!item.isNumber()) throw ReadError("", what + " is not an array of numbers");
    numbers.push_back(item.getNumericValue());
  }
  return numbers;
}

double NumberOr(QPDFObjectHandle object, double fallback) {
  if (!object.isNumber()) return fallback;
  const double value = object.getNumericValue();
  return std::isfinite(value) ? value : fallback;
}

std::string NameOf(QPDFObjectHandle object) {
  if (!object.isName()) return {};
  const std::string name = object.getName();
  return name.empty() ? name : name.substr(1);
}

Vexl::Transformation MatrixOf(QPDFObjectHandle array) {
  if (!array.isArray()) return {};
  const auto m = NumbersOf(array, "matrix");
  if (m.size() != 6 ||
      !std::all_of(m.begin(), m.end(), [](double v) { return std::isfinite(v); })) {
    throw ReadError("", "matrix without 6 numbers");
  }
  return {m[0], m[1], m[2], m[3], m[4] * 1000, m[5] * 1000};
}

Vexl::Rectangle RectangleOf(QPDFObjectHandle array) {
  if (!array.isArray() || array.getArrayNItems() != 4) return Vexl::Rectangle::Null();
  std::vector<double> v;
  for (auto& item : array.aitems()) {
    if (!item.isNumber() || !std::isfinite(item.getNumericValue())) return Vexl::Rectangle::Null();
    v.push_back(item.getNumericValue() * 1000);
  }
  const double x = std::min(v[0], v[2]), y = std::min(v[1], v[3]);
  return {x, y, std::max(v[0], v[2]) - x, std::max(v[1], v[3]) - y};
}

std::string StreamBytes(QPDFObjectHandle stream, qpdf_stream_decode_level_e level) {
  if (!stream.isStream()) throw ReadError("", "stream expected");
  auto buffer = stream.getStreamData(level);
  if (!buffer || buffer->getSize() == 0) return {};
  return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

}  // namespace Detail
}  // namespace CorvelPdf
