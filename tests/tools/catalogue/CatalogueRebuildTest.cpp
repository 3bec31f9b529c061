// Every catalogue case flattened, and rebuilt for outline view, then written, without rendering
// anything: the part of the fidelity tests that the sanitizer pass runs, since it skips tests
// that render with Ghostscript. Flattened, a case gains new objects and its file holds no
// transparency; rebuilt for outline view, it still draws objects and its file opens.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include <cli/OutlineCount.h>
#include <examples/Catalogue.h>
#include <io/pdf/PdfWriter.h>
#include <module/Exports.h>
#include <tools/catalogue/TransparencyCheck.h>

namespace Corvel::Examples {
// Defined beside the fidelity tests: failure messages show the case by its name.
void PrintTo(const CatalogueCase& c, std::ostream* out);
}  // namespace Corvel::Examples

namespace {

using Corvel::Examples::CatalogueCase;

class CatalogueRebuild : public ::testing::TestWithParam<CatalogueCase> {};

std::string CaseName(const ::testing::TestParamInfo<CatalogueCase>& info) {
  std::string name;
  for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

bool Visible(const std::shared_ptr<MavDoc::LayerProperties>& layer) { return layer->visible; }
bool Everything(const MavDoc::ContentObject&) { return true; }

TEST_P(CatalogueRebuild, FlattenedFileHoldsNoTransparency) {
  auto document = GetParam().make();
  MavDoc::Content& content = document->GetPages().front()->GetContent();
  const auto inserted = Corvel::FlattenAction(content, Visible, true, Everything, false, 300);
  EXPECT_GT(inserted.size(), 0u);
  const auto left = CorvelCatalogue::FindTransparency(CorvelPdf::WriteDocumentToString(*document));
  EXPECT_TRUE(left.empty()) << left.front();
}

TEST_P(CatalogueRebuild, OutlineViewStillDrawsAndIsWritten) {
  auto document = GetParam().make();
  MavDoc::Content& content = document->GetPages().front()->GetContent();
  Corvel::OptimizeForOutlineViewAction(content, Visible, true, Everything);
  EXPECT_GT(CorvelCli::CountDrawn(content).subpaths, 0u);
  EXPECT_NO_THROW(CorvelCatalogue::FindTransparency(CorvelPdf::WriteDocumentToString(*document)));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CatalogueRebuild,
                         ::testing::ValuesIn(Corvel::Examples::Catalogue()), CaseName);

}  // namespace
