// The inflate back end of builds with ISA-L. ISA-L decodes the deflate data and checks the
// Adler-32 after it; the two header bytes are checked here, as zlib checks them, so that a
// stream is refused for the same reasons (and a preset dictionary is refused, as zlib's caller
// here refuses it).
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>

#include "engine/inflater.h"
#include "engine/zstream.h"

namespace velt::engine {

namespace {

class TIsalInflater final : public TInflater {
 public:
  TIsalInflater() : state_(std::make_unique<inflate_state>()) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_ZLIB_NO_HDR_VER;
  }

  bool Inflate(InflateBuffers& b) override {
    if (ended_) return true;
    while (headerBytes_ < 2 && b.availIn > 0) {
      header_[headerBytes_++] = *b.nextIn++;
      --b.availIn;
      if (headerBytes_ == 2) CheckHeader();
    }
    if (headerBytes_ < 2) return false;
    inflate_state& s = *state_;
    const uint32_t in = uint32_t(std::min<size_t>(b.availIn, UINT32_MAX));
    const uint32_t out = uint32_t(std::min<size_t>(b.availOut, UINT32_MAX));
    s.next_in = const_cast<uint8_t*>(b.nextIn);
    s.avail_in = in;
    s.next_out = b.nextOut;
    s.avail_out = out;
    int r = isal_inflate(&s);
    const size_t used = in - s.avail_in, made = out - s.avail_out;
    taken_ += used;
    b.Advance(used, made);
    if (r < 0) throw EZDecompressionError(ZlibMessage(Z_DATA_ERROR));
    ended_ = s.block_state == ISAL_BLOCK_FINISH;
    return ended_;
  }

  uint64_t StreamBytesIn() const override {
    // ISA-L reads ahead up to eight bytes into its bit buffer; after the end they are not the
    // stream's.
    uint64_t unread = ended_ ? uint64_t(state_->read_in_length) / 8 : 0;
    return headerBytes_ + taken_ - unread;
  }

 private:
  void CheckHeader() {
    const unsigned cmf = header_[0], flg = header_[1];
    const bool valid = (cmf * 256 + flg) % 31 == 0 && (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 &&
                       (flg & 0x20) == 0;  // FDICT: a dictionary nobody here has
    if (!valid) throw EZDecompressionError(ZlibMessage(Z_DATA_ERROR));
    // The window the stream declares bounds its distances, as zlib enforces.
    state_->hist_bits = (cmf >> 4) + 8;
  }

  std::unique_ptr<inflate_state> state_;
  uint8_t header_[2] = {};
  size_t headerBytes_ = 0;
  uint64_t taken_ = 0;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<TInflater> MakeIsalInflater() {
  return std::make_unique<TIsalInflater>();
}

}  // namespace velt::engine
