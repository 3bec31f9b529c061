#include <io/pdf/PdfSyntaxInternal.h>

#include <cmath>
#include <charconv>
#include <system_error>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// Linear parts of matrices get more digits than lengths: a rotation's cosine at 6 decimals
// would misplace the far corner of a large page by a visible fraction of a point.
constexpr int kMatrixDecimals = 9;
// A millipoint: three decimals of a point.
constexpr int kLengthDecimals = 3;

std::string Point(Vexl::Point p) { return FormatLength(p.x) + " " + FormatLength(p.y); }

}  // namespace

std::string FormatNumber(double value, int decimals) {
  if (!std::isfinite(value)) throw std::invalid_argument("Cannot write a non-finite number to PDF");
  // to_chars ignores the locale: a host that set a comma locale still gets "0.5", never "0,5".
  char buffer[400];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (written.ec != std::errc()) throw std::invalid_argument("Cannot write a number this large to PDF");
  std::string text(buffer, written.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string FormatLength(double millipoints) {
  return FormatNumber(millipoints / kMilliPointsPerPoint, kLengthDecimals);
}

QPDFObjectHandle NumberObject(double value) {
  const std::string text = FormatNumber(value);
  if (text.find('.') == std::string::npos && std::fabs(value) < 2e9) {
    return QPDFObjectHandle::newInteger(std::stoll(text));
  }
  return QPDFObjectHandle::newReal(text);
}

QPDFObjectHandle NumberArray(const std::vector<double>& values) {
  auto array = QPDFObjectHandle::newArray();
  for (double v : values) array.appendItem(NumberObject(v));
  return array;
}

Vexl::Transformation ToPoints(const Vexl::Transformation& t) {
  return {t.a, t.b, t.c, t.d, t.tx / kMilliPointsPerPoint, t.ty / kMilliPointsPerPoint};
}

std::string FormatMatrix(const Vexl::Transformation& t) {
  const Vexl::Transformation p = ToPoints(t);
  return FormatNumber(p.a, kMatrixDecimals) + " " + FormatNumber(p.b, kMatrixDecimals) + " " +
         FormatNumber(p.c, kMatrixDecimals) + " " + FormatNumber(p.d, kMatrixDecimals) + " " +
         FormatLength(t.tx) + " " + FormatLength(t.ty);
}

QPDFObjectHandle MatrixObject(const Vexl::Transformation& t) {
  const Vexl::Transformation p = ToPoints(t);
  auto array = QPDFObjectHandle::newArray();
  for (double v : {p.a, p.b, p.c, p.d}) {
    array.appendItem(QPDFObjectHandle::newReal(FormatNumber(v, kMatrixDecimals)));
  }
  array.appendItem(NumberObject(p.tx));
  array.appendItem(NumberObject(p.ty));
  return array;
}

QPDFObjectHandle RectangleObject(const Vexl::Rectangle& box) {
  return NumberArray({box.Left() / kMilliPointsPerPoint, box.Bottom() / kMilliPointsPerPoint,
                      box.Right() / kMilliPointsPerPoint, box.Top() / kMilliPointsPerPoint});
}

std::string FormatPath(const Vexl::Compound& compound) {
  std::string out;
  for (const Vexl::Subpath& subpath : compound.GetSubpaths()) {
    out += Point(subpath.GetStart()) + " m\n";
    for (const Vexl::Segment& segment : subpath.GetSegments()) {
      if (segment.IsCubic()) {
        out += Point(segment.control1) + " " + Point(segment.control2) + " " + Point(segment.end) +
               " c\n";
      } else {
        out += Point(segment.end) + " l\n";
      }
    }
    if (subpath.IsClosed()) out += "h\n";
  }
  return out;
}

}  // namespace CorvelPdf::Detail
