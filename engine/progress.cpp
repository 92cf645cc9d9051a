#include "engine/progress.h"

#include <cmath>

namespace velt::engine {

int PercentOf(uint64_t done, uint64_t total) {
  if (total == 0) return 0;
  // The default rounding mode rounds halves to even.
  return int(std::nearbyint(100.0 / double(total) * double(done)));
}

}  // namespace velt::engine
