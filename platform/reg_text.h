// The text format of registry exports ("Windows Registry Editor Version 5.00"), in which the
// POSIX settings hive is kept: a text read into keys and values and printed back, with
// everything a change does not touch (comments, layout, other keys, types VELT never uses)
// kept as it stood. Text only: reading and writing the file is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform {

class RegText {
 public:
  // Windows value types.
  static constexpr uint32_t kString = 1;
  static constexpr uint32_t kExpandString = 2;
  static constexpr uint32_t kBinary = 3;
  static constexpr uint32_t kDword = 4;

  struct Value {
    uint32_t type = 0;
    // Strings: the text in UTF-8; a dword: its bytes, little-endian (4 unless the file says
    // otherwise); any other type: the bytes as stored.
    std::string data;
    bool operator==(const Value&) const = default;
  };

  // Where a text stops being a registry export, and why.
  struct Damage {
    size_t line;
    std::string reason;
  };

  // The header and nothing else.
  RegText();
  // UTF-8 (with or without a byte-order mark) or UTF-16LE with its mark, lines ended by CRLF
  // or LF. Throws Damage.
  static RegText Parse(std::string content);
  // UTF-8 with LF line ends.
  std::string Print() const;

  // `root` as in the file ("HKEY_LOCAL_MACHINE", or the short HKLM and HKCU), `path` as the
  // callers write it ("\Software\VELT"). Key and value names compare without letter case.
  // A key exists when it or a key below it has a section; a root key always exists.
  bool HasKey(const std::string& root, const std::string& path) const;
  // The value's last definition, as importing the file would leave it.
  std::optional<Value> Find(const std::string& root, const std::string& path,
                            const std::string& name) const;
  // Replaces the value (its name kept as stored) or adds it after the key's last value, the
  // key at the end when it has no section yet. A string ends at its first NUL; one with a line
  // break, and every expandable string, is written in hex form.
  void Set(const std::string& root, const std::string& path, const std::string& name,
           const Value& value);

 private:
  enum class Kind { Other, Section, Value };  // Other: header, blank line or comment
  enum class Form { Quoted, Dword, Hex };

  struct Entry {
    Kind kind = Kind::Other;
    std::vector<std::string> lines;  // as they stand in the text, without line ends
    size_t lineNumber = 0;
    std::string key;   // Section: canonical name
    std::string name;  // Value: name as stored ("" for the default value)
    uint32_t type = 0;
    Form form = Form::Quoted;
    std::string data;  // Quoted: the text; Dword: 4 bytes LE; Hex: the bytes
  };

  static Entry OtherLine(std::string text, size_t lineNumber = 0);
  static void ParseValue(const std::string& text, Entry& e);
  static std::vector<std::string> FormatValue(const Entry& e);
  std::optional<size_t> FindEntry(const std::string& key, const std::string& name) const;

  std::vector<Entry> entries_;
};

}  // namespace velt::platform
