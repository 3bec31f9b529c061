// The pixel kernels compiled for the Avx512 instruction set (see CMakeLists.txt).
#define CORVEL_KERNEL_ISA Avx512
#include <compositing/KernelBodiesInternal.h>
