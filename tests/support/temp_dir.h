// A fresh folder per test on the real file system, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt::test {

class TempDir {
 public:
  enum class Where { Disk, Memory };
  // Memory puts the folder on a RAM file system where there is one (for tests that make many
  // small files and are not about the storage device).
  explicit TempDir(Where where = Where::Disk);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names in the folder, sorted, "." and ".." left out.
  std::vector<std::string> names() const;

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);
std::vector<uint8_t> readFile(const std::string& path);
std::string readText(const std::string& path);
uint32_t fileMode(const std::string& path);
uint64_t FileSizeOf(const std::string& path);

}  // namespace velt::test
