// Runs one task per file, several files at a time; each file still goes through the one-file
// pipeline on its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/progress.h"

namespace velt::cli {

// Stopped: the run was stopped in the middle of the file, which was left as it was.
enum class Outcome { Done, Skipped, Failed, Stopped, NotStarted };

struct FileResult {
  Outcome outcome = Outcome::Failed;
  std::string message;             // why it was skipped, failed or stopped
  std::vector<std::string> notes;  // what else the user must know, one line each
  bool keptEncrypted = false;      // decryption kept the encrypted file as NAME(orig)
};

using FileTask = std::function<FileResult(const std::string& path, engine::ProgressSink& sink)>;
class ProgressDisplay;

// Results in the order of `files`. `report` is called (from the worker threads, one at a time)
// with each result as soon as it is known. Once `stop` is set no further file is started; those
// files keep Outcome::NotStarted.
std::vector<FileResult> RunAll(
    const std::vector<std::string>& files, unsigned jobs, const FileTask& task,
    ProgressDisplay* display,
    const std::function<void(const std::string&, const FileResult&)>& report,
    const std::atomic<bool>* stop = nullptr);

}  // namespace velt::cli
