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

// A value as the registry holds it; `exists` false for one that is not there.
struct Stored {
  std::wstring name;
  bool exists = true;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// What `w` becomes in the key (type code 0 asks the key for the type already stored).
Stored StoredForm(HKEY key, const RegistryWrite& w) {
  Stored s;
  s.name = Wide(w.name);
  switch (w.typeCode) {
    case kRegKeepType:
      if (RegQueryValueExW(key, s.name.c_str(), nullptr, &s.type, nullptr, nullptr) !=
              ERROR_SUCCESS ||
          (s.type != REG_SZ && s.type != REG_EXPAND_SZ && s.type != REG_DWORD &&
           s.type != REG_BINARY))
        Fail(ERROR_CANTWRITE);
      break;
    case kRegString:
      s.type = REG_SZ;
      break;
    case kRegExpandString:
      s.type = REG_EXPAND_SZ;
      break;
    case kRegDword:
      s.type = REG_DWORD;
      break;
    case kRegBinary:
      s.type = REG_BINARY;
      break;
    default:
      Fail(ERROR_CANTWRITE);
  }
  if (s.type == REG_SZ || s.type == REG_EXPAND_SZ) {
    const std::wstring text = Wide(UpToNul(RegistryText(w.value)));
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    s.data.assign(p, p + (text.size() + 1) * sizeof(wchar_t));
  } else if (s.type == REG_DWORD) {
    auto n = RegistryDword(w.value);
    if (!n) Fail(ERROR_CANTWRITE);
    const DWORD v = DWORD(uint32_t(*n));
    const auto* p = reinterpret_cast<const BYTE*>(&v);
    s.data.assign(p, p + sizeof v);
  } else {
    const std::string bytes = RegistryText(w.value);
    s.data.assign(bytes.begin(), bytes.end());
  }
  return s;
}

// The value `name` as it stands now, of whatever type.
Stored Current(HKEY key, const std::wstring& name) {
  Stored s;
  s.name = name;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &s.type, nullptr, &size);
  while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    s.data.resize(size);
    rc = RegQueryValueExW(key, name.c_str(), nullptr, &s.type, s.data.data(), &size);
    if (rc == ERROR_SUCCESS) {
      s.data.resize(size);
      return s;
    }
  }
  s.exists = false;
  return s;
}

LONG Put(HKEY key, const Stored& s) {
  return RegSetValueExW(key, s.name.c_str(), 0, s.type, s.data.data(), DWORD(s.data.size()));
}

// Puts back a value as it was before a write that is being undone.
void Restore(HKEY key, const Stored& s) {
  if (s.exists)
    Put(key, s);
  else
    RegDeleteValueW(key, s.name.c_str());
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

std::string RegistryKeyName(RegistryRoot root, const std::string& keyPath) {
  size_t i = keyPath.find_first_not_of('\\');
  return std::string(root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE"
                                                        : "HKEY_CURRENT_USER") +
         "\\" + (i == std::string::npos ? "" : keyPath.substr(i));
}

void WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode) {
  WriteRegistryValues(root, keyPath, {{valueName, value, typeCode}});
}

void WriteRegistryValues(RegistryRoot root, const std::string& keyPath,
                         const std::vector<RegistryWrite>& values) {
  Key key;
  LONG rc =
      RegCreateKeyExW(RootKey(root), SubKey(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key.handle, nullptr);
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  // Every value is turned into its stored form and every earlier state kept before the first
  // write, so that one that cannot be stored fails with nothing written, and a write the system
  // refuses half-way can be undone.
  std::vector<Stored> wanted, before;
  for (const RegistryWrite& w : values) {
    wanted.push_back(StoredForm(key.handle, w));
    before.push_back(Current(key.handle, wanted.back().name));
  }
  for (size_t i = 0; i < wanted.size(); ++i) {
    rc = Put(key.handle, wanted[i]);
    if (rc != ERROR_SUCCESS) {
      for (size_t j = i; j-- > 0;) Restore(key.handle, before[j]);
      RegFlushKey(key.handle);
      Fail(DWORD(rc));
    }
  }
  RegFlushKey(key.handle);
}

}  // namespace velt::platform
