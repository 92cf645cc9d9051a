#include "platform/clock.h"

#include <windows.h>

namespace velt::platform {

int64_t LocalTimeOfDayMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return (int64_t(t.wHour) * 3600 + t.wMinute * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

int64_t MonotonicMs() {
  return int64_t(GetTickCount64());
}

}  // namespace velt::platform
