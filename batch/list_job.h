// The work of a list job (renc1, rdec1): every file of the list through the one-file pipeline,
// the job totals before each file, Stop looked at between files, and the statistics texts of
// its end. Runs on the worker thread; the windows only start it and show what it reports.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/progress.h"
#include "engine/settings.h"

namespace velt::batch {

enum class ListJobKind { Encrypt, Decrypt };

// Where the totals of the job go: bar and percentage label, then the text.
class TotalsSink {
 public:
  virtual ~TotalsSink() = default;
  virtual void ShowTotalPercent(int n) = 0;
  virtual void ShowTotalText(const std::string& text) = 0;
};

struct ListJob {
  ListJobKind kind = ListJobKind::Encrypt;
  std::vector<std::string> files;
  std::string password;
  engine::EngineSettings settings;
  // For files without meta information (decryption only).
  engine::DecryptionOptions decryption;
  engine::ProgressSink* progress = nullptr;
  TotalsSink* totals = nullptr;
  const std::atomic<bool>* stopRequested = nullptr;
  // Set when the session ends: the file in progress stops at the engine's next safe point,
  // unchanged, and the job ends.
  const std::atomic<bool>* cancel = nullptr;
  // Called with the file's position after its totals were shown and before its work starts.
  std::function<void(size_t index)> beforeFile;
};

struct FileFailure {
  std::string path;
  std::string reason;  // the error's text, which names the file
};

struct ListJobResult {
  double elapsedMs = 0;                   // the pipelines' own milliseconds, added up
  int32_t skipped = 0;                    // already encrypted, or a wrong password
  std::vector<std::string> skippedFiles;  // the paths counted in `skipped`, in list order
  size_t handled = 0;                     // files whose turn came and ended, whatever their outcome
  std::vector<FileFailure> failures;
  bool stopped = false;
  bool cancelled = false;  // stopped by `cancel`, the file in progress left as it was
  // What the engine told about the files besides their results, one line each, naming the file.
  std::vector<std::string> notes;
  int32_t keptEncrypted = 0;  // decryptions that kept the encrypted file as "(orig)"
};

// Processes the files in order. A file whose pipeline raises an error is recorded in
// `failures` and the job goes on with the next one; a file that is already encrypted counts as
// skipped.
ListJobResult RunListJob(const ListJob& job);

// i of n files done, as the total percentage: i * (100 / n) rounded, halves to even.
int TotalPercent(size_t done, size_t count);
// The totals text while file `done` (0-based) runs, and after the last one. Encryption and
// decryption put the bracket the other way round, as users know them.
std::string RunningTotalText(ListJobKind kind, size_t done, size_t count);
std::string FinalTotalText(ListJobKind kind, size_t count);

// The statistics of a job that went to its end. `seconds` is the elapsed time already written
// for the user. Files that failed are not counted as processed and get a line of their own.
std::string StatisticsMessage(ListJobKind kind, size_t count, const std::string& seconds,
                              int32_t skipped, size_t failed);
// The message of a job ended by Stop; failures so far get their line too.
std::string StoppedMessage(ListJobKind kind, const std::string& seconds, size_t failed);
// One line per failed file, for the details of the end message.
std::string FailureDetails(const std::vector<FileFailure>& failures);

}  // namespace velt::batch
