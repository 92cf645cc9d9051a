// Path operations on POSIX, with the desktop's attribute bits mapped onto permissions and
// dot-names.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"

namespace velt::platform {

namespace {

[[noreturn]] void fail(const char* op, const std::string& path, int err) {
  throw PlatformError(op, path, err);
}

bool isDotName(const std::string& name) {
  return name == "." || name == "..";
}

uint32_t bitsOf(const std::string& name, const struct stat& st) {
  uint32_t bits = 0;
  if ((st.st_mode & 0222) == 0) bits |= kReadOnly;
  if (!name.empty() && name[0] == '.' && !isDotName(name)) bits |= kHidden;
  if (S_ISDIR(st.st_mode)) bits |= kDirectory;
  return bits;
}

struct stat LstatOrThrow(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) fail("read the attributes of", path, errno);
  return st;
}

}  // namespace

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

uint64_t FileSize(const std::string& path) {
  return uint64_t(LstatOrThrow(path).st_size);
}

Attributes GetAttributes(const std::string& path) {
  struct stat st = LstatOrThrow(path);
  return Attributes{bitsOf(NameOf(path), st), uint32_t(st.st_mode & 07777)};
}

void ClearAttributes(const std::string& path) {
  struct stat st = LstatOrThrow(path);
  if (S_ISLNK(st.st_mode)) throw PlatformError("change", path, ELOOP, "it is a symbolic link");
  if (st.st_mode & S_IWUSR) return;
  if (::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
    fail("change the attributes of", path, errno);
}

void SetAttributes(const std::string& path, const Attributes& attributes) {
  struct stat st = LstatOrThrow(path);
  if (S_ISLNK(st.st_mode)) throw PlatformError("change", path, ELOOP, "it is a symbolic link");
  if ((st.st_mode & 07777) == attributes.native) return;
  if (::chmod(path.c_str(), attributes.native) != 0) fail("change the attributes of", path, errno);
}

void DeleteFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) fail("delete", path, errno);
}

void ReplaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) fail("rename", from + " to " + to, errno);
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) fail("rename", from + " to " + to, errno);
  // File systems without RENAME_NOREPLACE: a hard link fails on an existing name too.
  if (::link(from.c_str(), to.c_str()) != 0) fail("rename", from + " to " + to, errno);
  if (::unlink(from.c_str()) != 0) fail("rename", from + " to " + to, errno);
}

void FlushFolder(const std::string& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& mask,
                                    uint32_t attributeMask) {
  std::vector<DirEntry> out;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) fail("list", folder, errno);
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  constexpr uint32_t kExcluding = kHidden | kSystem | kVolumeLabel | kDirectory;
  while (struct dirent* d = ::readdir(dir)) {
    std::string name = d->d_name;
    if (!MatchesMask(name, mask)) continue;
    struct stat st;
    if (::lstat((base + name).c_str(), &st) != 0) continue;  // vanished meanwhile
    DirEntry e;
    e.name = name;
    e.isSymbolicLink = S_ISLNK(st.st_mode);
    if (e.isSymbolicLink) {
      struct stat target;
      if (::stat((base + name).c_str(), &target) == 0) st = target;
    }
    e.attributes = bitsOf(name, st);
    e.size = uint64_t(st.st_size);
    if ((e.attributes & kExcluding & ~attributeMask) != 0) continue;
    out.push_back(std::move(e));
  }
  ::closedir(dir);
  return out;
}

}  // namespace velt::platform
