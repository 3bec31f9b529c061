// The picker answers with scripted values here, so that the turning of picked values into a
// colour can be seen with values no real composite gives.

#include <color/ColorSampling.h>

#include <gtest/gtest.h>

#include "ColorTestSupport.h"

namespace {
std::vector<float> scriptedValues;
}  // namespace

namespace DocumentSamplePicker {

// Replaces the library's picker in this test program only.
std::vector<std::vector<float>> PickComponentsAtPoints(const std::vector<Vexl::Point>&,
                                                       const std::vector<Vexl::Point>&, const Options&,
                                                       Resources&, const Tessel::TFill*,
                                                       const Tessel::TFill*) {
  return {scriptedValues};
}

}  // namespace DocumentSamplePicker

namespace {

using namespace ColorTest;
using namespace MavDoc::Build;

struct ScriptedPicker : ::testing::Test {
  // The colour of a one-rectangle page whose inks are A and B (in print order, B opaque) when
  // the picker answers `values`.
  Corvel::SampledColor Sample(std::vector<float> values, bool inkTypeStacking,
                              std::vector<std::string> listed = {"A", "B"}) {
    MavDoc::Separations::List list;
    for (const auto& name : listed) list.entries.push_back(ListEntry(name));
    page.content.GetSeparations().SetList(list);
    Add(page.content, FilledRectangle(Box(0, 0, 10000, 10000), Flat({{"A", 0.5f}})));
    const auto& fill = page.MapAndTakeDeepestFill();
    scriptedValues = std::move(values);
    const auto context = Corvel::MakeSamplingContext(page.content, inkTypeStacking, std::nullopt);
    return Corvel::SampleFillColor(context, &fill);
  }
  InkPage page{{Ink("A"), Ink("B", MavDoc::Separation::kOpaqueInk)}};
};

TEST_F(ScriptedPicker, ANegativeValueIsAnInkOnlyWithoutTheInkTypeRule) {
  EXPECT_EQ(EntriesOf(std::get<MavColor::Color>(Sample({-0.5f, 0.3f}, false))),
            (Entries{{"A", -0.5f}, {"B", 0.3f}}));
}

TEST_F(ScriptedPicker, ANegativeValueIsDroppedByTheInkTypeRule) {
  EXPECT_EQ(EntriesOf(std::get<MavColor::Color>(Sample({-0.5f, 0.3f}, true))), (Entries{{"B", 0.3f}}));
}

TEST_F(ScriptedPicker, TinyValuesEitherSideOfZeroAreNoInk) {
  EXPECT_EQ(EntriesOf(std::get<MavColor::Color>(Sample({9e-6f, -9e-6f}, false))), Entries{});
}

TEST_F(ScriptedPicker, ARepeatedInkIsListedOnceWithItsLaterValue) {
  // Blending inks A, A, B: the second A's value replaces the first's, in the first's place.
  EXPECT_EQ(EntriesOf(std::get<MavColor::Color>(Sample({0.2f, 0.4f, 0.6f}, false, {"A", "B", "A"}))),
            (Entries{{"A", 0.4f}, {"B", 0.6f}}));
}

}  // namespace
