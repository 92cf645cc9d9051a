#include "engine/zstream.h"

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

TZDecompressionStream::TZDecompressionStream(crypto::TStream& source) : TCustomZStream(source) {
  int r = inflateInit(&zs_);
  if (r < 0) throw EZDecompressionError(ZlibMessage(r));
}

TZDecompressionStream::~TZDecompressionStream() {
  inflateEnd(&zs_);
}

size_t TZDecompressionStream::Read(void* data, size_t n) {
  zs_.next_out = static_cast<Bytef*>(data);
  zs_.avail_out = uInt(n);
  while (zs_.avail_out > 0 && !ended_) {
    bool sourceEnded = false;
    if (zs_.avail_in == 0) {
      underlying_.Seek(underlyingPos_);
      size_t got = underlying_.Read(buffer_.data(), buffer_.size());
      underlyingPos_ = underlying_.Position();
      if (got == 0) {
        // The source ended before the zlib stream did; zlib may still hold output it decoded
        // from input already taken (the rest of a long match), which it gives without input.
        sourceEnded = true;
      } else {
        zs_.next_in = buffer_.data();
        zs_.avail_in = uInt(got);
        if (OnProgress) OnProgress(*this);
      }
    }
    const uInt room = zs_.avail_out;
    int r = inflate(&zs_, Z_NO_FLUSH);
    if (r == Z_NEED_DICT) r = Z_DATA_ERROR;
    if (r < 0 && r != Z_BUF_ERROR) throw EZDecompressionError(ZlibMessage(r));
    if (sourceEnded && zs_.avail_out == room) break;
    if (r == Z_STREAM_END) {
      ended_ = true;
      // Whatever follows the zlib stream is not ours to consume.
      underlyingPos_ -= zs_.avail_in;
      underlying_.Seek(underlyingPos_);
      zs_.avail_in = 0;
    }
  }
  return n - zs_.avail_out;
}

TZInflatingWriter::TZInflatingWriter(crypto::TSink& next) : next_(next), out_(kOutBuffer) {
  int r = inflateInit(&zs_);
  if (r < 0) throw EZDecompressionError(ZlibMessage(r));
}

TZInflatingWriter::~TZInflatingWriter() {
  inflateEnd(&zs_);
}

void TZInflatingWriter::Write(const void* data, size_t n) {
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  zs_.avail_in = uInt(n);
  // A full output buffer may leave zlib holding more output for the input it has taken (the
  // rest of a long match): go on until it has room to spare, not just until the input is used.
  bool full = false;
  while ((zs_.avail_in > 0 || full) && !ended_) {
    zs_.next_out = out_.data();
    zs_.avail_out = uInt(out_.size());
    int r = inflate(&zs_, Z_NO_FLUSH);
    if (r == Z_NEED_DICT) r = Z_DATA_ERROR;
    if (r < 0 && r != Z_BUF_ERROR) throw EZDecompressionError(ZlibMessage(r));
    next_.Write(out_.data(), out_.size() - zs_.avail_out);
    if (r == Z_STREAM_END) ended_ = true;
    full = zs_.avail_out == 0;
  }
}

}  // namespace velt::engine
