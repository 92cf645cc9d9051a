#include "cli/job_runner.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "cli/progress_display.h"
#include "platform/file_system.h"

namespace velt::cli {

std::vector<FileResult> RunAll(
    const std::vector<std::string>& files, unsigned jobs, const FileTask& task,
    ProgressDisplay* display,
    const std::function<void(const std::string&, const FileResult&)>& report,
    const std::atomic<bool>* stop) {
  std::vector<FileResult> results(files.size(), FileResult{Outcome::NotStarted, {}, {}, false});
  std::atomic<size_t> next{0};
  std::mutex reporting;
  auto worker = [&](size_t slot) {
    engine::NullProgressSink quiet;
    for (size_t i; (i = next++) < files.size();) {
      if (stop && stop->load()) break;
      uint64_t size = 0;
      try {
        size = platform::FileSize(files[i]);
      } catch (...) {
      }
      engine::ProgressSink& sink =
          display ? display->Begin(slot, platform::NameOf(files[i]), size) : quiet;
      FileResult r;
      try {
        r = task(files[i], sink);
      } catch (const std::exception& e) {
        r = {Outcome::Failed, e.what(), {}, false};
      }
      if (display) display->End(slot);
      results[i] = r;
      std::lock_guard<std::mutex> lock(reporting);
      report(files[i], r);
    }
  };
  jobs = std::max(1u, std::min<unsigned>(jobs, unsigned(std::max<size_t>(files.size(), 1))));
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(worker, t);
  worker(0);
  for (auto& t : threads) t.join();
  return results;
}

}  // namespace velt::cli
