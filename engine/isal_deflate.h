// Raw deflate of one block of the parallel compressor with ISA-L, for the fastest level: at
// least zlib level 1's ratio at several times its speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velt::engine {

// Compresses data[dictionary, size) primed with data[0, dictionary) (at most 32 KiB), ending
// with a sync flush, or, for the last block, with the final block. Returns raw deflate data.
std::vector<uint8_t> IsalDeflateBlock(const uint8_t* data, size_t dictionary, size_t size,
                                      bool last);

}  // namespace velt::engine
