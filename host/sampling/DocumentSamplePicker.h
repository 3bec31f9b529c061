#pragma once
// The colour of a fill at points: its component tree composited in the document's separations.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <mavdoc/Content.h>
#include <tessel/Fill.h>
#include <vexl/Geometry.h>

namespace Sampling {
class FillProgram;
}

namespace DocumentSamplePicker {

// What to composite in: the blending separations (ink names, in print order) and the content
// whose document names the inks. The content must outlive the options.
class Options {
 public:
  Options(std::vector<std::string> blendingSeparations, const MavDoc::Content& content)
      : blending_(std::move(blendingSeparations)), content_(content) {}
  const std::vector<std::string>& GetBlendingSeparations() const { return blending_; }
  const MavDoc::Content& GetContent() const { return content_; }

 private:
  std::vector<std::string> blending_;
  const MavDoc::Content& content_;
};

// Mutable state of one run: compiled fills kept for reuse. The value given is how many compiled
// fills are kept (the most recent ones); 0 keeps none.
class Resources {
 public:
  explicit Resources(std::uint64_t keptFills);
  ~Resources();
  Resources(Resources&&) noexcept;
  Resources& operator=(Resources&&) noexcept;

  // The compiled form of `fill` in the options' separations.
  const Sampling::FillProgram& Compile(const Tessel::TFill& fill, const Options& options);

 private:
  std::uint64_t keptFills_;
  std::vector<std::pair<const Tessel::TFill*, std::unique_ptr<Sampling::FillProgram>>> kept_;
  std::vector<std::string> keptFor_;
};

// One inner vector per point, one value per blending separation in their order (0 no ink, 1
// full ink): the composite of `fill` at `points` (page millipoints), followed, when
// `secondFill` is given, by the composite of `secondFill` at `secondPoints`.
std::vector<std::vector<float>> PickComponentsAtPoints(const std::vector<Vexl::Point>& points,
                                                       const std::vector<Vexl::Point>& secondPoints,
                                                       const Options& options,
                                                       Resources& resources,
                                                       const Tessel::TFill* fill,
                                                       const Tessel::TFill* secondFill);

}  // namespace DocumentSamplePicker
