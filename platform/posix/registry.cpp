// The settings registry on POSIX: one hive file in the text format of Windows registry exports
// ("Windows Registry Editor Version 5.00"), so a hive can be written by hand or taken from an
// export. Failures carry the codes and texts the Windows registry gives for the same cases.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/registry_convert.h"

#ifndef VELT_INSTALL_PREFIX
#define VELT_INSTALL_PREFIX ""
#endif

namespace velt::platform {

namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

// Windows error codes, so callers see the same numbers and texts on every platform.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kWriteProtect = 19;
constexpr int kDiskFull = 112;
constexpr int kCantRead = 1012;
constexpr int kCantWrite = 1013;

// Windows value types.
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeExpandSz = 2;
constexpr uint32_t kTypeBinary = 3;
constexpr uint32_t kTypeDword = 4;

std::string SystemText(int code) {
  switch (code) {
    case kFileNotFound: return "The system cannot find the file specified.";
    case kAccessDenied: return "Access is denied.";
    case kWriteProtect: return "The media is write protected.";
    case kDiskFull: return "There is not enough space on the disk.";
    case kCantRead: return "The configuration registry key could not be read.";
    case kCantWrite: return "The configuration registry key could not be written.";
  }
  return "Error " + std::to_string(code) + ".";
}

[[noreturn]] void Fail(int code) { throw RegistryError(code, SystemText(code)); }

// errno as the registry would report it; causes without a Windows counterpart keep the
// generic read/write failure and say what went wrong with which file.
[[noreturn]] void FailErrno(int err, int fallback, const std::string& path) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: Fail(kFileNotFound);
    case EACCES:
    case EPERM: Fail(kAccessDenied);
    case EROFS: Fail(kWriteProtect);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: Fail(kDiskFull);
  }
  throw RegistryError(fallback, SystemText(fallback) + " (" + path + ": " + std::strerror(err) + ")");
}

