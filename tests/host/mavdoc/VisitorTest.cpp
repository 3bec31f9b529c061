#include <mavdoc/Visitor.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc;
using namespace MavDoc::Build;

using CorvelTest::Box;

// Records the slots a walk arrives at. It overrides the group-like slots and Blendable only,
// so drawn objects must arrive through the base's forwarding.
class Recorder : public VisitorBase {
 public:
  std::vector<std::string> log;
  bool Visit(TextGroup&) override { return Log("TextGroup"); }
  bool Visit(Layer&) override { return Log("Layer"); }
  bool Visit(Group&) override { return Log("Group"); }
  bool Visit(Blendable& b) override {
    return Log(b.IsClippingObject() ? "Clip" : "Blendable");
  }
  bool Visit(Content& c) override { return Log(c.GetType() == 0 ? "PageContent" : "Content"); }
  bool Visit(Page&) override { return Log("Page"); }
  bool Visit(Document&) override { return Log("Document"); }
  void EndVisit(TextGroup&) override { log.push_back("/TextGroup"); }
  void EndVisit(Layer&) override { log.push_back("/Layer"); }
  void EndVisit(Group&) override { log.push_back("/Group"); }
  void EndVisit(Content&) override { log.push_back("/Content"); }

 private:
  bool Log(const char* what) {
    log.push_back(what);
    return true;
  }
};

std::unique_ptr<Document> NestedDocument() {
  auto document = std::make_unique<Document>();
  Content& content = document->AddPage(Box(0, 0, 10000, 10000)).GetContent();
  Add(content, FilledRectangle(Box(0, 0, 100, 100), Flat({{"Cyan", 1.0f}})));
  auto& layer = Add(content, MakeLayer("L"));
  auto& group = Add(layer, std::make_unique<Group>());
  Add(group, ClipRectangle(Box(0, 0, 50, 50)));
  auto& text = Add(group, std::make_unique<TextGroup>());
  Add(text, std::make_unique<Text>("A", nullptr, 0));
  Add(content, FilledRectangle(Box(0, 0, 10, 10), Flat({{"Black", 1.0f}})));
  return document;
}

TEST(Visitor, WalksInDrawingOrderWithPairedEnds) {
  auto document = NestedDocument();
  Recorder recorder;
  document->Accept(recorder);
  const std::vector<std::string> expected{
      "Document", "Page",     "PageContent", "Blendable", "Layer",      "Group",
      "Clip",     "TextGroup", "Blendable",  "/TextGroup", "/Group",    "/Layer",
      "Blendable", "/Content"};
  EXPECT_EQ(recorder.log, expected);
}

TEST(Visitor, GroupsReachTheirOwnSlotsAndNeverBlendable) {
  // Only Group and Blendable overridden: layers and text groups forward to Group.
  struct Counter : VisitorBase {
    int groups = 0, drawn = 0;
    bool Visit(Group&) override { return ++groups, true; }
    bool Visit(Blendable&) override { return ++drawn, true; }
  } counter;
  NestedDocument()->Accept(counter);
  EXPECT_EQ(counter.groups, 3);  // layer, group, text group
  EXPECT_EQ(counter.drawn, 4);   // two rectangles, the clip, the text
}

TEST(Visitor, FalseFromVisitSkipsChildrenButStillEnds) {
  struct Skipper : Recorder {
    bool Visit(Layer&) override {
      log.push_back("Layer");
      return false;
    }
  } skipper;
  NestedDocument()->Accept(skipper);
  const std::vector<std::string> expected{"Document", "Page",      "PageContent", "Blendable",
                                          "Layer",    "/Layer",    "Blendable",   "/Content"};
  EXPECT_EQ(skipper.log, expected);
}

TEST(Layer, EvaluateCombinesLayersByExpression) {
  auto a = std::make_shared<LayerProperties>(LayerProperties{"a", true});
  auto b = std::make_shared<LayerProperties>(LayerProperties{"b", false});
  const LayerPredicate byFlag = [](const auto& p) { return p->visible; };
  LayerExpression both{LayerExpression::Kind::And, nullptr,
                       {LayerExpression::Of(a), LayerExpression::Of(b)}};
  LayerExpression either{LayerExpression::Kind::Or, nullptr,
                         {LayerExpression::Of(a), LayerExpression::Of(b)}};
  LayerExpression notB{LayerExpression::Kind::Not, nullptr, {LayerExpression::Of(b)}};
  EXPECT_FALSE(Evaluate(both, byFlag));
  EXPECT_TRUE(Evaluate(either, byFlag));
  EXPECT_TRUE(Evaluate(notB, byFlag));
  EXPECT_THROW(Evaluate(LayerExpression::Of(a), LayerPredicate()), std::bad_function_call);
  LayerExpression broken{LayerExpression::Kind::Not, nullptr, {}};
  EXPECT_THROW(Evaluate(broken, byFlag), std::invalid_argument);
}

}  // namespace
