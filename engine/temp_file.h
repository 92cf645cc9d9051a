// Temporary files beside the file being processed: "<path>.tmp<number><tag>", where the number
// starts from the time of day (see TempStartNumber) and the next free one is taken when a
// name exists. Created new and exclusively, readable by the owner only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/progress.h"
#include "platform/file.h"

namespace velt::engine {

// 693594 days (30 December 1899 counted from 1 January of year 1) in milliseconds, plus the
// milliseconds since local midnight: a 14-digit number.
int64_t TempStartNumber();
// Test seam: where TempStartNumber takes its time of day from (null restores the clock).
void SetTempClockForTesting(int64_t (*timeOfDayMs)());
inline constexpr int64_t kDayBaseMs = 693594LL * 86400000LL;

// Whether a file name (without folder) follows VELT's temporary naming: ".tmp", 14 or more
// digits, then "en", "dc" or nothing. Such files are leftovers of an interrupted run, never
// user files: searches leave them out of every job.
bool IsTemporaryName(const std::string& name);
// The name a temporary name was made from (what stands before ".tmp<digits>"); "" when `name` is
// not a temporary name. A name shortened to fit gives what is left of it.
std::string TemporaryBase(const std::string& name);
// "en" (encrypted output), "dc" (decrypted plaintext) or "" (working copy, raw output, or an
// original moved aside before it is overwritten and deleted).
std::string TemporaryTag(const std::string& name);

// The temporary name of `base` with number `n` and `tag`. A name that would grow past what file
// systems allow (255 bytes) has the end of its own part cut, so that it still fits.
std::string TemporaryName(const std::string& base, int64_t n, const std::string& tag);

// Renames `path` to the next free temporary name from `startNumber` on, never over another
// file, and returns that name: a file about to be overwritten and deleted leaves the user's
// name first, so that an interruption never leaves fill bytes under it.
std::string MoveAside(const std::string& path, int64_t startNumber);

class TempFile {
 public:
  TempFile() = default;
  TempFile(TempFile&& other) noexcept;
  // Discards the file held so far before taking over the other one.
  TempFile& operator=(TempFile&& other) noexcept;
  // Removes the file unless it was released; overwritten first when made with secure set.
  ~TempFile() { Discard(); }

  static TempFile Create(const std::string& base, int64_t startNumber, const std::string& tag,
                         bool secure);

  platform::File& File() { return file_; }
  const std::string& Path() const { return path_; }
  int64_t Number() const { return number_; }

  // Removes it now (overwritten first when secure); errors are the caller's.
  void Remove(ProgressSink& sink);
  // The file now has another name or owner; nothing is removed.
  void Release();
  // Removes the file if it is still ours, as well as it can, without throwing: for the way out
  // of a failure.
  void Discard() noexcept;

 private:
  platform::File file_;
  std::string path_;
  int64_t number_ = 0;
  bool secure_ = false;
  bool owned_ = false;
};

}  // namespace velt::engine
