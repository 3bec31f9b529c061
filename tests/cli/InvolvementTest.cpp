// Which objects transparency involves: what a print shop sees as "left alone" depends on it.
#include <gtest/gtest.h>

#include <random>

#include <cli/Involvement.h>
#include <mavdoc/Builder.h>
#include <mavdoc/Content.h>
#include <mavdoc/Placement.h>
#include <tests/TestRectangles.h>

namespace {

using namespace MavDoc::Build;
using MavBlend::BlendMode;

using CorvelTest::Box;

class InvolvementTest : public ::testing::Test {
 protected:
  MavDoc::Document document;
  MavDoc::Content& page = document.AddPage(Box(0, 0, 100000, 100000)).GetContent();
  const std::shared_ptr<const MavPaint::FlatPaint> cyan = Flat({{"Cyan", 1}});
};

TEST_F(InvolvementTest, OnlyWhatLiesUnderTheTransparentObjectIsInvolved) {
  auto& under = Add(page, FilledRectangle(Box(0, 0, 50000, 50000), cyan));
  auto& beside = Add(page, FilledRectangle(Box(70000, 70000, 10000, 10000), cyan));
  auto& shadow = Add(page, FilledRectangle(Box(20000, 20000, 40000, 40000), cyan,
                                           Blend(BlendMode::Multiply, 0.5f)));
  auto& headline = Add(page, FilledRectangle(Box(25000, 25000, 10000, 10000), cyan));
  const auto found = CorvelCli::FindInvolved(page);
  EXPECT_TRUE(found.Contains(under));
  EXPECT_TRUE(found.Contains(shadow));
  EXPECT_FALSE(found.Contains(beside)) << "touches no transparent area";
  EXPECT_FALSE(found.Contains(headline)) << "painted above all transparency";
  EXPECT_EQ(found.units, 4u);
  EXPECT_EQ(found.transparent, 1u);
  EXPECT_EQ(found.involved, 2u);
}

TEST_F(InvolvementTest, AGroupWithAnEffectIsInvolvedWithAllItsMembers) {
  auto& group = Add(page, TransparencyGroup(Blend(BlendMode::Normal, 0.5f), true, false));
  auto& inner = Add(group, FilledRectangle(Box(0, 0, 10000, 10000), cyan));
  auto& far = Add(group, FilledRectangle(Box(80000, 80000, 10000, 10000), cyan));
  const auto found = CorvelCli::FindInvolved(page);
  EXPECT_TRUE(found.Contains(group));
  EXPECT_TRUE(found.Contains(inner));
  EXPECT_TRUE(found.Contains(far));
  EXPECT_EQ(found.units, 1u);
}

TEST_F(InvolvementTest, AGroupWithoutEffectIsJudgedMemberByMember) {
  // A map page: everything wrapped in one isolated knockout group with no effect of its own.
  auto& wrapper = Add(page, TransparencyGroup(Blend(BlendMode::Normal, 1), true, true));
  auto& below = Add(wrapper, FilledRectangle(Box(0, 0, 20000, 20000), cyan));
  auto& away = Add(wrapper, FilledRectangle(Box(60000, 60000, 20000, 20000), cyan));
  auto& glass = Add(wrapper, FilledRectangle(Box(10000, 10000, 20000, 20000), cyan,
                                             Blend(BlendMode::Screen, 1)));
  auto& outside = Add(page, FilledRectangle(Box(0, 0, 5000, 5000), cyan));
  const auto found = CorvelCli::FindInvolved(page);
  EXPECT_FALSE(found.Contains(wrapper));
  EXPECT_TRUE(found.Contains(below));
  EXPECT_TRUE(found.Contains(glass));
  EXPECT_FALSE(found.Contains(away));
  EXPECT_FALSE(found.Contains(outside)) << "painted after the wrapper, so above the glass";
}

TEST_F(InvolvementTest, APageWithoutTransparencyInvolvesNothing) {
  Add(page, FilledRectangle(Box(0, 0, 50000, 50000), cyan));
  auto& knockout = Add(page, TransparencyGroup(Blend(BlendMode::Normal, 1), false, true));
  Add(knockout, FilledRectangle(Box(10000, 10000, 50000, 50000), cyan));
  const auto found = CorvelCli::FindInvolved(page);
  EXPECT_EQ(found.involved, 0u);
  EXPECT_TRUE(found.objects.empty());
}

// A panel partly over a logo, a glass over the panel only: the panel is replaced, and its new
// artwork takes the place of the lowest object under it. Left alone, the logo would come out
// over the panel where the panel covered it.
TEST_F(InvolvementTest, WhatAnInvolvedOpaqueObjectCoversIsInvolvedInTurn) {
  auto& backdrop = Add(page, FilledRectangle(Box(0, 0, 100000, 100000), cyan));
  auto& underLogo = Add(page, FilledRectangle(Box(9000, 64000, 2000, 5000), cyan));
  auto& logo = Add(page, FilledRectangle(Box(10000, 60000, 8000, 6000), cyan));
  auto& beside = Add(page, FilledRectangle(Box(80000, 80000, 5000, 5000), cyan));
  Add(page, FilledRectangle(Box(15000, 40000, 20000, 22000), cyan));
  Add(page, FilledRectangle(Box(30000, 35000, 15000, 10000), cyan, Blend(BlendMode::Multiply, 0.5f)));
  const auto found = CorvelCli::FindInvolved(page);
  EXPECT_TRUE(found.Contains(logo)) << "covered by the replaced panel";
  EXPECT_TRUE(found.Contains(underLogo)) << "covered by the logo, involved in turn";
  EXPECT_TRUE(found.Contains(backdrop));
  EXPECT_FALSE(found.Contains(beside)) << "nothing involved above it meets it";
  EXPECT_EQ(found.involved, 5u);
}

// Random pages against the rule itself, counted the slow way: an object is involved exactly
// when it is transparent or some involved object painted after it has an overlapping box.
TEST_F(InvolvementTest, RandomPagesFollowTheRule) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> at(0, 90000), size(100, 20000);
  std::vector<std::pair<MavDoc::Path*, bool>> objects;
  for (int i = 0; i < 300; ++i) {
    const bool transparent = random() % 10 == 0;
    auto& path = Add(page, FilledRectangle(Box(at(random), at(random), size(random), size(random)),
                                           cyan, transparent ? Blend(BlendMode::Multiply, 0.7f)
                                                             : nullptr));
    objects.emplace_back(&path, transparent);
  }
  const auto found = CorvelCli::FindInvolved(page);
  // From the top down: whether an object is involved depends only on objects painted after it.
  std::vector<bool> expected(objects.size(), false);
  for (std::size_t i = objects.size(); i-- > 0;) {
    expected[i] = objects[i].second;
    const auto box = MavDoc::GetBoundingBox(*objects[i].first, MavDoc::kStrokes);
    for (std::size_t j = i + 1; j < objects.size() && !expected[i]; ++j) {
      if (!expected[j]) continue;
      const auto other = MavDoc::GetBoundingBox(*objects[j].first, MavDoc::kStrokes);
      expected[i] = box.Left() <= other.Right() && other.Left() <= box.Right() &&
                    box.Bottom() <= other.Top() && other.Bottom() <= box.Top();
    }
    EXPECT_EQ(found.Contains(*objects[i].first), expected[i]) << "object " << i;
  }
}

