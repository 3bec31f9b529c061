#include <docedit/DocumentEdit.h>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc;
using namespace MavDoc::Build;
using DocumentEdit::InsertAndDeleteObjects;
using DocumentEdit::ObjectAndPosContainer;

using CorvelTest::Box;

std::unique_ptr<Path> Square(const char* ink) {
  return FilledRectangle(Box(0, 0, 10, 10), Flat({{ink, 1.0f}}));
}

// The inks of a content's top-level paths, bottom first: a readable picture of the stack.
std::string Stack(const Content& content) {
  std::string s;
  for (const ContentObject& child : content.GetChildren()) {
    if (const auto* path = dynamic_cast<const Path*>(&child)) {
      const auto& flat = dynamic_cast<const MavPaint::FlatPaint&>(*path->GetFillPaint());
      s += flat.GetColor().GetEntries().front().name.substr(0, 1);
    } else {
      s += "G";
    }
  }
  return s;
}

struct EditTest : ::testing::Test {
  Document document;
  Content& content = document.AddPage(Box(0, 0, 1000, 1000)).GetContent();
  Path& cyan = Add(content, Square("Cyan"));
  Path& magenta = Add(content, Square("Magenta"));
  Path& yellow = Add(content, Square("Yellow"));
};

TEST_F(EditTest, NewObjectsTakeTheirAnchorsPlace) {
  std::vector<ObjectAndPosContainer> inserts;
  // Replace magenta: insert just above its lower neighbour, then delete it.
  inserts.push_back(ObjectAndPosContainer::Insert(Square("Black"), magenta.GetListLink(), nullptr));
  std::vector<ObjectAndPosContainer> deletes;
  deletes.push_back(ObjectAndPosContainer::Delete(magenta));
  InsertAndDeleteObjects(content, std::move(inserts), std::move(deletes));
  EXPECT_EQ(Stack(content), "CBY");
}

TEST_F(EditTest, RecordsAtOnePositionKeepTheFirstHighest) {
  std::vector<ObjectAndPosContainer> inserts;
  inserts.push_back(ObjectAndPosContainer::Insert(Square("Black"), &cyan, nullptr));
  inserts.push_back(ObjectAndPosContainer::Insert(Square("Red"), &cyan, nullptr));
  inserts.push_back(ObjectAndPosContainer::Insert(Square("Orange"), nullptr, nullptr));
  InsertAndDeleteObjects(content, std::move(inserts), {});
  EXPECT_EQ(Stack(content), "OCRBMY");
}

TEST_F(EditTest, InsertsIntoGroupsAndDeletesGroupsWithMembers) {
  auto& group = Add(content, std::make_unique<Group>());
  auto& inner = Add(group, Square("Black"));
  std::vector<ObjectAndPosContainer> inserts;
  inserts.push_back(ObjectAndPosContainer::Insert(Square("Red"), &inner, &group));
  InsertAndDeleteObjects(content, std::move(inserts), {});
  EXPECT_EQ(Stack(group.GetContent()), "BR");

  std::vector<ObjectAndPosContainer> deletes;
  deletes.push_back(ObjectAndPosContainer::Delete(inner));  // listed with its group: goes once
  deletes.push_back(ObjectAndPosContainer::Delete(group));
  InsertAndDeleteObjects(content, {}, std::move(deletes));
  EXPECT_EQ(Stack(content), "CMY");
}

TEST_F(EditTest, RefusedEditsLeaveTheDocumentUnchanged) {
  Document other;
  Content& elsewhere = other.AddPage(Box(0, 0, 10, 10)).GetContent();
  Path& foreign = Add(elsewhere, Square("Black"));
  auto& group = Add(content, std::make_unique<Group>());

  auto attempt = [&](auto makeRecords, const std::string& message) {
    std::vector<ObjectAndPosContainer> inserts, deletes;
    makeRecords(inserts, deletes);
    try {
      InsertAndDeleteObjects(content, std::move(inserts), std::move(deletes));
      ADD_FAILURE() << "expected refusal: " << message;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_EQ(Stack(content), "CMYG");
  };
  using Records = std::vector<ObjectAndPosContainer>;
  attempt([&](Records& i, Records& d) {
    i.push_back(ObjectAndPosContainer::Insert(Square("Red"), &cyan, nullptr));
    d.push_back(ObjectAndPosContainer::Delete(foreign));
  }, "Object to delete is not in this content");
  attempt([&](Records& i, Records&) {
    i.push_back(ObjectAndPosContainer::Insert(Square("Red"), &cyan, nullptr));
    i.push_back(ObjectAndPosContainer::Insert(nullptr, &cyan, nullptr));
  }, "Insert record without a new object");
  attempt([&](Records& i, Records&) {
    i.push_back(ObjectAndPosContainer::Insert(Square("Red"), &cyan, &group));
  }, "Insert position is not in its container");
  attempt([&](Records& i, Records& d) {
    i.push_back(ObjectAndPosContainer::Insert(Square("Red"), nullptr, &group));
    d.push_back(ObjectAndPosContainer::Delete(group));
  }, "Insert container is deleted by the same edit");
  attempt([&](Records&, Records& d) {
    d.push_back(ObjectAndPosContainer::Delete(cyan));
    d.push_back(ObjectAndPosContainer::Delete(cyan));
  }, "Object to delete is named twice");
  EXPECT_EQ(elsewhere.Size(), 1u);
}

TEST_F(EditTest, DeleteRecordsNeverDestroyWhatTheContentOwns) {
  {
    std::vector<ObjectAndPosContainer> deletes;
    deletes.push_back(ObjectAndPosContainer::Delete(magenta));
    deletes.push_back(ObjectAndPosContainer::Delete(yellow));
  }  // records dropped without an edit, as on an exception path
  EXPECT_EQ(Stack(content), "CMY");
  EXPECT_EQ(magenta.GetContainer(), &content);
}

}  // namespace
