#include "PdfTestFiles.h"

#include <values/Paint.h>

#include <cstdio>
#include <stdexcept>

namespace CorvelPdfTest {

int PdfBuilder::Add(const std::string& body) {
  objects_.push_back(body);
  return static_cast<int>(objects_.size());
}

int PdfBuilder::AddStream(const std::string& dictEntries, const std::string& data) {
  return Add("<< " + dictEntries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" +
             data + "\nendstream");
}

std::string PdfBuilder::Ref(int number) { return std::to_string(number) + " 0 R"; }

std::vector<std::uint8_t> PdfBuilder::OnePage(const std::string& content,
                                              const std::string& resources,
                                              const std::string& pageExtra,
                                              const std::string& catalogExtra) {
  const int contents = AddStream("", content);
  const int pagesNumber = static_cast<int>(objects_.size()) + 2;
  const std::string mediaBox =
      pageExtra.find("/MediaBox") == std::string::npos ? "/MediaBox [0 0 200 100] " : "";
  const std::string contentsEntry =
      pageExtra.find("/Contents") == std::string::npos ? "/Contents " + Ref(contents) + " " : "";
  const int page = Add("<< /Type /Page /Parent " + Ref(pagesNumber) + " " + mediaBox +
                       "/Resources " + resources + " " + contentsEntry + pageExtra + " >>");
  Add("<< /Type /Pages /Kids [" + Ref(page) + "] /Count 1 >>");
  return Finish(Add("<< /Type /Catalog /Pages " + Ref(pagesNumber) + " " + catalogExtra + " >>"));
}

std::vector<std::uint8_t> PdfBuilder::Finish(int catalog) {
  std::string file = "%PDF-1.7\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    offsets.push_back(file.size());
    file += std::to_string(i + 1) + " 0 obj\n" + objects_[i] + "\nendobj\n";
  }
  const std::size_t xref = file.size();
  file += "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    char line[21];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    file += line;
  }
  file += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) + " /Root " + Ref(catalog) +
          " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return {file.begin(), file.end()};
}

CorvelPdf::ReadResult Read(const std::vector<std::uint8_t>& file) {
  return CorvelPdf::ReadDocumentFromMemory(file, "test.pdf");
}

const MavDoc::Content& FirstPage(const CorvelPdf::ReadResult& result) {
  const auto pages = result.document->GetPages();
  if (pages.empty()) throw std::logic_error("no page");
  return pages.front()->GetContent();
}

std::vector<const MavDoc::ContentObject*> Children(const MavDoc::Content& content) {
  std::vector<const MavDoc::ContentObject*> children;
  for (const auto& child : content.GetChildren()) children.push_back(&child);
  return children;
}

float Tint(const std::shared_ptr<const MavPaint::Paint>& paint, const std::string& name) {
  const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(paint.get());
  if (!flat) return -1;
  const auto* entry = flat->GetColor().Find(name);
  return entry ? entry->value : -1;
}

bool HasWarning(const CorvelPdf::ReadResult& result, const std::string& part) {
  for (const auto& warning : result.warnings) {
    if (warning.find(part) != std::string::npos) return true;
  }
  return false;
}

}  // namespace CorvelPdfTest