// Overprint lets what lies below show through in the inks an object leaves: an involved object
// that overprints involves what it meets below; and (unless preserved for the device) an
// object overprinting the transparency is replaced with it, so its overprint is simulated.
TEST_F(InvolvementTest, OverprintReachesWhatShowsThrough) {
  const auto overprinting = [this](const Vexl::Rectangle& box) -> MavDoc::ContentObject& {
    auto& object = Add(page, FilledRectangle(box, cyan));
    dynamic_cast<MavDoc::Blendable&>(object).SetOverprint({true, true, false});
    return object;
  };
  auto& farBelow = Add(page, FilledRectangle(Box(0, 0, 20000, 20000), cyan));
  auto& underTransparency = overprinting(Box(10000, 10000, 30000, 30000));
  auto& belowTheTop = Add(page, FilledRectangle(Box(58000, 58000, 5000, 5000), cyan));
  auto& glass = Add(page, FilledRectangle(Box(35000, 35000, 20000, 20000), cyan,
                                          Blend(BlendMode::Normal, 0.5f)));
  auto& onTop = overprinting(Box(50000, 50000, 10000, 10000));
  auto& away = overprinting(Box(80000, 80000, 5000, 5000));

  const auto simulate = CorvelCli::FindInvolved(page);
  EXPECT_TRUE(simulate.Contains(glass));
  EXPECT_TRUE(simulate.Contains(underTransparency));
  EXPECT_TRUE(simulate.Contains(farBelow)) << "shows through the overprinting object above it";
  EXPECT_TRUE(simulate.Contains(onTop)) << "overprints the transparency";
  EXPECT_TRUE(simulate.Contains(belowTheTop)) << "shows through the object that overprints";
  EXPECT_FALSE(simulate.Contains(away));

  const auto preserve = CorvelCli::FindInvolved(page, {.overprintAbove = false});
  EXPECT_TRUE(preserve.Contains(farBelow));
  EXPECT_FALSE(preserve.Contains(onTop)) << "left for the device to overprint";
  EXPECT_FALSE(preserve.Contains(belowTheTop));
}

}  // namespace
