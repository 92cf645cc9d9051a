// The one-line progress report on a terminal: files done, the current file and its percentage,
// the total percentage, MB/s and the time left. Both percentages measure the whole job, all
// stages of each file, so they only grow. Redrawn a few times a second from a thread of
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

#include "cli/stage_progress.h"
#include "engine/progress.h"

namespace velt::cli {

class ProgressDisplay {
 public:
  // stagesPerFile: what EncryptionStages or DecryptionStages says for the run's settings.
  ProgressDisplay(std::ostream& out, size_t files, uint64_t bytes, size_t slots,
                  int stagesPerFile = 1);
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
    StageProgress stages;          // the worker's own
    std::atomic<int> permille{0};  // of the file's whole job
    uint64_t size = 0;             // these three under the display's mutex
    bool busy = false;
    std::string name;
    void ShowStatus(const std::string& text) override {
      stages.Status(text);
      permille = stages.Permille();
    }
    void ShowFileName(const std::string&) override {}
    void ShowPercent(int n) override {
      stages.Percent(n);
      permille = stages.Permille();
    }
    void ShowBar(int n) override {
      stages.Bar(n);
      permille = stages.Permille();
    }
  };
  void Draw();

  std::ostream& out_;
  const size_t files_;
  const uint64_t bytes_;
  std::vector<Slot> slots_;
  size_t doneFiles_ = 0;  // these two under mutex_
  uint64_t doneBytes_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::mutex outMutex_;  // the progress line and messages share the stream
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread drawer_;
};

}  // namespace velt::cli
