// `corvel flatten` on files: the output is the input edited. What no transparency touches comes
// out as it went in (text as text in its font, images in their compression, overprint, pages,
// the catalogue's metadata); failures write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <lcms2.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <sstream>

#include "FileTestSupport.h"

#include <cli/Commands.h>
#include <cli/FileAction.h>
#include <cli/Options.h>
#include <cli/Verify.h>
#include <io/pdf/reader/PdfReader.h>
#include <mavdoc/Builder.h>
#include <nlohmann/json.hpp>
#include <tools/catalogue/TransparencyCheck.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

namespace {

using namespace CorvelTest;

class FileAction : public FileTest {};

const char* const kHelvetica =
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";

// The flyer: 30 lines of body text, a cyan panel, a black Multiply 0.5 shadow over it and a
// headline above the shadow.
void WriteFlyer(const fs::path& path) {
  TestFile file;
  auto resources = Handle::newDictionary();
  resources.replaceKey("/Font", Handle::newDictionary());
  resources.getKey("/Font").replaceKey("/F1", file.Object(kHelvetica));
  resources.replaceKey("/ExtGState", Handle::parse("<< /Shadow << /BM /Multiply /ca 0.5 >> >>"));
  std::string content = "BT /F1 10 Tf 12 TL 40 800 Td\n";
  for (int line = 1; line <= 30; ++line)
    content += "(Body line " + std::to_string(line) + " of the flyer, set in Helvetica.) Tj T*\n";
  content += "ET\n1 0 0 0 k 40 60 300 200 re f\n";
  content += "q /Shadow gs 0 0 0 1 k 55 45 300 200 re f Q\n";
  content += "BT /F1 24 Tf 0 0 0 1 k 60 200 Td (Headline) Tj ET\n";
  file.AddPage(content, resources);
  file.Save(path);
}

// Text runs of page `page` as the reader finds them: each is still text, not outlines.
std::vector<std::string> TextRuns(const fs::path& path) {
  const auto read = CorvelPdf::ReadDocument(path.string());
  std::vector<std::string> runs;
  std::function<void(const MavDoc::Content&)> walk = [&](const MavDoc::Content& content) {
    for (const MavDoc::ContentObject& member : content.GetChildren()) {
      if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) walk(group->GetContent());
      if (const auto* text = dynamic_cast<const MavDoc::Text*>(&member)) runs.push_back(text->GetCharacters());
    }
  };
  walk(read.document->GetPages().front()->GetContent());
  return runs;
}

std::vector<std::string> FontNames(QPDFPageObjectHelper page) {
  std::vector<std::string> names;
  auto fonts = page.getAttribute("/Resources", false).getKey("/Font");
  if (fonts.isDictionary())
    for (auto& [key, font] : fonts.getDictAsMap()) names.push_back(font.getKey("/BaseFont").getName());
  return names;
}

TEST_F(FileAction, TheFlyerKeepsItsTextAsTextAndReplacesOnlyThePanels) {
  WriteFlyer(input);
  const auto report = Flatten();
  ASSERT_EQ(report.pages.size(), 1u);
  const auto& page = report.pages[0];
  EXPECT_TRUE(page.replaced);
  EXPECT_EQ(page.involvedUnits, 2u) << "the cyan panel and the shadow";
  EXPECT_EQ(page.textRuns, 31u);
  EXPECT_EQ(page.textRunsOutlined, 0u);

  const auto runs = TextRuns(output);
  ASSERT_EQ(runs.size(), 31u);
  EXPECT_EQ(runs.front(), "Body line 1 of the flyer, set in Helvetica.");
  EXPECT_EQ(runs.back(), "Headline");
  QPDF out;
  out.processFile(output.c_str());
  const auto pages = QPDFPageDocumentHelper(out).getAllPages();
  EXPECT_EQ(FontNames(pages[0]), std::vector<std::string>{"/Helvetica"});
  EXPECT_TRUE(CorvelCatalogue::FindTransparency(ReadBytes(output)).empty());
  EXPECT_LT(fs::file_size(output), 2 * fs::file_size(input));
}

