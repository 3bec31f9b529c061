#include <color/SeparationSetup.h>

#include <gtest/gtest.h>

#include "ColorTestSupport.h"

namespace {

using namespace ColorTest;
using Strings = std::vector<std::string>;

MavDoc::Separation::Entries ProcessAndSpot() {
  auto info = MavDoc::Separation::ProcessEntries();
  info.push_back(Ink("Spot"));
  return info;
}

TEST(MakeSamplingContext, BlendsInTheContentsInksInPrintOrder) {
  InkPage page(ProcessAndSpot());
  MavDoc::Separations::List list;
  list.entries = {ListEntry("Spot"), ListEntry("Black"), ListEntry("Cyan")};
  page.content.GetSeparations().SetList(list);
  const auto context = Corvel::MakeSamplingContext(page.content, true, std::nullopt);
  EXPECT_EQ(context.options.GetBlendingSeparations(), (Strings{"Cyan", "Black", "Spot"}));
  EXPECT_EQ(&context.options.GetContent(), &page.content);
  EXPECT_TRUE(context.inkTypeStacking);
}

TEST(MakeSamplingContext, AGivenSeparationIsTheOnlyOneEvenWhenTheDocumentLacksIt) {
  InkPage page(ProcessAndSpot());
  const auto context = Corvel::MakeSamplingContext(page.content, false, std::string("Gold"));
  EXPECT_EQ(context.options.GetBlendingSeparations(), (Strings{"Gold"}));
  EXPECT_FALSE(context.inkTypeStacking);
}

TEST(MakeSamplingContext, ASeparationListedTwiceBlendsTwice) {
  InkPage page(ProcessAndSpot());
  MavDoc::Separations::List list;
  // Listed settings do not matter here: even a preview-only ink blends.
  list.entries = {ListEntry("Spot"), ListEntry("Cyan", {2, 0, 0}), ListEntry("Spot")};
  page.content.GetSeparations().SetList(list);
  const auto context = Corvel::MakeSamplingContext(page.content, false, std::nullopt);
  EXPECT_EQ(context.options.GetBlendingSeparations(), (Strings{"Cyan", "Spot", "Spot"}));
}

TEST(MakeSamplingContext, AnEmptyListBlendsNothing) {
  InkPage page(ProcessAndSpot());
  page.content.GetSeparations().SetList({});
  const auto context = Corvel::MakeSamplingContext(page.content, false, std::nullopt);
  EXPECT_TRUE(context.options.GetBlendingSeparations().empty());
}

TEST(GetOutputSeparations, OnlyEntriesWithAnOutputBitWhenTheListHasNone) {
  InkPage page(ProcessAndSpot());
  MavDoc::Separations::List list;
  // Every list setting is 0 or "preview only" (2): the list as a whole outputs nothing.
  list.settings = {2, 0, 2};
  list.entries = {ListEntry("Cyan", {2, 2, 2}), ListEntry("Magenta", {1, 0, 0}),
                  ListEntry("Yellow", {0, 0, 4}), ListEntry("Black", {0, 0, 0}),
                  ListEntry("Spot", {3, 0, 0})};
  page.content.GetSeparations().SetList(list);
  EXPECT_EQ(NamesOf(Corvel::GetOutputSeparations(page.content)), (Strings{"Magenta", "Yellow", "Spot"}));
}

TEST(GetOutputSeparations, AListWithAnOutputBitOutputsEveryEntry) {
  InkPage page(ProcessAndSpot());
  MavDoc::Separations::List list;
  list.settings = {2, 0x100, 0};
  list.entries = {ListEntry("Cyan", {2, 0, 0}), ListEntry("Black", {0, 0, 0})};
  page.content.GetSeparations().SetList(list);
  EXPECT_EQ(NamesOf(Corvel::GetOutputSeparations(page.content)), (Strings{"Cyan", "Black"}));
}

TEST(GetOutputSeparations, EachNameOnceInTheDocumentsPrintOrder) {
  InkPage page(ProcessAndSpot());
  MavDoc::Separations::List list;
  list.entries = {ListEntry("Spot"), ListEntry("Unlisted"), ListEntry("Black"), ListEntry("Spot"),
                  ListEntry("Cyan")};
  page.content.GetSeparations().SetList(list);
  const auto output = Corvel::GetOutputSeparations(page.content);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(output.GetColorSpace()));
  // Print order of the separation info; an ink the info lacks goes last.
  EXPECT_EQ(NamesOf(output), (Strings{"Cyan", "Black", "Spot", "Unlisted"}));
}

TEST(GetOutputSeparations, WithoutAListOfItsOwnEveryDocumentInkOutputs) {
  InkPage page(ProcessAndSpot());
  EXPECT_EQ(NamesOf(Corvel::GetOutputSeparations(page.content)),
            (Strings{"Cyan", "Magenta", "Yellow", "Black", "Spot"}));
}

}  // namespace
