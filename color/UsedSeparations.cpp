#include <color/UsedSeparations.h>

#include <color/SeparationSetup.h>
#include <flatten/FillProperties.h>

namespace Corvel {

namespace {

constexpr float kEmptyTint = 1e-5f;

bool IsAll(const auto& list) {
  return std::holds_alternative<MavColor::AllSeparations>(list.GetColorSpace());
}

// Whether a shading channel can carry ink: its function is not zero everywhere, or the
// background inks it.
bool ChannelInks(const MavPaint::Function* function, const std::optional<std::vector<float>>& background,
                 std::uint64_t channel) {
  if (function && !function->IsZeroOnDomain(channel)) return true;
  return background && channel < background->size() && (*background)[channel] >= kEmptyTint;
}

}  // namespace

UsedSeparationCollector::UsedSeparationCollector(const MavDoc::Content& content,
                                                 const std::optional<std::string>& separation)
    : content_(&content),
      separation_(separation),
      document_(content.GetDocument()),
      context_(document_) {}

void UsedSeparationCollector::AddSeparation(const std::string& name) {
  if (separation_ && *separation_ != name) return;
  if (!used_.Find(name)) used_.Append({name});
}

void UsedSeparationCollector::AddOutputSeparations() {
  const auto output = GetOutputSeparations(*content_);
  for (const auto& entry : output.GetEntries()) AddSeparation(entry.name);
}

void UsedSeparationCollector::AddProcess() {
  for (const auto& name : MavColor::ProcessInkNames()) AddSeparation(name);
}

void UsedSeparationCollector::Visit(const Tessel::TFill::TGraphicsComponent& component) {
  context_.Visit(*content_);
  if (const auto* element = component.Element()) {
    VisitElement(*element);
  } else {
    VisitGroup(*component.Group());
  }
  context_.EndVisit(*content_);
}

void UsedSeparationCollector::VisitGroup(const Tessel::TFill::TGroup& group) {
  const auto* attribute = static_cast<const DocumentGraph::GroupAttribute*>(group.GroupAttribute());
  bool isolated = false;
  if (attribute) {
    const auto& transparency = *attribute->Transparency();
    if (!MavBlend::IsWhitePreserving(transparency.GetBlendMode())) AddProcess();
    const MavColor::GroupColorSpace before = context_.GetCurrentBlendingColorSpace();
    isolated = transparency.IsIsolated();
    context_.Push(attribute->GroupColorSpace(), isolated);
    if (MavColor::BlendingSpacesDiffer(before, context_.GetCurrentBlendingColorSpace())) AddProcess();
  }
  Tessel::TFill::TGraphicsComponentIterator members(group, Tessel::Input::TObject::kCovering, false);
  while (const auto* member = members.Next()) Visit(*member);
  if (attribute) context_.Pop(isolated);
}

void UsedSeparationCollector::VisitElement(const Tessel::TFill::TElement& element) {
  const auto& attribute = AttributeOf(element);
  if (!MavBlend::IsWhitePreserving(attribute.Transparency()->GetBlendMode())) AddProcess();
  if (attribute.PaintedPicture()) {
    AddPicture(*attribute.PaintedPicture());
  } else {
    AddPaint(*attribute.Paint());
  }
}

void UsedSeparationCollector::AddPicture(const MavImg::PaintedPicture& picture) {
  const auto mapping = picture.GetConvertedChannelMapping(context_.GetCurrentTargetProfile());
  auto inks = [](const auto& entry) {
    return entry.IsMapped() && !(entry.range[0] == 0 && entry.range[1] == 0);
  };
  if (IsAll(mapping)) {
    if (!mapping.Empty() && inks(mapping.GetEntries().front())) AddOutputSeparations();
    return;
  }
  for (std::size_t i = mapping.NamedBegin(); i < mapping.Size(); ++i) {
    if (inks(mapping.GetEntries()[i])) AddSeparation(mapping.GetEntries()[i].name);
  }
}

void UsedSeparationCollector::AddPaint(const MavPaint::Paint& paint) {
  const auto profile = context_.GetCurrentTargetProfile();
  if (const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(&paint)) {
    const auto color = flat->GetConvertedColor(profile);
    if (IsAll(color)) {
      if (!color.Empty() && color.GetEntries().front().value >= kEmptyTint) AddOutputSeparations();
      return;
    }
    for (std::size_t i = color.NamedBegin(); i < color.Size(); ++i) {
      if (color.GetEntries()[i].value >= kEmptyTint) AddSeparation(color.GetEntries()[i].name);
    }
    return;
  }
  const auto& shading = dynamic_cast<const MavPaint::ShadingPaint&>(paint);
  const bool functionShading = paint.GetType() == MavPaint::Paint::kAxial ||
                               paint.GetType() == MavPaint::Paint::kRadial;
  const auto function = functionShading ? shading.GetConvertedFunction(profile) : nullptr;
  const auto background = functionShading ? shading.GetConvertedBackground(profile) : std::nullopt;
  if (IsAll(shading.GetSeparationMapping())) {
    const auto& own = shading.GetSeparationMapping();
    if (own.Empty() || !own.GetEntries().front().IsMapped()) return;
    const auto channel = own.GetEntries().front().channel;
    if (!functionShading || ChannelInks(function.get(), background, channel)) AddOutputSeparations();
    return;
  }
  const auto converted = shading.GetConvertedSeparationMapping(profile);
  for (std::size_t i = converted.NamedBegin(); i < converted.Size(); ++i) {
    const auto& entry = converted.GetEntries()[i];
    if (!entry.IsMapped()) continue;
    if (!functionShading || ChannelInks(function.get(), background, entry.channel)) {
      AddSeparation(entry.name);
    }
  }
}

}  // namespace Corvel
