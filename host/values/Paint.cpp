#include <values/Paint.h>

#include <values/ColorManagement.h>

#include <stdexcept>

#include <values/Conversion.h>

namespace MavPaint {

namespace {

// Channels of a shading's converted layout: process inks first (when the mapping has process
// components), then its spots.
struct ConvertedLayout {
  MavColor::ColorSpace space;
  std::vector<std::uint64_t> processChannels;  // source channel of each process component
  std::vector<std::uint64_t> spotChannels;     // source channel of each spot, in order
  std::vector<std::string> spotNames;
  std::optional<MavColor::RenderingIntent> intent;  // of the painted object, if it sets one

  ConvertedLayout(const SeparationMapping& mapping, std::optional<MavColor::RenderingIntent> objectIntent)
      : space(mapping.GetColorSpace()), intent(objectIntent) {
    const std::size_t process = mapping.ProcessCount();
    const auto& entries = mapping.GetEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      (i < process ? processChannels : spotChannels).push_back(entries[i].channel);
      if (i >= process) spotNames.push_back(entries[i].name);
    }
  }
  std::size_t ProcessOut() const { return processChannels.empty() ? 0 : 4; }

  // Source channel values (one per source channel) to converted values.
  std::vector<float> Convert(const std::vector<float>& source) const {
    auto at = [&](std::uint64_t c) { return c < source.size() ? source[c] : 0.0f; };
    std::vector<float> out(ProcessOut() + spotChannels.size(), 0.0f);
    if (!processChannels.empty()) {
      std::vector<float> process;
      for (auto c : processChannels) process.push_back(at(c));
      const auto cmyk = MavColor::ProcessToCMYK(space, process.data(), intent);
      std::copy(cmyk.begin(), cmyk.end(), out.begin());
    }
    for (std::size_t j = 0; j < spotChannels.size(); ++j) out[ProcessOut() + j] = at(spotChannels[j]);
    return out;
  }
};

// A shading function whose outputs are the converted layout's channels.
class ConvertedFunction final : public Function {
 public:
  ConvertedFunction(std::shared_ptr<const Function> source, ConvertedLayout layout)
      : source_(std::move(source)), layout_(std::move(layout)) {}
  std::vector<float> Evaluate(const std::vector<double>& inputs) const override {
    return layout_.Convert(source_->Evaluate(inputs));
  }
  int OutputCount() const override {
    return static_cast<int>(layout_.ProcessOut() + layout_.spotChannels.size());
  }
  bool IsZeroOnDomain(std::size_t channel) const override {
    const std::size_t process = layout_.ProcessOut();
    if (channel >= process) {
      const std::size_t spot = channel - process;
      return spot >= layout_.spotChannels.size() || layout_.spotChannels[spot] == MavColor::kUnmapped ||
             source_->IsZeroOnDomain(layout_.spotChannels[spot]);
    }
    // Only CMYK passes process values through unchanged (when no profile converts it); other
    // spaces may ink where the source is zero (gray 0 is full black).
    return std::holds_alternative<MavColor::FourComponent>(layout_.space) &&
           !MavColor::IsManaged(layout_.space) &&
           source_->IsZeroOnDomain(layout_.processChannels[channel]);
  }
  bool Equals(const Function& other) const override {
    const auto* o = dynamic_cast<const ConvertedFunction*>(&other);
    return o && FunctionsEqual(source_, o->source_) && layout_.intent == o->layout_.intent;
  }

 private:
  std::shared_ptr<const Function> source_;
  ConvertedLayout layout_;
};

}  // namespace

MavColor::Color FlatPaint::GetConvertedColor(const std::shared_ptr<const MavColor::ICCProfile>&,
                                             std::optional<MavColor::RenderingIntent> objectIntent) const {
  return MavColor::ToSeparations(color_, objectIntent);
}

SeparationMapping ShadingPaint::GetConvertedSeparationMapping(
    const std::shared_ptr<const MavColor::ICCProfile>&) const {
  if (std::holds_alternative<MavColor::AllSeparations>(common_.mapping.GetColorSpace())) {
    return common_.mapping;
  }
  const ConvertedLayout layout(common_.mapping, std::nullopt);
  SeparationMapping converted;
  std::uint64_t channel = 0;
  if (layout.ProcessOut()) {
    for (const auto& name : MavColor::ProcessInkNames()) converted.Append({name, channel++});
  }
  for (std::size_t j = 0; j < layout.spotNames.size(); ++j, ++channel) {
    converted.Append({layout.spotNames[j],
                      layout.spotChannels[j] == MavColor::kUnmapped ? MavColor::kUnmapped : channel});
  }
  return converted;
}

std::shared_ptr<const Function> ShadingPaint::GetConvertedFunction(
    const std::shared_ptr<const MavColor::ICCProfile>&, std::optional<MavColor::RenderingIntent> objectIntent) const {
  if (!common_.function ||
      std::holds_alternative<MavColor::AllSeparations>(common_.mapping.GetColorSpace())) {
    return common_.function;
  }
  return std::make_shared<const ConvertedFunction>(common_.function,
                                                   ConvertedLayout(common_.mapping, objectIntent));
}

