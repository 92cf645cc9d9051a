// Runs one task per file, several files at a time; each file still goes through the one-file
// pipeline on its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/progress.h"

namespace velt::cli {

enum class Outcome { Done, Skipped, Failed };

struct FileResult {
  Outcome outcome = Outcome::Failed;
  std::string message;  // why it was skipped or failed
};

using FileTask = std::function<FileResult(const std::string& path, engine::ProgressSink& sink)>;
class ProgressDisplay;

// Results in the order of `files`. `report` is called (from the worker threads, one at a time)
// with each result as soon as it is known.
std::vector<FileResult> RunAll(const std::vector<std::string>& files, unsigned jobs,
                               const FileTask& task, ProgressDisplay* display,
                               const std::function<void(const std::string&, const FileResult&)>& report);

}  // namespace velt::cli
