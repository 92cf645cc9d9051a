// The settings registry on POSIX: one hive file in the text format of Windows registry exports
// ("Windows Registry Editor Version 5.00"), so a hive can be written by hand or taken from an
// export. Failures carry the codes and texts the Windows registry gives for the same cases.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/errors.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/reg_text.h"
#include "platform/registry_convert.h"

#ifndef VELT_INSTALL_PREFIX
#define VELT_INSTALL_PREFIX ""
#endif

namespace velt::platform {

namespace {

// Windows error codes, so callers see the same numbers and texts on every platform.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kWriteProtect = 19;
constexpr int kDiskFull = 112;
constexpr int kCantRead = 1012;
constexpr int kCantWrite = 1013;

// The Windows registry's own text for one of its codes.
std::string WindowsText(int code) {
  switch (code) {
    case kFileNotFound:
      return "The system cannot find the file specified.";
    case kAccessDenied:
      return "Access is denied.";
    case kWriteProtect:
      return "The media is write protected.";
    case kDiskFull:
      return "There is not enough space on the disk.";
    case kCantRead:
      return "The configuration registry key could not be read.";
    case kCantWrite:
      return "The configuration registry key could not be written.";
  }
  return "Error " + std::to_string(code) + ".";
}

[[noreturn]] void Fail(int code) {
  throw RegistryError(code, WindowsText(code));
}

// errno as the registry would report it; causes without a Windows counterpart keep the
// generic read/write failure and say what went wrong with which file.
[[noreturn]] void FailErrno(int err, int fallback, const std::string& path,
                            const std::string& reason) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      Fail(kFileNotFound);
    case EACCES:
    case EPERM:
      Fail(kAccessDenied);
    case EROFS:
      Fail(kWriteProtect);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      Fail(kDiskFull);
  }
  throw RegistryError(fallback, WindowsText(fallback) + " (" + path + ": " + reason + ")");
}
[[noreturn]] void FailErrno(int err, int fallback, const std::string& path) {
  FailErrno(err, fallback, path, ErrorText(err));
}
[[noreturn]] void FailErrno(const PlatformError& e, int fallback, const std::string& path) {
  FailErrno(e.Code(), fallback, path, e.Reason());
}

const char* RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string DamagedText(int code, const std::string& path, const RegText::Damage& d) {
  return WindowsText(code) + " The registry file " + path + " is damaged at line " +
         std::to_string(d.line) + ": " + d.reason + ".";
}

RegText ParseHive(std::string content, int code, const std::string& path) {
  try {
    return RegText::Parse(std::move(content));
  } catch (const RegText::Damage& d) {
    throw RegistryError(code, DamagedText(code, path, d));
  }
}

class LockFile {
 public:
  // Only writers create the lock file. A reader takes the shared lock when the file is there
  // and otherwise reads without it: the hive is only ever replaced whole, by rename, so it is
  // never seen half-written, and reading leaves nothing behind beside the hive.
  LockFile(const std::string& path, bool exclusive) {
    if (exclusive) {
      fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
      if (fd_ < 0) {
        int err = errno;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd_ < 0) FailErrno(err, kCantWrite, path);
      }
    } else {
      fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
      if (fd_ < 0) return;
    }
    int rc;
    do rc = ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      int err = errno;
      ::close(fd_);
      fd_ = -1;
      if (exclusive) FailErrno(err, kCantWrite, path);
    }
  }
  ~LockFile() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

 private:
  int fd_ = -1;
};

// The file the hive's name leads to: a hive may be a link to a file kept elsewhere.
std::string Followed(const std::string& path, int code) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
  fs::path target = fs::canonical(path, ec);
  if (ec) FailErrno(ec.value(), code, path);
  return target.string();
}

std::string ReadAll(File& file) {
  std::string content(file.Size(), '\0');
  content.resize(file.Read(content.data(), content.size()));
  return content;
}

// What a rewritten hive takes over from the one it replaces.
struct HiveStatus {
  FileStatus status;
  uint32_t mode = 0;
};

void MakeFolders(const std::string& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) FailErrno(ec.value(), kCantWrite, folder);
}

// Replaces the hive with `content`: a new file beside it, flushed, renamed over it.
void ReplaceHive(const std::string& path, const std::string& content,
                 const std::optional<HiveStatus>& old) {
  std::string temp;
  File file;
  for (int n = 0; !file.IsOpen(); ++n) {
    temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(n);
    try {
      file = File::Open(temp, OpenMode::CreateNew, Locking::None);
    } catch (const PlatformError& e) {
      // A name left by a writer that was killed is passed over.
      if (!IsAlreadyExists(e) || n >= 100) FailErrno(e, kCantWrite, temp);
    }
  }
  try {
    std::error_code ec;
    std::filesystem::permissions(temp, std::filesystem::perms(old ? old->mode : 0644), ec);
    if (ec) throw PlatformError("change the mode of", temp, ec.value());
    // Root rewriting someone else's hive must not take it over; where the owner cannot be
    // given back, the write goes on all the same.
    if (old) {
      try {
        file.SetOwnerLike(old->status);
      } catch (const PlatformError&) {
      }
    }
    file.Write(content.data(), content.size());
    file.Flush();
    file.Close();
    ReplaceFile(temp, path);
  } catch (const PlatformError& e) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    FailErrno(e, kCantWrite, path);
  }
  FlushFolder(FolderOf(path));
}

}  // namespace