// ---- text helpers ----

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsNoCase(const std::string& s, size_t pos, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (s.size() - pos < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (Lower(s[pos + i]) != Lower(prefix[i])) return false;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE code units up to the first NUL, as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes) {
  std::string out;
  size_t n = bytes.size() / 2;
  auto unit = [&](size_t i) {
    return uint32_t(uint8_t(bytes[2 * i])) | uint32_t(uint8_t(bytes[2 * i + 1])) << 8;
  };
  for (size_t i = 0; i < n; ++i) {
    uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

// UTF-8 to UTF-16LE; a byte that is not part of valid UTF-8 stands for itself (Latin-1).
std::string Utf8ToUtf16(const std::string& text) {
  std::string out;
  auto put = [&](uint32_t u) {
    out += char(u & 0xFF);
    out += char(u >> 8);
  };
  size_t i = 0;
  while (i < text.size()) {
    uint8_t c = uint8_t(text[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    uint32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool ok = len > 0 && i + size_t(len) <= text.size();
    for (int k = 1; ok && k < len; ++k) {
      uint8_t cc = uint8_t(text[i + size_t(k)]);
      ok = (cc & 0xC0) == 0x80;
      cp = cp << 6 | (cc & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok) ok = cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp < 0xE000);
    if (!ok) {
      put(c);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += size_t(len);
  }
  return out;
}

// ---- the hive ----

enum class Kind { Other, Section, Value };  // Other: header, blank line or comment
enum class Form { Quoted, Dword, Hex };

struct Entry {
  Kind kind = Kind::Other;
  std::vector<std::string> lines;  // as they stand in the file, without line ends
  size_t lineNumber = 0;
  std::string key;                 // Section: canonical name
  std::string name;                // Value: name as stored ("" for the default value)
  uint32_t type = 0;
  Form form = Form::Quoted;
  std::string data;                // Quoted: the text; Dword: 4 bytes LE; Hex: the bytes
};

Entry OtherLine(std::string text, size_t lineNumber = 0) {
  Entry e;
  e.lines.push_back(std::move(text));
  e.lineNumber = lineNumber;
  return e;
}

struct Damage {
  size_t line;
  std::string reason;
};

const char* RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::vector<std::string> PathComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

// Key names compare without letter case, as in the registry; the usual short root names are
// accepted in hand-written files.
std::string CanonicalKey(const std::string& root, const std::string& path) {
  std::string r;
  for (char c : root) r += Upper(c);
  if (r == "HKLM") r = "HKEY_LOCAL_MACHINE";
  if (r == "HKCU") r = "HKEY_CURRENT_USER";
  for (const auto& part : PathComponents(path)) {
    r += '\\';
    for (char c : part) r += Lower(c);
  }
  return r;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// A quoted name or text starting at s[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> Unquote(const std::string& s, size_t& pos, std::string& why) {
  std::string out;
  for (size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      pos = i + 1;
      return out;
    }
    if (s[i] == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
        why = "a backslash in quotes must be followed by \\ or \"";
        return std::nullopt;
      }
      ++i;
    }
    out += s[i];
  }
  why = "a quoted text has no closing quote";
  return std::nullopt;
}

void ParseValue(const std::string& text, Entry& e) {
  size_t pos = 0;
  std::string why;
  if (text.empty()) throw Damage{e.lineNumber, "a line is neither a key nor a value"};
  if (text[0] == '@') {
    pos = 1;
  } else if (text[0] == '"') {
    auto name = Unquote(text, pos, why);
    if (!name) throw Damage{e.lineNumber, why};
    e.name = *name;
  } else {
    throw Damage{e.lineNumber, "a line is neither a key nor a value"};
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos >= text.size() || text[pos] != '=')
    throw Damage{e.lineNumber, "a value name is not followed by \"=\""};
  ++pos;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  auto onlyBlanksAfter = [&](size_t p) {
    for (; p < text.size(); ++p)
      if (!IsBlank(text[p])) throw Damage{e.lineNumber, "a value is followed by other text"};
  };

  if (pos < text.size() && text[pos] == '"') {
    auto data = Unquote(text, pos, why);
    if (!data) throw Damage{e.lineNumber, why};
    onlyBlanksAfter(pos);
    e.type = kTypeSz;
    e.form = Form::Quoted;
    e.data = *data;
  } else if (StartsNoCase(text, pos, "dword:")) {
    pos += 6;
    uint32_t v = 0;
    size_t digits = 0;
    for (; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos, ++digits)
      v = v << 4 | uint32_t(HexDigit(text[pos]));
    if (digits == 0 || digits > 8)
      throw Damage{e.lineNumber, "a dword value needs 1 to 8 hexadecimal digits"};
    onlyBlanksAfter(pos);
    e.type = kTypeDword;
    e.form = Form::Dword;
    e.data = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  } else if (StartsNoCase(text, pos, "hex")) {
    pos += 3;
    e.type = kTypeBinary;
    if (pos < text.size() && text[pos] == '(') {
      uint64_t t = 0;
      size_t digits = 0;
      for (++pos; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos, ++digits)
        t = t << 4 | uint64_t(HexDigit(text[pos]));
      if (digits == 0 || digits > 8 || pos >= text.size() || text[pos] != ')')
        throw Damage{e.lineNumber, "a hex(type) value has a malformed type"};
      e.type = uint32_t(t);
      ++pos;
    }
    if (pos >= text.size() || text[pos] != ':')
      throw Damage{e.lineNumber, "a hex value is missing its \":\""};
    ++pos;
    e.form = Form::Hex;
    e.data.clear();
    // Bytes as two hex digits separated by commas; one trailing comma is tolerated.
    std::string list = Trim(text.substr(pos));
    size_t i = 0;
    while (i < list.size()) {
      size_t comma = list.find(',', i);
      std::string item = Trim(list.substr(i, comma == std::string::npos ? std::string::npos : comma - i));
      if (item.empty() && comma == std::string::npos) break;
      if (item.size() < 1 || item.size() > 2 || HexDigit(item[0]) < 0 ||
          (item.size() == 2 && HexDigit(item[1]) < 0))
        throw Damage{e.lineNumber, "a hex value holds \"" + item + "\", which is not a byte"};
      e.data += char(item.size() == 1 ? HexDigit(item[0]) : HexDigit(item[0]) << 4 | HexDigit(item[1]));
      if (comma == std::string::npos) break;
      i = comma + 1;
    }
  } else if (pos < text.size() && text[pos] == '-') {
    throw Damage{e.lineNumber, "a value is deleted, which a settings file cannot do"};
  } else {
    throw Damage{e.lineNumber, "a value has a form that is not a quoted text, dword or hex"};
  }
}

// Whether a value line holds a hex list (the only kind that may continue on further lines).
bool IsHexValue(const std::string& t) {
  size_t pos = 0;
  std::string why;
  if (t[0] == '@') pos = 1;
  else if (t[0] != '"' || !Unquote(t, pos, why)) return false;
  while (pos < t.size() && IsBlank(t[pos])) ++pos;
  if (pos >= t.size() || t[pos] != '=') return false;
  for (++pos; pos < t.size() && IsBlank(t[pos]);) ++pos;
  return StartsNoCase(t, pos, "hex");
}

std::vector<Entry> Parse(std::string content) {
  // Windows exports are UTF-16LE with a byte-order mark; ours are UTF-8.
  if (content.size() >= 2 && uint8_t(content[0]) == 0xFF && uint8_t(content[1]) == 0xFE) {
    content = Utf16ToUtf8(content.substr(2) + std::string(2, '\0'));
  } else if (content.size() >= 3 && content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    content.erase(0, 3);
  }
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t nl = content.find('\n', start);
    size_t end = nl == std::string::npos ? content.size() : nl;
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  if (lines.empty() || Trim(lines[0]) != kHeader)
    throw Damage{1, std::string("the first line is not \"") + kHeader + "\""};

  std::vector<Entry> entries;
  entries.push_back(OtherLine(lines[0], 1));
  bool inSection = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    Entry e;
    e.lineNumber = i + 1;
    e.lines.push_back(lines[i]);
    std::string t = Trim(lines[i]);
    if (t.empty() || t[0] == ';') {
      e.kind = Kind::Other;
    } else if (t[0] == '[') {
      if (t.back() != ']') throw Damage{e.lineNumber, "a key line does not end with \"]\""};
      std::string inner = t.substr(1, t.size() - 2);
      if (!inner.empty() && inner[0] == '-')
        throw Damage{e.lineNumber, "a key is deleted, which a settings file cannot do"};
      size_t slash = inner.find('\\');
      std::string root = inner.substr(0, slash);
      if (root.empty()) throw Damage{e.lineNumber, "a key has no root name"};
      e.kind = Kind::Section;
      e.key = CanonicalKey(root, slash == std::string::npos ? "" : inner.substr(slash + 1));
      inSection = true;
    } else {
      if (!inSection) throw Damage{e.lineNumber, "a value stands before the first key"};
      e.kind = Kind::Value;
      // Long hex values continue on the next line after a trailing backslash.
      std::string text = t;
      if (IsHexValue(t)) {
        while (!text.empty() && text.back() == '\\') {
          if (i + 1 >= lines.size())
            throw Damage{e.lineNumber, "a hex value continues past the end of the file"};
          text.pop_back();
          text += Trim(lines[++i]);
          e.lines.push_back(lines[i]);
        }
      }
      ParseValue(text, e);
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string Serialize(const std::vector<Entry>& entries) {
  std::string out;
  for (const auto& e : entries)
    for (const auto& l : e.lines) out += l + "\n";
  return out;
}

// Lines of a value in the layout regedit exports (hex lists wrapped within 80 columns).
std::vector<std::string> FormatValue(const Entry& e) {
  std::string head = (e.name.empty() ? std::string("@") : "\"" + Escape(e.name) + "\"") + "=";
  char buf[16];
  switch (e.form) {
    case Form::Quoted: return {head + "\"" + Escape(e.data) + "\""};
    case Form::Dword: {
      uint32_t v = uint32_t(uint8_t(e.data[0])) | uint32_t(uint8_t(e.data[1])) << 8 |
                   uint32_t(uint8_t(e.data[2])) << 16 | uint32_t(uint8_t(e.data[3])) << 24;
      std::snprintf(buf, sizeof buf, "%08x", v);
      return {head + "dword:" + buf};
    }
    case Form::Hex: break;
  }
  if (e.type == kTypeBinary) {
    head += "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "%x", e.type);
    head += std::string("hex(") + buf + "):";
  }
  std::vector<std::string> lines;
  std::string line = head;
  for (size_t i = 0; i < e.data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", unsigned(uint8_t(e.data[i])));
    std::string token = buf;
    if (i + 1 < e.data.size()) token += ',';
    if (line.size() + token.size() + 1 > 80) {
      lines.push_back(line + "\\");
      line = "  ";
    }
    line += token;
  }
  lines.push_back(line);
  return lines;
}

bool KeyExists(const std::vector<Entry>& entries, const std::string& key) {
  if (key.find('\\') == std::string::npos) return true;  // a root key always exists
  for (const auto& e : entries)
    if (e.kind == Kind::Section &&
        (e.key == key || (e.key.size() > key.size() && e.key.compare(0, key.size(), key) == 0 &&
                          e.key[key.size()] == '\\')))
      return true;
  return false;
}

// The last definition wins, as when a .reg file is imported.
std::optional<size_t> FindValue(const std::vector<Entry>& entries, const std::string& key,
                                const std::string& name) {
  std::optional<size_t> found;
  const std::string* current = nullptr;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].kind == Kind::Section) current = &entries[i].key;
    else if (entries[i].kind == Kind::Value && current && *current == key &&
             EqualNoCase(entries[i].name, name))
      found = i;
  }
  return found;
}

// ---- files ----

std::string DamagedText(int code, const std::string& path, const Damage& d) {
  return SystemText(code) + " The registry file " + path + " is damaged at line " +
         std::to_string(d.line) + ": " + d.reason + ".";
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

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int f = fd_;
    fd_ = -1;
    return f;
  }

 private:
  int fd_;
};

// The whole file, or the errno of the failure.
int ReadWhole(int fd, std::string& out) {
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    out.append(buf, size_t(n));
  }
}

std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolders(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) FailErrno(ENOTDIR, kCantWrite, folder);
    return;
  }
  if (errno != ENOENT) FailErrno(errno, kCantWrite, folder);
  std::string parent = FolderPart(folder);
  if (parent != folder) MakeFolders(parent);
  if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) FailErrno(errno, kCantWrite, folder);
}

