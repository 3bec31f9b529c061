#pragma once
// Small PDF files written by hand for the reader's tests, and ways to look into what was read.

#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Objects.h>

#include <cstdint>
#include <string>
#include <vector>

namespace CorvelPdfTest {

// Collects numbered objects (1, 2, ... in order of adding) and writes a file with a correct
// cross-reference table.
class PdfBuilder {
 public:
  // Adds an object given as PDF text; returns its number.
  int Add(const std::string& body);
  // Adds a stream; `dictEntries` are the dictionary's entries without /Length.
  int AddStream(const std::string& dictEntries, const std::string& data);
  // A reference "n 0 R" to object `number`.
  static std::string Ref(int number);
  // Finishes a one-page file (MediaBox 0 0 200 100 unless `pageExtra` gives another).
  std::vector<std::uint8_t> OnePage(const std::string& content,
                                    const std::string& resources = "<< >>",
                                    const std::string& pageExtra = "",
                                    const std::string& catalogExtra = "");
  // Finishes a file whose catalog is object `catalog`.
  std::vector<std::uint8_t> Finish(int catalog);

 private:
  std::vector<std::string> objects_;
};

CorvelPdf::ReadResult Read(const std::vector<std::uint8_t>& file);
// The content of page 1.
const MavDoc::Content& FirstPage(const CorvelPdf::ReadResult& result);
std::vector<const MavDoc::ContentObject*> Children(const MavDoc::Content& content);
// The value of the named entry of a flat paint; -1 when the paint is not flat or lacks it.
float Tint(const std::shared_ptr<const MavPaint::Paint>& paint, const std::string& name);
bool HasWarning(const CorvelPdf::ReadResult& result, const std::string& part);

template <class T>
const T& As(const MavDoc::ContentObject* object) {
  const auto* typed = dynamic_cast<const T*>(object);
  if (!typed) throw std::logic_error("object of another type");
  return *typed;
}

}  // namespace CorvelPdfTest
