// A fresh folder per test on the real file system, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
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
  // path() + "/" + name; on Windows with "\\" for every "/", so that paths compare equal
  // with those the program builds.
  std::string operator/(const std::string& name) const;
  // Names in the folder, sorted, "." and ".." left out.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
#ifndef _WIN32
uint32_t FileMode(const std::string& path);  // the permission bits
#endif
uint64_t FileSizeOf(const std::string& path);

// A UTF-8 path for std::filesystem, which reads a plain string in the local code page on
// Windows.
std::filesystem::path PathOf(const std::string& utf8);

// Gives the file or folder the hidden attribute on Windows; on POSIX a name beginning with "."
// is what hides it, and this does nothing.
void MakeHidden(const std::string& path);

}  // namespace velt::test
