#include "tests/support/fakes/event_loop.h"

namespace velt::test {

EventLoop::EventLoop() : owner_(std::this_thread::get_id()) {}

bool EventLoop::IsWindowThread() const {
  return std::this_thread::get_id() == owner_;
}

void EventLoop::Post(Call call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  wake_.notify_all();
}

EventLoop::TimerId EventLoop::StartTimer(std::chrono::milliseconds interval, Call tick) {
  std::lock_guard<std::mutex> lock(mutex_);
  TimerId id = nextTimer_++;
  timers_[id] = Timer{interval, Clock::now() + interval, std::move(tick)};
  wake_.notify_all();
  return id;
}

void EventLoop::StopTimer(TimerId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(id);
}

bool EventLoop::RunOne(std::chrono::milliseconds wait) {
  Call call;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    auto deadline = Clock::now() + wait;
    for (;;) {
      if (!calls_.empty()) {
        call = std::move(calls_.front());
        calls_.pop_front();
        break;
      }
      auto now = Clock::now();
      auto due = deadline;
      for (auto& [id, t] : timers_) {
        if (t.next <= now) {
          t.next = now + t.interval;
          call = t.tick;
          break;
        }
        due = std::min(due, t.next);
      }
      if (call || now >= deadline || quit_) break;
      wake_.wait_until(lock, due);
    }
  }
  if (!call) return false;
  call();
  return true;
}

void EventLoop::ProcessPendingInput() {
  while (RunOne(std::chrono::milliseconds(0))) {
  }
}

void EventLoop::Run() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (quit_) {
        quit_ = false;
        return;
      }
    }
    RunOne(std::chrono::milliseconds(100));
  }
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto deadline = Clock::now() + limit;
  while (!done() && Clock::now() < deadline) RunOne(std::chrono::milliseconds(10));
  return done();
}

void EventLoop::Quit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

}  // namespace velt::test
