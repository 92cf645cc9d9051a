#include "batch/settings_store.h"

#include <variant>

#include "batch/messages.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "platform/registry.h"

namespace velt::batch {

namespace {

using platform::RegistryError;
using platform::RegistryRoot;
using platform::RegistryValue;

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;
constexpr int kCompressionEngineCount = 1;
constexpr int kCompressionSpeedCount = 3;

// Messages for a value that is there but holds the wrong kind of data.
std::string NotText(const std::string& name) {
  return messages::kSettingPrefix + name + messages::kNotText;
}
std::string NotNumber(const std::string& name) {
  return messages::kSettingPrefix + name + messages::kNotNumber;
}

// A read that cannot give the field its type counts as a failed read, like a missing value.
struct LoadFailure {
  std::string text;
};

std::string ReadText(const char* name) {
  RegistryValue v = platform::ReadRegistryValue(kRoot, kSettingsKey, name);
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  throw LoadFailure{NotText(name)};
}

int32_t ReadNumber(const char* name) {
  RegistryValue v = platform::ReadRegistryValue(kRoot, kSettingsKey, name);
  if (auto* n = std::get_if<int32_t>(&v)) return *n;
  throw LoadFailure{NotNumber(name)};
}

}  // namespace

SettingsLoad LoadSettings() {
  SettingsLoad r;
  engine::EngineSettings& s = r.settings;
  // The pipelines need a valid selection, so an index outside its list becomes the first item.
  auto index = [&](const char* name, int count, int& field) {
    r.failedValue = name;
    int32_t v = ReadNumber(name);
    field = v >= 0 && v < count ? int(v) : 0;
    if (field != v) r.repaired.push_back(name);
  };
  auto flag = [&](const char* name, bool& field) {
    r.failedValue = name;
    field = ReadNumber(name) != 0;
  };

  try {
    r.failedValue = "def";
    s.extension = ReadText("def");
    if (engine::CheckExtension(s.extension) != engine::ExtensionCheck::Valid) {
      s.extension = "VELT";
      r.repaired.push_back("def");
    }
    index("enc", crypto::kCipherCount, s.cipherIndex);
    index("hash", crypto::kHashCount, s.hashIndex);
    index("comp", kCompressionEngineCount, s.compressionEngine);
    index("compspeed", kCompressionSpeedCount, s.compressionSpeed);
    flag("ext", s.addExtension);
    flag("sec", s.secureDelete);
    flag("del", s.deleteOriginal);
    flag("com", s.compress);
    // Changing "com" checks the meta box; the stored "add" then decides, so it comes after.
    s.addMetaInfo = true;
    flag("add", s.addMetaInfo);
    r.failedValue.clear();
  } catch (const RegistryError& e) {
    r.error = e.what();
  } catch (const LoadFailure& f) {
    r.error = f.text;
  }
  return r;
}

void SaveSettings(const engine::EngineSettings& s) {
  using platform::kRegDword;
  platform::WriteRegistryValues(kRoot, kSettingsKey,
                                {{"def", s.extension, platform::kRegString},
                                 {"enc", int32_t(s.cipherIndex), kRegDword},
                                 {"hash", int32_t(s.hashIndex), kRegDword},
                                 {"comp", int32_t(s.compressionEngine), kRegDword},
                                 {"compspeed", int32_t(s.compressionSpeed), kRegDword},
                                 {"ext", s.addExtension, kRegDword},
                                 {"sec", s.secureDelete, kRegDword},
                                 {"del", s.deleteOriginal, kRegDword},
                                 {"com", s.compress, kRegDword},
                                 {"add", s.addMetaInfo, kRegDword}});
}

std::string InstallationFolder() {
  try {
    RegistryValue v = platform::ReadRegistryValue(kRoot, kSettingsKey, kInstallPathValue);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
  } catch (const RegistryError&) {
  }
  return {};
}

}  // namespace velt::batch
