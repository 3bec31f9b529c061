#pragma once
// When two attributes of a planar-map build count as the same: equal attributes are shared, so
// the objects behind them flatten as one.

#include <docgraph/Attributes.h>

namespace Corvel {

// Two transformations are equal when each of their six numbers (tx, ty, a, b, c, d) lies within
// 5 units in the last place of the other's.
bool TransformationsEqual(const Vexl::Transformation& a, const Vexl::Transformation& b);

// `a` is the earlier attribute, `b` the new one.
bool ElementAttributesEqual(const DocumentGraph::ElementAttribute& a,
                            const DocumentGraph::ElementAttribute& b);
bool GroupAttributesEqual(const DocumentGraph::GroupAttribute& a,
                          const DocumentGraph::GroupAttribute& b);
bool SoftMaskAttributesEqual(const DocumentGraph::SoftMaskAttribute& a,
                             const DocumentGraph::SoftMaskAttribute& b);

}  // namespace Corvel
