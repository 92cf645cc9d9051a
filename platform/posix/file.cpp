// Files on POSIX: open(2) without following links, flock(2) for the exclusive lock.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/errors.h"

namespace velt::platform {

namespace {
[[noreturn]] void fail(const char* op, const std::string& path, int err) {
  throw PlatformError(op, path, err);
}
}  // namespace

File::File(File&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)), unsent_(other.unsent_) {
  other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(handle_);
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    unsent_ = other.unsent_;
    other.handle_ = -1;
  }
  return *this;
}

File::~File() {
  if (handle_ >= 0) ::close(handle_);
}

File File::Open(const std::string& path, OpenMode mode, Locking locking) {
  int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  const char* op = "open";
  switch (mode) {
    case OpenMode::Read:
      flags |= O_RDONLY;
      break;
    case OpenMode::ReadWrite:
      flags |= O_RDWR;
      break;
    case OpenMode::CreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      op = "create";
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == ELOOP) throw PlatformError(op, path, ELOOP, "it is a symbolic link");
    fail(op, path, errno);
  }
  File f(fd, path);
  struct stat st;
  if (::fstat(fd, &st) != 0) fail(op, path, errno);
  if (!S_ISREG(st.st_mode)) throw PlatformError(op, path, EINVAL, "not a regular file");
  // O_NONBLOCK only kept open() from hanging on a FIFO; reads and writes should block.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (locking == Locking::Exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      throw PlatformError(op, path, EBUSY, "in use by another VELT process");
    fail(op, path, errno);
  }
  return f;
}

bool File::IsOpen() const {
  return handle_ >= 0;
}

size_t File::Read(void* buffer, size_t n) {
  size_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < n) {
    ssize_t r = ::read(handle_, p + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      fail("read", path_, errno);
    }
    if (r == 0) break;
    done += size_t(r);
  }
  return done;
}

size_t File::ReadAt(uint64_t offset, void* buffer, size_t n) {
  size_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < n) {
    ssize_t r = ::pread(handle_, p + done, n - done, off_t(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      fail("read", path_, errno);
    }
    if (r == 0) break;
    done += size_t(r);
  }
  return done;
}

void File::Write(const void* buffer, size_t n) {
  auto* p = static_cast<const uint8_t*>(buffer);
  while (n > 0) {
    ssize_t w = ::write(handle_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      fail("write", path_, errno);
    }
    p += w;
    n -= size_t(w);
    unsent_ += uint64_t(w);
  }
  SendWrittenData();
}

// Every few megabytes, the device is asked to start writing what has been written so far,
// without waiting for it: the Flush that makes a file safe before its original goes then has
// little left to wait for. Only a hint; it changes nothing that is read back.
void File::SendWrittenData() {
#ifdef __linux__
  constexpr uint64_t kSendEvery = 8 << 20;
  if (unsent_ < kSendEvery) return;
  unsent_ = 0;
  ::sync_file_range(handle_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void File::WriteAt(uint64_t offset, const void* buffer, size_t n) {
  auto* p = static_cast<const uint8_t*>(buffer);
  while (n > 0) {
    ssize_t w = ::pwrite(handle_, p, n, off_t(offset));
    if (w < 0) {
      if (errno == EINTR) continue;
      fail("write", path_, errno);
    }
    p += w;
    n -= size_t(w);
    offset += uint64_t(w);
  }
}

uint64_t File::Size() const {
  struct stat st;
  if (::fstat(handle_, &st) != 0) fail("read the size of", path_, errno);
  return uint64_t(st.st_size);
}

uint64_t File::Position() const {
  off_t p = ::lseek(handle_, 0, SEEK_CUR);
  if (p < 0) fail("seek in", path_, errno);
  return uint64_t(p);
}

void File::Seek(uint64_t position) {
  if (::lseek(handle_, off_t(position), SEEK_SET) < 0) fail("seek in", path_, errno);
}

void File::Truncate(uint64_t size) {
  if (::ftruncate(handle_, off_t(size)) != 0) fail("truncate", path_, errno);
}

void File::Flush() {
  if (::fsync(handle_) != 0) fail("flush", path_, errno);
}

void File::Close() {
  if (handle_ < 0) return;
  int fd = handle_;
  handle_ = -1;
  if (::close(fd) != 0 && errno != EINTR) fail("close", path_, errno);
}

void File::CopyFrom(File& source, uint64_t count) {
  while (count > 0) {
    size_t want = size_t(std::min<uint64_t>(count, 1u << 30));
    ssize_t n = ::copy_file_range(source.handle_, nullptr, handle_, nullptr, want, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
      fail("copy to", path_, errno);
    }
    if (n == 0) return;  // the source ended early
    count -= uint64_t(n);
  }
  // No kernel copy between these files: copy through a buffer.
  std::vector<uint8_t> buffer(size_t(1) << 20);
  while (count > 0) {
    size_t n = source.Read(buffer.data(), size_t(std::min<uint64_t>(count, buffer.size())));
    if (n == 0) return;
    Write(buffer.data(), n);
    count -= n;
  }
}

FileStatus File::Status() const {
  struct stat st;
  if (::fstat(handle_, &st) != 0) fail("stat", path_, errno);
  FileStatus f;
  f.size = uint64_t(st.st_size);
  f.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  f.links = uint32_t(st.st_nlink);
  f.owner = st.st_uid;
  f.group = st.st_gid;
  return f;
}

void File::SetOwnerLike(const FileStatus& like) {
  if (::geteuid() != 0) return;  // others can only give files away to themselves
  struct stat st;
  if (::fstat(handle_, &st) != 0) fail("stat", path_, errno);
  if (st.st_uid == like.owner && st.st_gid == like.group) return;
  if (::fchown(handle_, like.owner, like.group) != 0) fail("change the owner of", path_, errno);
}

bool File::SameFileAs(const std::string& path) const {
  struct stat a, b;
  if (::fstat(handle_, &a) != 0 || ::lstat(path.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace velt::platform