// Replaces the hive with `content`: a new file beside it, flushed, renamed over it.
void ReplaceHive(const std::string& path, const std::string& content, const struct stat* old) {
  std::string folder = FolderPart(path);
  std::string temp = path + ".tmp.XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) FailErrno(errno, kCantWrite, temp);
  auto failAndRemove = [&](int err) {
    ::unlink(temp.c_str());
    FailErrno(err, kCantWrite, path);
  };
  mode_t mode = old ? old->st_mode & 07777 : 0644;
  if (::fchmod(fd.get(), mode) != 0) failAndRemove(errno);
  // Root rewriting someone else's hive must not take it over.
  if (old && ::geteuid() == 0 && (old->st_uid != 0 || old->st_gid != 0))
    (void)!::fchown(fd.get(), old->st_uid, old->st_gid);
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failAndRemove(errno);
    done += size_t(n);
  }
  if (::fsync(fd.get()) != 0) failAndRemove(errno);
  if (::close(fd.release()) != 0) failAndRemove(errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) failAndRemove(errno);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

std::string RegistryHivePath() {
  const char* env = std::getenv("VELT_REGISTRY");
  if (env && *env) return env;
  return std::string(VELT_INSTALL_PREFIX) + "/etc/velt/registry.reg";
}

RegistryValue ReadRegistryValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName) {
  const std::string path = RegistryHivePath();
  std::string content;
  {
    LockFile lock(path + ".lock", false);
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) FailErrno(errno, kCantRead, path);
    if (int err = ReadWhole(fd.get(), content)) FailErrno(err, kCantRead, path);
  }
  std::vector<Entry> entries;
  try {
    entries = Parse(std::move(content));
  } catch (const Damage& d) {
    throw RegistryError(kCantRead, DamagedText(kCantRead, path, d));
  }
  std::string key = CanonicalKey(RootName(root), keyPath);
  if (!KeyExists(entries, key)) Fail(kFileNotFound);
  auto at = FindValue(entries, key, valueName);
  if (!at) Fail(kCantRead);
  const Entry& e = entries[*at];
  switch (e.type) {
    case kTypeSz:
    case kTypeExpandSz: return e.form == Form::Quoted ? e.data : Utf16ToUtf8(e.data);
    case kTypeBinary: return e.data;
    case kTypeDword:
      if (e.data.size() != 4) Fail(kCantRead);
      return int32_t(uint32_t(uint8_t(e.data[0])) | uint32_t(uint8_t(e.data[1])) << 8 |
                     uint32_t(uint8_t(e.data[2])) << 16 | uint32_t(uint8_t(e.data[3])) << 24);
  }
  Fail(kCantRead);
}