TEST_F(FileAction, ThePageWithoutTransparencyAndTheCatalogueComeOutAsTheyWent) {
  TestFile file;
  auto& pdf = file.Pdf();
  auto resources = Handle::parse("<< /ExtGState << /Half << /CA 0.5 /ca 0.5 >> >> >>");
  auto page1 = file.AddPage("0 1 0 0 k 10 10 200 200 re f /Half gs 1 0 0 0 k 100 100 200 200 re f", resources);
  page1.replaceKey("/TrimBox", Handle::parse("[10 10 585 832]"));
  auto fontResources = Handle::newDictionary();
  fontResources.replaceKey("/Font", Handle::newDictionary());
  fontResources.getKey("/Font").replaceKey("/F1", file.Object(kHelvetica));
  auto page2 = file.AddPage("BT /F1 12 Tf 50 700 Td (Untouched page) Tj ET 0 0 1 0 k 50 50 100 100 re f",
                            fontResources);
  auto root = pdf.getRoot();
  root.replaceKey("/Metadata", file.Stream("<x:xmpmeta xmlns:x='adobe:ns:meta/'/>", "<< /Type /Metadata /Subtype /XML >>"));
  auto outlines = file.Object("<< /Type /Outlines /Count 2 >>");
  auto first = file.Object("<< /Title (Cover) >>");
  auto second = file.Object("<< /Title (Back) >>");
  first.replaceKey("/Parent", outlines);
  first.replaceKey("/Next", second);
  first.replaceKey("/Dest", Handle::parse("[null /Fit]"));
  first.getKey("/Dest").setArrayItem(0, page1);
  second.replaceKey("/Parent", outlines);
  second.replaceKey("/Prev", first);
  second.replaceKey("/Dest", Handle::parse("[null /Fit]"));
  second.getKey("/Dest").setArrayItem(0, page2);
  outlines.replaceKey("/First", first);
  outlines.replaceKey("/Last", second);
  root.replaceKey("/Outlines", outlines);
  root.replaceKey("/PageLabels", Handle::parse("<< /Nums [0 << /S /r >> 1 << /S /D /St 5 >>] >>"));
  auto profile = file.Stream(std::string(512, '\x11'), "<< /N 4 >>");
  auto intent = Handle::parse("<< /Type /OutputIntent /S /GTS_PDFX /OutputConditionIdentifier (FOGRA39) >>");
  intent.replaceKey("/DestOutputProfile", profile);
  root.replaceKey("/OutputIntents", Handle::newArray({intent}));
  root.replaceKey("/ViewerPreferences", Handle::parse("<< /DisplayDocTitle true >>"));
  pdf.getTrailer().replaceKey("/Info", file.Object("<< /Title (Brochure) /Author (Corvel tests) >>"));
  file.Save(input);

  const auto report = Flatten();
  ASSERT_EQ(report.pages.size(), 2u);
  EXPECT_TRUE(report.pages[0].replaced);
  EXPECT_FALSE(report.pages[1].transparency);
  EXPECT_FALSE(report.pages[1].replaced);
  for (const char* entry : {"Metadata", "Outlines", "PageLabels", "OutputIntents", "ViewerPreferences", "Info"})
    EXPECT_NE(std::find(report.carriedOver.begin(), report.carriedOver.end(), entry), report.carriedOver.end()) << entry;

  QPDF in, out;
  in.processFile(input.c_str());
  out.processFile(output.c_str());
  auto inRoot = in.getRoot(), outRoot = out.getRoot();
  EXPECT_EQ(outRoot.getKey("/Metadata").getStreamData()->getSize(), inRoot.getKey("/Metadata").getStreamData()->getSize());
  EXPECT_EQ(outRoot.getKey("/PageLabels").unparseResolved(), inRoot.getKey("/PageLabels").unparseResolved());
  EXPECT_EQ(outRoot.getKey("/ViewerPreferences").unparseResolved(), inRoot.getKey("/ViewerPreferences").unparseResolved());
  auto outIntent = outRoot.getKey("/OutputIntents").getArrayItem(0);
  EXPECT_EQ(outIntent.getKey("/OutputConditionIdentifier").getUTF8Value(), "FOGRA39");
  EXPECT_EQ(outIntent.getKey("/DestOutputProfile").getStreamData()->getSize(), 512u);
  EXPECT_EQ(out.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Brochure");
  const auto outPages = QPDFPageDocumentHelper(out).getAllPages();
  auto bookmark = outRoot.getKey("/Outlines").getKey("/First");
  EXPECT_EQ(bookmark.getKey("/Title").getUTF8Value(), "Cover");
  EXPECT_EQ(bookmark.getKey("/Dest").getArrayItem(0).getObjGen(), outPages[0].getObjectHandle().getObjGen());
  EXPECT_EQ(bookmark.getKey("/Next").getKey("/Dest").getArrayItem(0).getObjGen(),
            outPages[1].getObjectHandle().getObjGen());
  auto outPage1 = outPages[0].getObjectHandle();
  EXPECT_EQ(outPage1.getKey("/TrimBox").unparse(), "[ 10 10 585 832 ]");

  const auto inPages = QPDFPageDocumentHelper(in).getAllPages();
  auto inPage2 = inPages[1].getObjectHandle(), outPage2 = outPages[1].getObjectHandle();
  EXPECT_EQ(outPage2.getKey("/Contents").getStreamData()->getSize(), inPage2.getKey("/Contents").getStreamData()->getSize());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(outPage2.getKey("/Contents").getStreamData()->getBuffer()),
                        outPage2.getKey("/Contents").getStreamData()->getSize()),
            std::string(reinterpret_cast<const char*>(inPage2.getKey("/Contents").getStreamData()->getBuffer()),
                        inPage2.getKey("/Contents").getStreamData()->getSize()));
  EXPECT_EQ(outPage2.getKey("/Resources").getKey("/Font").getKey("/F1").unparseResolved(),
            inPage2.getKey("/Resources").getKey("/Font").getKey("/F1").unparseResolved());
  EXPECT_TRUE(CorvelCatalogue::FindTransparency(ReadBytes(output)).empty());
}

