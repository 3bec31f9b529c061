#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/OptionalContentInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/PdfWriter.h>
#include <io/pdf/WriterStateInternal.h>

#include <fstream>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace CorvelPdf {

namespace {

using Detail::WriterState;

// Transparency needs PDF 1.4, optional content 1.5, optional-content expressions 1.6; 1.7
// covers everything the writer emits.
constexpr const char* kPdfVersion = "1.7";

QPDFObjectHandle NewPage(WriterState& state, const MavDoc::Content& content,
                         const Vexl::Rectangle& mediaBox, const std::string& where) {
  if (mediaBox.IsEmpty()) throw std::invalid_argument(where + ": the media box is empty");
  Detail::ContentStreamWriter writer(state, where);
  writer.WriteContent(content, Vexl::Transformation::Identity());
  auto page = QPDFObjectHandle::newDictionary();
  page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
  page.replaceKey("/MediaBox", Detail::RectangleObject(mediaBox));
  page.replaceKey("/Resources", writer.ResourceDictionary());
  page.replaceKey("/Contents",
                  state.NewStream(writer.Operators(), QPDFObjectHandle::newDictionary()));
  return page;
}

void AddPageBoxes(QPDFObjectHandle& page, const MavDoc::Page& source) {
  const std::pair<MavDoc::PageBox, const char*> boxes[] = {{MavDoc::kCropBox, "/CropBox"},
                                                           {MavDoc::kBleedBox, "/BleedBox"},
                                                           {MavDoc::kTrimBox, "/TrimBox"},
                                                           {MavDoc::kArtBox, "/ArtBox"}};
  for (const auto& [box, key] : boxes) {
    if (source.HasPageBox(box))
      page.replaceKey(key, Detail::RectangleObject(source.GetPageBox(box)));
  }
  if (source.GetRotation() % 360 != 0) {
    page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(source.GetRotation()));
  }
}

std::string Serialise(QPDF& pdf, WriterState& state) {
  if (auto properties = Detail::OptionalContentProperties(state); properties.isInitialized()) {
    pdf.getRoot().replaceKey("/OCProperties", properties);
  }
  QPDFWriter writer(pdf);
  writer.setOutputMemory();
  writer.setDeterministicID(true);
  writer.setMinimumPDFVersion(kPdfVersion);
  writer.write();
  const auto buffer = writer.getBufferSharedPointer();
  return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

void SaveFile(const std::string& bytes, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("Cannot open " + path + " for writing");
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("Cannot write " + path);
}

}  // namespace

std::string WriteDocumentToString(const MavDoc::Document& document) {
  QPDF pdf;
  pdf.emptyPDF();
  WriterState state(pdf, document.GetSeparationInfo());
  const auto pages = document.GetPages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const MavDoc::Page& source = *pages[i];
    const std::string where = "page " + std::to_string(i + 1);
    auto page = NewPage(state, source.GetContent(), source.GetPageBox(MavDoc::kMediaBox), where);
    AddPageBoxes(page, source);
    pdf.addPage(pdf.makeIndirectObject(page), false);
  }
  return Serialise(pdf, state);
}

std::string WriteContentToString(const MavDoc::Content& content, const Vexl::Rectangle& box) {
  QPDF pdf;
  pdf.emptyPDF();
  const MavDoc::Document* document = content.GetDocument();
  WriterState state(
      pdf, document ? document->GetSeparationInfo() : MavDoc::Separation::ProcessEntries());
  pdf.addPage(pdf.makeIndirectObject(NewPage(state, content, box, "content")), false);
  return Serialise(pdf, state);
}

void WriteDocument(const MavDoc::Document& document, const std::string& path) {
  SaveFile(WriteDocumentToString(document), path);
}

void WriteContent(const MavDoc::Content& content, const Vexl::Rectangle& box,
                  const std::string& path) {
  SaveFile(WriteContentToString(content, box), path);
}

}  // namespace CorvelPdf
