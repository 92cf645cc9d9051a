// The settings registry on Windows: the real registry through its ANSI interface, with the
// system's own texts for failures.
#include "platform/registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/registry_convert.h"

namespace velt::platform {

namespace {

std::string SystemText(DWORD code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
      0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : "Error " + std::to_string(code) + ".";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

[[noreturn]] void Fail(DWORD code) { throw RegistryError(int(code), SystemText(code)); }

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The callers write "\Software\VELT"; the API wants the path below the root without it.
std::string SubKey(const std::string& keyPath) {
  size_t i = keyPath.find_first_not_of('\\');
  return i == std::string::npos ? std::string() : keyPath.substr(i);
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

}  // namespace

std::string RegistryHivePath() { return {}; }

RegistryValue ReadRegistryValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName) {
  Key key;
  LONG rc = RegOpenKeyExA(RootKey(root), SubKey(keyPath).c_str(), 0, KEY_READ, &key.handle);
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  DWORD type = 0, size = 0;
  rc = RegQueryValueExA(key.handle, valueName.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) Fail(ERROR_CANTREAD);
  if (type == REG_DWORD) {
    DWORD v = 0, got = sizeof v;
    rc = RegQueryValueExA(key.handle, valueName.c_str(), nullptr, nullptr,
                          reinterpret_cast<BYTE*>(&v), &got);
    if (rc != ERROR_SUCCESS || got != sizeof v) Fail(ERROR_CANTREAD);
    return int32_t(v);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_BINARY) Fail(ERROR_CANTREAD);
  std::vector<BYTE> data(size_t(size) + 1);
  DWORD got = size;
  rc = RegQueryValueExA(key.handle, valueName.c_str(), nullptr, nullptr, data.data(), &got);
  if (rc != ERROR_SUCCESS || got < size) Fail(ERROR_CANTREAD);
  std::string text(reinterpret_cast<const char*>(data.data()), got);
  if (type != REG_BINARY) text.resize(std::strlen(text.c_str()));  // drop the terminator
  return text;
}

void WriteRegistryValue(RegistryRoot root, const std::string& keyPath,
                        const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode) {
  Key key;
  LONG rc = RegCreateKeyExA(RootKey(root), SubKey(keyPath).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key.handle,
                            nullptr);
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  DWORD type = 0;
  switch (typeCode) {
    case kRegKeepType:
      if (RegQueryValueExA(key.handle, valueName.c_str(), nullptr, &type, nullptr, nullptr) !=
          ERROR_SUCCESS)
        Fail(ERROR_CANTWRITE);
      break;
    case kRegString: type = REG_SZ; break;
    case kRegExpandString: type = REG_EXPAND_SZ; break;
    case kRegDword: type = REG_DWORD; break;
    case kRegBinary: type = REG_BINARY; break;
    default: Fail(ERROR_CANTWRITE);
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string text = RegistryText(value);
    text.resize(std::strlen(text.c_str()));
    rc = RegSetValueExA(key.handle, valueName.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
  } else if (type == REG_DWORD) {
    auto n = RegistryDword(value);
    if (!n) Fail(ERROR_CANTWRITE);
    DWORD v = DWORD(uint32_t(*n));
    rc = RegSetValueExA(key.handle, valueName.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&v), sizeof v);
  } else if (type == REG_BINARY) {
    std::string bytes = RegistryText(value);
    rc = RegSetValueExA(key.handle, valueName.c_str(), 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
  } else {
    Fail(ERROR_CANTWRITE);
  }
  if (rc != ERROR_SUCCESS) Fail(DWORD(rc));
  RegFlushKey(key.handle);
}

}  // namespace velt::platform