// An untouched image keeps its own stream (compression, bytes); an untouched overprinting
// object keeps its overprint; annotations stay annotations.
TEST_F(FileAction, UntouchedImagesOverprintAndAnnotationsStay) {
  TestFile file;
  std::string samples;
  for (int i = 0; i < 16 * 16; ++i) samples += static_cast<char>(i);
  auto image = file.Stream(samples, "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 "
                                     "/ColorSpace /DeviceGray /BitsPerComponent 8 >>");
  image.replaceStreamData(samples, Handle::newNull(), Handle::newNull());
  auto resources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> /Over << /OP true /op true /OPM 1 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Im1", image);
  auto page = file.AddPage(
      "q 100 0 0 100 400 600 cm /Im1 Do Q\n"
      "q /Over gs 0 0 0 1 k 400 400 100 50 re f Q\n"
      "0 1 0 0 k 10 10 200 200 re f q /Half gs 1 0 0 0 k 100 100 200 200 re f Q\n",
      resources);
  page.replaceKey("/Annots", Handle::parse("[<< /Type /Annot /Subtype /Link /Rect [10 700 100 720] /Border [0 0 0] >>]"));
  file.Save(input);
  QPDF in;
  in.processFile(input.c_str());
  auto inImage = QPDFPageDocumentHelper(in).getAllPages()[0].getObjectHandle().getKey("/Resources").getKey("/XObject").getKey("/Im1");
  const std::string inRaw = inImage.getRawStreamData()->getSize() ? std::string(reinterpret_cast<const char*>(inImage.getRawStreamData()->getBuffer()), inImage.getRawStreamData()->getSize()) : "";

  const auto report = Flatten();
  EXPECT_EQ(report.pages[0].involvedUnits, 2u);
  QPDF out;
  out.processFile(output.c_str());
  auto outPage = QPDFPageDocumentHelper(out).getAllPages()[0].getObjectHandle();
  auto xobjects = outPage.getKey("/Resources").getKey("/XObject").getDictAsMap();
  bool imageKept = false;
  for (auto& [name, xobject] : xobjects) {
    auto raw = xobject.getRawStreamData();
    if (xobject.getDict().getKey("/Width").isInteger() && xobject.getDict().getKey("/Width").getIntValue() == 16)
      imageKept = std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()) == inRaw &&
                  xobject.getDict().getKey("/Filter").unparse() == inImage.getDict().getKey("/Filter").unparse();
  }
  EXPECT_TRUE(imageKept) << "the image stream is written back unchanged";
  bool overprint = false;
  for (auto& [name, state] : outPage.getKey("/Resources").getKey("/ExtGState").getDictAsMap())
    overprint = overprint || (state.getKey("/OP").isBool() && state.getKey("/OP").getBoolValue() &&
                              state.getKey("/OPM").isInteger() && state.getKey("/OPM").getIntValue() == 1);
  EXPECT_TRUE(overprint);
  ASSERT_TRUE(outPage.getKey("/Annots").isArray());
  EXPECT_EQ(outPage.getKey("/Annots").getArrayNItems(), 1);
}

TEST_F(FileAction, APageWhoseTransparencyIsNeverUsedIsLeftAlone) {
  TestFile file;
  file.AddPage("0 1 0 0 k 10 10 200 200 re f", Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>"));
  file.Save(input);
  const auto report = Flatten();
  EXPECT_TRUE(report.pages[0].transparency);
  EXPECT_FALSE(report.pages[0].replaced);
  QPDF out;
  out.processFile(output.c_str());
  auto contents = QPDFPageDocumentHelper(out).getAllPages()[0].getObjectHandle().getKey("/Contents");
  auto data = contents.getStreamData();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()), "0 1 0 0 k 10 10 200 200 re f");
}

TEST_F(FileAction, FailuresWriteNothingAndNameTheProblem) {
  WriteFlyer(input);
  const std::string before = ReadBytes(input);
  CorvelCli::FileSettings beyond;
  beyond.firstPage = 5;
  beyond.lastPage = 9;
  try {
    Flatten(beyond);
    ADD_FAILURE() << "a range beyond the file was accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("the file has 1 page"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(output));
  EXPECT_THROW(CorvelCli::RunOnFile(input.string(), input.string(), {}), std::invalid_argument);
  EXPECT_EQ(ReadBytes(input), before) << "the input is never modified";
  std::ofstream(folder / "broken.pdf") << "%PDF-1.4 not really";
  EXPECT_THROW(CorvelCli::RunOnFile((folder / "broken.pdf").string(), output.string(), {}), std::exception);
  EXPECT_FALSE(fs::exists(output));
  // Nothing but the input is left in the folder: no temporary files.
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"in.pdf", "broken.pdf"}));
}

// A coloured tiling pattern of yellow dots a tenth of a point apart: far more tiles than the
// reader makes for one object, so it cannot represent what the pattern paints.
Handle TilingPattern(TestFile& file) {
  return file.Stream("0 0 1 0 k 0 0 0.05 0.05 re f", "<< /PatternType 1 /PaintType 1 /TilingType 1 "
                                                     "/BBox [0 0 0.1 0.1] /XStep 0.1 /YStep 0.1 /Resources << >> >>");
}

// What the reader cannot represent (an image it cannot decode, a pattern too fine to tile) is still written
// back where no transparency touches it, never dropped.
TEST_F(FileAction, UnreadableObjectsOutsideTransparencyAreKept) {
  TestFile file;
  auto jpx = file.Stream("not really a codestream", "<< /Type /XObject /Subtype /Image /Width 8 /Height 8 "
                                                   "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /JPXDecode >>");
  auto tile = TilingPattern(file);
  auto resources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Im1", jpx);
  resources.replaceKey("/Pattern", Handle::newDictionary());
  resources.getKey("/Pattern").replaceKey("/Tile", tile);
  file.AddPage("q 100 0 0 100 400 600 cm /Im1 Do Q q /Pattern cs /Tile scn 400 300 100 100 re f Q\n"
               "0 1 0 0 k 10 10 200 200 re f q /Half gs 1 0 0 0 k 100 100 200 200 re f Q\n",
               resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages[0].replaced) << report.pages[0].leftAsItWas;
  QPDF out;
  out.processFile(output.c_str());
  auto outResources = QPDFPageDocumentHelper(out).getAllPages()[0].getObjectHandle().getKey("/Resources");
  bool jpxKept = false;
  for (auto& [name, xobject] : outResources.getKey("/XObject").getDictAsMap())
    jpxKept = jpxKept || xobject.getDict().getKey("/Filter").isNameAndEquals("/JPXDecode");
  EXPECT_TRUE(jpxKept);
  ASSERT_TRUE(outResources.getKey("/Pattern").isDictionary());
  EXPECT_EQ(outResources.getKey("/Pattern").getDictAsMap().size(), 1u);
  // Under transparency the same pattern cannot be flattened: the page stays as it was.
  TestFile under;
  auto underResources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>");
  underResources.replaceKey("/Pattern", Handle::newDictionary());
  underResources.getKey("/Pattern").replaceKey("/Tile", TilingPattern(under));
  under.AddPage("q /Pattern cs /Tile scn 50 50 200 200 re f Q q /Half gs 1 0 0 0 k 100 100 200 200 re f Q",
                underResources);
  under.Save(input);
  const auto refused = Flatten();
  EXPECT_FALSE(refused.pages[0].replaced);
  EXPECT_NE(refused.pages[0].leftAsItWas.find("tiling pattern /Tile would need more than 4096 tiles"),
            std::string::npos)
      << refused.pages[0].leftAsItWas;
}

