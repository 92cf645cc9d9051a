// The settings store's hive parser on arbitrary files. Whatever the hive holds, the settings
// load without throwing and are usable by the engine. A hive the parser calls damaged is never
// rewritten; one it reads is rewritten by a write so that the written value reads back and
// every other value reads as before.
#include <cstdlib>
#include <optional>
#include <variant>

#include "batch/settings_store.h"
#include "engine/settings.h"
#include "platform/registry.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velt;
using platform::RegistryError;
using platform::RegistryRoot;
using platform::RegistryValue;

namespace {

const char* const kNames[] = {"def", "enc", "hash", "comp", "compspeed", "ext",
                              "sec", "del", "com",  "add",  "Path",      ""};
constexpr const char* kKey = "\\Software\\VELT";

// A value, or the error code of the failed read.
using Read = std::variant<RegistryValue, int>;
Read ReadOne(const char* name, bool& damaged) {
  try {
    return platform::ReadRegistryValue(RegistryRoot::LocalMachine, kKey, name);
  } catch (const RegistryError& e) {
    if (std::string(e.what()).find("is damaged") != std::string::npos) damaged = true;
    return e.Code();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string hive = [] {
    std::string h = fuzz::ScratchFolder() + "/registry.reg";
    ::setenv("VELT_REGISTRY", h.c_str(), 1);
    return h;
  }();
  // The last byte picks what is written; the rest is the hive.
  if (size < 1) return 0;
  const uint8_t pick = data[size - 1];
  fuzz::WriteBytes(hive, data, size - 1);
  const std::vector<uint8_t> before(data, data + size - 1);

  const batch::SettingsLoad load = batch::LoadSettings();
  fuzz::Require(engine::SettingsProblem(load.settings).empty(),
                "loaded settings the engine cannot use: " + engine::SettingsProblem(load.settings));

  bool damaged = false;
  std::vector<Read> reads;
  for (const char* n : kNames) reads.push_back(ReadOne(n, damaged));

  const char* target = kNames[pick % 11];
  const bool asText = pick & 0x80;
  const std::string text = "v" + std::to_string(pick) + " \"quoted\" \\ back";
  const int32_t number = int32_t(uint32_t(pick) * 16777619u - 7u);
  try {
    if (asText)
      platform::WriteRegistryValue(RegistryRoot::LocalMachine, kKey, target, text,
                                   platform::kRegString);
    else
      platform::WriteRegistryValue(RegistryRoot::LocalMachine, kKey, target, number,
                                   platform::kRegDword);
  } catch (const RegistryError& e) {
    fuzz::Require(damaged, std::string("a readable hive refused a write: ") + e.what());
    fuzz::Require(fuzz::ReadBytes(hive) == before, "a refused write changed the hive");
    return 0;
  }
  fuzz::Require(!damaged, "a damaged hive was rewritten");

  bool damagedAfter = false;
  for (size_t i = 0; i < std::size(kNames); ++i) {
    Read now = ReadOne(kNames[i], damagedAfter);
    fuzz::Require(!damagedAfter, "the rewritten hive does not parse");
    if (kNames[i] == target) {
      const RegistryValue* v = std::get_if<RegistryValue>(&now);
      fuzz::Require(v != nullptr, "the written value cannot be read");
      if (asText)
        fuzz::Require(*v == RegistryValue(text), "the written text reads back otherwise");
      else
        fuzz::Require(*v == RegistryValue(number), "the written number reads back otherwise");
    } else {
      // A missing key (2) becomes a missing value (1012) once the write has made the key.
      const bool bothMissing = now.index() == 1 && reads[i].index() == 1;
      fuzz::Require(bothMissing || now == reads[i],
                    std::string("writing changed another value: ") + kNames[i]);
    }
  }
  return 0;
}
