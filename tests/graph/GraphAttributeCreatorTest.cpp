#include <graph/GraphAttributeCreator.h>

#include <gtest/gtest.h>

#include <docgraph/CreateGraph.h>
#include <mavdoc/Builder.h>
#include <tests/TestRectangles.h>

namespace {

using namespace Corvel;
using namespace MavDoc::Build;
using Container = DocumentGraph::TransparentAttributeCreator::AttributeContainer;

using CorvelTest::Box;

struct CreatorTest : ::testing::Test {
  MavDoc::Document document;
  MavDoc::Content& content = document.AddPage(Box(0, 0, 100000, 100000)).GetContent();
  Container container;

  // Walks the content with the flattening creator and everything selected.
  void Walk() {
    GraphAttributeCreator creator(container, true);
    const DocumentGraph::GraphBase::ObjectSelection selection{
        [](const auto&) { return true; }, true, [](const auto&) { return true; }, false};
    DocumentGraph::Detail::MakeInput({}, content, selection, creator);
  }

  std::unique_ptr<MavDoc::Path> Cyan(double x, float alpha = 0.5f) {
    return FilledRectangle(Box(x, 0, 1000, 1000), Flat({{"Cyan", 0.5f}}),
                           Blend(MavBlend::BlendMode::Multiply, alpha));
  }
};

TEST_F(CreatorTest, ConsecutiveEqualPathsShareOneAttributeWhereverTheyStand) {
  Add(content, Cyan(0));
  auto& moved = Add(content, Cyan(5000));
  moved.SetTransformation(Vexl::Transformation::Scaling(2, 3), 0);
  Walk();
  EXPECT_EQ(container.elements.size(), 1u);
}

TEST_F(CreatorTest, OnlyTheLastAttributeIsConsideredForSharing) {
  Add(content, Cyan(0));
  Add(content, Cyan(2000, 0.25f));
  Add(content, Cyan(4000));
  Walk();
  EXPECT_EQ(container.elements.size(), 3u);
}

TEST_F(CreatorTest, EqualSiblingGroupsShareTheirAttributeAndTheirFirstElements) {
  for (int i = 0; i < 2; ++i) {
    auto& group = Add(content, TransparencyGroup(Blend(MavBlend::BlendMode::Screen, 0.7f), true, false));
    Add(group, Cyan(i * 3000));
  }
  Walk();
  EXPECT_EQ(container.groups.size(), 1u);
  EXPECT_EQ(container.elements.size(), 1u);
}

TEST_F(CreatorTest, APathInsideAGroupNeverSharesWithOneOutside) {
  Add(content, Cyan(0));
  auto& group = Add(content, std::make_unique<MavDoc::Group>());
  Add(group, Cyan(3000));
  Walk();
  EXPECT_EQ(container.elements.size(), 2u);
}

TEST_F(CreatorTest, PicturesShareAgainstThePathOfTheLastPaintedElement) {
  GraphAttributeCreator creator(container, true);
  MavDoc::Path path(Vexl::MakeRectangle(Box(0, 0, 1, 1)));
  MavImg::PictureBuffer::Factory buffer(1, 1, 1, 8);
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), MavColor::ColorList<MavColor::SeparationMappingPolicy>{},
      std::vector<MavImg::ChannelInfo>{}, nullptr, std::nullopt, nullptr,
      Vexl::Transformation::Identity());
  auto picture = MavImg::PaintedPicture::Factory(
                     nullptr, MavImg::PictureData::Factory(nullptr, source).Get(), false)
                     .Get();
  auto addPicture = [&] {
    return creator.CreateElementAttribute(path, nullptr, false, picture, {}, nullptr, {}, &path);
  };
  // A paint element at the top level records the empty path.
  creator.CreateElementAttribute(path, nullptr, false, Flat({{"Black", 1.0f}}), nullptr, {}, &path);
  creator.CreateGroupAttribute(nullptr, false, {}, {});
  const auto* inGroup = addPicture();
  const auto* sameGroup = addPicture();
  EXPECT_NE(inGroup, sameGroup);  // the recorded path is still the top level's
  creator.EndGroup();
  const auto* outside = addPicture();
  EXPECT_EQ(outside, sameGroup);  // now the paths match, though the first lay in a group
}

TEST_F(CreatorTest, ElementsWithTheirOwnCoverageAreMarkedAndNeverShared) {
  GraphAttributeCreator creator(container, true);
  MavDoc::Path path(Vexl::MakeRectangle(Box(0, 0, 1, 1)));
  auto paint = Flat({{"Black", 1.0f}});
  const auto* first = creator.CreateElementAttribute(path, nullptr, false, paint, nullptr, {}, &path);
  creator.SetForceUnknownShape(true);
  const auto* stencil = creator.CreateElementAttribute(path, nullptr, false, paint, nullptr, {}, &path);
  const auto* again = creator.CreateElementAttribute(path, nullptr, false, paint, nullptr, {}, &path);
  creator.SetForceUnknownShape(false);
  const auto* after = creator.CreateElementAttribute(path, nullptr, false, paint, nullptr, {}, &path);
  // A stencil's coverage is its own: sharing would paint one object with another's pixels.
  EXPECT_NE(stencil, first);
  EXPECT_NE(again, stencil);
  EXPECT_NE(after, again);
  EXPECT_TRUE(stencil->HasUnknownShape());
  EXPECT_FALSE(stencil->IsOpaque());
  EXPECT_TRUE(first->IsOpaque());
  EXPECT_FALSE(after->HasUnknownShape());
}

}  // namespace
