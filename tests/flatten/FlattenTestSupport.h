#pragma once
// Documents and prepared maps for flattening tests.

#include <cmath>

#include <mavdoc/Builder.h>
#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>
#include <vexl/Measure.h>
#include <tests/TestRectangles.h>

namespace CorvelTest {

using CorvelTest::Box;

// A one-page document (100 × 100 pt) with the process inks and one spot.
struct PageFixture {
  MavDoc::Document document{[] {
    auto info = MavDoc::Separation::ProcessEntries();
    info.emplace_back("Spot", MavDoc::Separation::kNormalInk, MavDoc::Separation::Representation{});
    return info;
  }()};
  MavDoc::Content& content = document.AddPage(Box(0, 0, 100000, 100000)).GetContent();

  Corvel::GraphEnvironment Prepare(Corvel::ObjectPredicate chosen = [](const auto&) { return true; }) {
    return Corvel::PrepareGraphEnvironment(
        content, [](const auto& layer) { return layer->visible; }, true, chosen);
  }
};

inline const Corvel::AttributedGraph& GraphOf(const Corvel::GraphEnvironment& environment) {
  return *environment.GetImpl()->graph;
}

// Area covered by an outline under the nonzero rule, where its loops do not overlap.
inline double Area(const Vexl::Compound& compound) { return std::fabs(Vexl::SignedArea(compound)); }

}  // namespace CorvelTest
