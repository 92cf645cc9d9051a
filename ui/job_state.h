// The process-wide state of the commands. The window thread writes it before a worker starts and
// reads the worker's results after the worker has ended, so only the stop flags need to be atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/list_job.h"
#include "engine/engine.h"

namespace velt::ui {

struct JobState {
  std::string SingleFileName;  // file of the current single-file command
  std::string JobPassword;     // password of the current command
  double JobElapsedMs = 0;     // pipeline milliseconds
  // What the single-file decryption came to; its end notification reads it.
  engine::DecryptOutcome SingleFileOutcome = engine::DecryptOutcome::Decrypted;
  int SingleFileHasMeta = 0;        // the single-file decryption's file carries meta information
  bool CommandLinePending = false;  // from window creation to the end of the first show
  std::atomic<bool> StopRequested{false};  // Stop button; read by the list workers
  // The session is ending: the engine stops the file in progress at its next safe point. Never
  // cleared; the program quits once the work has stopped.
  std::atomic<bool> Cancel{false};
  bool Ending = false;                 // from then on no job starts and no box waits for an answer
  std::vector<std::string> Arguments;  // the process's command line, program name left out

  // The list commands (directory commands, command line, drops).
  std::vector<std::string> FileList;  // full paths in the order the search reported them
  // Files the search left out because their names are VELT's temporary names: what an
  // interrupted run left behind, never the user's own files.
  std::vector<std::string> Leftovers;
  // Files a decryption search left out because they carry no VELT meta information.
  std::vector<std::string> WithoutMeta;
  int32_t FoundCount = 0;                     // files added to FileList by the current search
  int32_t JobSkipped = 0;                     // already encrypted, or a wrong password
  std::optional<batch::ListJobKind> JobKind;  // what the drop dialog chose; none: cancelled
  // From a list command's first question until its job starts or it gives up: while set, a
  // drop or a second command would meet a FileList in use, and is refused.
  bool CommandActive = false;
};

}  // namespace velt::ui
