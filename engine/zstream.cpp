#include "engine/zstream.h"

#include "engine/inflater.h"

namespace velt::engine {

int ZlibLevel(CompressionLevel level) {
  switch (level) {
    case CompressionLevel::None:
      return 0;
    case CompressionLevel::Fastest:
      return 1;
    case CompressionLevel::Default:
      return Z_DEFAULT_COMPRESSION;
    case CompressionLevel::Max:
      return 9;
  }
  return Z_DEFAULT_COMPRESSION;
}

const char* ZlibMessage(int code) {
  switch (code) {
    case Z_ERRNO:
      return "file error";
    case Z_STREAM_ERROR:
      return "stream error";
    case Z_DATA_ERROR:
      return "data error";
    case Z_MEM_ERROR:
      return "insufficient memory";
    case Z_BUF_ERROR:
      return "buffer error";
    case Z_VERSION_ERROR:
      return "incompatible version";
    default:
      return "unknown zlib error";
  }
}

namespace {
constexpr size_t kOutBuffer = 64 * 1024;
}

TCustomZStream::TCustomZStream(crypto::TStream& underlying)
    : underlying_(underlying), underlyingPos_(underlying.Position()), buffer_(kBufferSize) {}

TZCompressionStream::TZCompressionStream(crypto::TStream& destination, CompressionLevel level)
    : TCustomZStream(destination) {
  int r = deflateInit(&zs_, ZlibLevel(level));
  if (r < 0) throw EZCompressionError(ZlibMessage(r));
  zs_.next_out = buffer_.data();
  zs_.avail_out = uInt(buffer_.size());
}

TZCompressionStream::~TZCompressionStream() {
  deflateEnd(&zs_);
}

void TZCompressionStream::WriteOut(size_t n) {
  underlying_.Seek(underlyingPos_);
  underlying_.Write(buffer_.data(), n);
  underlyingPos_ = underlying_.Position();
  zs_.next_out = buffer_.data();
  zs_.avail_out = uInt(buffer_.size());
}

void TZCompressionStream::Write(const void* data, size_t n) {
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  zs_.avail_in = uInt(n);
  while (zs_.avail_in > 0) {
    int r = deflate(&zs_, Z_NO_FLUSH);
    if (r < 0 && r != Z_BUF_ERROR) throw EZCompressionError(ZlibMessage(r));
    if (zs_.avail_out == 0) {
      WriteOut(buffer_.size());
      if (OnProgress) OnProgress(*this);
    }
  }
}

void TZCompressionStream::Finish() {
  if (finished_) return;
  finished_ = true;
  zs_.next_in = nullptr;
  zs_.avail_in = 0;
  for (;;) {
    int r = deflate(&zs_, Z_FINISH);
    if (r < 0 && r != Z_BUF_ERROR) throw EZCompressionError(ZlibMessage(r));
    if (r == Z_STREAM_END) break;
    if (zs_.avail_out == 0) WriteOut(buffer_.size());
  }
  WriteOut(buffer_.size() - zs_.avail_out);
}

TZDecompressionStream::TZDecompressionStream(crypto::TStream& source)
    : TCustomZStream(source), inflater_(MakeInflater()), start_(underlyingPos_) {}

TZDecompressionStream::~TZDecompressionStream() = default;

uint64_t TZDecompressionStream::BytesIn() const {
  return inflater_->StreamBytesIn();
}

size_t TZDecompressionStream::Read(void* data, size_t n) {
  // The input left from the last call stays in b; the output is the caller's.
  InflateBuffers& b = buffers_;
  b.nextOut = static_cast<uint8_t*>(data);
  b.availOut = n;
  while (b.availOut > 0 && !ended_) {
    bool sourceEnded = false;
    if (b.availIn == 0) {
      underlying_.Seek(underlyingPos_);
      size_t got = underlying_.Read(buffer_.data(), buffer_.size());
      underlyingPos_ = underlying_.Position();
      if (got == 0) {
        // The source ended before the zlib stream did; the back end may still hold output it
        // decoded from input already taken (the rest of a long match), which it gives without
        // input.
        sourceEnded = true;
      } else {
        b.nextIn = buffer_.data();
        b.availIn = got;
        if (OnProgress) OnProgress(*this);
      }
    }
    const size_t room = b.availOut;
    const bool end = inflater_->Inflate(b);
    if (sourceEnded && b.availOut == room) break;
    if (end) {
      ended_ = true;
      // Whatever follows the zlib stream is not ours to consume.
      underlyingPos_ = start_ + inflater_->StreamBytesIn();
      underlying_.Seek(underlyingPos_);
      b.availIn = 0;
    }
  }
  return n - b.availOut;
}

TZInflatingWriter::TZInflatingWriter(crypto::TSink& next)
    : next_(next), inflater_(MakeInflater()), out_(kOutBuffer) {}

TZInflatingWriter::~TZInflatingWriter() = default;

void TZInflatingWriter::Write(const void* data, size_t n) {
  InflateBuffers b;
  b.nextIn = static_cast<const uint8_t*>(data);
  b.availIn = n;
  // A full output buffer may leave the back end holding more output for the input it has
  // taken (the rest of a long match): go on until it has room to spare, not just until the
  // input is used.
  bool full = false;
  while ((b.availIn > 0 || full) && !ended_) {
    b.nextOut = out_.data();
    b.availOut = out_.size();
    ended_ = inflater_->Inflate(b);
    next_.Write(out_.data(), out_.size() - b.availOut);
    full = b.availOut == 0;
  }
}

}  // namespace velt::engine
