// TWorkThread with a window thread of its own (EventLoop on the test's thread).
#include "batch/work_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "tests/support/fakes/event_loop.h"

namespace velt::batch {
namespace {

using namespace std::chrono_literals;

TEST(WorkThread, RunsWorkBetweenStartAndEndNotifications) {
  test::EventLoop loop;
  TWorkThread w(loop);
  std::vector<std::string> order;
  std::atomic<bool> executing{false};
  std::thread::id workerId;
  int payload = 42;
  w.OnStart = [&](TWorkThread& sender, TWorkExecuteThread&, void*& data) {
    EXPECT_TRUE(loop.IsWindowThread());
    EXPECT_TRUE(sender.Running());
    EXPECT_EQ(data, &payload);
    order.push_back("start");
  };
  w.OnExecute = [&](TWorkThread&, TWorkExecuteThread&, void*& data) {
    EXPECT_FALSE(loop.IsWindowThread());
    workerId = std::this_thread::get_id();
    *static_cast<int*>(data) += 1;
    executing = true;
  };
  w.OnTerminate = [&](TWorkThread& sender, TWorkExecuteThread&, void*&) {
    EXPECT_TRUE(loop.IsWindowThread());
    EXPECT_FALSE(sender.Running());
    order.push_back("terminate");
  };
  w.Start(&payload);
  EXPECT_TRUE(w.Running());
  w.Start(&payload);  // ignored while running: no second OnStart, no second thread
  EXPECT_TRUE(loop.RunUntil([&] { return !w.Running(); }));
  EXPECT_EQ(order, (std::vector<std::string>{"start", "terminate"}));
  EXPECT_EQ(payload, 43);
  EXPECT_NE(workerId, std::this_thread::get_id());

  // It can run again, also started from within OnTerminate.
  std::atomic<int> runs{0};
  w.OnStart = nullptr;
  w.OnExecute = [&](TWorkThread&, TWorkExecuteThread&, void*&) { ++runs; };
  w.OnTerminate = [&](TWorkThread& sender, TWorkExecuteThread&, void*&) {
    if (runs < 3) sender.Start();
  };
  w.Start();
  EXPECT_TRUE(loop.RunUntil([&] { return runs == 3 && !w.Running(); }));
}

TEST(WorkThread, AnErrorInTheWorkStillEndsTheRunQuietly) {
  test::EventLoop loop;
  TWorkThread w(loop);
  bool terminated = false;
  w.OnExecute = [](TWorkThread&, TWorkExecuteThread&, void*&) {
    throw std::runtime_error("work failed");
  };
  w.OnTerminate = [&](TWorkThread&, TWorkExecuteThread& t, void*&) {
    terminated = true;
    EXPECT_TRUE(t.Error() != nullptr);
  };
  w.Start();
  EXPECT_TRUE(loop.RunUntil([&] { return terminated; }));
}

TEST(WorkThread, StopAndUpdates) {
  test::EventLoop loop;
  TWorkThread w(loop);
  w.SetRefreshInterval(5ms);
  w.SetUpdateEnabled(true);
  std::vector<int> seen;
  w.OnUpdate = [&](TWorkThread&, TWorkExecuteThread&, void*&, int32_t percent) {
    seen.push_back(percent);
  };
  w.OnExecute = [](TWorkThread&, TWorkExecuteThread& t, void*&) {
    for (int i = 0; !t.Terminated(); ++i) {
      t.Percent = i % 100;
      std::this_thread::sleep_for(1ms);
    }
  };
  w.Start();
  EXPECT_TRUE(loop.RunUntil([&] { return seen.size() >= 3; }));
  w.Stop();
  EXPECT_TRUE(loop.RunUntil([&] { return !w.Running(); }));
  EXPECT_TRUE(w.LastRunTerminated());
  size_t after = seen.size();
  loop.RunUntil([] { return false; }, 30ms);
  EXPECT_EQ(seen.size(), after) << "no updates without a run";
}

TEST(WorkThread, DestructionWaitsForTheWorkAndRaisesNoTerminate) {
  test::EventLoop loop;
  std::atomic<bool> returned{false};
  bool terminated = false;
  {
    TWorkThread w(loop);
    w.OnExecute = [&](TWorkThread&, TWorkExecuteThread& t, void*&) {
      while (!t.Terminated()) std::this_thread::sleep_for(1ms);
      std::this_thread::sleep_for(20ms);
      returned = true;
    };
    w.OnTerminate = [&](TWorkThread&, TWorkExecuteThread&, void*&) { terminated = true; };
    w.Start();
  }
  EXPECT_TRUE(returned);
  loop.ProcessPendingInput();
  EXPECT_FALSE(terminated);
}

TEST(WorkThread, SuspendHoldsTheWorkAtItsCheckpoints) {
  test::EventLoop loop;
  TWorkThread w(loop);
  std::atomic<int> steps{0};
  w.OnExecute = [&](TWorkThread&, TWorkExecuteThread& t, void*&) {
    while (!t.Terminated()) {
      t.Checkpoint();
      ++steps;
      std::this_thread::sleep_for(1ms);
    }
  };
  w.Start();
  loop.RunUntil([&] { return steps > 5; });
  w.Suspend();
  std::this_thread::sleep_for(20ms);
  int held = steps;
  std::this_thread::sleep_for(30ms);
  EXPECT_LE(steps - held, 1);
  w.Resume();
  loop.RunUntil([&] { return steps > held + 5; });
  EXPECT_GT(steps, held + 5);
  w.Stop();
  EXPECT_TRUE(loop.RunUntil([&] { return !w.Running(); }));
}

}  // namespace
}  // namespace velt::batch
