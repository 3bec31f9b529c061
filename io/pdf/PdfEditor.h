#pragma once
// Writing flattened pages back into the file they were read from. Only the pages replaced get
// new content; every other object of the file (pages, fonts, images, the catalogue with its
// metadata, outlines, names, page labels, output intents, forms, structure) stays as it was.
// Objects no longer referenced (a replaced page's old content) are dropped on writing.

#include <io/pdf/RasterImageSettings.h>
#include <mavdoc/Content.h>

#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <string>
#include <vector>

namespace CorvelPdf {

namespace Detail {
class BackgroundEncoding;
}

struct EditOptions {
  // "1.3" … "2.0"; empty keeps the input's version (raised only if something written needs it).
  std::string pdfVersion;
};

class PdfEditor {
 public:
  // `pdf` is the opened source file; the model pages given to ReplacePage were read from it.
  // `rasterImages` says how the pictures flattening rendered are compressed.
  explicit PdfEditor(QPDF& pdf, const RasterImageSettings& rasterImages = {});
  ~PdfEditor();
  PdfEditor(const PdfEditor&) = delete;
  PdfEditor& operator=(const PdfEditor&) = delete;

  // Page `number` (1-based) gets the content of `page` as its only content stream and fresh
  // resources. Objects of `page` that carry source records of this file are written as the
  // file painted them. `drawnAnnotations` were drawn into `page` and leave the page's /Annots.
  // Throws std::invalid_argument when the content cannot be written.
  void ReplacePage(int number, const MavDoc::Page& page, const MavDoc::Separation::Entries& inks,
                   const std::vector<QPDFObjectHandle>& drawnAnnotations);

  // The edited file. Throws std::invalid_argument when `options.pdfVersion` is lower than what
  // the file needs, naming what needs more. From PDF 1.5 on, objects are packed into compressed
  // object streams with a cross-reference stream; below, every object stands on its own.
  std::string WriteToString(const EditOptions& options = {});
  // Writes a temporary file next to `path` and renames it into place only when complete;
  // throws std::runtime_error when that fails (the target is then untouched).
  void WriteFile(const std::string& path, const EditOptions& options = {});

 private:
  void Configure(QPDFWriter& writer, const EditOptions& options);

  QPDF& pdf_;
  std::vector<QPDFPageObjectHelper> pages_;
  RasterImageSettings rasterImages_;
  // Compresses rendered images beside the edit (rasterImages.threads > 1), or null.
  std::unique_ptr<Detail::BackgroundEncoding> encoding_;
};

}  // namespace CorvelPdf
