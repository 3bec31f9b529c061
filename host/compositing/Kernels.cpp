#include <compositing/KernelsInternal.h>

#include <cstdlib>
#include <cstring>

namespace Composite::Detail {

// CORVEL_COMPOSITE_KERNELS=generic or avx2 forces a lesser copy, so that every copy can be
// tested on one machine.
const KernelSet& ChooseKernels() {
  const char* forced = std::getenv("CORVEL_COMPOSITE_KERNELS");
  if (forced && std::strcmp(forced, "generic") == 0) return Generic::Kernels();
#if defined(CORVEL_KERNELS_X86)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  if (forced && std::strcmp(forced, "avx2") == 0 && avx2) return Avx2::Kernels();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq")) {
    return Avx512::Kernels();
  }
  if (avx2) return Avx2::Kernels();
#endif
  return Generic::Kernels();
}

ChannelKernel SelectChannelKernel(ChannelOp op, BlendMode mode, SourceForm form, Step step) {
  const int slot = op == ChannelOp::KeepBackdrop ? kKeepBackdropSlot
                   : op == ChannelOp::SelfBlend  ? kSelfBlendSlot + static_cast<int>(mode)
                                                 : static_cast<int>(mode);
  return ActiveKernels().channel[slot][static_cast<int>(form)][static_cast<int>(step)];
}

TripleKernel SelectTripleKernel(BlendMode mode, SourceForm form, Step step) {
  const int slot = static_cast<int>(mode) - static_cast<int>(BlendMode::Hue);
  return ActiveKernels().triple[slot][static_cast<int>(form)][static_cast<int>(step)];
}

void Copy(float* plane, const float* from, int n) {
  if (plane != from) std::memcpy(plane, from, static_cast<std::size_t>(n) * sizeof(float));
}

}  // namespace Composite::Detail
