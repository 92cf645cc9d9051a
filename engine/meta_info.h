// The 36-byte meta information record at the end of an encrypted file: which cipher and hash
// keyed it, whether the payload is compressed, and a small check value of the plaintext.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace velt::platform {
class File;
}

namespace velt::engine {

struct MetaInfo {
  static constexpr int32_t kRecordLength = 36;

  int32_t hashIndex = 0;
  int32_t cipherIndex = 0;
  int32_t compression = -1;  // -1 not compressed, 0 zlib
  int32_t compressionEngine = 0;
  int32_t checkValue = 0;
  int32_t recordLength = kRecordLength;

  std::array<uint8_t, kRecordLength> Serialize() const;
  // Parses the fields a reader uses; ignores bytes 5 to 11 and compressionEngine's meaning.
  static MetaInfo Parse(const uint8_t* record);
};

// The check value of a file's content: the first three little-endian 32-bit integers summed
// without wrap-around, remainder of division by 11 (sign of the sum); 0 for files under 13 bytes.
int32_t ComputeCheckValue(const std::string& path);
int32_t ComputeCheckValue(platform::File& file);
// The same over the first 12 bytes of a file of the given size.
int32_t CheckValueOf(const uint8_t* first12, uint64_t size);

// True when the file ends with a record whose signature stands where its last four bytes point.
// Never fails: any error counts as false.
bool HasMetaInfo(const std::string& path);
// The same on an open file, which the caller may hold locked so that the answer stays true.
bool HasMetaInfo(platform::File& file);

// Reads and checks the record at the end of an open file; on anything a writer of this format
// cannot have produced, returns nullopt and says why in `problem`.
std::optional<MetaInfo> ReadMetaInfo(platform::File& file, std::string& problem);

}  // namespace velt::engine
