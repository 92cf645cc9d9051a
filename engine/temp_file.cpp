#include "engine/temp_file.h"

#include "engine/progress.h"
#include "engine/secure_delete.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/file_system.h"

namespace velt::engine {

namespace {
int64_t (*testClock)() = nullptr;
}

int64_t TempStartNumber() {
  return kDayBaseMs + (testClock ? testClock() : platform::LocalTimeOfDayMs());
}

void SetTempClockForTesting(int64_t (*timeOfDayMs)()) {
  testClock = timeOfDayMs;
}

namespace {
// Position of ".tmp" in a temporary name, or npos.
size_t SuffixAt(const std::string& name) {
  size_t end = name.size();
  if (end > 2 && (name.ends_with("en") || name.ends_with("dc"))) end -= 2;
  size_t digits = 0;
  while (digits < end && name[end - 1 - digits] >= '0' && name[end - 1 - digits] <= '9') ++digits;
  if (digits < 14 || end - digits < 4) return std::string::npos;
  const size_t at = end - digits - 4;
  return name.compare(at, 4, ".tmp") == 0 ? at : std::string::npos;
}
}  // namespace

bool IsTemporaryName(const std::string& name) {
  return SuffixAt(name) != std::string::npos;
}

std::string TemporaryBase(const std::string& name) {
  const size_t at = SuffixAt(name);
  return at == std::string::npos ? std::string() : name.substr(0, at);
}

std::string TemporaryTag(const std::string& name) {
  if (!IsTemporaryName(name)) return {};
  if (name.ends_with("en")) return "en";
  if (name.ends_with("dc")) return "dc";
  return {};
}

namespace {
constexpr size_t kMaxNameBytes = 255;
constexpr int64_t kMaxTries = 100000;
}  // namespace

std::string TemporaryName(const std::string& base, int64_t n, const std::string& tag) {
  const std::string suffix = ".tmp" + std::to_string(n) + tag;
  const std::string name = platform::NameOf(base);
  if (name.size() + suffix.size() <= kMaxNameBytes) return base + suffix;
  size_t keep = kMaxNameBytes - suffix.size();
  // Never cut a UTF-8 sequence in two.
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  return base.substr(0, base.size() - name.size()) + name.substr(0, keep) + suffix;
}

std::string MoveAside(const std::string& path, int64_t startNumber) {
  for (int64_t n = startNumber;; ++n) {
    std::string aside = TemporaryName(path, n, "");
    try {
      platform::RenameNoReplace(path, aside);
      return aside;
    } catch (const platform::PlatformError& e) {
      if (!platform::IsAlreadyExists(e) || n - startNumber > kMaxTries) throw;
    }
  }
}

TempFile TempFile::Create(const std::string& base, int64_t startNumber, const std::string& tag,
                          bool secure) {
  for (int64_t n = startNumber;; ++n) {
    std::string path = TemporaryName(base, n, tag);
    try {
      TempFile t;
      t.file_ = platform::File::Open(path, platform::OpenMode::CreateNew);
      t.path_ = path;
      t.number_ = n;
      t.secure_ = secure;
      t.owned_ = true;
      return t;
    } catch (const platform::PlatformError& e) {
      // Taken names are skipped; anything else (no right to write, disk full) is final.
      if (!platform::IsAlreadyExists(e) || n - startNumber > kMaxTries) throw;
    }
  }
}

void TempFile::Remove(ProgressSink& sink) {
  if (!owned_) return;
  if (secure_ && file_.IsOpen()) {
    // Only the bytes that exist are overwritten; the fill flushes itself to the device.
    SecureOverwrite(file_, sink);
  }
  file_.Close();
  owned_ = false;
  platform::DeleteFile(path_);
}

void TempFile::Release() {
  owned_ = false;
  if (file_.IsOpen()) file_.Close();
}

TempFile::TempFile(TempFile&& other) noexcept
    : file_(std::move(other.file_)),
      path_(std::move(other.path_)),
      number_(other.number_),
      secure_(other.secure_),
      owned_(other.owned_) {
  other.owned_ = false;
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    Discard();
    file_ = std::move(other.file_);
    path_ = std::move(other.path_);
    number_ = other.number_;
    secure_ = other.secure_;
    owned_ = other.owned_;
    other.owned_ = false;
  }
  return *this;
}

void TempFile::Discard() noexcept {
  if (!owned_) return;
  try {
    NullProgressSink quiet;
    Remove(quiet);
  } catch (...) {
    // Best effort on the way out of a failure; the original error is the one that matters.
    try {
      platform::DeleteFile(path_);
    } catch (...) {
    }
  }
}

}  // namespace velt::engine
