#include "engine/source_guard.h"

#include "engine/messages.h"
#include "engine/secure_delete.h"
#include "engine/temp_file.h"
#include "platform/errors.h"
#include "platform/file_system.h"

namespace velt::engine::detail {

void StoppableSink::Check() const {
  if (armed_ && stop_ && stop_->load(std::memory_order_relaxed)) throw CancelledError(path_);
}

void StoppableSink::ShowStatus(const std::string& text) {
  Check();
  inner_.ShowStatus(text);
}
void StoppableSink::ShowFileName(const std::string& name) {
  inner_.ShowFileName(name);
}
void StoppableSink::ShowPercent(int n) {
  Check();
  inner_.ShowPercent(n);
}
void StoppableSink::ShowBar(int n) {
  Check();
  inner_.ShowBar(n);
}

void RequireUnchanged(const platform::File& source, const std::string& path,
                      const platform::FileStatus& before, const char* doing) {
  if (!source.SameFileAs(path))
    throw ChangedError(path, messages::SourceReplaced(platform::Exists(path), doing));
  if (!source.Status().SameContentAs(before))
    throw ChangedError(path, messages::SourceChanged(doing));
}

void RetireSource(platform::File& source, platform::File* writable, const std::string& path,
                  const platform::FileStatus& before, bool secure, int64_t number,
                  ProgressSink& sink, FileReport* report, const char* doing,
                  const std::string& resultName) {
  const std::string done = std::string(doing) + " to " + resultName;
  const std::string aside = MoveAside(path, number);
  auto putBack = [&] {
    try {
      platform::RenameNoReplace(aside, path);
    } catch (...) {
      // Then it stays under the temporary name, which velt-cli info explains.
    }
  };
  if (!source.SameFileAs(aside)) {
    putBack();
    throw EngineError(path, messages::SourceReplacedMeanwhile(done));
  }
  const platform::FileStatus now = source.Status();
  if (!now.SameContentAs(before)) {
    putBack();
    throw ChangedError(path, messages::SourceChangedAfterResult(doing, resultName));
  }
  std::string overwriteProblem;
  if (secure && writable) {
    if (now.links > 1) {
      if (report) report->notes.push_back(messages::OtherLinksNote(path, now.links - 1));
    } else {
      try {
        SecureOverwrite(*writable, sink);
      } catch (const std::exception& e) {
        overwriteProblem = e.what();  // it goes all the same: the result is in place
      }
    }
  }
  try {
    platform::DeleteFile(aside);
  } catch (const platform::PlatformError& e) {
    // Somebody else removed it meanwhile: it is gone, which is all that was asked.
    if (!platform::IsNotFound(e))
      throw EngineError(path, messages::OriginalNotDeleted(done, aside, e.what()));
  } catch (const std::exception& e) {
    throw EngineError(path, messages::OriginalNotDeleted(done, aside, e.what()));
  }
  if (!overwriteProblem.empty())
    throw EngineError(
        path, done + " and the original deleted, but overwriting it failed: " + overwriteProblem);
}

}  // namespace velt::engine::detail
