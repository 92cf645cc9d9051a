// The registry routines over the real Windows registry (Wine's, in the test run). What they
// store is checked through the registry API itself, not through ReadRegistryValue.
#include "platform/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace velt::platform {
namespace {

using Input = std::variant<std::string, int32_t, bool>;

struct Caught {
  int code = 0;
  std::string text;
};

Caught FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RegistryError& e) {
    return {e.Code(), e.what()};
  }
  ADD_FAILURE() << "no RegistryError";
  return {};
}

// The system's own text for a code, asked here directly.
std::string SystemText(DWORD code) {
  char buffer[512];
  DWORD n =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

struct Raw {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

class WindowsRegistry : public ::testing::TestWithParam<RegistryRoot> {
 protected:
  WindowsRegistry() {
    std::random_device random;
    sub = L"Software\\VELT-test-" + std::to_wstring(random());
    keyPath = "\\" + std::string(sub.begin(), sub.end());
  }
  ~WindowsRegistry() override { RegDeleteTreeW(Root(), sub.c_str()); }

  HKEY Root() const {
    return GetParam() == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  }

  Raw ReadRaw(const wchar_t* name) {
    Raw r;
    DWORD size = 0;
    LONG rc =
        RegGetValueW(Root(), sub.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &r.type, nullptr, &size);
    EXPECT_EQ(rc, ERROR_SUCCESS);
    r.data.resize(size);
    RegGetValueW(Root(), sub.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &r.type, r.data.data(),
                 &size);
    r.data.resize(size);
    return r;
  }

  // A value as another program (an installer, regedit) would store it.
  void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(Root(), sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  static std::vector<BYTE> Utf16z(const std::wstring& s) {
    auto* p = reinterpret_cast<const BYTE*>(s.c_str());
    return std::vector<BYTE>(p, p + (s.size() + 1) * sizeof(wchar_t));
  }
  static std::vector<BYTE> Dword(uint32_t v) {
    auto* p = reinterpret_cast<const BYTE*>(&v);
    return std::vector<BYTE>(p, p + 4);
  }

  std::wstring sub;
  std::string keyPath;
};

TEST_P(WindowsRegistry, EveryTypeRoundTripsAndIsStoredAsTheSystemsOwnType) {
  const RegistryRoot r = GetParam();
  const std::string bin(
      "\x00\x01\xff"
      "ab",
      5);
  struct Case {
    std::wstring name;
    Input in;
    int type;
    RegistryValue expected;
    DWORD storedType;
    std::vector<BYTE> stored;
  };
  const std::vector<Case> cases = {
      {L"str", std::string(R"(C:\Program Files\"VELT")"), kRegString,
       std::string(R"(C:\Program Files\"VELT")"), REG_SZ, Utf16z(LR"(C:\Program Files\"VELT")")},
      {L"utf8",
       std::string("Gr\xC3\xBC\xC3\x9F"
                   "e"),
       kRegString,
       std::string("Gr\xC3\xBC\xC3\x9F"
                   "e"),
       REG_SZ, Utf16z(L"Gr\u00FC\u00DFe")},
      {L"exp", std::string("%A%\xC3\xBC"), kRegExpandString, std::string("%A%\xC3\xBC"),
       REG_EXPAND_SZ, Utf16z(L"%A%\u00FC")},
      {L"dw", int32_t(12), kRegDword, int32_t(12), REG_DWORD, Dword(12)},
      {L"min", int32_t(INT32_MIN), kRegDword, int32_t(INT32_MIN), REG_DWORD, Dword(0x80000000u)},
      {L"on", true, kRegDword, int32_t(-1), REG_DWORD, Dword(0xFFFFFFFFu)},
      {L"off", false, kRegDword, int32_t(0), REG_DWORD, Dword(0)},
      {L"text", std::string("-42"), kRegDword, int32_t(-42), REG_DWORD, Dword(0xFFFFFFD6u)},
      {L"plus", std::string("+7"), kRegDword, int32_t(7), REG_DWORD, Dword(7)},
      {L"flagtext", true, kRegString, std::string("-1"), REG_SZ, Utf16z(L"-1")},
      {L"bin", bin, kRegBinary, bin, REG_BINARY, std::vector<BYTE>(bin.begin(), bin.end())},
      {L"emptybin", std::string(), kRegBinary, std::string(), REG_BINARY, {}},
      {L"", std::string("default"), kRegString, std::string("default"), REG_SZ, Utf16z(L"default")},
  };
  for (const auto& c : cases)
    WriteRegistryValue(r, keyPath, std::string(c.name.begin(), c.name.end()), c.in, c.type);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    EXPECT_EQ(ReadRegistryValue(r, keyPath, std::string(c.name.begin(), c.name.end())), c.expected);
    Raw stored = ReadRaw(c.name.c_str());
    EXPECT_EQ(stored.type, c.storedType);
    EXPECT_EQ(stored.data, c.stored);
  }
  // The leading backslash is optional.
  EXPECT_EQ(ReadRegistryValue(r, keyPath.substr(1), "dw"), RegistryValue(int32_t(12)));
}

TEST_P(WindowsRegistry, ValuesStoredByOtherProgramsAreReadOrRefusedWith1012) {
  const RegistryRoot r = GetParam();
  const std::wstring folder = L"C:\\Programme\\\u00DCber VELT";
  Put(L"Path", REG_SZ, folder.c_str(), DWORD((folder.size() + 1) * 2));
  // Without its terminator, as RegSetValueEx allows.
  Put(L"bare", REG_SZ, L"abc", 6);
  Put(L"exp", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
  uint32_t big = 0x01000000;
  Put(L"be", REG_DWORD_BIG_ENDIAN, &big, 4);
  uint64_t q = 1;
  Put(L"q", REG_QWORD, &q, 8);
  Put(L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
  Put(L"short", REG_DWORD, &big, 2);

  EXPECT_EQ(ReadRegistryValue(r, keyPath, "Path"),
            RegistryValue(std::string("C:\\Programme\\\xC3\x9C"
                                      "ber VELT")));
  EXPECT_EQ(ReadRegistryValue(r, keyPath, "bare"), RegistryValue(std::string("abc")));
  EXPECT_EQ(ReadRegistryValue(r, keyPath, "exp"), RegistryValue(std::string("%SystemRoot%\\x")));
  for (const char* name : {"be", "q", "multi", "short", "missing"}) {
    SCOPED_TRACE(name);
    Caught c = FailureOf([&] { ReadRegistryValue(r, keyPath, name); });
    EXPECT_EQ(c.code, 1012);
    EXPECT_EQ(c.text, SystemText(1012));
  }
  Caught c = FailureOf([&] { ReadRegistryValue(r, keyPath + "\\missing", "Path"); });
  EXPECT_EQ(c.code, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(c.text, SystemText(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(c.text.empty());
}

TEST_P(WindowsRegistry, TypeCodeZeroKeepsTheStoredType) {
  const RegistryRoot r = GetParam();
  uint32_t five = 5;
  Put(L"dw", REG_DWORD, &five, 4);
  Put(L"sz", REG_SZ, L"old", 8);
  Put(L"bin", REG_BINARY, "\x01", 1);
  Put(L"exp", REG_EXPAND_SZ, L"A", 4);
  WriteRegistryValue(r, keyPath, "dw", std::string("7"), kRegKeepType);
  WriteRegistryValue(r, keyPath, "sz", int32_t(9), kRegKeepType);
  WriteRegistryValue(r, keyPath, "bin", std::string("xyz"), kRegKeepType);
  WriteRegistryValue(r, keyPath, "exp", std::string("B"), kRegKeepType);
  EXPECT_EQ(ReadRaw(L"dw").type, DWORD(REG_DWORD));
  EXPECT_EQ(ReadRaw(L"dw").data, Dword(7));
  EXPECT_EQ(ReadRaw(L"sz").type, DWORD(REG_SZ));
  EXPECT_EQ(ReadRaw(L"sz").data, Utf16z(L"9"));
  EXPECT_EQ(ReadRaw(L"bin").type, DWORD(REG_BINARY));
  EXPECT_EQ(ReadRaw(L"bin").data, (std::vector<BYTE>{'x', 'y', 'z'}));
  EXPECT_EQ(ReadRaw(L"exp").type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(ReadRaw(L"exp").data, Utf16z(L"B"));
}

TEST_P(WindowsRegistry, WritesThatCannotBeStoredFailWith1013AndStoreNothing) {
  const RegistryRoot r = GetParam();
  Put(L"multi", REG_MULTI_SZ, L"a\0\0", 6);
  struct Case {
    std::string name;
    Input in;
    int type;
  };
  const std::vector<Case> cases = {
      {"missing", std::string("x"), kRegKeepType},
      {"multi", std::string("x"), kRegKeepType},
      {"v", std::string("x"), 5},
      {"v", std::string("x"), -1},
      {"v", std::string("abc"), kRegDword},
      {"v", std::string("12a"), kRegDword},
      {"v", std::string(""), kRegDword},
      {"v", std::string("2147483648"), kRegDword},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " type " + std::to_string(c.type));
    Caught caught = FailureOf([&] { WriteRegistryValue(r, keyPath, c.name, c.in, c.type); });
    EXPECT_EQ(caught.code, 1013);
    EXPECT_EQ(caught.text, SystemText(1013));
  }
  for (const wchar_t* name : {L"missing", L"v"})
    EXPECT_EQ(RegGetValueW(Root(), sub.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadRaw(L"multi").type, DWORD(REG_MULTI_SZ));

  // Several values as one change. One that cannot be stored keeps them all out; one that the
  // system refuses after others were written (a name longer than values may have) undoes them:
  // an earlier value is back as it was, a new one gone again.
  uint32_t seven = 7;
  Put(L"kept", REG_DWORD, &seven, 4);
  const std::vector<std::vector<RegistryWrite>> batches = {
      {{"kept", std::string("new"), kRegString},
       {"fresh", int32_t(1), kRegDword},
       {"v", std::string("abc"), kRegDword}},
      {{"kept", std::string("new"), kRegString},
       {"fresh", int32_t(1), kRegDword},
       {std::string(20000, 'n'), std::string("x"), kRegString}},
  };
  for (const auto& values : batches) {
    Caught caught = FailureOf([&] { WriteRegistryValues(r, keyPath, values); });
    EXPECT_NE(caught.code, 0);
    EXPECT_EQ(caught.text, SystemText(DWORD(caught.code)));
    EXPECT_EQ(ReadRaw(L"kept").type, DWORD(REG_DWORD));
    EXPECT_EQ(ReadRaw(L"kept").data, Dword(7));
    EXPECT_EQ(RegGetValueW(Root(), sub.c_str(), L"fresh", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
  }
}

TEST_P(WindowsRegistry, WritingCreatesTheKeyAndFailuresNameTheSystemsReason) {
  const RegistryRoot r = GetParam();
  WriteRegistryValue(r, keyPath + "\\deeper\\still", "def", std::string("VELT"), kRegString);
  EXPECT_EQ(ReadRegistryValue(r, keyPath + "\\deeper\\still", "def"),
            RegistryValue(std::string("VELT")));
  // A key name longer than the registry allows (255 characters): the system's reason.
  Caught c = FailureOf([&] {
    WriteRegistryValue(r, keyPath + "\\" + std::string(300, 'k'), "x", int32_t(1), kRegDword);
  });
  EXPECT_NE(c.code, 0);
  EXPECT_EQ(c.text, SystemText(DWORD(c.code)));
}

INSTANTIATE_TEST_SUITE_P(BothRoots, WindowsRegistry,
                         ::testing::Values(RegistryRoot::LocalMachine, RegistryRoot::CurrentUser),
                         [](const auto& info) {
                           return info.param == RegistryRoot::LocalMachine ? "LocalMachine"
                                                                           : "CurrentUser";
                         });

TEST(WindowsRegistryPath, NoHiveFileOnWindows) {
  EXPECT_EQ(RegistryHivePath(), "");
}

}  // namespace
}  // namespace velt::platform
