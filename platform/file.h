// An open file, held exclusively: every file VELT works on carries an exclusive advisory lock,
// so two VELT processes (or two jobs of one process) never work on one file at once. On
// Windows the lock is the share mode: an exclusive handle shares nothing but deletion (so the
// file can still be renamed or deleted while it is held), which keeps every other program out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velt::platform {

enum class OpenMode {
  Read,       // existing file, reading
  ReadWrite,  // existing file, reading and writing, not truncated
  CreateNew,  // new file only (never an existing one, never through a link), owner-only
};

enum class Locking { Exclusive, None };

// What tells whether a file changed under a handle, and what a replacement must inherit.
struct FileStatus {
  uint64_t size = 0;
  int64_t modifiedNs = 0;         // last write, in the system's own epoch
  uint32_t links = 1;             // names the file has
  uint32_t owner = 0, group = 0;  // POSIX only; 0 elsewhere
  // Same content as far as the file system can tell: size and last write.
  bool SameContentAs(const FileStatus& other) const {
    return size == other.size && modifiedNs == other.modifiedNs;
  }
};

class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Throws PlatformError; with Locking::Exclusive a file locked by another holder is refused
  // with "in use by another VELT process". Symbolic links are never followed. Locking::None
  // never conflicts with a lock this process holds (on Windows such a file is reached through
  // a duplicate of the holder's handle, so an exclusive handle there asks for write access
  // too whenever it can have it).
  static File Open(const std::string& path, OpenMode mode, Locking locking = Locking::Exclusive);

  bool IsOpen() const;
  const std::string& Path() const { return path_; }

  // Reads until n bytes or the end of the file; returns the count read.
  size_t Read(void* buffer, size_t n);
  // Reads at an offset without moving the position.
  size_t ReadAt(uint64_t offset, void* buffer, size_t n);
  // Writes all n bytes or throws (a full disk included).
  void Write(const void* buffer, size_t n);
  void WriteAt(uint64_t offset, const void* buffer, size_t n);
  uint64_t Size() const;
  uint64_t Position() const;
  void Seek(uint64_t position);
  void Truncate(uint64_t size);
  // Forces written data to the storage device.
  void Flush();
  void Close();

  // Copies `count` bytes from `source` (at its position) to the end of this file with the
  // kernel's copy where it has one.
  void CopyFrom(File& source, uint64_t count);

  // True when this handle and `path` name the same file (not replaced in between).
  bool SameFileAs(const std::string& path) const;

  FileStatus Status() const;
  // Gives the file the owner and group of `like`, so that a file root writes for another user
  // stays that user's. Nothing where the process may not (or need not) change owners.
  void SetOwnerLike(const FileStatus& like);

#ifdef _WIN32
  using Native = void*;
#else
  using Native = int;
#endif
  Native Handle() const {
    return handle_;
  }

 private:
  File(Native h, std::string path) : handle_(h), path_(std::move(path)) {}
#ifdef _WIN32
  Native handle_ = nullptr;
#else
  Native handle_ = -1;
#endif
  std::string path_;
#ifndef _WIN32
  // Bytes written since the device was last asked to start on them.
  void SendWrittenData();
  uint64_t unsent_ = 0;
#endif
#ifdef _WIN32
  // Each File has a position of its own, as a POSIX descriptor does; all I/O gives Windows
  // the offset explicitly.
  uint64_t position_ = 0;
#endif
};

}  // namespace velt::platform
