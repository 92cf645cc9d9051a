// The settings registry on Windows: the real registry, with the system's own texts for
// failures. Text goes through the wide functions (RegOpenKeyExW and the rest), because our
// strings are UTF-8: the ANSI ones would turn a non-ASCII installation folder into bytes of
// the local code page.
#include "platform/registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/registry_convert.h"
#include "platform/win32/text.h"

namespace velt::platform {

namespace {

using win32::Narrow;
using win32::Wide;

[[noreturn]] void Fail(DWORD code) {
  throw RegistryError(int(code), ErrorText(int(code)));
}

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The callers write "\Software\VELT"; the API wants the path below the root without it.
std::wstring SubKey(const std::string& keyPath) {
  size_t i = keyPath.find_first_not_of('\\');
  return i == std::string::npos ? std::wstring() : Wide(keyPath.substr(i));
}

// Closes the key on every path out.
struct Key {
  HKEY handle = nullptr;
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (handle) RegCloseKey(handle);
  }
};

// Text up to its first NUL (C strings end there).
std::string UpToNul(const std::string& s) {
  return s.substr(0, s.find('\0'));
}

}  // namespace

std::string RegistryHivePath() {
  return {};
}

RegistryValue ReadRegistryValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName) {
  Key key;
  LONG rc = RegOpenKeyExW(RootKey(root), SubKey(keyPath).c_str(), 0, KEY_READ, &key.handle);
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  const std::wstring name = Wide(valueName);
  DWORD type = 0, size = 0;
  rc = RegQueryValueExW(key.handle, name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) Fail(ERROR_CANTREAD);
  if (type == REG_DWORD) {
    DWORD v = 0, got = sizeof v;
    rc = RegQueryValueExW(key.handle, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v),
                          &got);
    if (rc != ERROR_SUCCESS || got != sizeof v) Fail(ERROR_CANTREAD);
    return int32_t(v);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_BINARY) Fail(ERROR_CANTREAD);
  // Room for a terminator the stored string may lack.
  std::vector<BYTE> data(size_t(size) + sizeof(wchar_t));
  DWORD got = size;
  rc = RegQueryValueExW(key.handle, name.c_str(), nullptr, nullptr, data.data(), &got);
  if (rc != ERROR_SUCCESS || got < size) Fail(ERROR_CANTREAD);
  if (type == REG_BINARY) return std::string(reinterpret_cast<const char*>(data.data()), got);
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), got / sizeof(wchar_t));
  text.resize(std::min(text.size(), text.find(L'\0')));
  return Narrow(text);
}

void WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode) {
  Key key;
  LONG rc =
      RegCreateKeyExW(RootKey(root), SubKey(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key.handle, nullptr);
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  const std::wstring name = Wide(valueName);
  DWORD type = 0;
  switch (typeCode) {
    case kRegKeepType:
      if (RegQueryValueExW(key.handle, name.c_str(), nullptr, &type, nullptr, nullptr) !=
          ERROR_SUCCESS)
        Fail(ERROR_CANTWRITE);
      break;
    case kRegString:
      type = REG_SZ;
      break;
    case kRegExpandString:
      type = REG_EXPAND_SZ;
      break;
    case kRegDword:
      type = REG_DWORD;
      break;
    case kRegBinary:
      type = REG_BINARY;
      break;
    default:
      Fail(ERROR_CANTWRITE);
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text = Wide(UpToNul(RegistryText(value)));
    rc = RegSetValueExW(key.handle, name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        DWORD((text.size() + 1) * sizeof(wchar_t)));
  } else if (type == REG_DWORD) {
    auto n = RegistryDword(value);
    if (!n) Fail(ERROR_CANTWRITE);
    DWORD v = DWORD(uint32_t(*n));
    rc = RegSetValueExW(key.handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                        sizeof v);
  } else if (type == REG_BINARY) {
    std::string bytes = RegistryText(value);
    rc = RegSetValueExW(key.handle, name.c_str(), 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
  } else {
    Fail(ERROR_CANTWRITE);
  }
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  RegFlushKey(key.handle);
}

}  // namespace velt::platform
