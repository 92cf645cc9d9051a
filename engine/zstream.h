// zlib streams between a byte stream and the compression stage: a write-only compressor and a
// read-only decompressor. The compressed form is a plain zlib stream (RFC 1950).
#pragma once

#include <zlib.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "crypto/stream.h"
#include "engine/inflater.h"

namespace velt::engine {

class EZCompressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EZDecompressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class CompressionLevel { None = 0, Fastest = 1, Default = 2, Max = 3 };
int ZlibLevel(CompressionLevel level);
// The text for a zlib result code below zero ("data error" and so on).
const char* ZlibMessage(int code);

// What the compressor and the decompressor share: a buffer and the underlying stream, which
// each positions itself, so that others may move it in between.
class TCustomZStream {
 public:
  static constexpr size_t kBufferSize = 65536;
  virtual ~TCustomZStream() = default;
  // Called after each buffer the stream moves through its underlying stream.
  std::function<void(TCustomZStream& sender)> OnProgress;

  // Input consumed so far: uncompressed bytes when compressing, compressed when not.
  virtual uint64_t BytesIn() const = 0;

 protected:
  explicit TCustomZStream(crypto::TStream& underlying);
  crypto::TStream& underlying_;
  uint64_t underlyingPos_;  // where this object last left the underlying stream
  std::vector<uint8_t> buffer_;
};

class TZCompressionStream final : public TCustomZStream, public crypto::TSink {
 public:
  TZCompressionStream(crypto::TStream& destination, CompressionLevel level);
  ~TZCompressionStream() override;

  void Write(const void* data, size_t n) override;
  // Ends the zlib stream and writes out the rest; call once, after the last Write.
  void Finish();
  uint64_t BytesIn() const override { return zs_.total_in; }

 private:
  void WriteOut(size_t n);
  z_stream zs_{};
  bool finished_ = false;
};

class TZDecompressionStream final : public TCustomZStream, public crypto::TSource {
 public:
  explicit TZDecompressionStream(crypto::TStream& source);
  ~TZDecompressionStream() override;

  size_t Read(void* data, size_t n) override;
  // True once the zlib stream's end (with its checksum verified) has been reached.
  bool Ended() const { return ended_; }
  uint64_t BytesIn() const override;

 private:
  std::unique_ptr<TInflater> inflater_;
  InflateBuffers buffers_;
  uint64_t start_;  // where the zlib stream begins in the underlying stream
  bool ended_ = false;
};

// The other way round for a push pipeline: compressed data written in, plain data written on
// to `next` as the inflate back end produces it. A damaged stream raises EZDecompressionError at
// once; data after the end of the zlib stream is ignored.
class TZInflatingWriter final : public crypto::TSink {
 public:
  explicit TZInflatingWriter(crypto::TSink& next);
  ~TZInflatingWriter() override;

  void Write(const void* data, size_t n) override;
  bool Ended() const { return ended_; }

 private:
  crypto::TSink& next_;
  std::unique_ptr<TInflater> inflater_;
  std::vector<uint8_t> out_;
  bool ended_ = false;
};

}  // namespace velt::engine
