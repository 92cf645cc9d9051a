#include "engine/parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#ifdef VELT_HAVE_ISAL
#include "engine/isal_deflate.h"
#endif
#include "platform/processors.h"

namespace velt::engine {

namespace {

std::atomic<unsigned> compressionThreads{0};

constexpr size_t kDictionary = 32 * 1024;

struct Block {
  std::vector<uint8_t> input;  // the dictionary (up to 32 KiB) followed by the block's data
  size_t dictionary = 0;       // how much of `input` is dictionary
  bool last = false;
  std::vector<uint8_t> output;  // raw deflate data
  uLong adler = 1;              // Adler-32 of the block's own data
  bool done = false;
  std::exception_ptr error;
};

// The zlib header for a level, as zlib itself writes it (CMF 0x78: deflate, 32 KiB window).
void WriteHeader(crypto::TSink& dest, int zlibLevel) {
  int level = zlibLevel == Z_DEFAULT_COMPRESSION ? 6 : zlibLevel;
  int flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  uint8_t header[2] = {0x78, uint8_t(flevel << 6)};
  header[1] = uint8_t(header[1] + 31 - (header[0] * 256 + header[1]) % 31);
  dest.Write(header, 2);
}

void CompressBlock(Block& b, int zlibLevel) {
  size_t n = b.input.size() - b.dictionary;
  b.adler = adler32(1, b.input.data() + b.dictionary, uInt(n));
#ifdef VELT_HAVE_ISAL
  if (zlibLevel == ZlibLevel(CompressionLevel::Fastest)) {
    b.output = IsalDeflateBlock(b.input.data(), b.dictionary, b.input.size(), b.last);
    return;
  }
#endif
  z_stream zs{};
  if (deflateInit2(&zs, zlibLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EZCompressionError(ZlibMessage(Z_MEM_ERROR));
  struct End {
    z_stream* z;
    ~End() { deflateEnd(z); }
  } end{&zs};
  if (b.dictionary) deflateSetDictionary(&zs, b.input.data(), uInt(b.dictionary));
  b.output.resize(deflateBound(&zs, uLong(n)) + 16);
  zs.next_in = b.input.data() + b.dictionary;
  zs.avail_in = uInt(n);
  zs.next_out = b.output.data();
  zs.avail_out = uInt(b.output.size());
  int r = deflate(&zs, b.last ? Z_FINISH : Z_SYNC_FLUSH);
  if (r < 0 || zs.avail_in != 0 || (b.last && r != Z_STREAM_END))
    throw EZCompressionError(ZlibMessage(r < 0 ? r : Z_BUF_ERROR));
  b.output.resize(b.output.size() - zs.avail_out);
}

}  // namespace

bool FastestLevelIsParallelOnly() {
#ifdef VELT_HAVE_ISAL
  return true;
#else
  return false;
#endif
}

void SetCompressionThreads(unsigned threads) {
  compressionThreads = threads;
}

unsigned CompressionThreads() {
  unsigned t = compressionThreads.load();
  return t ? t : platform::UsableProcessors();
}

void ParallelDeflate(crypto::TSource& source, crypto::TSink& dest, CompressionLevel level,
                     const ParallelDeflateOptions& options) {
  const int zlibLevel = ZlibLevel(level);
  const unsigned threads = std::max(1u, options.threads);
  const size_t inFlight = 2 * threads;

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::shared_ptr<Block>> pending;  // read, in order, compressed or not yet
  std::deque<std::shared_ptr<Block>> todo;     // waiting for a compressing thread
  bool stop = false;

  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (;;) {
        std::shared_ptr<Block> b;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return stop || !todo.empty(); });
          if (todo.empty()) return;
          b = todo.front();
          todo.pop_front();
        }
        try {
          CompressBlock(*b, zlibLevel);
        } catch (...) {
          b->error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex);
        b->done = true;
        changed.notify_all();
      }
    });
  }
  auto finish = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (auto& w : workers) w.join();
  };

  try {
    WriteHeader(dest, zlibLevel);
    uLong adler = 1;
    uint64_t consumed = 0, written = 2;
    std::vector<uint8_t> tail;  // the last 32 KiB read: the next block's dictionary
    // Writes out the oldest block once it is compressed.
    auto writeOldest = [&] {
      std::shared_ptr<Block> b;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return pending.front()->done; });
        b = pending.front();
        pending.pop_front();
      }
      if (b->error) std::rethrow_exception(b->error);
      dest.Write(b->output.data(), b->output.size());
      size_t n = b->input.size() - b->dictionary;
      adler = adler32_combine(adler, b->adler, z_off_t(n));
      consumed += n;
      written += b->output.size();
      if (options.onProgress) options.onProgress(consumed, written);
    };

    bool last = false;
    while (!last) {
      auto b = std::make_shared<Block>();
      b->dictionary = tail.size();
      b->input.resize(tail.size() + options.blockSize);
      std::copy(tail.begin(), tail.end(), b->input.begin());  // the first block has no tail
      size_t got = 0;
      while (got < options.blockSize) {
        size_t n = source.Read(b->input.data() + b->dictionary + got, options.blockSize - got);
        if (n == 0) break;
        got += n;
      }
      b->input.resize(b->dictionary + got);
      // A short block is the last; a full one is the last only if nothing follows it, which a
      // one-byte look-ahead would cost a seek to learn, so a full block may be followed by an
      // empty last one.
      last = got < options.blockSize;
      b->last = last;
      size_t keep = std::min(kDictionary, b->input.size());
      tail.assign(b->input.end() - long(keep), b->input.end());
      {
        std::lock_guard<std::mutex> lock(mutex);
        pending.push_back(b);
        todo.push_back(b);
      }
      changed.notify_all();
      if (pending.size() >= inFlight) writeOldest();
    }
    while (!pending.empty()) writeOldest();
    uint8_t trailer[4] = {uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8),
                          uint8_t(adler)};
    dest.Write(trailer, 4);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace velt::engine