// One unreadable object leaves its page exactly as it was; the other pages are flattened.
TEST_F(FileAction, AnUnreadablePageIsLeftAsItWasAndTheRestIsFlattened) {
  TestFile file;
  auto broken = file.Stream("not data any filter knows", "<< /Type /XObject /Subtype /Image /Width 4 /Height 4 "
                                                         "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /NoSuchDecode >>");
  auto resources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Im1", broken);
  file.AddPage("0 1 0 0 k 10 10 200 200 re f q /Half gs 100 0 0 100 50 50 cm /Im1 Do Q", resources);
  file.AddPage("0 1 0 0 k 10 10 200 200 re f /Half gs 1 0 0 0 k 100 100 200 200 re f",
               Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>"));
  file.Save(input);
  const auto report = Flatten();
  EXPECT_EQ(report.pagesLeftAsTheyWere, 1);
  EXPECT_FALSE(report.pages[0].replaced);
  EXPECT_NE(report.pages[0].leftAsItWas.find("image /Im1"), std::string::npos) << report.pages[0].leftAsItWas;
  EXPECT_TRUE(report.pages[1].replaced);
  QPDF in, out;
  in.processFile(input.c_str());
  out.processFile(output.c_str());
  auto inPage = QPDFPageDocumentHelper(in).getAllPages()[0].getObjectHandle();
  auto outPage = QPDFPageDocumentHelper(out).getAllPages()[0].getObjectHandle();
  auto inData = inPage.getKey("/Contents").getStreamData();
  auto outData = outPage.getKey("/Contents").getStreamData();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(outData->getBuffer()), outData->getSize()),
            std::string(reinterpret_cast<const char*>(inData->getBuffer()), inData->getSize()));
  const auto left = CorvelCatalogue::FindTransparency(ReadBytes(output));
  EXPECT_EQ(left.size(), 1u) << "only page 1's graphics state";
  CorvelCli::FileSettings strict;
  strict.strict = true;
  fs::remove(output);
  try {
    Flatten(strict);
    ADD_FAILURE() << "--strict accepted a page it could not flatten";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("page 1: ", 0), 0u) << e.what();
  }
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(FileAction, AnOlderPdfVersionIsWrittenOnlyWhenNothingNeedsMore) {
  WriteFlyer(input);
  CorvelCli::FileSettings old;
  old.pdfVersion = "1.3";
  Flatten(old);
  EXPECT_EQ(ReadBytes(output).substr(0, 8), "%PDF-1.3");
  // Outside the pages flattened, transparency stays: 1.3 cannot hold it.
  TestFile file;
  file.AddPage("0 1 0 0 k 10 10 200 200 re f", Handle::newDictionary());
  file.AddPage("/Half gs 10 10 200 200 re f", Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>"));
  file.Save(input);
  old.lastPage = 1;
  try {
    Flatten(old);
    ADD_FAILURE() << "PDF 1.3 written with transparency on page 2";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("page 2"), std::string::npos) << e.what();
  }
}

TEST_F(FileAction, FlattenedPagesPrintTheSame) {
  WriteFlyer(input);
  Flatten();
  ExpectPrintsTheSame(1);
}

TEST_F(FileAction, UntouchedObjectsPrintTheSameOnAFlattenedPage) {
  TestFile file;
  std::string samples;
  for (int i = 0; i < 16 * 16; ++i) samples += static_cast<char>(i);
  auto image = file.Stream(samples, "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 "
                                    "/ColorSpace /DeviceGray /BitsPerComponent 8 >>");
  auto resources = Handle::parse(
      "<< /ExtGState << /Half << /ca 0.5 >> >> /ColorSpace << /Spot [/Separation /Gold /DeviceCMYK "
      "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>] >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Im1", image);
  resources.replaceKey("/Font", Handle::newDictionary());
  resources.getKey("/Font").replaceKey("/F1", file.Object(kHelvetica));
  file.AddPage(
      "q 100 0 0 100 400 600 cm /Im1 Do Q\n"
      "q 10 0 0 10 0 0 cm /Spot cs 0.7 scn 40 40 10 5 re f Q\n"
      "q 0.5 0 0 1 0 0 cm 4 w 1 J [6 3] 0 d 0 0 1 RG 60 500 m 500 700 l S Q\n"
      "0 1 0 0 k 10 10 200 200 re f q /Half gs 1 0 0 0 k 100 100 200 200 re f Q\n"
      "BT /F1 30 Tf 2 Tr 1 w 0 0 0 1 k 1 0 0 0 K 120 150 Td (Over) Tj ET\n",
      resources);
  file.Save(input);
  const auto report = Flatten();
  EXPECT_EQ(report.pages[0].textRunsOutlined, 0u);
  ExpectPrintsTheSame(1);
}

