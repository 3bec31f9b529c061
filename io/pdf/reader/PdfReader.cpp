#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/ReaderContextInternal.h>
#include <io/pdf/reader/ReaderPageInternal.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace CorvelPdf {

namespace {

// qpdf starts its messages with the file's name; the error names it once.
ReadError OpenError(const std::string& description, const std::exception& e) {
  std::string why = e.what();
  if (why.rfind(description + ": ", 0) == 0) why.erase(0, description.size() + 2);
  return ReadError(description, why);
}

ReadResult ReadSelected(QPDF& pdf, const ReadOptions& options) {
  ReadResult result;
  result.document = std::make_unique<MavDoc::Document>();
  Detail::ReaderContext context(pdf, *result.document, options.limits);
  context.SetKeepUnreadable(options.keepUnreadable);
  context.CollectPdfWarnings();
  std::vector<QPDFPageObjectHelper> pages;
  try {
    pages = QPDFPageDocumentHelper(pdf).getAllPages();
  } catch (const std::exception& e) {
    throw ReadError("page tree", e.what());
  }
  std::vector<int> numbers = options.pages;
  if (numbers.empty()) {
    for (std::size_t i = 1; i <= pages.size(); ++i) numbers.push_back(static_cast<int>(i));
  }
  for (int number : numbers) {
    const std::string where = "page " + std::to_string(number);
    if (number < 1 || number > static_cast<int>(pages.size()))
      throw ReadError(where, "the file has " + std::to_string(pages.size()) + " pages");
    context.StartPage(number);
    try {
      Detail::ReadPage(context, pages[number - 1].getObjectHandle(),
                       options.onlyTransparentAnnotations);
    } catch (const ReadError& e) {
      throw e.Within(where);
    } catch (const std::exception& e) {
      throw ReadError(where, e.what());
    }
  }
  context.CollectPdfWarnings();
  result.warnings = context.TakeWarnings();
  return result;
}

// Reads an opened file: whatever qpdf throws while the document-level structure is looked at
// (the catalog, optional content, the page tree) is a ReadError naming the file too.
ReadResult ReadOpened(QPDF& pdf, const std::string& description, const ReadOptions& options) {
  try {
    return ReadSelected(pdf, options);
  } catch (const ReadError&) {
    throw;
  } catch (const std::exception& e) {
    throw OpenError(description, e);
  }
}

}  // namespace

ReadResult ReadDocument(const std::string& path, const ReadLimits& limits) {
  QPDF pdf;
  pdf.setSuppressWarnings(true);
  try {
    pdf.processFile(path.c_str());
  } catch (const std::exception& e) {
    throw OpenError(path, e);
  }
  return ReadOpened(pdf, path, ReadOptions{limits, {}, false, false});
}

ReadResult ReadDocumentFromMemory(std::span<const std::uint8_t> bytes,
                                  const std::string& description, const ReadLimits& limits) {
  QPDF pdf;
  pdf.setSuppressWarnings(true);
  try {
    pdf.processMemoryFile(description.c_str(), reinterpret_cast<const char*>(bytes.data()),
                          bytes.size());
  } catch (const std::exception& e) {
    throw OpenError(description, e);
  }
  return ReadOpened(pdf, description, ReadOptions{limits, {}, false, false});
}

ReadResult ReadPages(QPDF& pdf, const std::string& description, const ReadOptions& options) {
  return ReadOpened(pdf, description, options);
}

void OpenFile(QPDF& pdf, const std::string& path) {
  pdf.setSuppressWarnings(true);
  try {
    pdf.processFile(path.c_str());
  } catch (const std::exception& e) {
    throw OpenError(path, e);
  }
}

}  // namespace CorvelPdf
