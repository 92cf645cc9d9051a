// Files on Windows: CreateFileW with share mode "delete only" as the exclusive lock, links
// opened as themselves (and refused), and every read and write at an explicit offset.
#include "platform/file.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/text.h"

namespace velt::platform {

namespace {

using win32::WidePath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1u << 30;  // one ReadFile or WriteFile at most

[[noreturn]] void fail(const char* op, const std::string& path, DWORD err) {
  throw PlatformError(op, path, int(err));
}

struct FileKey {
  DWORD volume;
  uint64_t index;
  bool operator<(const FileKey& o) const {
    return volume != o.volume ? volume < o.volume : index < o.index;
  }
};

bool KeyOf(HANDLE h, FileKey& key) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return false;
  key = {info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return true;
}

// The files this process holds exclusively, so that an unlocked open of one of them can be
// given a duplicate of the holder's handle (share modes, unlike POSIX advisory locks, bind the
// process that set them as well).
struct Holder {
  HANDLE handle;
  DWORD access;
};
std::mutex heldMutex;
std::map<FileKey, Holder> held;

void hold(HANDLE h, DWORD access) {
  FileKey key;
  if (!KeyOf(h, key)) return;
  std::lock_guard<std::mutex> lock(heldMutex);
  held[key] = {h, access};
}

void release(HANDLE h) {
  std::lock_guard<std::mutex> lock(heldMutex);
  for (auto it = held.begin(); it != held.end(); ++it)
    if (it->second.handle == h) {
      held.erase(it);
      return;
    }
}

// A duplicate of this process's exclusive handle on the file at `path`, with `access`; null if
// the file is not held here (or not with that access).
HANDLE DuplicateHeld(const std::wstring& path, DWORD access) {
  // Attribute-only access is never refused by a share mode.
  HANDLE probe = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return nullptr;
  FileKey key;
  bool known = KeyOf(probe, key);
  CloseHandle(probe);
  if (!known) return nullptr;
  std::lock_guard<std::mutex> lock(heldMutex);
  auto it = held.find(key);
  if (it == held.end() || (it->second.access & access) != access) return nullptr;
  // The holder's own access, which covers the one asked for (generic rights are not mapped
  // for a duplicate on every system).
  HANDLE dup = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), it->second.handle, GetCurrentProcess(), &dup, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return dup;
}

bool isLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

HANDLE create(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, bool asLink) {
  return CreateFileW(path.c_str(), access, share, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | (asLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
}

}  // namespace

File::File(File&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)), position_(other.position_) {
  other.handle_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_) {
      release(handle_);
      CloseHandle(handle_);
    }
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    position_ = other.position_;
    other.handle_ = nullptr;
  }
  return *this;
}

File::~File() {
  if (handle_) {
    release(handle_);
    CloseHandle(handle_);
  }
}

File File::Open(const std::string& path, OpenMode mode, Locking locking) {
  const std::wstring wpath = WidePath(path);
  const bool exclusive = locking == Locking::Exclusive;
  const char* op = mode == OpenMode::CreateNew ? "create" : "open";
  const DWORD share = exclusive ? FILE_SHARE_DELETE : kShareAll;
  const DWORD disposition = mode == OpenMode::CreateNew ? CREATE_NEW : OPEN_EXISTING;
  DWORD access = mode == OpenMode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;

  HANDLE h = INVALID_HANDLE_VALUE;
  if (exclusive && mode == OpenMode::Read) {
    // Write access as well where the file allows it: an unlocked open of this file by this
    // process may need it (see DuplicateHeld).
    h = create(wpath, GENERIC_READ | GENERIC_WRITE, share, disposition, true);
    if (h != INVALID_HANDLE_VALUE) access = GENERIC_READ | GENERIC_WRITE;
  }
  if (h == INVALID_HANDLE_VALUE) h = create(wpath, access, share, disposition, true);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    if (err == ERROR_SHARING_VIOLATION && !exclusive) {
      if (HANDLE dup = DuplicateHeld(wpath, access)) return File(dup, path);
    }
    if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION)
      throw PlatformError(op, path, int(err), "in use by another program or VELT job");
    DWORD attributes = GetFileAttributesW(wpath.c_str());
    if (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES) {
      // A name whose deletion is still pending refuses a new file like any existing one.
      if (mode == OpenMode::CreateNew) fail(op, path, ERROR_FILE_EXISTS);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw PlatformError(op, path, int(ERROR_DIRECTORY), "not a regular file");
    }
    fail(op, path, err);
  }
  File f(h, path);

  if (GetFileType(h) != FILE_TYPE_DISK)
    throw PlatformError(op, path, int(ERROR_BAD_FILE_TYPE), "not a regular file");
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag))
    fail(op, path, GetLastError());
  if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (isLinkTag(tag.ReparseTag))
      throw PlatformError(op, path, int(ERROR_CANT_ACCESS_FILE), "it is a symbolic link");
    // Another kind of reparse point (deduplicated, cloud or compressed storage) is an ordinary
    // file to its file system driver: open it again through the driver.
    f.Close();
    h = create(wpath, access, share, OPEN_EXISTING, false);
    if (h == INVALID_HANDLE_VALUE) fail(op, path, GetLastError());
    f = File(h, path);
  }
  if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    throw PlatformError(op, path, int(ERROR_DIRECTORY), "not a regular file");
  if (exclusive) hold(f.handle_, access);
  return f;
}

