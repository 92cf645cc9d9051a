#include "platform/clock.h"

#include <time.h>

#include <chrono>

namespace velt::platform {

int64_t LocalTimeOfDayMs() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm local;
  localtime_r(&ts.tv_sec, &local);
  return (int64_t(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec) * 1000 +
         ts.tv_nsec / 1000000;
}

int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace velt::platform
