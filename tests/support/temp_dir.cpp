#include "tests/support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace velt::test {

namespace fs = std::filesystem;

TempDir::TempDir(Where where) {
  const char* env = std::getenv("TMPDIR");
  std::string base = env && *env ? env : "/tmp";
  if (where == Where::Memory && fs::is_directory("/dev/shm")) base = "/dev/shm";
  std::string pattern = base + "/velt-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only folders made by a test must become writable again before they can be emptied.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec))
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<std::string> TempDir::names() const {
  std::vector<std::string> v;
  for (const auto& e : fs::directory_iterator(path_)) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void writeFile(const std::string& path, const std::string& text) {
  writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string& path) {
  auto b = readFile(path);
  return std::string(b.begin(), b.end());
}

uint32_t fileMode(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
  return st.st_mode & 07777;
}

uint64_t FileSizeOf(const std::string& path) { return fs::file_size(path); }

}  // namespace velt::test
