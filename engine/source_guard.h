// What keeps the file a run reads safe until the run is done with it: the run can be stopped
// only before its result takes a name; the source is deleted only while it is still the file
// that was read, unchanged, and never overwritten under the user's own name.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "platform/file.h"

namespace velt::engine::detail {

// Passes everything to `inner`; while armed, each report first checks the stop flag, so that a
// long stage ends with CancelledError at its next chunk.
class StoppableSink final : public ProgressSink {
 public:
  StoppableSink(ProgressSink& inner, const std::atomic<bool>* stop, std::string path)
      : inner_(inner), stop_(stop), path_(std::move(path)) {}
  // Throws CancelledError when a stop was asked for and the run may still be stopped.
  void Check() const;
  // Past the commit the run is finished whatever is asked.
  void Disarm() { armed_ = false; }

  void ShowStatus(const std::string& text) override;
  void ShowFileName(const std::string& name) override;
  void ShowPercent(int n) override;
  void ShowBar(int n) override;

 private:
  ProgressSink& inner_;
  const std::atomic<bool>* stop_;
  std::string path_;
  bool armed_ = true;
};

// Throws ChangedError when the file under `path` is no longer the one `source` holds, or has a
// different size or last write than `before`. `doing` is "encrypted" or "decrypted".
void RequireUnchanged(const platform::File& source, const std::string& path,
                      const platform::FileStatus& before, const char* doing);

// Deletes the source of a finished run while holding it: moves it aside to a temporary name,
// makes sure the file moved is ours and unchanged (else puts it back and throws), overwrites it
// there when `secure` (through `writable`, which must be open on it) unless other names still
// link to it, and deletes it. Notes for the user go to `report`. Errors name `resultName`,
// which is in place by then.
void RetireSource(platform::File& source, platform::File* writable, const std::string& path,
                  const platform::FileStatus& before, bool secure, int64_t number,
                  ProgressSink& sink, FileReport* report, const char* doing,
                  const std::string& resultName);

}  // namespace velt::engine::detail
