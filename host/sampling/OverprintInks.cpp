#include <sampling/OverprintInks.h>

#include <algorithm>
#include <string>
#include <variant>

namespace Sampling {

namespace {

template <class List>
bool NamesAll(const List& list) {
  return std::holds_alternative<MavColor::AllSeparations>(list.GetColorSpace());
}

class Inks {
 public:
  explicit Inks(const Composite::SeparationSpace& space)
      : names_(space.GetNames()), kept_(names_.size(), true) {}

  void Paint(const std::string& name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found != names_.end()) kept_[static_cast<std::size_t>(found - names_.begin())] = false;
  }
  template <class List>
  void PaintNamed(const List& list) {
    for (const auto& entry : list.GetEntries()) Paint(entry.name);
  }
  std::vector<bool> Kept() const {
    if (std::find(kept_.begin(), kept_.end(), true) == kept_.end()) return {};
    return kept_;
  }

 private:
  const std::vector<std::string>& names_;
  std::vector<bool> kept_;
};

// A flat colour names its converted entries; in nonzero mode a four-component colour's zero
// components name nothing (the conversion may have filled them in).
void PaintFlat(const MavPaint::FlatPaint& flat, bool nonzero, Inks& inks) {
  const MavColor::Color& given = flat.GetColor();
  const bool fourComponent = std::holds_alternative<MavColor::FourComponent>(given.GetColorSpace());
  const auto& process = MavColor::ProcessInkNames();
  const MavColor::Color converted = flat.GetConvertedColor(nullptr);
  for (const auto& entry : converted.GetEntries()) {
    const auto role = std::find(process.begin(), process.end(), entry.name);
    if (nonzero && fourComponent && role != process.end()) {
      const auto index = static_cast<std::size_t>(role - process.begin());
      if (index < given.Size() && given.GetEntries()[index].value == 0) continue;
    }
    inks.Paint(entry.name);
  }
  // A spot at tint 0 still paints its plate, even where the conversion left it out.
  for (std::size_t i = given.NamedBegin(); i < given.Size(); ++i) {
    inks.Paint(given.GetEntries()[i].name);
  }
}

}  // namespace

std::vector<bool> KeptInks(const DocumentGraph::ElementAttribute& element,
                           const Composite::SeparationSpace& space) {
  if (!element.Overprints()) return {};
  Inks inks(space);
  if (const auto& picture = element.PaintedPicture()) {
    const auto mapping = picture->GetConvertedChannelMapping(nullptr);
    if (NamesAll(mapping)) return {};
    inks.PaintNamed(mapping);
    return inks.Kept();
  }
  const MavPaint::Paint& paint = *element.Paint();
  if (const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(&paint)) {
    if (NamesAll(flat->GetColor())) return {};
    PaintFlat(*flat, element.NonzeroOverprint(), inks);
    return inks.Kept();
  }
  const auto& shading = dynamic_cast<const MavPaint::ShadingPaint&>(paint);
  const auto mapping = shading.GetConvertedSeparationMapping(nullptr);
  if (NamesAll(mapping)) return {};
  inks.PaintNamed(mapping);
  return inks.Kept();
}

}  // namespace Sampling
