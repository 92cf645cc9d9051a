// Path operations on Windows, with the file system's own attribute bits.
// clang-format off
// <windows.h> first: it defines DeleteFile and ReplaceFile as macros, which our header undoes.
#include <windows.h>

#include <vector>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/win32/text.h"
// clang-format on

namespace velt::platform {

namespace {

using win32::Narrow;
using win32::WidePath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attribute bits we report; the volume label bit is never set on a file.
constexpr DWORD kReported = kReadOnly | kHidden | kSystem | kDirectory | kArchive;
constexpr DWORD kCleared = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE;
// What SetFileAttributes accepts; the rest belongs to the file system.
constexpr DWORD kSettable = kCleared | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                            FILE_ATTRIBUTE_TEMPORARY;

[[noreturn]] void fail(const char* op, const std::string& path, DWORD err) {
  throw PlatformError(op, path, int(err));
}

bool isLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str());
}

// Symbolic links and junctions; other reparse points (deduplicated or cloud files) are the
// files they stand for.
bool IsLink(const std::string& path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(WidePath(path).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return true;  // a reparse point we cannot inspect
  FindClose(find);
  return isLinkTag(data.dwReserved0);
}

DWORD AttributesOrThrow(const std::string& path) {
  DWORD a = AttributesOf(path);
  if (a == INVALID_FILE_ATTRIBUTES) fail("read the attributes of", path, GetLastError());
  return a;
}

void SetNativeAttributes(const std::string& path, DWORD attributes) {
  attributes &= kSettable;
  if (!SetFileAttributesW(WidePath(path).c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
    fail("change the attributes of", path, GetLastError());
}

void RefuseLink(const std::string& path, DWORD attributes) {
  if (IsLink(path, attributes))
    throw PlatformError("change", path, int(ERROR_CANT_ACCESS_FILE), "it is a symbolic link");
}

}  // namespace

bool Exists(const std::string& path) {
  return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsRegularFile(const std::string& path) {
  DWORD a = AttributesOf(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(path, a);
}

bool IsDirectory(const std::string& path) {
  DWORD a = AttributesOf(path);
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // Through the link to what it points at.
  HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool dir = GetFileInformationByHandle(h, &info) &&
             (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(h);
  return dir;
}

bool IsSymbolicLink(const std::string& path) {
  return IsLink(path, AttributesOf(path));
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data))
    fail("read the attributes of", path, GetLastError());
  return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

Attributes GetAttributes(const std::string& path) {
  DWORD a = AttributesOrThrow(path);
  return Attributes{a & kReported, a};
}

void ClearAttributes(const std::string& path) {
  DWORD a = AttributesOrThrow(path);
  RefuseLink(path, a);
  if (a & kCleared) SetNativeAttributes(path, a & ~kCleared);
}

void SetAttributes(const std::string& path, const Attributes& attributes) {
  DWORD a = AttributesOrThrow(path);
  RefuseLink(path, a);
  if ((a & kSettable) != (attributes.native & kSettable))
    SetNativeAttributes(path, attributes.native);
}

void DeleteFile(const std::string& path) {
  if (!DeleteFileW(WidePath(path).c_str())) fail("delete", path, GetLastError());
}

void ReplaceFile(const std::string& from, const std::string& to) {
  const std::wstring wfrom = WidePath(from), wto = WidePath(to);
  constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExW(wfrom.c_str(), wto.c_str(), kReplace)) return;
  const DWORD err = GetLastError();
  DWORD target = GetFileAttributesW(wto.c_str());
  if (err != ERROR_ACCESS_DENIED || target == INVALID_FILE_ATTRIBUTES ||
      (target & FILE_ATTRIBUTE_DIRECTORY))
    fail("rename", from + " to " + to, err);

  // The file being replaced is held open (by us, sharing deletion) or read-only, which a
  // plain replacing rename refuses. Where the system has it, a rename with POSIX semantics
  // replaces it in one step.
  HANDLE source = CreateFileW(wfrom.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (source != INVALID_HANDLE_VALUE) {
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + wto.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    // FILE_RENAME_FLAG_REPLACE_IF_EXISTS | _POSIX_SEMANTICS | _IGNORE_READONLY_ATTRIBUTE
    info->Flags = 0x1 | 0x2 | 0x40;
    info->FileNameLength = DWORD(wto.size() * sizeof(wchar_t));
    std::copy(wto.begin(), wto.end(), info->FileName);
    constexpr auto kFileRenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);
    bool renamed =
        SetFileInformationByHandle(source, kFileRenameInfoEx, info, DWORD(buffer.size()));
    CloseHandle(source);
    if (renamed) return;
  }

  // Older systems (and Wine): the old file steps aside under a name of its own, the new one
  // takes its name, and the old one is deleted (it goes when its last handle closes). Should
  // the second rename fail, the old file gets its name back.
  std::wstring aside;
  for (unsigned n = 0;; ++n) {
    aside = wto + L".old" + std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(n);
    if (MoveFileExW(wto.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) break;
    DWORD e = GetLastError();
    if ((e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) || n > 100)
      fail("rename", from + " to " + to, err);
  }
  if (!MoveFileExW(wfrom.c_str(), wto.c_str(), kReplace)) {
    DWORD e = GetLastError();
    MoveFileExW(aside.c_str(), wto.c_str(), MOVEFILE_WRITE_THROUGH);
    fail("rename", from + " to " + to, e);
  }
  DWORD a = GetFileAttributesW(aside.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) {
    DWORD rest = a & kSettable & ~FILE_ATTRIBUTE_READONLY;
    SetFileAttributesW(aside.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
  }
  if (!DeleteFileW(aside.c_str())) fail("delete the replaced file", Narrow(aside), GetLastError());
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    fail("rename", from + " to " + to, GetLastError());
}

void FlushFolder(const std::string& folder) {
  // Renames were written through already; this also flushes the folder where the system
  // lets a folder be flushed, and is quiet where not.
  HANDLE h =
      CreateFileW(WidePath(folder.empty() ? "." : folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                  kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(h);
  CloseHandle(h);
}

std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& mask,
                                    uint32_t attributeMask) {
  std::vector<DirEntry> out;
  std::string pattern = folder.empty() ? "." : folder;
  if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW data;
  // Every name, matched here by MatchesMask: the system's own matching also looks at short
  // 8.3 names ("*.txt" finding "a.txtx"), which the rules of every platform do not.
  HANDLE find = FindFirstFileExW(WidePath(pattern).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return out;  // an empty root
    fail("list", folder, err);
  }
  constexpr uint32_t kExcluding = kHidden | kSystem | kVolumeLabel | kDirectory;
  do {
    DirEntry e;
    e.name = Narrow(data.cFileName, wcslen(data.cFileName));
    if (!MatchesMask(e.name, mask)) continue;
    e.attributes = data.dwFileAttributes & kReported;
    e.isSymbolicLink =
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && isLinkTag(data.dwReserved0);
    e.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    if ((e.attributes & kExcluding & ~attributeMask) != 0) continue;
    out.push_back(std::move(e));
  } while (FindNextFileW(find, &data));
  DWORD err = GetLastError();
  FindClose(find);
  if (err != ERROR_NO_MORE_FILES) fail("list", folder, err);
  return out;
}

}  // namespace velt::platform
