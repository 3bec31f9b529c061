// The pixel kernels compiled for the Generic instruction set (see CMakeLists.txt).
#define CORVEL_KERNEL_ISA Generic
#include <compositing/KernelBodiesInternal.h>
