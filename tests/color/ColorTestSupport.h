#pragma once
// Pages with chosen inks, mapped, and the pieces of a colour list the tests compare.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <mavdoc/Builder.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>
#include <tessel/Graph.h>
#include <tests/TestRectangles.h>

namespace ColorTest {

using CorvelTest::Box;

inline MavDoc::Separation::Entry Ink(const std::string& name, int inkType = MavDoc::Separation::kNormalInk) {
  return {name, inkType, MavDoc::Separation::Representation{}};
}

// A 100 × 100 pt page of a document with the given inks (print order).
struct InkPage {
  explicit InkPage(MavDoc::Separation::Entries info = MavDoc::Separation::ProcessEntries())
      : document(std::move(info)), content(document.AddPage(Box(0, 0, 100000, 100000)).GetContent()) {}

  // Maps the page and returns the fill with the most elements: for stacks of equal shapes, the
  // one where everything overlaps.
  const Tessel::TFill& MapAndTakeDeepestFill() {
    environment = std::make_unique<Corvel::GraphEnvironment>(Corvel::PrepareGraphEnvironment(
        content, [](const auto& layer) { return layer->visible; }, true,
        [](const MavDoc::ContentObject&) { return true; }));
    const auto& graph = *environment->GetImpl()->graph->GetTesselGraph();
    const Tessel::TFill* deepest = &graph.GetFill(0);
    for (int i = 0; i < graph.NFills(); ++i) {
      if (graph.GetFill(i).NElements() > deepest->NElements()) deepest = &graph.GetFill(i);
    }
    return *deepest;
  }

  MavDoc::Document document;
  MavDoc::Content& content;
  std::unique_ptr<Corvel::GraphEnvironment> environment;
};

using Entries = std::vector<std::pair<std::string, float>>;

inline Entries EntriesOf(const MavColor::Color& color) {
  Entries out;
  for (const auto& entry : color.GetEntries()) out.emplace_back(entry.name, entry.value);
  return out;
}

// Same names in the same order, values within a float's rounding of the hand-computed ones.
inline void ExpectEntries(const Entries& actual, const Entries& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].first, expected[i].first) << "entry " << i;
    EXPECT_NEAR(actual[i].second, expected[i].second, 1e-6) << "entry " << i;
  }
}

template <class List>
std::vector<std::string> NamesOf(const List& list) {
  std::vector<std::string> out;
  for (const auto& entry : list.GetEntries()) out.push_back(entry.name);
  return out;
}

// A separation list entry with the given first setting word.
inline MavDoc::Separations::List::Entry ListEntry(const std::string& name,
                                                  std::array<std::uint32_t, 3> settings = {1, 0, 0}) {
  return {name, settings};
}

// A one-channel-per-ink picture of 2 × 1 pixels whose channels vary.
inline std::shared_ptr<const MavImg::PaintedPicture> TwoInkPicture(
    const MavDoc::Document& document, const std::string& first, std::array<double, 2> firstRange,
    const std::string& second, std::array<double, 2> secondRange) {
  MavImg::PictureBuffer::Factory buffer(2, 1, 2, 8);
  const std::uint8_t samples[] = {0, 255, 255, 0};
  std::copy(std::begin(samples), std::end(samples), buffer.GetRowPtr(0));
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping;
  mapping[first].channel = 0;
  mapping[second].channel = 1;
  auto source = std::make_shared<const MavImg::BufferedPictureSource>(
      buffer.GetResult(), mapping,
      std::vector<MavImg::ChannelInfo>{MavImg::ChannelInfo(first, 0, firstRange),
                                       MavImg::ChannelInfo(second, 0, secondRange)},
      nullptr, std::nullopt, nullptr, Vexl::Transformation::Identity());
  return MavImg::PaintedPicture::Factory(&document, MavImg::PictureData::Factory(&document, source).Get(), false)
      .Get();
}

}  // namespace ColorTest
