// The process-wide state of the commands. The window thread writes it before a worker starts and
// reads the worker's results after the worker has ended, so only the stop flag needs to be atomic.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace velt::ui {

struct JobState {
  std::string SingleFileName;  // file of the current single-file command
  std::string JobPassword;     // password of the current command
  double JobElapsedMs = 0;     // pipeline milliseconds; -1 from a decryption means wrong password
  int SingleFileHasMeta = 0;   // the single-file decryption's file carries meta information
  bool CommandLinePending = false;         // from window creation to the end of the first show
  std::atomic<bool> StopRequested{false};  // Stop button; read by the list workers
  bool DialogCancelled = false;  // answer of the last folder picker or decryption options dialog
  std::vector<std::string> Arguments;  // the process's command line, program name left out
};

}  // namespace velt::ui
