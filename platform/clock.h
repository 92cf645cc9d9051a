// Time as the engine needs it: a monotonic clock for durations, and the local time of day for
// naming temporary files.
#pragma once

#include <cstdint>

namespace velt::platform {

// Milliseconds since local midnight, 0 to 86399999.
int64_t LocalTimeOfDayMs();
// Milliseconds of a clock that never jumps (unaffected by midnight and clock changes).
int64_t MonotonicMs();

}  // namespace velt::platform
