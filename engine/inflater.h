// Decoding one zlib stream (RFC 1950) through whichever inflate back end the build has: zlib
// everywhere, ISA-L where it was found (several times faster). Both report the same errors with
// the same texts, so the back end never shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace velt::engine {

enum class InflateBackend { Zlib, Isal };

// The back ends this build has, the fastest last.
std::vector<InflateBackend> AvailableInflateBackends();
// The back end new inflaters use; the fastest available unless set. Process-wide.
void SetInflateBackend(InflateBackend backend);
InflateBackend CurrentInflateBackend();
const char* InflateBackendName(InflateBackend backend);

// Buffers in and out, advanced by Inflate as zlib advances its own.
struct InflateBuffers {
  const uint8_t* nextIn = nullptr;
  size_t availIn = 0;
  uint8_t* nextOut = nullptr;
  size_t availOut = 0;

  // Moves past `used` input bytes and `made` output bytes.
  void Advance(size_t used, size_t made) {
    nextIn += used;
    availIn -= used;
    nextOut += made;
    availOut -= made;
  }
};

class TInflater {
 public:
  virtual ~TInflater() = default;
  // Decodes as much as the buffers allow; may give output without input (the rest of a long
  // match held back when the output ran out). Returns true once the stream's end, checksum
  // verified, is reached. A damaged stream (bad header, preset dictionary, bad data, Adler-32
  // mismatch) raises EZDecompressionError with zlib's text for it.
  virtual bool Inflate(InflateBuffers& b) = 0;
  // Compressed bytes taken that belong to the stream: after its end, exactly its length, even
  // where the back end took more input than that.
  virtual uint64_t StreamBytesIn() const = 0;
};

std::unique_ptr<TInflater> MakeInflater();
std::unique_ptr<TInflater> MakeInflater(InflateBackend backend);

// One per back end file.
std::unique_ptr<TInflater> MakeZlibInflater();
std::unique_ptr<TInflater> MakeIsalInflater();

}  // namespace velt::engine
