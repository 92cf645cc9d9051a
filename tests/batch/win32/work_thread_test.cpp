// The work runs at the Windows thread priority its TThreadPriority is named after.
#include "batch/work_thread.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/fakes/event_loop.h"

namespace velt::batch {
namespace {

TEST(WindowsWorkThread, PrioritiesAreTheSystemsLevels) {
  const std::vector<std::pair<TThreadPriority, int>> cases = {
      {tpIdle, THREAD_PRIORITY_IDLE},
      {tpLowest, THREAD_PRIORITY_LOWEST},
      {tpLower, THREAD_PRIORITY_BELOW_NORMAL},
      {tpNormal, THREAD_PRIORITY_NORMAL},
      {tpHigher, THREAD_PRIORITY_ABOVE_NORMAL},
      {tpHighest, THREAD_PRIORITY_HIGHEST},
      {tpTimeCritical, THREAD_PRIORITY_TIME_CRITICAL}};
  for (const auto& [priority, level] : cases) {
    test::EventLoop loop;
    TWorkThread w(loop);
    int seen = -99;
    w.SetPriority(priority);
    w.OnExecute = [&](TWorkThread&, TWorkExecuteThread&, void*&) {
      seen = GetThreadPriority(GetCurrentThread());
    };
    w.Start();
    ASSERT_TRUE(loop.RunUntil([&] { return !w.Running(); }));
    // Raising may be refused without the right to; lowering never is.
    if (level <= THREAD_PRIORITY_NORMAL) {
      EXPECT_EQ(seen, level) << priority;
    } else {
      EXPECT_TRUE(seen == level || seen == THREAD_PRIORITY_NORMAL)
          << priority << " ran at " << seen;
    }
  }
}

}  // namespace
}  // namespace velt::batch
