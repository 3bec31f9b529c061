#include <color/SeparationSetup.h>

namespace Corvel {

namespace {

// A setting counts for output when it has a bit other than "preview only".
bool Outputs(const std::array<std::uint32_t, 3>& settings) {
  return ((settings[0] | settings[1] | settings[2]) & ~MavDoc::Separations::kPreviewOnly) != 0;
}

}  // namespace

SamplingContext MakeSamplingContext(const MavDoc::Content& content, bool inkTypeStacking,
                                    const std::optional<std::string>& separation) {
  auto list = content.GetSeparations().GetList(false);
  MavDoc::Separation::OrderSeparations(content.GetDocument()->GetSeparationInfo(), list.entries);
  std::vector<std::string> blending;
  if (separation) {
    blending.push_back(*separation);
  } else {
    for (const auto& entry : list.entries) blending.push_back(entry.name);
  }
  return {DocumentSamplePicker::Options(std::move(blending), content),
          DocumentSamplePicker::Resources(1), inkTypeStacking};
}

MavColor::ColorList<MavColor::ColorSpacePolicy> GetOutputSeparations(
    const MavDoc::Content& content) {
  MavColor::ColorList<MavColor::ColorSpacePolicy> output;
  const auto list = content.GetSeparations().GetList(false);
  const bool wide = Outputs(list.settings);
  for (const auto& entry : list.entries) {
    if (wide || Outputs(entry.settings)) output[entry.name];
  }
  OrderBySeparationInfo(output.GetEntries(), output.NamedBegin(),
                        content.GetDocument()->GetSeparationInfo());
  return output;
}

}  // namespace Corvel
