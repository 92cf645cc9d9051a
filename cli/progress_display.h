// The one-line progress report on a terminal: files done, the current file and its percentage,
// the total percentage, MB/s and the time left. Redrawn a few times a second from a thread of
// its own; the workers only store numbers.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "engine/progress.h"

namespace velt::cli {

class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, size_t files, uint64_t bytes, size_t slots);
  ~ProgressDisplay();  // stops and clears the line

  // A sink for worker slot `slot`, which is working on `name` of `size` bytes (shown escaped).
  engine::ProgressSink& Begin(size_t slot, const std::string& name, uint64_t size);
  void End(size_t slot);
  // Prints a line of its own above the progress line.
  void Message(const std::string& text);
  void Stop();

  // The line as it would be drawn now (for tests).
  std::string Line();

 private:
  struct Slot final : engine::ProgressSink {
    std::atomic<int> percent{0};
    std::atomic<uint64_t> size{0};
    std::atomic<bool> busy{false};
    std::string name;  // under the display's mutex
    void ShowStatus(const std::string&) override {}
    void ShowFileName(const std::string&) override {}
    void ShowPercent(int n) override { percent = n; }
    void ShowBar(int) override {}
  };
  void Draw();

  std::ostream& out_;
  const size_t files_;
  const uint64_t bytes_;
  std::vector<Slot> slots_;
  std::atomic<size_t> doneFiles_{0};
  std::atomic<uint64_t> doneBytes_{0};
  std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::mutex outMutex_;  // the progress line and messages share the stream
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread drawer_;
};

}  // namespace velt::cli
