#include "engine/meta_info.h"

#include <cstring>

#include "crypto/bytes.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/messages.h"
#include "platform/file.h"

namespace velt::engine {

namespace {
constexpr uint8_t kSignature[5] = {0x04, 'V', 'E', 'L', 'T'};
}

std::array<uint8_t, MetaInfo::kRecordLength> MetaInfo::Serialize() const {
  std::array<uint8_t, kRecordLength> r{};
  std::memcpy(r.data(), kSignature, 5);
  r[5] = 0x01;
  r[6] = 0x01;
  r[7] = 0x00;
  crypto::StoreLe32(&r[8], 12);
  crypto::StoreLe32(&r[12], uint32_t(hashIndex));
  crypto::StoreLe32(&r[16], uint32_t(cipherIndex));
  crypto::StoreLe32(&r[20], uint32_t(compression));
  crypto::StoreLe32(&r[24], uint32_t(compressionEngine));
  crypto::StoreLe32(&r[28], uint32_t(checkValue));
  crypto::StoreLe32(&r[32], uint32_t(recordLength));
  return r;
}

MetaInfo MetaInfo::Parse(const uint8_t* r) {
  MetaInfo m;
  m.hashIndex = int32_t(crypto::LoadLe32(r + 12));
  m.cipherIndex = int32_t(crypto::LoadLe32(r + 16));
  m.compression = int32_t(crypto::LoadLe32(r + 20));
  m.compressionEngine = int32_t(crypto::LoadLe32(r + 24));
  m.checkValue = int32_t(crypto::LoadLe32(r + 28));
  m.recordLength = int32_t(crypto::LoadLe32(r + 32));
  return m;
}

int32_t CheckValueOf(const uint8_t* first12, uint64_t size) {
  if (size < 13) return 0;
  int64_t s = int64_t(int32_t(crypto::LoadLe32(first12))) +
              int64_t(int32_t(crypto::LoadLe32(first12 + 4))) +
              int64_t(int32_t(crypto::LoadLe32(first12 + 8)));
  return int32_t(s % 11);  // C++ division truncates: the remainder has the sign of s
}

int32_t ComputeCheckValue(platform::File& file) {
  uint64_t size = file.Size();
  uint8_t head[12] = {};
  if (size >= 13 && file.ReadAt(0, head, 12) != 12) return 0;
  return CheckValueOf(head, size);
}

int32_t ComputeCheckValue(const std::string& path) {
  platform::File f = platform::File::Open(path, platform::OpenMode::Read);
  return ComputeCheckValue(f);
}

bool HasMetaInfo(const std::string& path) {
  try {
    platform::File f =
        platform::File::Open(path, platform::OpenMode::Read, platform::Locking::None);
    return HasMetaInfo(f);
  } catch (...) {
    return false;
  }
}

bool HasMetaInfo(platform::File& f) {
  try {
    uint64_t size = f.Size();
    if (size < 4) return false;
    uint8_t tail[4];
    if (f.ReadAt(size - 4, tail, 4) != 4) return false;
    int64_t length = int32_t(crypto::LoadLe32(tail));
    if (length < 5 || uint64_t(length) > size) return false;
    uint8_t sig[5];
    if (f.ReadAt(size - uint64_t(length), sig, 5) != 5) return false;
    return std::memcmp(sig, kSignature, 5) == 0;
  } catch (...) {
    return false;
  }
}

std::optional<MetaInfo> ReadMetaInfo(platform::File& file, std::string& problem) {
  uint64_t size = file.Size();
  if (size < uint64_t(MetaInfo::kRecordLength)) {
    problem = messages::kTooShortForMetaInfo;
    return std::nullopt;
  }
  uint8_t record[MetaInfo::kRecordLength];
  if (file.ReadAt(size - MetaInfo::kRecordLength, record, sizeof record) != sizeof record) {
    problem = messages::kMetaInfoUnreadable;
    return std::nullopt;
  }
  MetaInfo m = MetaInfo::Parse(record);
  if (m.recordLength != MetaInfo::kRecordLength) {
    problem = messages::MetaInfoDamaged("record length " + std::to_string(m.recordLength) +
                                        " instead of 36");
    return std::nullopt;
  }
  if (std::memcmp(record, kSignature, 5) != 0) {
    problem = messages::MetaInfoDamaged("no VELT signature");
    return std::nullopt;
  }
  if (!crypto::FindCipher(m.cipherIndex)) {
    problem = messages::MetaInfoDamaged("cipher index " + std::to_string(m.cipherIndex) +
                                        " is outside 0-18");
    return std::nullopt;
  }
  if (!crypto::FindHash(m.hashIndex)) {
    problem =
        messages::MetaInfoDamaged("hash index " + std::to_string(m.hashIndex) + " is outside 0-9");
    return std::nullopt;
  }
  if (m.compression != -1 && m.compression != 0) {
    problem = messages::MetaInfoDamaged("compression " + std::to_string(m.compression) +
                                        " is neither -1 nor 0");
    return std::nullopt;
  }
  return m;
}

}  // namespace velt::engine
