#pragma once
// The separations a run composites in and the separations a content outputs.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <mavdoc/Content.h>
#include <sampling/DocumentSamplePicker.h>
#include <values/Color.h>

namespace Corvel {

// What colour sampling needs for one run: the picker's options (blending separations in print
// order, and the content), its resources, and whether the ink-type rule applies.
struct SamplingContext {
  DocumentSamplePicker::Options options;
  mutable DocumentSamplePicker::Resources resources;
  bool inkTypeStacking;
};

// The blending separations are the content's separation list in print order, or only
// `separation` when given (whether or not the document has it).
SamplingContext MakeSamplingContext(const MavDoc::Content& content, bool inkTypeStacking,
                                    const std::optional<std::string>& separation);

// Every separation the content outputs, once each, in the document's print order.
MavColor::ColorList<MavColor::ColorSpacePolicy> GetOutputSeparations(const MavDoc::Content& content);

// Sorts names by their position in the separation info; names it lacks go last.
template <class Entry>
void OrderBySeparationInfo(std::vector<Entry>& names, std::size_t from,
                           const MavDoc::Separation::Entries& separationInfo) {
  std::sort(names.begin() + static_cast<std::ptrdiff_t>(from), names.end(),
            [&](const Entry& a, const Entry& b) {
              return MavDoc::Separation::Find(separationInfo, a.name) <
                     MavDoc::Separation::Find(separationInfo, b.name);
            });
}

}  // namespace Corvel
