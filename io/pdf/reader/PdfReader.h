#pragma once
// Reads PDF files into the document model.

#include <mavdoc/Objects.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

class QPDF;

namespace CorvelPdf {

// Hard limits that keep a hostile file from exhausting memory or time. Reading fails with a
// ReadError naming the page and the object when one is exceeded.
struct ReadLimits {
  int maxStateDepth = 1000;  // q nesting within one content stream level
  int maxFormDepth = 32;     // forms, patterns and soft masks inside each other
  std::size_t maxImageBytes = std::size_t{1} << 30;  // decoded samples of one image
  std::size_t maxOperatorsPerPage = 20'000'000;      // operators run for one page, forms included
};

// A file or page that cannot be read: `Where()` names the page and the object ("page 3, form
// /Fm1, image /Im1"), `Why()` the problem; what() is "where: why".
class ReadError : public std::runtime_error {
 public:
  ReadError(std::string where, std::string why);
  const std::string& Where() const { return where_; }
  const std::string& Why() const { return why_; }
  // The same error seen from an enclosing object or page.
  ReadError Within(const std::string& outer) const;

 private:
  std::string where_;
  std::string why_;
};

// The document read and the features read approximately or not at all (each message once per
// file, e.g. "overprint not supported yet").
struct ReadResult {
  std::unique_ptr<MavDoc::Document> document;
  std::vector<std::string> warnings;
};

// Reads every page. Damaged cross-reference structure is repaired (reported as a warning);
// throws ReadError when the file cannot be opened or a page cannot be read.
ReadResult ReadDocument(const std::string& path, const ReadLimits& limits = {});
// The same from bytes in memory; `description` names them in messages.
ReadResult ReadDocumentFromMemory(std::span<const std::uint8_t> bytes,
                                  const std::string& description = "memory",
                                  const ReadLimits& limits = {});

// Reading some pages of a file that stays open for editing.
struct ReadOptions {
  ReadLimits limits;
  std::vector<int> pages;  // 1-based, ascending; empty reads every page
  // Annotations stay annotations, except those whose appearance may paint transparency: those
  // are drawn into the page (see TransparencyScan.h).
  bool onlyTransparentAnnotations = false;
  // Objects whose paint or image cannot be represented are kept as stand-ins (with a placeholder
  // paint or picture and PdfSource::unreadable set) instead of being dropped, so that they can
  // be written back unchanged.
  bool keepUnreadable = false;
};
// The document holds one page per page read, in the order of `options.pages`. Objects carry
// source records (io/pdf/PdfSource.h) that refer to `pdf`, which must outlive the document.
ReadResult ReadPages(QPDF& pdf, const std::string& description, const ReadOptions& options);
// Opens a file for ReadPages, repairing damaged cross-reference structure; throws ReadError.
void OpenFile(QPDF& pdf, const std::string& path);

}  // namespace CorvelPdf
