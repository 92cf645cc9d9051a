#include "engine/secure_delete.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::engine {

namespace {
std::atomic<uint32_t> fillState{0};
}

uint8_t NextFillValue() {
  uint32_t state = fillState.load(std::memory_order_relaxed), next;
  do {
    next = state * 134775813u + 1u;
  } while (!fillState.compare_exchange_weak(state, next, std::memory_order_relaxed));
  return uint8_t((uint64_t(next) * 255u) >> 32);
}

void ResetFillGenerator() {
  fillState.store(0);
}

void SecureOverwrite(platform::File& file, ProgressSink& sink) {
  const uint64_t size = file.Size();
  // Several fill blocks go out in one write; the bar still moves once per block.
  constexpr size_t kBlocksPerWrite = 16;
  std::vector<uint8_t> buffer(kFillBlock * kBlocksPerWrite);
  uint64_t remaining = size, offset = 0;
  while (remaining > kFillBlock) {
    size_t blocks = size_t(std::min<uint64_t>((remaining - 1) / kFillBlock, kBlocksPerWrite));
    for (size_t b = 0; b < blocks; ++b)
      std::memset(buffer.data() + b * kFillBlock, NextFillValue(), kFillBlock);
    file.WriteAt(offset, buffer.data(), blocks * kFillBlock);
    for (size_t b = 0; b < blocks; ++b) {
      remaining -= kFillBlock;
      sink.ShowBar(PercentOf(remaining, size));
    }
    offset += blocks * kFillBlock;
  }
  // The last 0 to 65535 bytes; a size that is a multiple of the block ends with a full block.
  std::memset(buffer.data(), NextFillValue(), size_t(remaining));
  file.WriteAt(offset, buffer.data(), size_t(remaining));
  file.Flush();
}

void SecureDeleteFile(const std::string& path, ProgressSink& sink) {
  platform::File f = platform::File::Open(path, platform::OpenMode::ReadWrite);
  SecureOverwrite(f, sink);
  f.Close();
  platform::DeleteFile(path);
}

}  // namespace velt::engine
