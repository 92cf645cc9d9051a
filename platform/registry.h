// One value of the settings registry, read or written. On Windows this is the real registry;
// on POSIX it is a hive file in the text format of Windows registry exports, found through
// VELT_REGISTRY or else the installed default <prefix>/etc/velt/registry.reg.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace velt::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// A value as read: text (string, expandable string, or the raw bytes of a binary value) or a
// signed 32-bit integer.
using RegistryValue = std::variant<std::string, int32_t>;

// Type codes of WriteRegistryValue.
enum RegistryType : int {
  kRegKeepType = 0,  // the type the value already has
  kRegString = 1,
  kRegExpandString = 2,
  kRegDword = 3,
  kRegBinary = 4,
};

// The failure of a registry operation; its text is the operating system's message (the same
// English texts on every platform, e.g. "The configuration registry key could not be read.").
class RegistryError : public std::runtime_error {
 public:
  RegistryError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// keyPath as written by the callers, e.g. "\Software\VELT".
RegistryValue ReadRegistryValue(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName);
// A flag (bool) is written as -1 or 0 when the type is a 32-bit integer, and as "-1" or "0"
// when it is text; an integer as text is its decimal form, and text becomes an integer only
// when it is a decimal integer (else error 1013).
void WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                        const std::variant<std::string, int32_t, bool>& value, int typeCode);

// One value of WriteRegistryValues: its name, the value and the type code as above.
struct RegistryWrite {
  std::string name;
  std::variant<std::string, int32_t, bool> value;
  int typeCode;
};

// Writes several values of one key as one change: the key then holds all of them or, when one
// fails, none (values written before the failure are put back as they were, and those that did
// not exist are removed again). Throws the RegistryError of the write that failed.
void WriteRegistryValues(RegistryRoot root, const std::string& keyPath,
                         const std::vector<RegistryWrite>& values);

// The key as a user finds it in the registry editor, e.g.
// "HKEY_LOCAL_MACHINE\Software\VELT"; on POSIX followed by the hive file that holds it.
std::string RegistryKeyName(RegistryRoot root, const std::string& keyPath);

// The hive file used on POSIX (empty on Windows).
std::string RegistryHivePath();

// The machine-wide store of an installation under `prefix`: <prefix>/etc/velt/registry.reg, and
// /etc/velt/registry.reg for /usr.
std::string MachineHiveOfPrefix(const std::string& prefix);

// An installed program finds its settings store under its own prefix
// (<prefix>/bin/velt -> <prefix>/etc/velt/registry.reg, or <prefix>/../etc/velt/registry.reg
// for a prefix named usr, as the package installs it), wherever the prefix was chosen at
// installation: when that file exists and VELT_REGISTRY is not set, VELT_REGISTRY is set to it
// (so programs started from this one find it too). VELT_REGISTRY, when set, has the last word.
void UseRegistryBesideProgram(const std::string& programFolder);

}  // namespace velt::platform
