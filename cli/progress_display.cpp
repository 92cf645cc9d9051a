#include "cli/progress_display.h"

#include <cstdio>

#include "cli/terminal_text.h"

namespace velt::cli {

ProgressDisplay::ProgressDisplay(std::ostream& out, size_t files, uint64_t bytes, size_t slots,
                                 int stagesPerFile)
    : out_(out),
      files_(files),
      bytes_(bytes),
      slots_(slots),
      start_(std::chrono::steady_clock::now()) {
  for (Slot& s : slots_) s.stages = StageProgress(stagesPerFile);
  drawer_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      wake_.wait_for(lock, std::chrono::milliseconds(200));
      if (stopping_) break;
      lock.unlock();
      Draw();
      lock.lock();
    }
  });
}

ProgressDisplay::~ProgressDisplay() {
  Stop();
}

void ProgressDisplay::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  wake_.notify_all();
  if (drawer_.joinable()) drawer_.join();
  std::lock_guard<std::mutex> lock(outMutex_);
  out_ << "\r\033[K" << std::flush;
}

engine::ProgressSink& ProgressDisplay::Begin(size_t slot, const std::string& name, uint64_t size) {
  Slot& s = slots_[slot];
  s.stages.Start();
  s.permille = 0;
  std::lock_guard<std::mutex> lock(mutex_);
  s.name = TerminalText(name);
  s.size = size;
  s.busy = true;
  return s;
}

void ProgressDisplay::End(size_t slot) {
  // One step under the lock, so that no line counts the file twice or not at all.
  Slot& s = slots_[slot];
  std::lock_guard<std::mutex> lock(mutex_);
  s.busy = false;
  doneBytes_ += s.size;
  ++doneFiles_;
}

std::string ProgressDisplay::Line() {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  double done = 0;
  size_t doneFiles = 0;
  std::string current;
  int currentPercent = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done = double(doneBytes_);
    doneFiles = doneFiles_;
    for (auto& s : slots_) {
      if (!s.busy) continue;
      const int permille = s.permille;
      done += double(s.size) * permille / 1000.0;
      if (current.empty()) {
        current = s.name;
        currentPercent = permille / 10;
      }
    }
  }
  double total = bytes_ ? 100.0 * done / double(bytes_) : 0;
  double rate = seconds > 0 ? done / 1e6 / seconds : 0;
  char buf[160];
  std::snprintf(buf, sizeof buf, "[%zu/%zu] %3.0f%%  %.1f MB/s", doneFiles, files_, total, rate);
  std::string line = buf;
  if (rate > 0 && bytes_ > done) {
    long left = long((double(bytes_) - done) / 1e6 / rate + 0.5);
    std::snprintf(buf, sizeof buf, "  %ld:%02ld left", left / 60, left % 60);
    line += buf;
  }
  if (!current.empty()) {
    if (current.size() > 40) {
      // The last 37 bytes, from the start of a character.
      size_t from = current.size() - 37;
      while (from < current.size() && (uint8_t(current[from]) & 0xC0) == 0x80) ++from;
      current = "..." + current.substr(from);
    }
    std::snprintf(buf, sizeof buf, "  %s %d%%", current.c_str(), currentPercent);
    line += buf;
  }
  return line;
}

void ProgressDisplay::Draw() {
  std::string line = Line();
  std::lock_guard<std::mutex> lock(outMutex_);
  out_ << "\r\033[K" << line << std::flush;
}

void ProgressDisplay::Message(const std::string& text) {
  std::lock_guard<std::mutex> lock(outMutex_);
  out_ << "\r\033[K" << text << "\n" << std::flush;
}

}  // namespace velt::cli
