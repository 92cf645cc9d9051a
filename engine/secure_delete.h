// Overwriting a file once with pseudo-random fill before it is deleted.
#pragma once

#include <cstdint>
#include <string>

#include "engine/progress.h"

namespace velt::platform {
class File;
}

namespace velt::engine {

// Fill blocks are this long; each takes one fresh value of the fill generator.
inline constexpr size_t kFillBlock = 65535;

// The process-wide fill generator: state = state * 134775813 + 1 (mod 2^32), value = the high
// 32 bits of state * 255, so 0 to 254. It starts at 0 in every process.
uint8_t NextFillValue();
void ResetFillGenerator();  // for tests

// Overwrites the whole file in place, forces it to the storage device, and keeps it open.
// The bar runs down towards 0 as the overwrite proceeds.
void SecureOverwrite(platform::File& file, ProgressSink& sink);

// Opens the file, overwrites it, forces the overwrite to the device, then deletes it.
void SecureDeleteFile(const std::string& path, ProgressSink& sink);

}  // namespace velt::engine
