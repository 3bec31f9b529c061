#include <graph/RemovableCollector.h>

#include <set>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>

namespace {

using namespace MavDoc::Build;
using DocumentEdit::ObjectAndPosContainer;

Vexl::Rectangle Box(double x) { return {x, 0, 1000, 1000, false}; }

struct CollectorTest : ::testing::Test {
  MavDoc::Document document;
  MavDoc::Content& content = document.AddPage({0, 0, 100000, 100000, false}).GetContent();
  std::set<const MavDoc::ContentObject*> chosen;
  std::vector<ObjectAndPosContainer> inserts;

  MavDoc::Path& Path(MavDoc::Group& group, bool choose = true) {
    auto& path = Add(group, FilledRectangle(Box(0), Flat({{"Cyan", 1.0f}})));
    if (choose) chosen.insert(&path);
    return path;
  }
  MavDoc::Path& Path(bool choose = true) {
    auto& path = Add(content, FilledRectangle(Box(0), Flat({{"Cyan", 1.0f}})));
    if (choose) chosen.insert(&path);
    return path;
  }
  MavDoc::Path& Clip(MavDoc::Group& group, bool choose) {
    auto& clip = Add(group, ClipRectangle(Box(0)));
    if (choose) chosen.insert(&clip);
    return clip;
  }

  // The objects the collector lists, in its order.
  std::vector<const MavDoc::ContentObject*> Collect(bool selectionFlag = true,
                                                    bool strict = false) {
    std::vector<ObjectAndPosContainer> deletes;
    const MavDoc::LayerPredicate layers = [](const auto& p) { return p->visible; };
    const std::function<bool(const MavDoc::ContentObject&)> objects =
        [this](const MavDoc::ContentObject& o) { return chosen.count(&o) > 0; };
    Corvel::RemovableCollector collector(deletes, inserts, layers, selectionFlag, objects, strict);
    content.Accept(collector);
    std::vector<const MavDoc::ContentObject*> listed;
    for (const auto& record : deletes) {
      EXPECT_FALSE(record.object.get_deleter().owning);
      listed.push_back(record.object.get());
    }
    return listed;
  }

  using Listed = std::vector<const MavDoc::ContentObject*>;
};

TEST_F(CollectorTest, AFullyChosenGroupGoesAsOneRecord) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  Path(group);
  Path(group);
  EXPECT_EQ(Collect(), Listed{&group});
}

TEST_F(CollectorTest, AGroupReceivingANewObjectStaysAndListsItsChildren) {
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  auto& a = Path(group);
  auto& b = Path(group);
  inserts.push_back(ObjectAndPosContainer::Insert(FilledRectangle(Box(0), Flat({{"Black", 1.0f}})),
                                                  &a, &group));
  EXPECT_EQ(Collect(), (Listed{&a, &b}));
}

TEST_F(CollectorTest, AnUnchosenMemberKeepsItsGroupAndTheGroupsParent) {
  auto& outer = Add(content, std::make_unique<MavDoc::Group>());
  auto& inner = Add(outer, std::make_unique<MavDoc::Group>());
  auto& a = Path(inner);
  Path(inner, false);
  auto& c = Path(outer);
  EXPECT_EQ(Collect(), (Listed{&a, &c}));
}

TEST_F(CollectorTest, ClippingPathsFollowTheirGroup) {
  // An unchosen clip does not keep a group of chosen objects.
  auto& clipped = Add(content, std::make_unique<MavDoc::Group>());
  Clip(clipped, false);
  Path(clipped);
  // A chosen clip is not listed when a member keeps its group...
  auto& kept = Add(content, std::make_unique<MavDoc::Group>());
  Clip(kept, true);
  auto& keptPath = Path(kept);
  Path(kept, false);
  // ...and is listed when only a new object keeps its group.
  auto& receiving = Add(content, std::make_unique<MavDoc::Group>());
  auto& receivingClip = Clip(receiving, true);
  auto& receivingPath = Path(receiving);
  inserts.push_back(ObjectAndPosContainer::Insert(FilledRectangle(Box(0), Flat({{"Black", 1.0f}})),
                                                  nullptr, &receiving));
  // Inner containers close first; the top level's records come last.
  EXPECT_EQ(Collect(), (Listed{&keptPath, &receivingClip, &receivingPath, &clipped}));
}

TEST_F(CollectorTest, EmptyGroupsKeepOrFollowByChoice) {
  auto& chosenGroup = Add(content, std::make_unique<MavDoc::Group>());
  chosen.insert(&chosenGroup);
  Add(chosenGroup, std::make_unique<MavDoc::Group>());  // empty, inside a chosen group
  Path(chosenGroup);
  auto& parent = Add(content, std::make_unique<MavDoc::Group>());
  Add(parent, std::make_unique<MavDoc::Group>());  // empty and not chosen: keeps its parent
  auto& sibling = Path(parent);
  EXPECT_EQ(Collect(), (Listed{&sibling, &chosenGroup}));
}

TEST_F(CollectorTest, TheNearestLayerDecidesVisibility) {
  auto& off = Add(content, MakeLayer("off", false));
  auto& onInsideOff = Add(off, MakeLayer("on", true));
  auto& shown = Path(onInsideOff);
  auto& on = Add(content, MakeLayer("on2", true));
  auto& offInsideOn = Add(on, MakeLayer("off2", false));
  auto& hidden = Path(offInsideOn);
  // The visible path is removable, so its layers go with it as a whole; the hidden one keeps
  // both of its layers.
  EXPECT_EQ(Collect(), Listed{&off});
  EXPECT_EQ(shown.GetParent(), &onInsideOff);
  EXPECT_EQ(hidden.GetParent(), &offInsideOn);
}

TEST_F(CollectorTest, WithoutLayersTheFlagDecides) {
  Path();
  auto& clipsOnly = Add(content, std::make_unique<MavDoc::Group>());
  Clip(clipsOnly, false);
  EXPECT_EQ(Collect(false), Listed{&clipsOnly});
}

TEST_F(CollectorTest, TopLevelObjectsAreListedOneByOne) {
  auto& a = Path();
  Path(false);
  auto& c = Path();
  EXPECT_EQ(Collect(), (Listed{&a, &c}));
}

TEST_F(CollectorTest, AnEmptyPredicateFailsWithoutDestroyingAnything) {
  auto& a = Path();
  std::vector<ObjectAndPosContainer> deletes;
  const MavDoc::LayerPredicate layers = [](const auto&) { return true; };
  const std::function<bool(const MavDoc::ContentObject&)> none;
  {
    Corvel::RemovableCollector collector(deletes, inserts, layers, true, none, false);
    EXPECT_THROW(content.Accept(collector), std::bad_function_call);
  }
  deletes.clear();
  EXPECT_EQ(a.GetContainer(), &content);
  EXPECT_EQ(content.Size(), 1u);
}

}  // namespace