std::optional<std::vector<float>> ShadingPaint::GetConvertedBackground(
    const std::shared_ptr<const MavColor::ICCProfile>&, std::optional<MavColor::RenderingIntent> objectIntent) const {
  if (!common_.background ||
      std::holds_alternative<MavColor::AllSeparations>(common_.mapping.GetColorSpace())) {
    return common_.background;
  }
  return ConvertedLayout(common_.mapping, objectIntent).Convert(*common_.background);
}

std::vector<float> ShadingPaint::GetConvertedValues(
    const std::vector<float>& channelValues, const std::shared_ptr<const MavColor::ICCProfile>&,
    std::optional<MavColor::RenderingIntent> objectIntent) const {
  if (std::holds_alternative<MavColor::AllSeparations>(common_.mapping.GetColorSpace())) {
    return channelValues;
  }
  return ConvertedLayout(common_.mapping, objectIntent).Convert(channelValues);
}

bool PaintsEqual(const std::shared_ptr<const Paint>& a, const std::shared_ptr<const Paint>& b) {
  if (a == b) return true;
  return a && b && *a == *b;
}

bool FlatPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const FlatPaint*>(&other);
  return o && color_ == o->color_ && MavColor::operator==(profile_, o->profile_);
}

FlatPaint::Factory::Factory(MavColor::Color color, const MavDoc::Document* /*document*/,
                            const std::shared_ptr<const MavColor::ICCProfile>& profile)
    : paint_(std::make_shared<const FlatPaint>(std::move(color), profile)) {}

bool ShadingCommon::operator==(const ShadingCommon& other) const {
  return FunctionsEqual(function, other.function) && mapping == other.mapping &&
         background == other.background && transformation == other.transformation && box == other.box;
}

AxialShadingPaint::AxialShadingPaint(ShadingCommon common, Vexl::Point start, Vexl::Point end,
                                     std::array<double, 2> domain, std::array<bool, 2> extend)
    : ShadingPaint(std::move(common)), start_(start), end_(end), domain_(domain), extend_(extend) {
  if (!common_.function) throw std::invalid_argument("Axial shading without a function");
}

bool AxialShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const AxialShadingPaint*>(&other);
  return o && common_ == o->common_ && start_ == o->start_ && end_ == o->end_ &&
         domain_ == o->domain_ && extend_ == o->extend_;
}

std::shared_ptr<const ShadingPaint> AxialShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<AxialShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

RadialShadingPaint::RadialShadingPaint(ShadingCommon common, Vexl::Point centre0, double radius0,
                                       Vexl::Point centre1, double radius1,
                                       std::array<double, 2> domain, std::array<bool, 2> extend)
    : ShadingPaint(std::move(common)),
      centre0_(centre0),
      radius0_(radius0),
      centre1_(centre1),
      radius1_(radius1),
      domain_(domain),
      extend_(extend) {
  if (!common_.function) throw std::invalid_argument("Radial shading without a function");
  if (radius0 < 0 || radius1 < 0) throw std::invalid_argument("Radial shading: negative radius");
}

bool RadialShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const RadialShadingPaint*>(&other);
  return o && common_ == o->common_ && centre0_ == o->centre0_ && radius0_ == o->radius0_ &&
         centre1_ == o->centre1_ && radius1_ == o->radius1_ && domain_ == o->domain_ &&
         extend_ == o->extend_;
}

std::shared_ptr<const ShadingPaint> RadialShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<RadialShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

MeshShadingPaint::MeshShadingPaint(int type, ShadingCommon common, std::array<double, 4> domain,
                                   std::vector<Triangle> triangles, std::vector<Patch> patches)
    : ShadingPaint(std::move(common)),
      type_(type),
      domain_(domain),
      triangles_(std::move(triangles)),
      patches_(std::move(patches)) {
  if (type < kFunctionBased || type > kTensor) {
    throw std::invalid_argument("Mesh shading: type must be 4 to 8");
  }
  if (type == kFunctionBased && !common_.function) {
    throw std::invalid_argument("Function-based shading without a function");
  }
  const std::size_t points = type == kCoons ? 12 : 16;
  for (const auto& patch : patches_) {
    if (patch.controlPoints.size() != points) {
      throw std::invalid_argument("Patch mesh: wrong number of control points");
    }
  }
}

bool MeshShadingPaint::Equals(const Paint& other) const {
  const auto* o = dynamic_cast<const MeshShadingPaint*>(&other);
  return o && type_ == o->type_ && common_ == o->common_ && domain_ == o->domain_ &&
         triangles_ == o->triangles_ && patches_ == o->patches_;
}

std::shared_ptr<const ShadingPaint> MeshShadingPaint::Transformed(
    const Vexl::Transformation& t) const {
  auto copy = std::make_shared<MeshShadingPaint>(*this);
  copy->common_.transformation *= t;
  return copy;
}

std::shared_ptr<const Paint> Transform(const std::shared_ptr<const Paint>& paint,
                                       const Vexl::Transformation& t) {
  if (const auto* shading = dynamic_cast<const ShadingPaint*>(paint.get())) {
    return shading->Transformed(t);
  }
  return paint;
}

}  // namespace MavPaint
