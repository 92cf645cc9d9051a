// The compression stage on arbitrary input. The first byte chooses piece sizes and levels.
// Decompression: the pull stream (Tzip::Decompress) and the push writer (TZInflatingWriter, fed
// in uneven pieces), on every inflate back end, must all agree with zlib driven directly: the
// same bytes, the same end, an error exactly when zlib finds damage, and nothing after the end
// of the stream consumed.
// Compression: whatever the input, serial and parallel compression give streams that zlib
// reads back to the input.
#include <zlib.h>

#include "engine/inflater.h"
#include "engine/parallel_deflate.h"
#include "engine/tzip.h"
#include "engine/zstream.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/memory_stream.h"

using namespace velt;
using engine::CompressionLevel;

namespace {

struct Outcome {
  std::vector<uint8_t> bytes;
  bool ended = false, damaged = false;
  uint64_t consumed = 0;  // input bytes up to the end of the stream
};

Outcome Reference(const uint8_t* data, size_t size) {
  Outcome r;
  z_stream z{};
  inflateInit(&z);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  uint8_t buf[16384];
  for (;;) {
    z.next_out = buf;
    z.avail_out = sizeof buf;
    int rc = inflate(&z, Z_NO_FLUSH);
    r.bytes.insert(r.bytes.end(), buf, buf + (sizeof buf - z.avail_out));
    if (rc == Z_STREAM_END) r.ended = true;
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) r.damaged = true;
    if (rc != Z_OK) break;
    if (z.avail_in == 0 && z.avail_out != 0) break;
  }
  r.consumed = z.total_in;
  inflateEnd(&z);
  return r;
}

std::vector<uint8_t> Unzip(const std::vector<uint8_t>& stream, bool& ok) {
  Outcome o = Reference(stream.data(), stream.size());
  ok = o.ended && !o.damaged && o.consumed == stream.size();
  return o.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t shape = data[0];
  ++data;
  --size;

  const Outcome ref = Reference(data, size);

  for (engine::InflateBackend backend : engine::AvailableInflateBackends()) {
    engine::SetInflateBackend(backend);
    // ISA-L checks a block's codes less and at other moments than zlib (it takes an incomplete
    // code, and checks a dynamic header once it has all of it): on a damaged stream that zlib
    // does not see to its end the two may differ on whether it is damaged or cut short. Either
    // way it is refused; what ISA-L must never do is end a stream zlib refuses.
    const bool lenient = backend == engine::InflateBackend::Isal && !ref.ended;
    {  // pull
      velt::test::TMemoryStream in(std::vector<uint8_t>(data, data + size)), out;
      in.SetReadLimit(1 + shape * 37);  // short reads, as from a pipe
      bool ended = false, threw = false;
      try {
        ended = engine::Tzip::Decompress(in, size, out);
      } catch (const engine::EZDecompressionError&) {
        threw = true;
      }
      const bool agree = threw == ref.damaged;
      fuzz::Require(agree || (lenient && !ended), "pull decompression: error differs from zlib's");
      if (!threw && agree) {
        fuzz::Require(ended == ref.ended, "pull decompression: end differs from zlib's");
        fuzz::Require(out.Bytes() == ref.bytes, "pull decompression: bytes differ from zlib's");
        if (ended) fuzz::Require(in.Position() == ref.consumed, "consumed data after the stream");
      }
    }
    {  // push, in pieces of 1 to 256 bytes
      velt::test::TMemoryStream out;
      bool ended = false, threw = false;
      try {
        engine::TZInflatingWriter w(out);
        size_t piece = 1 + shape;
        for (size_t at = 0; at < size; at += piece) w.Write(data + at, std::min(piece, size - at));
        ended = w.Ended();
      } catch (const engine::EZDecompressionError&) {
        threw = true;
      }
      const bool agree = threw == ref.damaged;
      fuzz::Require(agree || (lenient && !ended), "push decompression: error differs from zlib's");
      if (!threw && agree) {
        fuzz::Require(ended == ref.ended, "push decompression: end differs from zlib's");
        fuzz::Require(out.Bytes() == ref.bytes, "push decompression: bytes differ from zlib's");
      }
    }
  }
  {  // compression round trips, serial and on several threads with small blocks
    const auto level = CompressionLevel(1 + shape % 3);
    const std::vector<uint8_t> input(data, data + size);
    velt::test::TMemoryStream src(input), serial;
    engine::TZCompressionStream z(serial, level);
    z.Write(input.data(), input.size());
    z.Finish();
    bool ok;
    fuzz::Require(Unzip(serial.Bytes(), ok) == input && ok, "serial compression lost data");

    velt::test::TMemoryStream parallel;
    engine::ParallelDeflateOptions o;
    o.threads = 2;
    o.blockSize = 64 + size_t(shape) * 16;
    engine::ParallelDeflate(src, parallel, level, o);
    fuzz::Require(Unzip(parallel.Bytes(), ok) == input && ok, "parallel compression lost data");
  }
  return 0;
}
