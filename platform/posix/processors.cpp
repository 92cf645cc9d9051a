#include "platform/processors.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace velt::platform {

unsigned UsableProcessors() {
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return unsigned(n);
  }
#endif
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace velt::platform
