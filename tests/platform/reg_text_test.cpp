#include "platform/reg_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velt::platform {
namespace {

using Value = RegText::Value;

constexpr const char* kLM = "HKEY_LOCAL_MACHINE";
constexpr const char* kKey = "\\Software\\VELT";

Value Dword(uint32_t v) {
  return {RegText::kDword, {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}};
}
Value Text(const std::string& s) {
  return {RegText::kString, s};
}

// Registry export with CRLF line ends, as Windows writes them.
std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// An export as regedit writes it: comments, continuation lines, escapes, other keys, letter
// case that differs from the callers'.
const char* const kExport = R"(Windows Registry Editor Version 5.00

; written by hand
[HKEY_LOCAL_MACHINE\SOFTWARE\Other]
"def"="OTHER"

[hkey_local_machine\software\velt]
@="default"
"Path"="C:\\Program Files\\VELT"
"quote"="say \"hi\""
"enc"=dword:0000000C
"blob"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\
  16,17,18
"exp"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,5c,00,62,00,69,00,6e,00,00,\
  00
"multi"=hex(7):61,00,00,00,62,00,00,00,00,00

[HKEY_CURRENT_USER\Software\VELT]
"enc"=dword:00000003

)";

TEST(RegTextTest, ReadsAHandWrittenExport) {
  const RegText hive = RegText::Parse(Crlf(kExport));
  std::string blob;
  for (int i = 0; i <= 0x18; ++i) blob += char(i);
  struct Case {
    std::string root, key, name;
    Value expected;
  };
  const std::vector<Case> cases = {
      {kLM, kKey, "", Text("default")},
      {kLM, kKey, "Path", Text(R"(C:\Program Files\VELT)")},
      {kLM, kKey, "quote", Text(R"(say "hi")")},
      {kLM, kKey, "ENC", Dword(12)},
      {"HKLM", "\\SOFTWARE\\velt\\", "enc", Dword(12)},
      {kLM, kKey, "blob", {RegText::kBinary, blob}},
      {kLM, kKey, "exp", {RegText::kExpandString, R"(%PATH%\bin)"}},
      {kLM, kKey, "multi", {7, std::string("a\0\0\0b\0\0\0\0\0", 10)}},
      {"HKEY_CURRENT_USER", kKey, "enc", Dword(3)},
      {"HKCU", kKey, "enc", Dword(3)},
      {kLM, "\\Software\\Other", "def", Text("OTHER")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root + c.key + " " + c.name);
    EXPECT_EQ(hive.Find(c.root, c.key, c.name), c.expected);
  }
  EXPECT_FALSE(hive.Find(kLM, kKey, "missing"));
  EXPECT_FALSE(hive.Find(kLM, "\\Software", "def"));
  EXPECT_TRUE(hive.HasKey(kLM, "\\Software"));  // a parent of a key that has a section
  EXPECT_TRUE(hive.HasKey(kLM, ""));
  EXPECT_FALSE(hive.HasKey(kLM, "\\Software\\VELT\\Sub"));
  EXPECT_FALSE(hive.HasKey(kLM, "\\Soft"));
}

TEST(RegTextTest, ChangesKeepEverythingElse) {
  RegText hive = RegText::Parse(Crlf(kExport));
  hive.Set(kLM, kKey, "ENC", Dword(5));  // the stored name is kept
  hive.Set(kLM, "\\SOFTWARE\\VELT", "new", Text("x"));
  hive.Set(kLM, "\\Software\\VELT\\Sub", "a", Dword(0xffffffff));
  // The export as it was, but for the changed value and what was added.
  std::string expected = kExport;
  auto replace = [&](const std::string& from, const std::string& to) {
    ASSERT_NE(expected.find(from), std::string::npos) << from;
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("\"enc\"=dword:0000000C\n", "\"enc\"=dword:00000005\n");
  replace("00,00,00,00\n\n", "00,00,00,00\n\"new\"=\"x\"\n\n");
  expected += "[HKEY_LOCAL_MACHINE\\Software\\VELT\\Sub]\n\"a\"=dword:ffffffff\n\n";
  EXPECT_EQ(hive.Print(), expected);
}

TEST(RegTextTest, ReadsAUtf16ExportAndPrintsItAsUtf8) {
  std::string lf =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n"
      "\"def\"=\"\xDC\"\n\"enc\"=dword:00000002\n\n";
  std::string bytes = "\xFF\xFE";
  for (char c : Crlf(lf)) {
    bytes += c;
    bytes += '\0';
  }
  RegText hive = RegText::Parse(bytes);
  EXPECT_EQ(hive.Find(kLM, kKey, "def"), Text("\xC3\x9C"));
  hive.Set(kLM, kKey, "enc", Dword(4));
  EXPECT_EQ(hive.Print(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n"
            "\"def\"=\"\xC3\x9C\"\n\"enc\"=dword:00000004\n\n");
}

TEST(RegTextTest, DamageNamesTheLine) {
  const std::string head =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n";
  struct Case {
    std::string content;
    size_t line;
  };
  const std::vector<Case> cases = {
      {"", 1},
      {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n\"def\"=\"x\"\n", 1},
      {"Windows Registry Editor Version 5.00\n\n\"def\"=\"x\"\n", 3},
      {"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT\n", 3},
      {"Windows Registry Editor Version 5.00\n\n[-HKEY_LOCAL_MACHINE\\Software\\VELT]\n", 3},
      {head + "\"def\"=\"unterminated\n", 4},
      {head + "\"def\"=\"a\\qb\"\n", 4},
      {head + "\"def\"=\"x\" trailing\n", 4},
      {head + "\"enc\"=dword:123456789\n", 4},
      {head + "\"enc\"=dword:\n", 4},
      {head + "\"def\"=\"x\"\n\"blob\"=hex:01,zz\n", 5},
      {head + "\"blob\"=hex:01,02,\\\n", 4},
      {head + "\"x\"=-\n", 4},
      {head + "\"x\"=str:abc\n", 4},
      {head + "garbage\n", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    try {
      RegText::Parse(c.content);
      ADD_FAILURE() << "no damage found";
    } catch (const RegText::Damage& d) {
      EXPECT_EQ(d.line, c.line);
      EXPECT_FALSE(d.reason.empty());
    }
  }
}

}  // namespace
}  // namespace velt::platform
