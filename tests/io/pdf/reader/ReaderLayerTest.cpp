#include <gtest/gtest.h>

#include "PdfTestFiles.h"

namespace {

using namespace CorvelPdfTest;

bool VisibleByDefault(const MavDoc::Layer& layer) {
  return MavDoc::Evaluate(
      layer.GetExpression(),
      [](const std::shared_ptr<MavDoc::LayerProperties>& p) { return p->visible; });
}

struct LayerFile {
  PdfBuilder pdf;
  int on = 0;
  int off = 0;
  LayerFile() {
    on = pdf.Add("<< /Type /OCG /Name (Shown) >>");
    off = pdf.Add("<< /Type /OCG /Name (Hidden) >>");
  }
  std::vector<std::uint8_t> Page(const std::string& content, const std::string& properties,
                                 const std::string& xobjects = "") {
    return pdf.OnePage(
        content, "<< /Properties << " + properties + " >> /XObject << " + xobjects + " >> >>", "",
        "/OCProperties << /OCGs [" + PdfBuilder::Ref(on) + " " + PdfBuilder::Ref(off) +
            "] /D << /OFF [" + PdfBuilder::Ref(off) + "] >> >>");
  }
};

TEST(PdfReaderLayers, MarkedContentOfAnOcgBecomesALayer) {
  LayerFile file;
  const auto result =
      Read(file.Page("/OC /H BDC 0 0 1 1 re f EMC /OC /S BDC 0 0 2 2 re f EMC 0 0 3 3 re f",
                     "/H " + PdfBuilder::Ref(file.off) + " /S " + PdfBuilder::Ref(file.on)));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 3u);
  const auto& hidden = As<MavDoc::Layer>(top[0]);
  EXPECT_EQ(hidden.GetProperties()->name, "Hidden");
  EXPECT_FALSE(VisibleByDefault(hidden));
  EXPECT_EQ(hidden.GetContent().Size(), 1u);
  EXPECT_TRUE(VisibleByDefault(As<MavDoc::Layer>(top[1])));
  EXPECT_TRUE(dynamic_cast<const MavDoc::Path*>(top[2]));
}

TEST(PdfReaderLayers, MembershipDictionariesBecomeExpressions) {
  LayerFile file;
  const int allOn = file.pdf.Add("<< /Type /OCMD /OCGs [" + PdfBuilder::Ref(file.on) + " " +
                                 PdfBuilder::Ref(file.off) + "] /P /AllOn >>");
  const int notHidden =
      file.pdf.Add("<< /Type /OCMD /VE [/Not " + PdfBuilder::Ref(file.off) + "] >>");
  const auto result =
      Read(file.Page("/OC /A BDC 0 0 1 1 re f EMC /OC /N BDC 0 0 1 1 re f EMC",
                     "/A " + PdfBuilder::Ref(allOn) + " /N " + PdfBuilder::Ref(notHidden)));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 2u);
  const auto& both = As<MavDoc::Layer>(top[0]);
  EXPECT_EQ(both.GetExpression().kind, MavDoc::LayerExpression::Kind::And);
  EXPECT_FALSE(VisibleByDefault(both));
  const auto& negated = As<MavDoc::Layer>(top[1]);
  EXPECT_EQ(negated.GetExpression().kind, MavDoc::LayerExpression::Kind::Not);
  EXPECT_TRUE(VisibleByDefault(negated));
  // Switching the hidden layer on flips both.
  const auto allVisible = [](const std::shared_ptr<MavDoc::LayerProperties>&) { return true; };
  EXPECT_TRUE(MavDoc::Evaluate(both.GetExpression(), allVisible));
  EXPECT_FALSE(MavDoc::Evaluate(negated.GetExpression(), allVisible));
}

TEST(PdfReaderLayers, OptionalFormGoesIntoItsLayer) {
  LayerFile file;
  const int form = file.pdf.AddStream(
      "/Subtype /Form /BBox [0 0 5 5] /OC " + PdfBuilder::Ref(file.off), "0 0 1 1 re f");
  const auto result = Read(file.Page("/F Do 0 0 1 1 re f", "", "/F " + PdfBuilder::Ref(form)));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 2u);
  const auto& layer = As<MavDoc::Layer>(top[0]);
  EXPECT_FALSE(VisibleByDefault(layer));
  EXPECT_TRUE(dynamic_cast<const MavDoc::Group*>(Children(layer.GetContent())[0]));
}

TEST(PdfReaderLayers, ClipSetInsideALayerStillGovernsObjectsAfterIt) {
  LayerFile file;
  const auto result =
      Read(file.Page("q /OC /S BDC 0 0 5 5 re W n 0 0 1 1 re f EMC 0 0 2 2 re f Q 0 0 3 3 re f",
                     "/S " + PdfBuilder::Ref(file.on)));
  const auto top = Children(FirstPage(result));
  ASSERT_EQ(top.size(), 3u);
  const auto& layer = As<MavDoc::Layer>(top[0]);
  const auto& clipInLayer = As<MavDoc::Group>(Children(layer.GetContent())[0]);
  EXPECT_EQ(clipInLayer.GetContent().Size(), 2u);
  const auto& clipAfter = As<MavDoc::Group>(top[1]);  // the same clip, outside the layer
  ASSERT_EQ(clipAfter.GetContent().Size(), 2u);
  EXPECT_TRUE(Children(clipAfter.GetContent())[0]->IsClippingObject());
  EXPECT_TRUE(dynamic_cast<const MavDoc::Path*>(top[2]));
}

}  // namespace
