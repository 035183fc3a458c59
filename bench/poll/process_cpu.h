// CPU time that the whole process has used, for a per-poll cost.
#pragma once

// Microseconds of CPU used by all threads of this process so far.
double ProcessCpuMicroseconds();
