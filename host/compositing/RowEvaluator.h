#pragma once
// Row-by-row evaluation of a composite program over planar float inputs.

#include <compositing/Program.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Composite {

namespace Detail {
class RowPlan;
}

// The values of one varying element along one row: planar, one value per pixel.
struct InputRow {
  // One plane per separation of the element's space, each `width` tints. Values are clamped
  // to [0, 1] as they are read; NaN reads as 0.
  std::span<const float* const> tints;
  // The element's shape per pixel (0 where a shading leaves the pixel unpainted), clamped
  // like the tints; null means 1 everywhere.
  const float* shape = nullptr;
};

// Evaluates a Program for rows of pixels. Holds the scratch planes of the program's pixel
// kernels, chosen once per node when it is built, so a row costs no allocation, no virtual
// call and no lock. One evaluator per thread; the Program itself may be shared.
class RowEvaluator {
 public:
  explicit RowEvaluator(Program program);
  ~RowEvaluator();
  RowEvaluator(RowEvaluator&&) noexcept;
  RowEvaluator& operator=(RowEvaluator&&) noexcept;

  const Program& GetProgram() const { return program_; }

  // Composites `width` pixels. `inputs[i]` holds this row's planes of input i (entries for
  // inputs the program does not use are ignored). `planes` receives one 8-bit plane of
  // `width` bytes per separation, plane c at offset c·width: 255 = full ink, rounded to
  // nearest. Throws std::invalid_argument when an input is missing or has the wrong number of
  // planes, or when `planes` is too small.
  void EvaluateRow(std::span<const InputRow> inputs, std::size_t width,
                   std::span<std::uint8_t> planes);

 private:
  Program program_;
  std::unique_ptr<Detail::RowPlan> plan_;
  std::vector<std::uint8_t> flatBytes_;  // the page's bytes when the program is flat
};

}  // namespace Composite
