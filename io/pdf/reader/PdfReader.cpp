#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/ReaderContextInternal.h>
#include <io/pdf/reader/ReaderPageInternal.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

namespace CorvelPdf {

namespace {

// How far into a file readers look for the %PDF- header.
constexpr std::size_t kHeaderWindow = 1024;

// The first bytes of the file, or nothing when it cannot be read (qpdf's message then says why).
std::optional<std::string> FileStart(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string start(kHeaderWindow, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return start;
}

// qpdf starts its messages with the file's name; the error names it once.
ReadError OpenError(const std::string& description, const std::exception& e) {
  std::string why = e.what();
  if (why.rfind(description + ": ", 0) == 0) why.erase(0, description.size() + 2);
  return ReadError(description, why);
}

// A file qpdf could not open, `start` its first bytes. Where qpdf's words ("unable to find
// trailer dictionary while recovering damaged file", "invalid password") hide what the user
// can act on, the error says it instead: an empty file, one that is no PDF at all, one that
// needs a password to be opened, one that repairing could not save.
ReadError UnopenedError(const std::string& description, std::string_view start,
                        const std::exception& e) {
  const std::string why = e.what();
  if (why.find("invalid password") != std::string::npos)
    return ReadError(description, "the file is encrypted with a password needed to open it");
  if (start.empty()) return ReadError(description, "the file is empty");
  if (start.find("%PDF-") == std::string_view::npos)
    return ReadError(description, "not a PDF file (no %PDF- header in its first 1024 bytes)");
  const ReadError qpdf = OpenError(description, e);
  if (why.find("damaged") == std::string::npos) return qpdf;
  return ReadError(description, "damaged beyond repair: " + qpdf.Why());
}

void ProcessFile(QPDF& pdf, const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    throw ReadError(path, "a directory, not a PDF file");
  try {
    pdf.processFile(path.c_str());
  } catch (const std::exception& e) {
    const auto start = FileStart(path);
    throw start ? UnopenedError(path, *start, e) : OpenError(path, e);
  }
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
  ProcessFile(pdf, path);
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
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    throw UnopenedError(description, all.substr(0, kHeaderWindow), e);
  }
  return ReadOpened(pdf, description, ReadOptions{limits, {}, false, false});
}

ReadResult ReadPages(QPDF& pdf, const std::string& description, const ReadOptions& options) {
  return ReadOpened(pdf, description, options);
}

void OpenFile(QPDF& pdf, const std::string& path) {
  pdf.setSuppressWarnings(true);
  ProcessFile(pdf, path);
}

}  // namespace CorvelPdf
