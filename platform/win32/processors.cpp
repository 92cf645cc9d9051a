#include "platform/processors.h"

#include <windows.h>

#include <algorithm>
#include <bit>
#include <thread>

namespace velt::platform {

unsigned UsableProcessors() {
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0)
    return unsigned(std::popcount(static_cast<unsigned long long>(process)));
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace velt::platform
