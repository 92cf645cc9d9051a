#include "platform/reg_text.h"

#include <cstdio>
#include <cstring>

#include "platform/utf8.h"

namespace velt::platform {

namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

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

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

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
    uint32_t cp = 0;
    const size_t len = Utf8At(text, i, cp);
    if (len == 0) {
      put(uint8_t(text[i]));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
  return out;
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

// Whether a value line holds a hex list (the only kind that may continue on further lines).
bool IsHexValue(const std::string& t) {
  size_t pos = 0;
  std::string why;
  if (t[0] == '@')
    pos = 1;
  else if (t[0] != '"' || !Unquote(t, pos, why))
    return false;
  while (pos < t.size() && IsBlank(t[pos])) ++pos;
  if (pos >= t.size() || t[pos] != '=') return false;
  for (++pos; pos < t.size() && IsBlank(t[pos]);) ++pos;
  return StartsNoCase(t, pos, "hex");
}

}  // namespace

RegText::Entry RegText::OtherLine(std::string text, size_t lineNumber) {
  Entry e;
  e.lines.push_back(std::move(text));
  e.lineNumber = lineNumber;
  return e;
}

RegText::RegText() {
  entries_.push_back(OtherLine(kHeader));
  entries_.push_back(OtherLine(""));
}

void RegText::ParseValue(const std::string& text, Entry& e) {
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
    e.type = kString;
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
    e.type = kDword;
    e.form = Form::Dword;
    e.data = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  } else if (StartsNoCase(text, pos, "hex")) {
    pos += 3;
    e.type = kBinary;
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
      std::string item =
          Trim(list.substr(i, comma == std::string::npos ? std::string::npos : comma - i));
      if (item.empty() && comma == std::string::npos) break;
      if (item.size() < 1 || item.size() > 2 || HexDigit(item[0]) < 0 ||
          (item.size() == 2 && HexDigit(item[1]) < 0))
        throw Damage{e.lineNumber, "a hex value holds \"" + item + "\", which is not a byte"};
      e.data +=
          char(item.size() == 1 ? HexDigit(item[0]) : HexDigit(item[0]) << 4 | HexDigit(item[1]));
      if (comma == std::string::npos) break;
      i = comma + 1;
    }
  } else if (pos < text.size() && text[pos] == '-') {
    throw Damage{e.lineNumber, "a value is deleted, which a settings file cannot do"};
  } else {
    throw Damage{e.lineNumber, "a value has a form that is not a quoted text, dword or hex"};
  }
}

RegText RegText::Parse(std::string content) {
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

  RegText hive;
  std::vector<Entry>& entries = hive.entries_;
  entries.clear();
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
  return hive;
}

std::string RegText::Print() const {
  std::string out;
  for (const auto& e : entries_)
    for (const auto& l : e.lines) out += l + "\n";
  return out;
}

// Lines of a value in the layout regedit exports (hex lists wrapped within 80 columns).
std::vector<std::string> RegText::FormatValue(const Entry& e) {
  std::string head = (e.name.empty() ? std::string("@") : "\"" + Escape(e.name) + "\"") + "=";
  char buf[16];
  switch (e.form) {
    case Form::Quoted:
      return {head + "\"" + Escape(e.data) + "\""};
    case Form::Dword: {
      uint32_t v = uint32_t(uint8_t(e.data[0])) | uint32_t(uint8_t(e.data[1])) << 8 |
                   uint32_t(uint8_t(e.data[2])) << 16 | uint32_t(uint8_t(e.data[3])) << 24;
      std::snprintf(buf, sizeof buf, "%08x", v);
      return {head + "dword:" + buf};
    }
    case Form::Hex:
      break;
  }
  if (e.type == kBinary) {
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

bool RegText::HasKey(const std::string& root, const std::string& path) const {
  const std::string key = CanonicalKey(root, path);
  if (key.find('\\') == std::string::npos) return true;  // a root key always exists
  for (const auto& e : entries_)
    if (e.kind == Kind::Section &&
        (e.key == key || (e.key.size() > key.size() && e.key.compare(0, key.size(), key) == 0 &&
                          e.key[key.size()] == '\\')))
      return true;
  return false;
}

// The last definition wins, as when a .reg file is imported.
std::optional<size_t> RegText::FindEntry(const std::string& key, const std::string& name) const {
  std::optional<size_t> found;
  const std::string* current = nullptr;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == Kind::Section)
      current = &entries_[i].key;
    else if (entries_[i].kind == Kind::Value && current && *current == key &&
             EqualNoCase(entries_[i].name, name))
      found = i;
  }
  return found;
}

std::optional<RegText::Value> RegText::Find(const std::string& root, const std::string& path,
                                            const std::string& name) const {
  auto at = FindEntry(CanonicalKey(root, path), name);
  if (!at) return std::nullopt;
  const Entry& e = entries_[*at];
  if ((e.type == kString || e.type == kExpandString) && e.form == Form::Hex)
    return Value{e.type, Utf16ToUtf8(e.data)};
  return Value{e.type, e.data};
}

void RegText::Set(const std::string& root, const std::string& path, const std::string& name,
                  const Value& value) {
  const std::string key = CanonicalKey(root, path);
  auto at = FindEntry(key, name);
  Entry v;
  v.kind = Kind::Value;
  v.name = at ? entries_[*at].name : name;
  v.type = value.type;
  if (value.type == kString || value.type == kExpandString) {
    std::string text = value.data;
    text.resize(std::strlen(text.c_str()));  // a string ends at its first NUL
    // A line break cannot stand in a quoted text; such a string is stored as hex(1).
    if (value.type == kString && text.find_first_of("\r\n") == std::string::npos) {
      v.form = Form::Quoted;
      v.data = text;
    } else {
      v.form = Form::Hex;
      v.data = Utf8ToUtf16(text) + std::string(2, '\0');
    }
  } else {
    v.form = value.type == kDword && value.data.size() == 4 ? Form::Dword : Form::Hex;
    v.data = value.data;
  }
  v.lines = FormatValue(v);

  if (at) {
    entries_[*at] = std::move(v);
    return;
  }
  std::optional<size_t> section;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].kind == Kind::Section && entries_[i].key == key) section = i;
  if (section) {
    // After the section's last value, before the blank line and comments that follow it.
    size_t pos = *section + 1;
    for (size_t i = *section + 1; i < entries_.size() && entries_[i].kind != Kind::Section; ++i)
      if (entries_[i].kind == Kind::Value) pos = i + 1;
    entries_.insert(entries_.begin() + std::ptrdiff_t(pos), std::move(v));
    return;
  }
  if (!Trim(entries_.back().lines.back()).empty()) entries_.push_back(OtherLine(""));
  Entry s;
  s.kind = Kind::Section;
  s.key = key;
  std::string shown = root;
  for (const auto& part : PathComponents(path)) shown += "\\" + part;
  s.lines = {"[" + shown + "]"};
  entries_.push_back(std::move(s));
  entries_.push_back(std::move(v));
  entries_.push_back(OtherLine(""));
}

}  // namespace velt::platform