// A magenta panel partly over a yellow logo, a Multiply glass over the panel only. The panel is
// replaced and its new artwork sits where the lowest object under it sat; the logo, left alone,
// came out over the panel where the panel had covered it (30 x 20 points of yellow).
TEST_F(FileAction, AnObjectCoveredByReplacedArtworkStaysCoveredAndPrintsTheSame) {
  TestFile file;
  file.AddPage(
      "0.2 0 0 0 k 0 0 595 842 re f\n"
      "0 0 1 0 k 100 600 80 60 re f\n"
      "0 1 0 0 k 150 400 200 220 re f\n"
      "q /Half gs 1 0 0 0 k 300 350 150 100 re f Q\n",
      Handle::parse("<< /ExtGState << /Half << /BM /Multiply /ca 0.5 >> >> >>"));
  file.Save(input);
  Flatten();
  ExpectPrintsTheSame(1);
  const auto render = CorvelOracle::RenderPdfPage(
      output.string(), 1, 100, CorvelOracle::ColorConversion::ManagedCmykGroups);
  EXPECT_NEAR(render.TintAt("Magenta", 165, 610), 1.0, 0.01) << "the panel over the logo";
  EXPECT_NEAR(render.TintAt("Yellow", 165, 610), 0.0, 0.01);
  EXPECT_NEAR(render.TintAt("Yellow", 120, 640), 1.0, 0.01) << "the logo beside the panel";
}

// Equal objects far apart in paint order (an unselected object between them) or in different
// clips (two highlight forms) must not become one new object placed at one of them.
TEST_F(FileAction, EqualObjectsInDifferentPlacesPrintTheSame) {
  TestFile file;
  auto highlight = [&](double x, double y) {
    auto form = file.Stream("/Mul gs 1 0.5 0 0 k " + std::to_string(x) + " " + std::to_string(y) + " 120 30 re f",
                            "<< /Type /XObject /Subtype /Form /BBox [" + std::to_string(x) + " " +
                                std::to_string(y) + " " + std::to_string(x + 120) + " " + std::to_string(y + 30) +
                                "] /Resources << /ExtGState << /Mul << /BM /Multiply /ca 0.4 >> >> >> >>");
    return form;
  };
  auto resources = Handle::parse("<< /ExtGState << /Half << /BM /Multiply /ca 0.5 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/H1", highlight(60, 700));
  resources.getKey("/XObject").replaceKey("/H2", highlight(300, 500));
  resources.replaceKey("/Font", Handle::newDictionary());
  resources.getKey("/Font").replaceKey("/F1", file.Object(kHelvetica));
  file.AddPage(
      // Two yellow squares with a black one between them in paint order, one glass over both.
      "0 0 1 0 k 50 50 100 100 re f 0 0 0 1 k 310 310 90 90 re f 0 0 1 0 k 250 250 100 100 re f\n"
      "q /Half gs 0 1 0 0 k 100 100 200 200 re f Q\n"
      "BT /F1 20 Tf 0 0 0 1 k 65 708 Td (Highlighted) Tj 240 -200 Td (Also) Tj ET\n"
      "/H1 Do /H2 Do\n",
      resources);
  file.Save(input);
  Flatten();
  ExpectPrintsTheSame(1);
}

// Artwork reaching beyond the planar map's range of 67,000 points (a clip and a background
// 160,000 and 200,000 points wide, a curve swinging 900,000 points off the page) flattens like
// any other. (Ghostscript itself misdraws much larger coordinates, so the oracle cannot judge
// those.)
TEST_F(FileAction, GeometryFarOffThePagePrintsTheSame) {
  TestFile file;
  file.AddPage(
      "q 0 0 0 0.3 k -100000 -100000 200000 200000 re f Q\n"
      "q 0.2 0 0 0 k 100 100 m 300000 -500000 50000 900000 300 400 c h f Q\n"
      "q -80000 -80000 m 80000 -80000 l 300 500 l h W n /Half gs 1 0 0 0 k 50 50 300 300 re f Q\n",
      Handle::parse("<< /ExtGState << /Half << /ca 0.5 /BM /Multiply >> >> >>"));
  file.Save(input);
  const auto report = Flatten();
  EXPECT_TRUE(report.pages[0].replaced);
  EXPECT_EQ(report.pagesLeftAsTheyWere, 0);
  ExpectPrintsTheSame(1);
}

// RGB, Lab and ICC-based colour under transparency reach the inks through the profiles a proof
// uses: the colour-managed oracle sees the same plates.
TEST_F(FileAction, ManagedColourUnderTransparencyPrintsTheSame) {
  TestFile file;
  std::string samples;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) samples += {static_cast<char>(x * 16), static_cast<char>(y * 16), static_cast<char>(200)};
  auto image = file.Stream(samples, "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 "
                                    "/ColorSpace /DeviceRGB /BitsPerComponent 8 >>");
  std::ifstream profileFile("/usr/share/color/icc/ghostscript/srgb.icc", std::ios::binary);
  const std::string profileBytes((std::istreambuf_iterator<char>(profileFile)), {});
  auto profile = file.Stream(profileBytes, "<< /N 3 >>");
  auto resources = Handle::parse(
      "<< /ExtGState << /Mul << /BM /Multiply /ca 0.7 >> /Scr << /BM /Screen >> >> "
      "/ColorSpace << /L [/Lab << /WhitePoint [0.9642 1 0.8249] /Range [-100 100 -100 100] >>] >> >>");
  auto icc = Handle::newArray({Handle::newName("/ICCBased"), profile});
  resources.getKey("/ColorSpace").replaceKey("/Icc", icc);
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Im1", image);
  file.AddPage(
      "0.9 0.4 0.1 rg 20 20 200 200 re f /L cs 60 40 -30 sc 250 20 150 200 re f\n"
      "q 180 0 0 180 40 260 cm /Im1 Do Q /Icc cs 0.1 0.7 0.3 sc 250 260 150 150 re f\n"
      "q /Mul gs 0.2 0.5 0.8 rg 100 100 250 250 re f Q q /Scr gs /L cs 80 -20 40 sc 150 300 200 80 re f Q\n",
      resources);
  file.Save(input);
  const auto report = Flatten();
  EXPECT_NE(report.colorConversion.find("managed"), std::string::npos) << report.colorConversion;
  EXPECT_TRUE(report.pages[0].replaced);
  ExpectPrintsTheSame(1);
}