void WriteRegistryValue(RegistryRoot root, const std::string& keyPath,
                        const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode) {
  std::string path = RegistryHivePath();
  // Writing through a link replaces the file it points to, not the link.
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) FailErrno(errno, kCantWrite, path);
    path = resolved;
  }
  MakeFolders(FolderPart(path));
  LockFile lock(path + ".lock", true);

  std::string content;
  struct stat st;
  bool exists = false;
  {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() >= 0) {
      exists = true;
      if (::fstat(fd.get(), &st) != 0) FailErrno(errno, kCantWrite, path);
      if (!S_ISREG(st.st_mode)) FailErrno(EISDIR, kCantWrite, path);
      if (int err = ReadWhole(fd.get(), content)) FailErrno(err, kCantWrite, path);
    } else if (errno != ENOENT) {
      FailErrno(errno, kCantWrite, path);
    }
  }
  // The hive's own permission stands for the key's access rights: a hive the caller may not
  // write is refused even where the folder would let it be replaced.
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    FailErrno(errno, kCantWrite, path);

  std::vector<Entry> entries;
  if (exists) {
    try {
      entries = Parse(std::move(content));
    } catch (const Damage& d) {
      throw RegistryError(kCantWrite, DamagedText(kCantWrite, path, d));
    }
  } else {
    entries.push_back(OtherLine(kHeader));
    entries.push_back(OtherLine(""));
  }

  // A line break would split the entry in the file; the registry has no such names either.
  if ((keyPath + valueName).find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    Fail(kCantWrite);
  std::string key = CanonicalKey(RootName(root), keyPath);
  auto at = FindValue(entries, key, valueName);

  uint32_t type;
  switch (typeCode) {
    case kRegKeepType:
      if (!at) Fail(kCantWrite);
      type = entries[*at].type;
      if (type != kTypeSz && type != kTypeExpandSz && type != kTypeDword && type != kTypeBinary)
        Fail(kCantWrite);
      break;
    case kRegString: type = kTypeSz; break;
    case kRegExpandString: type = kTypeExpandSz; break;
    case kRegDword: type = kTypeDword; break;
    case kRegBinary: type = kTypeBinary; break;
    default: Fail(kCantWrite);
  }

  Entry v;
  v.kind = Kind::Value;
  v.name = at ? entries[*at].name : valueName;
  v.type = type;
  if (type == kTypeDword) {
    auto n = RegistryDword(value);
    if (!n) Fail(kCantWrite);
    uint32_t u = uint32_t(*n);
    v.form = Form::Dword;
    v.data = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
  } else if (type == kTypeBinary) {
    v.form = Form::Hex;
    v.data = RegistryText(value);
  } else {
    std::string text = RegistryText(value);
    text.resize(std::strlen(text.c_str()));  // a string ends at its first NUL
    // A line break cannot stand in a quoted text; such a string is stored as hex(1).
    if (type == kTypeSz && text.find_first_of("\r\n") == std::string::npos) {
      v.form = Form::Quoted;
      v.data = text;
    } else {
      v.form = Form::Hex;
      v.data = Utf8ToUtf16(text) + std::string(2, '\0');
    }
  }
  v.lines = FormatValue(v);

  if (at) {
    entries[*at] = std::move(v);
  } else {
    std::optional<size_t> section;
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].kind == Kind::Section && entries[i].key == key) section = i;
    if (section) {
      // After the section's last value, before the blank line and comments that follow it.
      size_t pos = *section + 1;
      for (size_t i = *section + 1; i < entries.size() && entries[i].kind != Kind::Section; ++i)
        if (entries[i].kind == Kind::Value) pos = i + 1;
      entries.insert(entries.begin() + std::ptrdiff_t(pos), std::move(v));
    } else {
      if (!Trim(entries.back().lines.back()).empty()) entries.push_back(OtherLine(""));
      Entry s;
      s.kind = Kind::Section;
      s.key = key;
      std::string name = RootName(root);
      for (const auto& part : PathComponents(keyPath)) name += "\\" + part;
      s.lines = {"[" + name + "]"};
      entries.push_back(std::move(s));
      entries.push_back(std::move(v));
      entries.push_back(OtherLine(""));
    }
  }
  ReplaceHive(path, Serialize(entries), exists ? &st : nullptr);
}

}  // namespace velt::platform
