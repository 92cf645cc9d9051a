// How many processors this process may run on.
#pragma once

namespace velt::platform {

// The processors the scheduler lets this process use (its affinity: taskset, cpusets,
// Windows process affinity), at least 1. Thread pools size themselves by it, so that a process
// confined to one processor does not split its work between threads that take turns.
unsigned UsableProcessors();

}  // namespace velt::platform
