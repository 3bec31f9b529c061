// Hostile input: every catalogue page written as PDF (streams uncompressed, so that damage
// reaches content streams and dictionaries rather than only the compressed bytes), then damaged
// at random, seeded. Reading must succeed or fail with a ReadError that names where; what is
// read must flatten and write again, or fail with an exception; nothing may crash (the CI runs
// this under AddressSanitizer and UndefinedBehaviorSanitizer).
#include <gtest/gtest.h>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <random>

#include <examples/Catalogue.h>
#include <io/pdf/PdfWriter.h>
#include <module/Exports.h>

#include "PdfTestFiles.h"

namespace {

#ifdef NDEBUG
constexpr int kMutantsPerCase = 40;
#else
constexpr int kMutantsPerCase = 8;
#endif

std::string Uncompressed(const std::string& pdf) {
  QPDF document;
  document.processMemoryFile("catalogue.pdf", pdf.data(), pdf.size());
  QPDFWriter writer(document);
  writer.setOutputMemory();
  writer.setStreamDataMode(qpdf_s_uncompress);
  writer.setObjectStreamMode(qpdf_o_disable);
  writer.setStaticID(true);
  writer.write();
  auto buffer = writer.getBufferSharedPointer();
  return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

// One to four of: a byte replaced, a digit changed (sizes, counts, operands), a run deleted,
// a run repeated.
std::string Damaged(std::string pdf, std::mt19937& random) {
  std::uniform_int_distribution<int> kinds(0, 3), count(1, 4), length(1, 64), byte(0, 255), digit('0', '9');
  for (int i = count(random); i > 0; --i) {
    std::uniform_int_distribution<std::size_t> at(0, pdf.size() - 1);
    const std::size_t p = at(random);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length(random)), pdf.size() - p);
    switch (kinds(random)) {
      case 0: pdf[p] = static_cast<char>(byte(random)); break;
      case 1: {
        const std::size_t d = pdf.find_first_of("0123456789", p);
        if (d != std::string::npos) pdf[d] = static_cast<char>(digit(random));
        break;
      }
      case 2: pdf.erase(p, n); break;
      default: pdf.insert(p, pdf.substr(p, n)); break;
    }
    if (pdf.size() < 2) break;
  }
  return pdf;
}

TEST(PdfReaderFuzz, DamagedFilesReadOrFailCleanlyAndWhatIsReadFlattens) {
  int read = 0, refused = 0, flattened = 0;
  for (const auto& c : Corvel::Examples::Catalogue()) {
    SCOPED_TRACE(c.name);
    const std::string pdf = Uncompressed(CorvelPdf::WriteDocumentToString(*c.make()));
    std::mt19937 random(std::hash<std::string>{}(c.name) & 0xffffffffu);
    for (int i = 0; i < kMutantsPerCase; ++i) {
      const std::string mutant = Damaged(pdf, random);
      CorvelPdf::ReadResult result;
      try {
        result = CorvelPdf::ReadDocumentFromMemory(
            std::span(reinterpret_cast<const std::uint8_t*>(mutant.data()), mutant.size()), "mutant.pdf");
      } catch (const CorvelPdf::ReadError& e) {
        ++refused;
        EXPECT_FALSE(e.Where().empty() || e.Why().empty()) << e.what();
        continue;
      }
      ++read;
      if (i % 8 != 0) continue;
      try {
        for (MavDoc::Page* page : result.document->GetPages()) {
          Corvel::FlattenAction(page->GetContent(), [](const auto& layer) { return layer->visible; }, true,
                                [](const auto&) { return true; }, false, 72);
        }
        CorvelPdf::WriteDocumentToString(*result.document);
        ++flattened;
      } catch (const std::exception&) {
        // A clear refusal is fine; a crash is not.
      }
    }
  }
  RecordProperty("read", read);
  RecordProperty("refused", refused);
  RecordProperty("flattened", flattened);
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
