#pragma once
// What every part of the reader shares while one file is read.

#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Objects.h>

#include <map>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <set>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

class FontCache;
class OptionalContent;
struct ReaderColorSpace;

// The file being read, the document being built, the limits, and the warnings (each message
// once per file, in the order first met). Owns the caches of fonts and layers. Not copyable.
class ReaderContext {
 public:
  ReaderContext(QPDF& pdf, MavDoc::Document& document, const ReadLimits& limits);
  ~ReaderContext();
  ReaderContext(const ReaderContext&) = delete;
  ReaderContext& operator=(const ReaderContext&) = delete;

  QPDF& Pdf() { return pdf_; }
  MavDoc::Document& Document() { return document_; }
  const ReadLimits& Limits() const { return limits_; }
  // See ReadOptions::keepUnreadable.
  bool KeepUnreadable() const { return keepUnreadable_; }
  void SetKeepUnreadable(bool keep) { keepUnreadable_ = keep; }

  // Records a feature read approximately or not at all; repeated messages are dropped.
  void Warn(const std::string& message);
  // Moves qpdf's own warnings (repairs, damaged streams) into the warnings.
  void CollectPdfWarnings();
  std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

  void StartPage(int pageNumber);
  int PageNumber() const { return pageNumber_; }
  // Counts operators run on the current page; throws ReadError beyond the limit.
  void CountOperator();

  FontCache& Fonts() { return *fonts_; }
  OptionalContent& Layers() { return *layers_; }

  // `object` as an indirect object of the file: itself when it is one, else one new object per
  // distinct value, so that resources written again can be shared by name.
  QPDFObjectHandle Indirect(QPDFObjectHandle object);

  // Soft-mask artwork already built, by the object number of its form.
  std::map<QPDFObjGen, std::shared_ptr<MavDoc::Content>>& SoftMaskContents() { return masks_; }
  // Colour spaces already read, by the object number of an indirect colour-space array.
  std::map<QPDFObjGen, std::shared_ptr<const ReaderColorSpace>>& ColorSpaces() { return spaces_; }

 private:
  QPDF& pdf_;
  MavDoc::Document& document_;
  ReadLimits limits_;
  bool keepUnreadable_ = false;
  std::vector<std::string> warnings_;
  std::set<std::string> seen_;
  std::size_t pdfWarningCount_ = 0;
  int pageNumber_ = 0;
  std::size_t operatorCount_ = 0;
  std::unique_ptr<FontCache> fonts_;
  std::unique_ptr<OptionalContent> layers_;
  std::map<QPDFObjGen, std::shared_ptr<MavDoc::Content>> masks_;
  std::map<QPDFObjGen, std::shared_ptr<const ReaderColorSpace>> spaces_;
  std::map<std::string, QPDFObjectHandle> indirect_;
};

// Numbers of a PDF array as doubles; throws ReadError when an element is not a number.
std::vector<double> NumbersOf(QPDFObjectHandle array, const std::string& what);
// A number, or `fallback` when the object is not one.
double NumberOr(QPDFObjectHandle object, double fallback);
// The name without its slash ("/DeviceRGB" → "DeviceRGB"), empty for a non-name.
std::string NameOf(QPDFObjectHandle object);
// A PDF transformation [a b c d e f] in millipoints (e and f scaled by 1000).
Vexl::Transformation MatrixOf(QPDFObjectHandle array);
// The decoded bytes of a stream (filters of general use only, as qpdf_dl_generalized; images
// pass qpdf_dl_all to decode DCT too). Throws what qpdf throws for damaged data.
std::string StreamBytes(QPDFObjectHandle stream,
                        qpdf_stream_decode_level_e level = qpdf_dl_generalized);
// A rectangle [llx lly urx ury] in millipoints, normalised; Null() when malformed.
Vexl::Rectangle RectangleOf(QPDFObjectHandle array);

}  // namespace CorvelPdf::Detail
