// What the fuzz targets share: a scratch folder on a RAM file system where there is one, and a
// check that stops the run with a message when a property does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velt::fuzz {

// A fresh folder for this process, removed at exit.
const std::string& ScratchFolder();
void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Names in `folder`, sorted; "." and ".." left out.
std::vector<std::string> Names(const std::string& folder);
// Removes every file in `folder` (not recursive).
void EmptyFolder(const std::string& folder);

// A property broken: prints `what` and aborts, which libFuzzer records as a crash.
[[noreturn]] void Broken(const std::string& what);
inline void Require(bool ok, const std::string& what) {
  if (!ok) Broken(what);
}

}  // namespace velt::fuzz
