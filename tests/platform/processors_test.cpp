#include "platform/processors.h"

#include <gtest/gtest.h>

#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

namespace velt::platform {
namespace {

TEST(UsableProcessors, AtLeastOneAndNoMoreThanTheMachineHas) {
  unsigned n = UsableProcessors();
  EXPECT_GE(n, 1u);
  if (std::thread::hardware_concurrency() != 0) {
    EXPECT_LE(n, std::thread::hardware_concurrency());
  }
}

#ifdef __linux__
// A process started under `taskset -c 0` (or confined by a cpuset) counts one processor, not
// the machine's.
TEST(UsableProcessors, FollowsTheAffinityMask) {
  cpu_set_t saved;
  ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
  int first = 0;
  while (!CPU_ISSET(first, &saved)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  unsigned confined = UsableProcessors();
  ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
  EXPECT_EQ(confined, 1u);
  EXPECT_EQ(UsableProcessors(), unsigned(CPU_COUNT(&saved)));
}
#endif

}  // namespace
}  // namespace velt::platform
