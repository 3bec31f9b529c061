#pragma once
// When two stacks of artwork look the same, so that their regions may share one outline.

#include <docgraph/Attributes.h>
#include <tessel/Fill.h>
#include <values/Color.h>

namespace Corvel {

// The component trees under two groups are alike: equal group attributes, then pairwise alike
// components, of the same number.
bool SameComponentTree(const Tessel::TFill::TGroup& a, const Tessel::TFill::TGroup& b);
bool SameComponent(const Tessel::TFill::TComponent& a, const Tessel::TFill::TComponent& b);
// As the graph build's element equality, except that two different flat paints compare by
// colour (SameColor) and two different shadings never match.
bool SameElementAttribute(const DocumentGraph::ElementAttribute& a,
                          const DocumentGraph::ElementAttribute& b);
// The first soft masks of two components: both absent, or alike in settings and artwork.
bool SameMaskComponents(const Tessel::TFill::TComponent& a, const Tessel::TFill::TComponent& b);
// Colours within 1e-5 per entry, device gray read as Black 1 − gray.
bool SameColor(const MavColor::Color& a, const MavColor::Color& b);

}  // namespace Corvel
