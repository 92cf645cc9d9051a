// The compression stage: one file into another through zlib, with a percentage of how far
// the source has been read.
#pragma once

#include <functional>
#include <string>

#include "crypto/stream.h"
#include "engine/zstream.h"

namespace velt::engine {

class Tzip {
 public:
  // Called with the percentage of the source consumed by zlib so far.
  using Progress = std::function<void(int percent)>;

  // Pieces handed to the compressor, and requests made of the decompressor.
  static constexpr size_t kCompressPiece = 61440;
  static constexpr size_t kDecompressPiece = 64 * 1024;

  // File to file. The destination is created anew (an existing file is replaced).
  static void Compress(const std::string& source, const std::string& destination,
                       CompressionLevel level, const Progress& progress = {});
  // Returns true when the zlib stream ended; false when the source ran out before its end.
  static bool Decompress(const std::string& source, const std::string& destination,
                         const Progress& progress = {});

  // Stream to stream, from the source's position; sourceSize is the basis of the percentage.
  static void Compress(crypto::TSource& source, uint64_t sourceSize, crypto::TStream& dest,
                       CompressionLevel level, const Progress& progress = {});
  static bool Decompress(crypto::TStream& source, uint64_t sourceSize, crypto::TSink& dest,
                         const Progress& progress = {});
};

}  // namespace velt::engine
