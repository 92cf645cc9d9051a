#include "batch/list_job.h"

#include <algorithm>
#include <cmath>

#include "batch/messages.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/meta_info.h"

namespace velt::batch {

namespace {
using namespace messages;

std::string Counted(const char* prefix, size_t i, size_t n) {
  return prefix + std::to_string(i) + kOf + std::to_string(n) + kFiles;
}

std::string FailedLine(ListJobKind kind, size_t failed) {
  if (failed == 0) return {};
  std::string line = "\n";
  line += std::to_string(failed);
  line += kind == ListJobKind::Encrypt ? kNotEncrypted : kNotDecrypted;
  return line;
}
}  // namespace

int TotalPercent(size_t done, size_t count) {
  if (count == 0) return 0;
  const double step = 100.0 / double(count);
  // The default rounding mode rounds halves to even.
  return int(std::nearbyint(double(done) * step));
}

std::string RunningTotalText(ListJobKind kind, size_t done, size_t count) {
  return Counted(kind == ListJobKind::Encrypt ? kCompletedOpen : kCompleted, done, count);
}

std::string FinalTotalText(ListJobKind kind, size_t count) {
  return Counted(kind == ListJobKind::Encrypt ? kCompleted : kCompletedOpen, count, count);
}

std::string StatisticsMessage(ListJobKind kind, size_t count, const std::string& seconds,
                              int32_t skipped, size_t failed) {
  const bool encrypting = kind == ListJobKind::Encrypt;
  std::string text = std::to_string(count - std::min(failed, count)) +
                     (encrypting ? kEncryptedIn : kDecryptedIn) + seconds + kSecs;
  if (skipped > 0)
    text += " (" + std::to_string(skipped) + (encrypting ? kSkippedEncrypted : kSkippedDecrypted);
  return text + FailedLine(kind, failed);
}

std::string StoppedMessage(ListJobKind kind, const std::string& seconds, size_t failed) {
  return kStoppedAt + seconds + kSecs + FailedLine(kind, failed);
}

std::string FailureDetails(const std::vector<FileFailure>& failures) {
  std::string details;
  for (const FileFailure& f : failures) {
    if (!details.empty()) details += "\n";
    // Engine and platform errors already name the file.
    details += f.reason.find(f.path) != std::string::npos ? f.reason : f.path + ": " + f.reason;
  }
  return details;
}

ListJobResult RunListJob(const ListJob& job) {
  ListJobResult result;
  engine::NullProgressSink quiet;
  engine::ProgressSink& sink = job.progress ? *job.progress : quiet;
  auto raised = [](const std::atomic<bool>* flag) { return flag && flag->load(); };
  const size_t n = job.files.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string& path = job.files[i];
    if (job.totals) {
      job.totals->ShowTotalPercent(TotalPercent(i, n));
      job.totals->ShowTotalText(RunningTotalText(job.kind, i, n));
    }
    if (job.beforeFile) job.beforeFile(i);
    auto skip = [&result, &path] {
      ++result.skipped;
      result.skippedFiles.push_back(path);
    };
    engine::FileReport report;
    try {
      if (job.kind == ListJobKind::Encrypt) {
        engine::EncryptOptions options;
        options.cancel = job.cancel;
        options.report = &report;
        if (engine::HasMetaInfo(path))
          skip();
        else
          result.elapsedMs +=
              double(engine::EncryptOneFile(path, job.password, job.settings, sink, options));
      } else {
        engine::DecryptOptions options;
        options.cancel = job.cancel;
        options.report = &report;
        const bool meta = engine::HasMetaInfo(path);
        const engine::DecryptResult r = engine::DecryptOneFile(
            path, job.password, meta, job.settings, job.decryption, sink, options);
        switch (r.outcome) {
          case engine::DecryptOutcome::Decrypted:
            result.elapsedMs += double(r.elapsedMs);
            break;
          case engine::DecryptOutcome::WrongPassword:
            skip();
            break;
        }
      }
    } catch (const engine::AlreadyEncryptedError&) {
      // The engine tests again on the file it holds locked: the file became encrypted after
      // the test above.
      skip();
    } catch (const engine::CancelledError&) {
      result.cancelled = true;
    } catch (const std::exception& e) {
      result.failures.push_back({path, e.what()});
    } catch (...) {
      result.failures.push_back({path, kUnexpected});
    }
    result.notes.insert(result.notes.end(), report.notes.begin(), report.notes.end());
    result.keptEncrypted += report.keptEncrypted ? 1 : 0;
    result.handled = i + 1;
    result.cancelled = result.cancelled || raised(job.cancel);
    if (result.cancelled || raised(job.stopRequested)) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace velt::batch
