#include <sampling/DocumentSamplePicker.h>

#include <stdexcept>

#include <sampling/FillProgram.h>

namespace DocumentSamplePicker {

namespace {

std::vector<float> SampleAt(const Sampling::FillProgram& program, Vexl::Point point) {
  std::vector<Composite::PointInput> inputs(program.GetSamplers().size());
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const auto& sampler = *program.GetSamplers()[i];
    inputs[i].tints.resize(sampler.Channels());
    std::vector<float*> planes(sampler.Channels());
    for (std::size_t c = 0; c < planes.size(); ++c) planes[c] = &inputs[i].tints[c];
    sampler.SampleRow(point, {0, 0}, 1, planes.data(), &inputs[i].shape);
  }
  return program.GetProgram().EvaluatePoint(inputs);
}

void Pick(const std::vector<Vexl::Point>& points, const Options& options, Resources& resources,
          const Tessel::TFill& fill, std::vector<std::vector<float>>& out) {
  const Sampling::FillProgram& program = resources.Compile(fill, options);
  for (const auto& point : points) out.push_back(SampleAt(program, point));
}

}  // namespace

Resources::Resources(std::uint64_t keptFills) : keptFills_(keptFills) {}
Resources::~Resources() = default;
Resources::Resources(Resources&&) noexcept = default;
Resources& Resources::operator=(Resources&&) noexcept = default;

const Sampling::FillProgram& Resources::Compile(const Tessel::TFill& fill, const Options& options) {
  if (keptFor_ != options.GetBlendingSeparations()) {
    kept_.clear();
    keptFor_ = options.GetBlendingSeparations();
  }
  for (const auto& [key, program] : kept_) {
    if (key == &fill) return *program;
  }
  auto program = std::make_unique<Sampling::FillProgram>(
      fill, Composite::SeparationSpace::FromNames(options.GetBlendingSeparations()));
  if (keptFills_ == 0) {
    kept_.clear();
  } else if (kept_.size() >= keptFills_) {
    kept_.erase(kept_.begin());
  }
  kept_.emplace_back(&fill, std::move(program));
  return *kept_.back().second;
}

std::vector<std::vector<float>> PickComponentsAtPoints(const std::vector<Vexl::Point>& points,
                                                       const std::vector<Vexl::Point>& secondPoints,
                                                       const Options& options,
                                                       Resources& resources,
                                                       const Tessel::TFill* fill,
                                                       const Tessel::TFill* secondFill) {
  if (!fill) throw std::invalid_argument("No fill to sample");
  std::vector<std::vector<float>> out;
  out.reserve(points.size() + (secondFill ? secondPoints.size() : 0));
  Pick(points, options, resources, *fill, out);
  if (secondFill) Pick(secondPoints, options, resources, *secondFill, out);
  return out;
}

}  // namespace DocumentSamplePicker
