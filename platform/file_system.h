// File-system operations on paths. Errors are PlatformError naming the path and the cause.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// <windows.h> makes these names macros for its own A/W functions.
#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef ReplaceFile
#undef ReplaceFile
#endif

namespace velt::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Attribute bits, numbered as the desktop's: read-only 1, hidden 2, system 4, volume label 8,
// directory 16, archive 32. On POSIX read-only means no write permission bits and hidden means
// a name that begins with "."; system, volume label and archive are never set.
enum Attribute : uint32_t {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kVolumeLabel = 8,
  kDirectory = 16,
  kArchive = 32,
};

// What GetAttributes remembers, so that SetAttributes can give a file back exactly the
// attributes it had (on POSIX its whole permission mode).
struct Attributes {
  uint32_t bits = 0;
  uint32_t native = 0;
};

bool Exists(const std::string& path);         // anything of that name, links included
bool IsRegularFile(const std::string& path);  // not following links
bool IsDirectory(const std::string& path);    // following links
bool IsSymbolicLink(const std::string& path);
uint64_t FileSize(const std::string& path);

Attributes GetAttributes(const std::string& path);
// Lets the file be read, written and deleted (clears read-only, hidden, system, archive).
void ClearAttributes(const std::string& path);
void SetAttributes(const std::string& path, const Attributes& attributes);

void DeleteFile(const std::string& path);
// Moves `from` to `to`, replacing any file of that name in one step.
void ReplaceFile(const std::string& from, const std::string& to);
// Moves `from` to `to`; fails if `to` exists.
void RenameNoReplace(const std::string& from, const std::string& to);
// Forces the folder's entries (renames, deletions) to the storage device; best effort.
void FlushFolder(const std::string& folder);

std::string FolderOf(const std::string& path);  // "" when the path has no folder part
std::string NameOf(const std::string& path);    // the name after the last separator

// Directory listing with the desktop's rules: `mask` with "*" and "?", case-insensitive,
// "*.*" matching every name; entries whose hidden, system, volume-label or directory bit is
// set but not requested in `attributeMask` are left out. "." and ".." are listed.
struct DirEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  bool isSymbolicLink = false;
};
std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& mask,
                                    uint32_t attributeMask);
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace velt::platform
