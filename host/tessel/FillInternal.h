#pragma once
// Construction of fills; used by the graph build only.

#include <cstdint>
#include <span>

#include <tessel/Fill.h>

namespace Tessel {

struct FillAccess {
  // The fill of the given covering elements (input node indices, ascending). Every element must
  // be present in the sense of the build: inside soft-mask artwork only when the mask's target
  // is present as well.
  static TFill Make(const Input& input, std::span<const std::uint32_t> elements);
  static void SetNumber(TFill& fill, int number) { fill.number_ = number; }
};

}  // namespace Tessel
