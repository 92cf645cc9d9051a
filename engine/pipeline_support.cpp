#include "engine/pipeline_support.h"

#include <stdexcept>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/errors.h"
#include "engine/messages.h"
#include "engine/settings.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::engine::detail {

void RequireRegularFile(const std::string& path) {
  if (platform::IsSymbolicLink(path)) throw EngineError(path, messages::kSymbolicLink);
  if (!platform::Exists(path)) throw EngineError(path, messages::kNoSuchFile);
  if (!platform::IsRegularFile(path)) throw EngineError(path, messages::kNotRegularFile);
}

std::unique_ptr<crypto::TCrypt_cipher> MakeKeyedCipher(int cipherIndex, int hashIndex,
                                                       const std::string& password,
                                                       ProgressSink& sink) {
  const crypto::CipherEntry* cipherEntry = crypto::FindCipher(cipherIndex);
  if (!cipherEntry) throw std::invalid_argument(messages::NoSuchCipher(cipherIndex));
  const crypto::HashEntry* hashEntry = crypto::FindHash(hashIndex);
  if (!hashEntry) throw std::invalid_argument(messages::NoSuchHash(hashIndex));
  auto cipher = cipherEntry->cls->create();
  cipher->InitWithPassword(password, *hashEntry->cls);
  cipher->OnProgress = [&sink](crypto::TCrypt_cipher& c) {
    sink.ShowPercent(PercentOf(uint64_t(c.ProgressDone), uint64_t(c.ProgressTotal)));
  };
  return cipher;
}

CompressionLevel LevelForSpeed(int compressionSpeed) {
  switch (compressionSpeed) {
    case kSpeedFastest:
      return CompressionLevel::Fastest;
    case kSpeedBest:
      return CompressionLevel::Max;
    default:
      return CompressionLevel::Default;
  }
}

platform::File OpenHeld(const std::string& path) {
  for (int attempt = 0;; ++attempt) {
    auto f = platform::File::Open(path, platform::OpenMode::Read, platform::Locking::Exclusive);
    if (f.SameFileAs(path)) return f;
    if (attempt == 3) throw EngineError(path, messages::kKeepsBeingReplaced);
  }
}

std::optional<platform::File> HoldExisting(const std::string& name) {
  if (!platform::Exists(name)) return std::nullopt;
  if (!platform::IsRegularFile(name)) throw EngineError(name, messages::kNonFileInTheWay);
  try {
    return platform::File::Open(name, platform::OpenMode::Read, platform::Locking::Exclusive);
  } catch (const platform::PlatformError& e) {
    if (platform::IsNotFound(e)) return std::nullopt;  // gone meanwhile: nothing to replace
    throw;
  }
}

void RequireSameFile(platform::File& ours, const std::string& name, const std::string& path) {
  if (!ours.SameFileAs(name)) throw EngineError(path, messages::NotTheFileWritten(name));
}

void GiveAttributes(const std::string& name, const platform::Attributes& attributes) {
  try {
    platform::SetAttributes(name, attributes);
  } catch (const platform::PlatformError& e) {
    if (!platform::IsNotFound(e)) throw;
  }
}

void RethrowForFile(const std::string& path) {
  try {
    throw;
  } catch (const EngineError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw EngineError(path, messages::kNoMemory);
  } catch (const std::exception& e) {
    throw EngineError(path, e.what());
  }
}

}  // namespace velt::engine::detail