std::string RegistryHivePath() {
  const char* env = std::getenv("VELT_REGISTRY");
  if (env && *env) return env;
  return MachineHiveOfPrefix(VELT_INSTALL_PREFIX);
}

RegistryValue ReadRegistryValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName) {
  const std::string path = RegistryHivePath();
  std::string content;
  {
    LockFile lock(path + ".lock", false);
    try {
      File file = File::Open(Followed(path, kCantRead), OpenMode::Read, Locking::None);
      content = ReadAll(file);
    } catch (const PlatformError& e) {
      FailErrno(e, kCantRead, path);
    }
  }
  const RegText hive = ParseHive(std::move(content), kCantRead, path);
  if (!hive.HasKey(RootName(root), keyPath)) Fail(kFileNotFound);
  auto value = hive.Find(RootName(root), keyPath, valueName);
  if (!value) Fail(kCantRead);
  const std::string& d = value->data;
  switch (value->type) {
    case RegText::kString:
    case RegText::kExpandString:
    case RegText::kBinary:
      return d;
    case RegText::kDword:
      if (d.size() != 4) Fail(kCantRead);
      return int32_t(uint32_t(uint8_t(d[0])) | uint32_t(uint8_t(d[1])) << 8 |
                     uint32_t(uint8_t(d[2])) << 16 | uint32_t(uint8_t(d[3])) << 24);
  }
  Fail(kCantRead);
}

std::string RegistryKeyName(RegistryRoot root, const std::string& keyPath) {
  size_t i = keyPath.find_first_not_of('\\');
  return std::string(RootName(root)) + "\\" + (i == std::string::npos ? "" : keyPath.substr(i)) +
         " (in " + RegistryHivePath() + ")";
}

void WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode) {
  WriteRegistryValues(root, keyPath, {{valueName, value, typeCode}});
}

void WriteRegistryValues(RegistryRoot root, const std::string& keyPath,
                         const std::vector<RegistryWrite>& values) {
  // Writing through a link replaces the file it points to, not the link.
  const std::string path = Followed(RegistryHivePath(), kCantWrite);
  MakeFolders(FolderOf(path));
  LockFile lock(path + ".lock", true);

  std::string content;
  std::optional<HiveStatus> old;
  try {
    File file = File::Open(path, OpenMode::Read, Locking::None);
    old = HiveStatus{file.Status(), GetAttributes(path).native};
    content = ReadAll(file);
  } catch (const PlatformError& e) {
    if (!IsNotFound(e)) FailErrno(e, kCantWrite, path);
  }
  // The hive's own permission stands for the key's access rights: a hive the caller may not
  // write is refused even where the folder would let it be replaced.
  if (old && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    FailErrno(errno, kCantWrite, path);

  RegText hive = old ? ParseHive(std::move(content), kCantWrite, path) : RegText();

  // A line break would split the entry in the file; the registry has no such names either.
  const std::string lineBreaks("\r\n\0", 3);
  if (keyPath.find_first_of(lineBreaks) != std::string::npos) Fail(kCantWrite);
  // Every value is set in the copy in memory first: one that cannot be stored fails before
  // the hive is touched, and the others reach it together, in one replacement.
  for (const auto& [valueName, value, typeCode] : values) {
    if (valueName.find_first_of(lineBreaks) != std::string::npos) Fail(kCantWrite);
    const auto stored = hive.Find(RootName(root), keyPath, valueName);

    RegText::Value v;
    switch (typeCode) {
      case kRegKeepType:
        if (!stored) Fail(kCantWrite);
        v.type = stored->type;
        if (v.type != RegText::kString && v.type != RegText::kExpandString &&
            v.type != RegText::kDword && v.type != RegText::kBinary)
          Fail(kCantWrite);
        break;
      case kRegString:
        v.type = RegText::kString;
        break;
      case kRegExpandString:
        v.type = RegText::kExpandString;
        break;
      case kRegDword:
        v.type = RegText::kDword;
        break;
      case kRegBinary:
        v.type = RegText::kBinary;
        break;
      default:
        Fail(kCantWrite);
    }
    if (v.type == RegText::kDword) {
      auto n = RegistryDword(value);
      if (!n) Fail(kCantWrite);
      uint32_t u = uint32_t(*n);
      v.data = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
    } else {
      v.data = RegistryText(value);
    }
    hive.Set(RootName(root), keyPath, valueName, v);
  }
  ReplaceHive(path, hive.Print(), old);
}

}  // namespace velt::platform
