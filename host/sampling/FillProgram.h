#pragma once
// A fill of the planar map compiled for compositing: its component tree as a composite
// program in a given separation space, with a sampler for every varying element.

#include <memory>
#include <vector>

#include <compositing/Program.h>
#include <sampling/PaintSampler.h>
#include <tessel/Fill.h>

namespace Sampling {

class ElementCoverage;

// Translates the fill's tree: elements (flat colours converted to the space, or varying
// elements as inputs), transparency groups, and soft masks (in their own colour spaces: gray,
// RGB or CMYK). Groups blend in the composite's separations whatever their own colour space.
// Throws std::invalid_argument for paints that cannot be rendered yet.
//
// With `coverage`, every element becomes an input whose shape is its coverage of each pixel
// (its colour is constant for flat paints): the fill's elements need not cover the whole area
// rendered, as when a cluster of objects is composited without a planar map. The coverage must
// outlive the program's samplers.
class FillProgram {
 public:
  FillProgram(const Tessel::TFill& fill, const Composite::SeparationSpace& space,
              const ElementCoverage* coverage = nullptr);

  const Composite::Program& GetProgram() const { return *program_; }
  // One sampler per program input, by input index.
  const std::vector<std::unique_ptr<PaintSampler>>& GetSamplers() const { return samplers_; }

 private:
  Composite::Node Translate(const Tessel::TFill::TComponent& component,
                            const Composite::SeparationSpace& space);
  std::vector<Composite::Node> TranslateMembers(Tessel::TFill::TGraphicsComponentIterator members,
                                                const Composite::SeparationSpace& space);
  std::shared_ptr<const Composite::SoftMask> TranslateMask(const Tessel::TFill::TSoftMask* mask);

  std::vector<std::unique_ptr<PaintSampler>> samplers_;
  std::unique_ptr<Composite::Program> program_;
  const ElementCoverage* coverage_ = nullptr;
};

Composite::BlendMode ToComposite(MavBlend::BlendMode mode);

}  // namespace Sampling
