// The trailer reader, HasMetaInfo and the check value over arbitrary file contents. The file
// on disk must be judged exactly as the recognition rule judges the same bytes in memory, a
// record that ReadMetaInfo accepts must be one a writer could have produced, and nothing may
// throw from HasMetaInfo.
#include <cstring>

#include "engine/meta_info.h"
#include "platform/file.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velt;

namespace {

int32_t Le32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                 uint32_t(p[3]) << 24);
}

// The recognition rule, over the bytes themselves.
bool Recognised(const uint8_t* data, size_t size) {
  if (size < 4) return false;
  int64_t length = Le32(data + size - 4);
  if (length < 5 || uint64_t(length) > size) return false;
  return std::memcmp(data + size - uint64_t(length), "\x04VELT", 5) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFolder() + "/file.VELT";
  fuzz::WriteBytes(path, data, size);

  const bool has = engine::HasMetaInfo(path);
  fuzz::Require(has == Recognised(data, size), "HasMetaInfo disagrees with the rule");

  platform::File f = platform::File::Open(path, platform::OpenMode::Read);
  const int32_t check = engine::ComputeCheckValue(f);
  fuzz::Require(check >= -10 && check <= 10, "check value outside -10..10");
  if (size < 13) fuzz::Require(check == 0, "a file under 13 bytes has check value 0");
  fuzz::Require(size < 13 || check == engine::CheckValueOf(data, size),
                "the check value of the file differs from that of its bytes");

  std::string problem;
  auto meta = engine::ReadMetaInfo(f, problem);
  if (!meta) {
    fuzz::Require(!problem.empty(), "a refused record without a reason");
    return 0;
  }
  fuzz::Require(has, "ReadMetaInfo accepted a file that HasMetaInfo does not recognise");
  fuzz::Require(meta->recordLength == engine::MetaInfo::kRecordLength, "record length not 36");
  fuzz::Require(meta->cipherIndex >= 0 && meta->cipherIndex <= 18, "cipher index out of range");
  fuzz::Require(meta->hashIndex >= 0 && meta->hashIndex <= 9, "hash index out of range");
  fuzz::Require(meta->compression == -1 || meta->compression == 0, "unknown compression");
  // Written back, the record is the file's last 36 bytes except the bytes readers ignore.
  auto record = meta->Serialize();
  const uint8_t* tail = data + size - engine::MetaInfo::kRecordLength;
  fuzz::Require(std::memcmp(record.data(), tail, 5) == 0 &&
                    std::memcmp(record.data() + 12, tail + 12, 24) == 0,
                "the accepted record does not serialise back to the file's bytes");
  return 0;
}
