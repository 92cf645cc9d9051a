// The inflate back end every build has.
#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "engine/inflater.h"
#include "engine/zstream.h"

namespace velt::engine {

namespace {

class TZlibInflater final : public TInflater {
 public:
  TZlibInflater() {
    int r = inflateInit(&zs_);
    if (r < 0) throw EZDecompressionError(ZlibMessage(r));
  }
  ~TZlibInflater() override { inflateEnd(&zs_); }

  bool Inflate(InflateBuffers& b) override {
    const uInt in = uInt(std::min<size_t>(b.availIn, UINT32_MAX));
    const uInt out = uInt(std::min<size_t>(b.availOut, UINT32_MAX));
    zs_.next_in = const_cast<Bytef*>(b.nextIn);
    zs_.avail_in = in;
    zs_.next_out = b.nextOut;
    zs_.avail_out = out;
    int r = inflate(&zs_, Z_NO_FLUSH);
    const size_t used = in - zs_.avail_in, made = out - zs_.avail_out;
    b.Advance(used, made);
    if (r == Z_NEED_DICT) r = Z_DATA_ERROR;
    if (r < 0 && r != Z_BUF_ERROR) throw EZDecompressionError(ZlibMessage(r));
    return r == Z_STREAM_END;
  }

  uint64_t StreamBytesIn() const override { return zs_.total_in; }

 private:
  z_stream zs_{};
};

}  // namespace

std::unique_ptr<TInflater> MakeZlibInflater() {
  return std::make_unique<TZlibInflater>();
}

}  // namespace velt::engine
