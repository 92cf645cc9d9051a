// zlib compression on several processors that still writes one ordinary zlib stream: the
// input is cut into blocks, each compressed as raw deflate data primed with the 32 KiB of
// input before it as its dictionary and ended with a sync flush (the last one finished), the
// blocks are written in order behind the usual two-byte header, and the Adler-32 of the whole
// input, combined from the blocks' own, closes the stream. Any zlib reads it. Where the build
// has ISA-L, the fastest level's blocks are ISA-L's (the header still says "fastest").
#pragma once

#include <cstdint>
#include <functional>

#include "crypto/stream.h"
#include "engine/zstream.h"

namespace velt::engine {

struct ParallelDeflateOptions {
  unsigned threads = 2;           // compressing threads besides the reading one
  size_t blockSize = 256 * 1024;  // input bytes per block
  // Called after each block with the source bytes whose compressed form has been written and
  // the compressed bytes written so far.
  std::function<void(uint64_t consumed, uint64_t written)> onProgress;
};

// Compresses the source from its position to its end into `dest`. Memory: about two blocks
// (input and output) per thread.
void ParallelDeflate(crypto::TSource& source, crypto::TSink& dest, CompressionLevel level,
                     const ParallelDeflateOptions& options);

// True where the fastest level compresses its blocks with ISA-L rather than zlib: it then takes
// the block path even on one processor, so that its output never depends on the processors.
bool FastestLevelIsParallelOnly();

// How many threads the compression stage uses: 0 (the default) means one per processor, 1
// means the plain serial zlib stream. Process-wide.
void SetCompressionThreads(unsigned threads);
unsigned CompressionThreads();

}  // namespace velt::engine