// A page's /DefaultCMYK and /DefaultRGB remap its device colours: CMYK from another profile than
// the output's converts, as a proof converts it.
TEST_F(FileAction, DefaultColourSpacesRemapDeviceColours) {
  TestFile file;
  auto profile = [&](const char* name, int components) {
    std::ifstream in(std::string("/usr/share/color/icc/ghostscript/") + name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    return Handle::newArray({Handle::newName("/ICCBased"),
                             file.Stream(bytes, "<< /N " + std::to_string(components) + " >>")});
  };
  auto resources = Handle::parse("<< /ExtGState << /Mul << /BM /Multiply /ca 0.6 >> >> /ColorSpace << >> >>");
  resources.getKey("/ColorSpace").replaceKey("/DefaultCMYK", profile("ps_cmyk.icc", 4));
  resources.getKey("/ColorSpace").replaceKey("/DefaultRGB", profile("srgb.icc", 3));
  file.AddPage("0.7 0.1 0 0.1 k 20 20 200 200 re f 0.1 0.6 0.3 rg 240 20 200 200 re f\n"
               "0 0.3 0.5 0 k 350 350 100 100 re f\n"
               "q /Mul gs 0.1 0.8 0.2 0 k 120 120 200 200 re f Q\n",
               resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages[0].replaced);
  EXPECT_EQ(report.pages[0].involvedUnits, 3u);
  ExpectPrintsTheSame(1);
}

// Shadings in rasterised areas are rendered at the gradient resolution, not the line-art one,
// and the result is written with prediction: a fraction of the pixels and bytes.
TEST_F(FileAction, GradientsAreRasterisedAtTheirOwnResolution) {
  TestFile file;
  auto resources = Handle::parse(
      "<< /ExtGState << /Half << /ca 0.5 >> >> /Shading << /Sh << /ShadingType 2 /ColorSpace /DeviceCMYK "
      "/Coords [0 0 300 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [0 0 1 0] /N 1 >> "
      "/Extend [true true] >> >> >>");
  file.AddPage("q 0 0 300 300 re W n /Sh sh Q q /Half gs 0 1 0 0 k 100 100 150 150 re f Q", resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_FALSE(report.pages[0].imageSizes.empty());
  for (const auto& size : report.pages[0].imageSizes) {
    const int width = std::stoi(size.substr(0, size.find('x')));
    EXPECT_LE(width, 300 * 300 / 72 + 2) << size;  // 300 points at 300 ppi, not 1200
  }
  EXPECT_LT(fs::file_size(output), 400'000u);
  ExpectPrintsTheSame(1);
}

// A small, finely sampled picture inside a large coarse one does not make the whole rendered
// area as fine as itself: pictures ask for no more than the gradient resolution.
TEST_F(FileAction, ASmallFinePictureDoesNotRefineTheWholeRenderedAreaAndPrintsTheSame) {
  TestFile file;
  auto gray = [&](int side, int seed) {
    std::string samples;
    for (int i = 0; i < side * side; ++i) samples += static_cast<char>((i * seed + i / side * 7) % 256);
    return file.Stream(samples, "<< /Type /XObject /Subtype /Image /Width " + std::to_string(side) +
                                    " /Height " + std::to_string(side) +
                                    " /ColorSpace /DeviceGray /BitsPerComponent 8 >>");
  };
  auto resources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Coarse", gray(40, 3));  // 40 px on 400 pt: 7.2 ppi
  resources.getKey("/XObject").replaceKey("/Fine", gray(200, 5));   // 200 px on 12 pt: 1,200 ppi
  file.AddPage("0 0.4 0.6 0 k 50 50 500 500 re f /Half gs q 400 0 0 400 100 100 cm /Coarse Do Q "
               "q 12 0 0 12 300 300 cm /Fine Do Q",
               resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_FALSE(report.pages[0].imageSizes.empty());
  for (const auto& size : report.pages[0].imageSizes) {
    const int width = std::stoi(size.substr(0, size.find('x')));
    EXPECT_LE(width, 400 * 300 / 72 + 2) << size;  // 400 points at 300 ppi, not at 1,200
  }
  ExpectPrintsTheSame(1);
}

// An 8 x 8 CMYK picture (10-point pixels) under a 3 x 3 gray one (30-point pixels, a column edge
// at 163 points) over part of it, `aboveState` before the gray one (empty or "/Multiply gs"),
// and a Multiply square over the gray one's far corner, so that it is replaced in any case.
void WriteCoarsePictureOverFinerOne(const fs::path& path, const std::string& aboveState) {
  TestFile file;
  std::string below;
  for (int i = 0; i < 8 * 8 * 4; ++i) below += static_cast<char>(i % 4 == 1 ? 20 * (i / 4 % 8) : 30);
  std::string above;
  for (int row = 0; row < 3; ++row) above += std::string("\x33\xe6\x80", 3);
  auto resources = Handle::parse("<< /ExtGState << /Multiply << /BM /Multiply /ca 0.8 >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey(
      "/Below", file.Stream(below, "<< /Type /XObject /Subtype /Image /Width 8 /Height 8 "
                                   "/ColorSpace /DeviceCMYK /BitsPerComponent 8 >>"));
  resources.getKey("/XObject").replaceKey(
      "/Above", file.Stream(above, "<< /Type /XObject /Subtype /Image /Width 3 /Height 3 "
                                   "/ColorSpace /DeviceGray /BitsPerComponent 8 >>"));
  file.AddPage("q /Multiply gs 80 0 0 80 100 100 cm /Below Do Q q " + aboveState +
                   " 90 0 0 90 133 133 cm /Above Do Q q /Multiply gs 0 0 1 0 k 200 200 30 30 re f Q",
               resources);
  file.Save(path);
}

// Where two pictures overlap, one grid renders both. The gray picture's column edge at 163 points
// must stay there: painted opaquely, its own pixels render what it hides (on the hidden picture's
// 10-point pixels the edge moved to 160, a 3-point strip printing 0.1 black instead of 0.8);
// multiplied over the finer one, the grid is made fine enough for its edges (they moved by up
// to 10 points).
TEST_F(FileAction, ACoarsePictureOverAFinerOneKeepsItsPixelEdgesAndPrintsTheSame) {
  for (const std::string aboveState : {"", "/Multiply gs"}) {
    WriteCoarsePictureOverFinerOne(input, aboveState);
    Flatten();
    ExpectPrintsTheSame(1);
    const auto managed = CorvelOracle::ColorConversion::ManagedCmykGroups;
    const auto before = CorvelOracle::RenderPdfPage(input.string(), 1, 100, managed);
    const auto after = CorvelOracle::RenderPdfPage(output.string(), 1, 100, managed);
    for (double x : {161.5, 164.5}) {
      EXPECT_NEAR(after.TintAt("Black", x, 150), before.TintAt("Black", x, 150), 0.02)
          << "at " << x << " points, " << (aboveState.empty() ? "opaque" : aboveState);
    }
  }
}

// The file's output intent chooses the CMYK that colours under transparency are converted into:
// red at half opacity over paper becomes half of red through that profile, as lcms2 converts it
// straight (the default CMYK would give no cyan at all).
TEST_F(FileAction, ColourConvertsIntoTheOutputIntentsProfile) {
  const std::string folderOfProfiles = "/usr/share/color/icc/ghostscript/";
  TestFile file;
  std::ifstream profileFile(folderOfProfiles + "ps_cmyk.icc", std::ios::binary);
  const std::string profileBytes((std::istreambuf_iterator<char>(profileFile)), {});
  auto intent = Handle::parse("<< /Type /OutputIntent /S /GTS_PDFX /OutputConditionIdentifier (Test) >>");
  intent.replaceKey("/DestOutputProfile", file.Stream(profileBytes, "<< /N 4 >>"));
  file.Pdf().getRoot().replaceKey("/OutputIntents", Handle::newArray({intent}));
  file.AddPage("/Half gs 1 0 0 rg 100 100 200 200 re f",
               Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> >>"));
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages[0].replaced);

  cmsHPROFILE rgb = cmsOpenProfileFromFile((folderOfProfiles + "default_rgb.icc").c_str(), "r");
  cmsHPROFILE cmyk = cmsOpenProfileFromFile((folderOfProfiles + "ps_cmyk.icc").c_str(), "r");
  cmsHTRANSFORM transform = cmsCreateTransform(rgb, TYPE_RGB_FLT, cmyk, TYPE_CMYK_FLT, INTENT_PERCEPTUAL,
                                               cmsFLAGS_BLACKPOINTCOMPENSATION);
  const float red[3] = {1, 0, 0};
  float expected[4];
  cmsDoTransform(transform, red, expected, 1);
  cmsDeleteTransform(transform);
  cmsCloseProfile(rgb);
  cmsCloseProfile(cmyk);
  ASSERT_GT(expected[0], 20.0f);  // the profile puts cyan into red

  QPDF written;
  written.processFile(output.c_str());
  auto page = written.getAllPages().front();
  const auto data = page.getKey("/Contents").getStreamData();
  std::istringstream content(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()));
  std::vector<double> operands;
  std::vector<double> fill;
  for (std::string token; content >> token;) {
    if (token == "scn" || token == "k") fill = operands;
    char* end = nullptr;
    const double value = std::strtod(token.c_str(), &end);
    if (end && *end == '\0' && end != token.c_str())
      operands.push_back(value);
    else
      operands.clear();
  }
  ASSERT_GE(fill.size(), 4u) << "no CMYK fill in the flattened page";
  for (int ink = 0; ink < 4; ++ink)
    EXPECT_NEAR(fill[fill.size() - 4 + static_cast<std::size_t>(ink)], 0.5 * expected[ink] / 100, 1.0 / 255)
        << "ink " << ink;
  EXPECT_NE(report.colorConversion.find("output intent"), std::string::npos) << report.colorConversion;
}

// A shading pattern's matrix maps onto the default space of the form using it. When the form is
// written member by member (transparency beside the pattern fill in it), the untouched fill
// must still land where the form put it, not where the page's space would.
TEST_F(FileAction, AShadingPatternInAFormWrittenMemberByMemberPrintsTheSame) {
  TestFile file;
  auto form = file.Stream(
      "q /Pattern cs /P0 scn 0 0 100 100 re f Q q /Half gs 0 1 0 0 k 120 120 60 60 re f Q",
      "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Matrix [1.5 0 0 1.5 10 20] >>");
  form.getDict().replaceKey(
      "/Resources",
      Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> /Pattern << /P0 << /PatternType 2 "
                    "/Matrix [1 0 0 1 5 5] /Shading << /ShadingType 2 /ColorSpace /DeviceCMYK "
                    "/Coords [0 0 100 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] "
                    "/C1 [0 0 1 0] /N 1 >> /Extend [true true] >> >> >> >>"));
  auto resources = Handle::parse("<< >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Fm", form);
  file.AddPage("q 1 0 0 1 100 200 cm /Fm Do Q", resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages[0].replaced);
  EXPECT_EQ(report.pages[0].involvedUnits, 1u);
  ExpectPrintsTheSame(1);
}

// A shading painted with sh and no /BBox covers only its clip: transparency elsewhere on the
// page leaves it alone, and it comes back as the one sh the file painted.
TEST_F(FileAction, AClippedShadingAwayFromTheTransparencyIsLeftAloneAndPrintsTheSame) {
  TestFile file;
  auto resources = Handle::parse(
      "<< /ExtGState << /Half << /ca 0.5 >> >> /Shading << /Sh << /ShadingType 2 /ColorSpace /DeviceCMYK "
      "/Coords [0 0 100 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [0 0 1 0] /N 1 >> "
      "/Extend [true true] >> >> >>");
  file.AddPage("q 20 20 m 120 20 l 70 110 l h W n /Sh sh Q q /Half gs 0 1 0 0 k 300 500 150 150 re f Q",
               resources);
  file.Save(input);
  const auto report = Flatten();
  ASSERT_TRUE(report.pages[0].replaced);
  EXPECT_EQ(report.pages[0].involvedUnits, 1u);
  EXPECT_TRUE(report.pages[0].imageSizes.empty());
  QPDF written;
  written.processFile(output.c_str());
  auto page = written.getAllPages().front();
  const auto content = page.getKey("/Contents").getStreamData();
  const std::string text(reinterpret_cast<const char*>(content->getBuffer()), content->getSize());
  EXPECT_NE(text.find(" sh"), std::string::npos) << text;
  ExpectPrintsTheSame(1);
}

// The self-check renders what the run replaced and says whether it prints as the original.
TEST_F(FileAction, VerifyTellsWhetherPagesPrintTheSame) {
  WriteFlyer(input);
  auto report = Flatten();
  EXPECT_TRUE(CorvelCli::VerifyPages(input.string(), output.string(), {}, report));
  ASSERT_TRUE(report.pages[0].check);
  EXPECT_TRUE(report.pages[0].check->agrees);
  EXPECT_EQ(report.pages[0].check->separations.size(), 4u);
  // Another file in place of the output: the check finds the difference and names the plate.
  TestFile other;
  other.AddPage("0 1 0 0 k 0 0 595 842 re f", Handle::newDictionary());
  other.Save(output);
  EXPECT_FALSE(CorvelCli::VerifyPages(input.string(), output.string(), {}, report));
  EXPECT_FALSE(report.pages[0].check->agrees);
  const auto& magenta = report.pages[0].check->separations.at(1);
  EXPECT_EQ(magenta.name, "Magenta");
  EXPECT_EQ(magenta.maxDifference, 255);
  EXPECT_GT(magenta.shareOver, 0.5);
}

// The self-check run by the command: a flattening that prints the same exits 0 and says so in
// the report; one whose flat colour is broken after flattening (the test hook) exits 4, and the
// report names the plate that differs and by how much.
TEST_F(FileAction, VerifyCatchesABrokenFlatColourAndExitsFour) {
  WriteFlyer(input);
  CorvelCli::PageActionSettings settings;
  settings.inputs = {input.string()};
  settings.output = output.string();
  settings.report = (folder / "report.json").string();
  settings.verify = true;
  const auto verification = [&] {
    std::ifstream in(settings.report);
    return nlohmann::json::parse(in).at("pages").at(0).at("verification");
  };
  EXPECT_EQ(CorvelCli::RunPageAction("flatten", settings), CorvelCli::kDone);
  EXPECT_TRUE(verification().at("printsTheSame").get<bool>());
  // The first flat piece turns from its process colour to magenta at 40 %.
  settings.file.afterFlattening = [](const std::vector<MavDoc::ContentObject*>& inserted) {
    for (auto* object : inserted) {
      auto* path = dynamic_cast<MavDoc::Path*>(object);
      if (!path || !dynamic_cast<const MavPaint::FlatPaint*>(path->GetFillPaint().get())) continue;
      path->SetFillPaint(MavDoc::Build::Flat({{"Magenta", 0.4f}}));
      return;
    }
  };
  testing::internal::CaptureStderr();
  EXPECT_EQ(CorvelCli::RunPageAction("flatten", settings), CorvelCli::kPrintsDifferently);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("page 1 does not print as the original: "), std::string::npos) << message;
  EXPECT_NE(message.find("Magenta up to 10"), std::string::npos) << message;
  const auto broken = verification();
  EXPECT_FALSE(broken.at("printsTheSame").get<bool>());
  int magenta = -1;
  for (const auto& separation : broken.at("separations")) {
    if (separation.at("name") == "Magenta") magenta = separation.at("maxDifference").get<int>();
  }
  EXPECT_NEAR(magenta, 102, 2);
}

// Without Ghostscript the self-check cannot be made: the run fails before it flattens anything,
// says why, and writes no output.
TEST_F(FileAction, VerifyWithoutGhostscriptFailsAndWritesNothing) {
  WriteFlyer(input);
  CorvelCli::PageActionSettings settings;
  settings.inputs = {input.string()};
  settings.output = output.string();
  settings.verify = true;
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  testing::internal::CaptureStderr();
  const int status = CorvelCli::RunPageAction("flatten", settings);
  const std::string message = testing::internal::GetCapturedStderr();
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, CorvelCli::kFailed);
  EXPECT_NE(message.find("--verify needs Ghostscript (gs) to render the pages, and it is not "
                         "installed"),
            std::string::npos)
      << message;
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
