#include <sampling/ScanConverter.h>

#include <cmath>
#include <span>
#include <stdexcept>

#include <compositing/RowEvaluator.h>
#include <sampling/FillProgram.h>

namespace MavSc {

Environment::Environment(const Vexl::Rectangle& world, std::int64_t columns, std::int64_t rows)
    : world_(world), columns_(columns), rows_(rows) {
  if (columns < 0 || rows < 0) throw std::invalid_argument("A pixel grid cannot be negative");
  if ((columns > 0 || rows > 0) && !(world.width > 0 && world.height > 0)) {
    throw std::invalid_argument("A pixel grid needs a world rectangle with area");
  }
}

MavMath::Rectangle<long long> Environment::WorldToTarget(const Vexl::Rectangle& r) const {
  if (r.IsNull() || columns_ == 0 || rows_ == 0) return {};
  const double sx = double(columns_) / world_.width, sy = double(rows_) / world_.height;
  auto clampX = [&](double v) { return static_cast<long long>(std::clamp(v, 0.0, double(columns_))); };
  auto clampY = [&](double v) { return static_cast<long long>(std::clamp(v, 0.0, double(rows_))); };
  MavMath::Rectangle<long long> pixels{
      clampX(std::floor((r.Left() - world_.Left()) * sx)),
      clampY(std::floor((world_.Top() - r.Top()) * sy)),
      clampX(std::ceil((r.Right() - world_.Left()) * sx)),
      clampY(std::ceil((world_.Top() - r.Bottom()) * sy))};
  return pixels.IsEmpty() ? MavMath::Rectangle<long long>{} : pixels;
}

Vexl::Rectangle Environment::TargetToWorld(const MavMath::Rectangle<long long>& p) const {
  const double w = world_.width / double(columns_), h = world_.height / double(rows_);
  return {world_.Left() + double(p.left) * w, world_.Top() - double(p.bottom) * h,
          double(p.Width()) * w, double(p.Height()) * h, false};
}

Vexl::Point Environment::PixelCentre(double column, double row) const {
  return {world_.Left() + (column + 0.5) * world_.width / double(columns_),
          world_.Top() - (row + 0.5) * world_.height / double(rows_)};
}

ObjectCollection::ObjectCollection(std::unique_ptr<Sampling::FillProgram> program,
                                   Environment environment, MavMath::Rectangle<long long> pixels,
                                   const Vexl::Transformation& rasterToPage)
    : program_(std::move(program)),
      environment_(std::move(environment)),
      pixels_(pixels),
      rasterToPage_(rasterToPage) {}
ObjectCollection::ObjectCollection(ObjectCollection&&) noexcept = default;
ObjectCollection& ObjectCollection::operator=(ObjectCollection&&) noexcept = default;
ObjectCollection::~ObjectCollection() = default;

ObjectCollection CollectTesselFillComponents(const Environment& environment,
                                             const Options& options, const MavDoc::Content&,
                                             const MavMath::Rectangle<long long>& pixels,
                                             const Tessel::TFill* fill,
                                             const Vexl::Transformation& pageToRaster,
                                             const Sampling::ElementCoverage* coverage) {
  if (!fill) throw std::invalid_argument("No fill to scan convert");
  auto program = std::make_unique<Sampling::FillProgram>(
      *fill, Composite::SeparationSpace::FromNames(options.GetBlendingSeparations()), coverage);
  return ObjectCollection(std::move(program), environment, pixels, pageToRaster.Inverse());
}

ScanConverter::ScanConverter(ObjectCollection collection)
    : collection_(std::move(collection)),
      evaluator_(std::make_unique<Composite::RowEvaluator>(collection_.program_->GetProgram())),
      nextRow_(collection_.pixels_.top) {
  const std::size_t width = static_cast<std::size_t>(std::max(0LL, collection_.pixels_.Width()));
  for (const auto& sampler : collection_.program_->GetSamplers()) {
    planes_.emplace_back((sampler->Channels() + 1) * width);
  }
}

ScanConverter::~ScanConverter() = default;

bool ScanConverter::GetLine255PlaneInterleaved(std::uint8_t* line, std::size_t width) {
  const auto& pixels = collection_.pixels_;
  if (nextRow_ >= pixels.bottom) return false;
  if (width > static_cast<std::size_t>(pixels.Width())) {
    throw std::invalid_argument("Scan line wider than the pixel rectangle");
  }
  const auto& env = collection_.environment_;
  const auto& t = collection_.rasterToPage_;
  const Vexl::Point start = t.Apply(env.PixelCentre(double(pixels.left), double(nextRow_)));
  const Vexl::Point next = t.Apply(env.PixelCentre(double(pixels.left) + 1, double(nextRow_)));
  const Vexl::Point step{next.x - start.x, next.y - start.y};
  const auto& samplers = collection_.program_->GetSamplers();
  std::vector<std::vector<const float*>> tintPointers(samplers.size());
  std::vector<Composite::InputRow> inputs(samplers.size());
  for (std::size_t i = 0; i < samplers.size(); ++i) {
    const std::size_t channels = samplers[i]->Channels();
    std::vector<float*> writable(channels);
    for (std::size_t c = 0; c < channels; ++c) writable[c] = planes_[i].data() + c * width;
    float* shape = planes_[i].data() + channels * width;
    samplers[i]->SampleRow(start, step, width, writable.data(), shape);
    tintPointers[i].assign(writable.begin(), writable.end());
    inputs[i].tints = tintPointers[i];
    inputs[i].shape = shape;
  }
  const std::size_t planeBytes = width * collection_.program_->GetProgram().GetSpace().Size();
  evaluator_->EvaluateRow(inputs, width, std::span<std::uint8_t>(line, planeBytes));
  ++nextRow_;
  return true;
}

}  // namespace MavSc
