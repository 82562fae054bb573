#include "bench/ChildCpu.h"

// Windows keeps no account of the processor time of a process's children once they are gone.
double waitedChildrenCpuSeconds() {
    return -1;
}
