#pragma once
// Per-pixel colour and shape of the varying elements of a fill (shadings and pictures), as
// tints of a composite's separations.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <compositing/SeparationSpace.h>
#include <docgraph/Attributes.h>
#include <values/Paint.h>

namespace Sampling {

// Maps named separation tints (a converted colour) onto the separations of a composite space.
// Process-only device spaces (as soft-mask groups use) are filled by conversion from CMYK.
class Projector {
 public:
  explicit Projector(const Composite::SeparationSpace& space);
  // `names` / `values`: a converted colour's entries. An all-separations colour is given as
  // the single name "" and inks every separation.
  void Project(const MavColor::Color& converted, float* tints) const;
  // A gray or RGB colour (`values` in `space`) put straight into a gray or RGB space, as a
  // luminosity mask group of that space sees it: a trip through CMYK would move its luminosity.
  // False, with nothing written, for any other colour or space (project the converted colour).
  bool ProjectDirect(const MavColor::ColorSpace& space, std::span<const float> values,
                     float* tints) const;
  // A flat colour: straight where ProjectDirect can, else converted with `intent`.
  void ProjectFlat(const MavPaint::FlatPaint& flat, std::optional<MavColor::RenderingIntent> intent,
                   float* tints) const;
  std::size_t Size() const { return names_.size(); }
  const std::vector<std::string>& Names() const { return names_; }

  enum class Kind { Separations, Gray, RGB };
  Kind GetKind() const { return kind_; }

 private:
  std::vector<std::string> names_;
  Kind kind_;
};

// Fills rows of one varying element: one tint plane per separation and a shape plane.
class PaintSampler {
 public:
  virtual ~PaintSampler() = default;
  // Pixel i of the row lies at page point start + i · step.
  virtual void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width,
                         float* const* tints, float* shape) const = 0;
  std::size_t Channels() const { return channels_; }

 protected:
  explicit PaintSampler(std::size_t channels) : channels_(channels) {}

 private:
  std::size_t channels_;
};

// The same tints at every pixel, full shape: a flat colour as an input.
std::unique_ptr<PaintSampler> MakeConstantSampler(std::vector<float> tints);

// The sampler of a shading or picture element in a composite space; throws
// std::invalid_argument naming the paint for shadings that cannot be rendered yet.
std::unique_ptr<PaintSampler> MakePaintSampler(const DocumentGraph::ElementAttribute& element,
                                               const Composite::SeparationSpace& space);

}  // namespace Sampling
