// The pixel kernels compiled for the Avx2 instruction set (see CMakeLists.txt).
#define CORVEL_KERNEL_ISA Avx2
#include <compositing/KernelBodiesInternal.h>
