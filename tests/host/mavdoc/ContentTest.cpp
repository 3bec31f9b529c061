#include <mavdoc/Content.h>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc;
using namespace MavDoc::Build;

using CorvelTest::Box;

std::vector<const ContentObject*> Members(const Content& content) {
  std::vector<const ContentObject*> list;
  for (const ContentObject& child : content.GetChildren()) list.push_back(&child);
  return list;
}

TEST(Content, ListLinksNameTheNeighbourBelow) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1000, 1000)).GetContent();
  auto& a = Add(content, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  auto& c = Add(content, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  auto& b = content.InsertAbove(&a, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  EXPECT_EQ(Members(content), (std::vector<const ContentObject*>{&a, &b, &c}));
  EXPECT_EQ(a.GetListLink(), nullptr);
  EXPECT_EQ(b.GetListLink(), &a);
  EXPECT_EQ(c.GetListLink(), &b);
  auto taken = content.Remove(b);
  EXPECT_EQ(c.GetListLink(), &a);
  EXPECT_EQ(taken->GetContainer(), nullptr);
}

TEST(Content, RefusesNullAndDoubleInsertion) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1000, 1000)).GetContent();
  EXPECT_THROW(content.AddOnTop(nullptr), std::invalid_argument);
  auto group = std::make_unique<Group>();
  Group* raw = group.get();
  Add(content, std::move(group));
  auto inner = std::make_unique<Group>();
  Group& innerRef = Add(*raw, std::move(inner));
  // A group may not end up inside itself.
  auto detached = content.Remove(*raw);
  EXPECT_THROW(innerRef.AddOnTop(std::move(detached)), std::invalid_argument);
}

TEST(Content, MembersKnowTheirGroupAndDocument) {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1000, 1000)).GetContent();
  auto& outer = Add(content, std::make_unique<Group>());
  auto& inner = Add(outer, std::make_unique<Group>());
  auto& path = Add(inner, FilledRectangle(Box(0, 0, 1, 1), Flat({{"Cyan", 1.0f}})));
  EXPECT_EQ(outer.GetParent(), nullptr);
  EXPECT_EQ(path.GetParent(), &inner);
  EXPECT_EQ(inner.GetParent(), &outer);
  EXPECT_EQ(inner.GetContent().GetType(), Content::kGroupContent);
  EXPECT_EQ(inner.GetContent().GetDocument(), &document);
  EXPECT_EQ(Group().GetContent().GetDocument(), nullptr);
  EXPECT_EQ(content.GetType(), Content::kPageContent);
}

TEST(Page, MissingBoxesFallBackToCropThenMedia) {
  Document document;
  Page& page = document.AddPage(Box(0, 0, 612000, 792000));
  EXPECT_EQ(page.GetPageBox(kTrimBox), Box(0, 0, 612000, 792000));
  page.SetPageBox(kCropBox, Box(10, 10, 100, 100));
  EXPECT_EQ(page.GetPageBox(kTrimBox), Box(10, 10, 100, 100));
  EXPECT_EQ(page.GetPageBox(kMediaBox), Box(0, 0, 612000, 792000));
  EXPECT_THROW(page.SetPageBox(kBleedBox, Box(0, 0, -1, 5)), std::invalid_argument);
  EXPECT_THROW(page.SetRotation(45), std::invalid_argument);
  page.SetRotation(-90);
  EXPECT_EQ(page.GetRotation(), 270);
}

TEST(Separations, ListDefaultsToDocumentInksInPrintOrder) {
  auto info = Separation::ProcessEntries();
  info.emplace_back("Gold", Separation::kOpaqueInk, Separation::Representation{});
  Document document(info);
  Content& content = document.AddPage(Box(0, 0, 1, 1)).GetContent();
  const auto list = content.GetSeparations().GetList(false);
  ASSERT_EQ(list.entries.size(), 5u);
  EXPECT_EQ(list.entries[4].name, "Gold");
  EXPECT_TRUE(content.GetSeparations().GetList(true).entries.empty());

  Separations::List own;
  own.entries = {{"Gold", {1, 0, 0}}, {"Unknown", {1, 0, 0}}, {"Black", {1, 0, 0}},
                 {"Cyan", {2, 0, 0}}};
  Separation::OrderSeparations(document.GetSeparationInfo(), own.entries);
  EXPECT_EQ(own.entries[0].name, "Cyan");
  EXPECT_EQ(own.entries[1].name, "Black");
  EXPECT_EQ(own.entries[2].name, "Gold");
  EXPECT_EQ(own.entries[3].name, "Unknown");
  EXPECT_EQ(Separation::Find(document.GetSeparationInfo(), "Gold")->GetInkType(),
            Separation::kOpaqueInk);
  EXPECT_EQ(Separation::Find(document.GetSeparationInfo(), "gold"),
            document.GetSeparationInfo().end());
}

}  // namespace
