// The data of image streams: qpdf decodes the general filters (and DCT); the image filters it
// leaves alone are decoded here, and only as the last filter of a chain.
#include <io/pdf/reader/ReaderCodecsInternal.h>
#include <io/pdf/reader/ReaderImagesInternal.h>

#include <algorithm>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

namespace CorvelPdf::Detail {

namespace {

enum class ImageFilter { General, Jpx, Jbig2, Ccitt };

ImageFilter KindOf(QPDFObjectHandle filter) {
  if (filter.isNameAndEquals("/JPXDecode")) return ImageFilter::Jpx;
  if (filter.isNameAndEquals("/JBIG2Decode")) return ImageFilter::Jbig2;
  if (filter.isNameAndEquals("/CCITTFaxDecode") || filter.isNameAndEquals("/CCF"))
    return ImageFilter::Ccitt;
  return ImageFilter::General;
}

std::vector<QPDFObjectHandle> ListOf(QPDFObjectHandle object) {
  if (object.isArray()) return object.getArrayAsVector();
  if (object.isNull()) return {};
  return {object};
}

// Whether qpdf knows every filter of the stream (a null pipeline only asks).
bool QpdfDecodes(QPDFObjectHandle stream) {
  bool filtering = false;
  stream.pipeStreamData(nullptr, &filtering, 0, qpdf_dl_all, true);
  return filtering;
}

// The data with every filter but the last removed: qpdf decodes a copy of the stream, in a
// document of its own, whose filter list stops before the last. Nullopt when qpdf cannot.
std::optional<std::string> WithoutLastFilter(ReaderContext& context, QPDFObjectHandle stream,
                                             const std::vector<QPDFObjectHandle>& filters,
                                             const std::vector<QPDFObjectHandle>& parms) {
  const auto buffer = stream.getRawStreamData();
  std::string raw;
  if (buffer) raw.assign(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  if (filters.size() == 1) return raw;
  QPDF scratch;
  scratch.setSuppressWarnings(true);
  scratch.emptyPDF();
  auto copy = QPDFObjectHandle::newStream(&scratch, raw);
  auto filterList = QPDFObjectHandle::newArray(), parmList = QPDFObjectHandle::newArray();
  for (std::size_t i = 0; i + 1 < filters.size(); ++i) {
    filterList.appendItem(filters[i]);
    parmList.appendItem(i < parms.size() ? parms[i] : QPDFObjectHandle::newNull());
  }
  copy.getDict().replaceKey("/Filter", filterList);
  copy.getDict().replaceKey("/DecodeParms", parmList);
  if (!QpdfDecodes(copy)) return std::nullopt;
  std::string data = StreamBytes(copy, qpdf_dl_all);
  for (const auto& warning : scratch.getWarnings())
    context.Warn("damaged image data: " + warning.getMessageDetail());
  return data;
}

int IntOr(QPDFObjectHandle parms, const char* key, int fallback) {
  const double value = NumberOr(parms.isDictionary() ? parms.getKey(key) : parms, fallback);
  return static_cast<int>(std::clamp(value, -1e9, 1e9));
}

bool FlagOr(QPDFObjectHandle parms, const char* key, bool fallback) {
  auto value = parms.isDictionary() ? parms.getKey(key) : QPDFObjectHandle::newNull();
  return value.isBool() ? value.getBoolValue() : fallback;
}

CcittParams CcittParamsOf(QPDFObjectHandle parms) {
  CcittParams params;
  params.k = IntOr(parms, "/K", params.k);
  params.endOfLine = FlagOr(parms, "/EndOfLine", params.endOfLine);
  params.encodedByteAlign = FlagOr(parms, "/EncodedByteAlign", params.encodedByteAlign);
  params.columns = IntOr(parms, "/Columns", params.columns);
  params.rows = IntOr(parms, "/Rows", params.rows);
  params.blackIs1 = FlagOr(parms, "/BlackIs1", params.blackIs1);
  return params;
}

std::string Jbig2Globals(QPDFObjectHandle parms) {
  auto globals = parms.isDictionary() ? parms.getKey("/JBIG2Globals") : parms;
  return globals.isStream() ? StreamBytes(globals) : std::string();
}

// The image dictionary's size; DecodeImage has checked it against the limits already.
BitmapSize SizeOf(QPDFObjectHandle dict) {
  auto side = [&](const char* key) {
    return static_cast<int>(std::clamp(NumberOr(dict.getKey(key), 0), 0.0, 1e9));
  };
  return {side("/Width"), side("/Height")};
}

std::string FaxSamples(ReaderContext& context, const std::string& data, const CcittParams& params,
                       BitmapSize size) {
  std::string warning;
  std::string samples = DecodeCcitt(data, params, size, context.Limits().maxImageBytes, warning);
  if (!warning.empty()) context.Warn("CCITTFaxDecode rows of the wrong length: " + warning);
  return samples;
}

}  // namespace

std::optional<std::string> ImageStreamData(ReaderContext& context, QPDFObjectHandle stream) {
  auto dict = stream.getDict();
  const auto filters = ListOf(dict.getKey("/Filter"));
  const auto parms = ListOf(dict.getKey("/DecodeParms"));
  for (std::size_t i = 0; i + 1 < filters.size(); ++i) {
    if (KindOf(filters[i]) != ImageFilter::General)
      throw ReadError("", NameOf(filters[i]) + " before another filter");
  }
  const auto unknown = [&] {
    context.Warn("images with filters " + dict.getKey("/Filter").unparse() +
                 " not supported: dropped");
    return std::nullopt;
  };
  const auto kind = filters.empty() ? ImageFilter::General : KindOf(filters.back());
  if (kind == ImageFilter::General) {
    if (!filters.empty() && !QpdfDecodes(stream)) return unknown();
    return StreamBytes(stream, qpdf_dl_all);
  }
  const auto prefix = WithoutLastFilter(context, stream, filters, parms);
  if (!prefix) return unknown();
  const std::string& data = *prefix;
  const auto last = parms.size() == filters.size() ? parms.back() : QPDFObjectHandle::newNull();
  const std::size_t limit = context.Limits().maxImageBytes;
  switch (kind) {
    case ImageFilter::Jbig2:
      return DecodeJbig2(data, Jbig2Globals(last), SizeOf(dict), limit);
    case ImageFilter::Ccitt:
      return FaxSamples(context, data, CcittParamsOf(last), SizeOf(dict));
    default:
      return data;  // JPX: DecodeImage reads the codestream, whose header says its layout
  }
}

}  // namespace CorvelPdf::Detail
