#pragma once
// A component tree compiled for fast repeated compositing.

#include <compositing/Node.h>
#include <compositing/SeparationSpace.h>

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace Composite {

namespace Detail {
struct ProgramData;
}

// The values of one varying element at one point.
struct PointInput {
  std::vector<float> tints;  // one per separation of the element's space
  float shape = 1;
};

// The compiled, validated form of one component tree, painted as the only object of a page
// (an isolated group over white paper, ISO 32000-1 §11.4.7). Built once per fill, then
// evaluated at points (EvaluatePoint) or, through a RowEvaluator, for rows of pixels.
// Immutable and cheap to copy (the compiled data is shared); safe to use from many threads.
//
// Construction throws std::invalid_argument naming the problem when a value is outside
// [0, 1] or not a number, a colour has the wrong number of tints, a luminosity mask's space
// holds spots, an input index is reused with different channel counts, or groups and masks
// nest deeper than kMaxNesting.
class Program {
 public:
  static constexpr int kMaxNesting = 64;

  Program(SeparationSpace space, const Node& root);

  const SeparationSpace& GetSpace() const;
  // Number of per-pixel inputs: one past the largest `Element::input` in the tree.
  std::size_t GetInputCount() const;
  // Tints per point that input `index` carries (the size of its element's space); 0 for an
  // index no element uses.
  std::size_t GetInputChannelCount(std::size_t index) const;
  // True when no element varies, so every point has the same result.
  bool IsFlat() const { return GetInputCount() == 0; }

  // The composite at one point: one tint per separation, in [0, 1]. `inputs[i]` gives the
  // values of input i (required for every input the tree uses). Computed in double precision
  // directly from the ISO 32000-1 §11.4.8 formulas; it is the reference for row evaluation.
  // Throws std::invalid_argument when an input is missing or malformed, and when a transfer
  // function returns something that is not a number.
  std::vector<float> EvaluatePoint(std::span<const PointInput> inputs = {}) const;

  const Detail::ProgramData& GetData() const { return *data_; }

 private:
  std::shared_ptr<const Detail::ProgramData> data_;
};

}  // namespace Composite