bool File::IsOpen() const {
  return handle_ != nullptr;
}

size_t File::ReadAt(uint64_t offset, void* buffer, size_t n) {
  size_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < n) {
    OVERLAPPED at{};
    uint64_t where = offset + done;
    at.Offset = DWORD(where);
    at.OffsetHigh = DWORD(where >> 32);
    DWORD got = 0;
    if (!ReadFile(handle_, p + done, DWORD(std::min<size_t>(n - done, kChunk)), &got, &at)) {
      DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      fail("read", path_, err);
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

size_t File::Read(void* buffer, size_t n) {
  size_t got = ReadAt(position_, buffer, n);
  position_ += got;
  return got;
}

void File::WriteAt(uint64_t offset, const void* buffer, size_t n) {
  auto* p = static_cast<const uint8_t*>(buffer);
  while (n > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD put = 0;
    if (!WriteFile(handle_, p, DWORD(std::min<size_t>(n, kChunk)), &put, &at))
      fail("write", path_, GetLastError());
    if (put == 0) fail("write", path_, ERROR_WRITE_FAULT);
    p += put;
    n -= put;
    offset += put;
  }
}

void File::Write(const void* buffer, size_t n) {
  WriteAt(position_, buffer, n);
  position_ += n;
}

uint64_t File::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) fail("read the size of", path_, GetLastError());
  return uint64_t(size.QuadPart);
}

uint64_t File::Position() const {
  return position_;
}

void File::Seek(uint64_t position) {
  position_ = position;
}

void File::Truncate(uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = LONGLONG(size);
  if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end))
    fail("truncate", path_, GetLastError());
}

void File::Flush() {
  // A handle without write access has nothing to flush, and Windows refuses it.
  if (!FlushFileBuffers(handle_) && GetLastError() != ERROR_ACCESS_DENIED)
    fail("flush", path_, GetLastError());
}

void File::Close() {
  if (!handle_) return;
  HANDLE h = handle_;
  handle_ = nullptr;
  release(h);
  if (!CloseHandle(h)) fail("close", path_, GetLastError());
}

void File::CopyFrom(File& source, uint64_t count) {
  std::vector<uint8_t> buffer(size_t(1) << 20);
  while (count > 0) {
    size_t n = source.Read(buffer.data(), size_t(std::min<uint64_t>(count, buffer.size())));
    if (n == 0) return;  // the source ended early
    Write(buffer.data(), n);
    count -= n;
  }
}

FileStatus File::Status() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle_, &info)) fail("stat", path_, GetLastError());
  FileStatus f;
  f.size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  f.modifiedNs = int64_t(
      (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime) *
      100);
  f.links = info.nNumberOfLinks;
  return f;
}

// Files take the owner of their folder's inheritance rules on Windows; nothing to carry over.
void File::SetOwnerLike(const FileStatus&) {}

bool File::SameFileAs(const std::string& path) const {
  FileKey mine, theirs;
  if (!KeyOf(handle_, mine)) return false;
  HANDLE h =
      CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool known = KeyOf(h, theirs);
  CloseHandle(h);
  // Wine reports volume 0 for a handle whose file was renamed since it was opened; the index
  // alone still tells files apart there.
  return known && mine.index == theirs.index && (mine.volume == theirs.volume || mine.volume == 0);
}

}  // namespace velt::platform
