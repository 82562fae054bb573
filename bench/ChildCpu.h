#pragma once

// Processor time, user and system, of the child processes waited for so far, in seconds; negative
// where the system does not tell it.
double waitedChildrenCpuSeconds();
