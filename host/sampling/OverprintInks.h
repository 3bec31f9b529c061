#pragma once
// The inks an overprinting element leaves as they are (ISO 32000-1 §8.6.7).

#include <vector>

#include <compositing/SeparationSpace.h>
#include <docgraph/Attributes.h>

namespace Sampling {

// Per separation of `space`, true where the element overprints and its colour does not name
// the ink: the process inks for a colour without process components, the spots a colour does
// not name, and in nonzero mode the DeviceCMYK components of a flat colour that are 0. Empty
// when the element paints every separation (no overprint, or an all-separations colour).
std::vector<bool> KeptInks(const DocumentGraph::ElementAttribute& element,
                           const Composite::SeparationSpace& space);

}  // namespace Sampling
