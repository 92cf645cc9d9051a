#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace velt::test {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {
std::string Utf8Of(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}
}  // namespace

TempDir::TempDir(Where where) {
#ifdef _WIN32
  fs::path base = fs::temp_directory_path();
  // Under Wine the host's RAM file system is there as Z:\dev\shm.
  std::error_code shm;
  if (where == Where::Memory && fs::is_directory("Z:\\dev\\shm", shm)) base = "Z:\\dev\\shm";
  std::random_device random;
  for (int attempt = 0;; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "velt-test-%08x", unsigned(random()));
    fs::path p = base / name;
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = Utf8Of(p);
      break;
    }
    if (attempt > 100) throw std::runtime_error("cannot make a temporary folder");
  }
#else
  const char* env = std::getenv("TMPDIR");
  std::string base = env && *env ? env : "/tmp";
  if (where == Where::Memory && fs::is_directory("/dev/shm")) base = "/dev/shm";
  std::string pattern = base + "/velt-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
#endif
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only folders made by a test must become writable again before they can be emptied
  // (on Windows read-only files too: they cannot be deleted).
  const fs::path root = PathOf(path_);
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
#ifdef _WIN32
    const bool unlock = !it->is_symlink(ec);
#else
    const bool unlock = it->is_directory(ec) && !it->is_symlink(ec);
#endif
    if (unlock) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root, ec);
}

std::string TempDir::operator/(const std::string& name) const {
#ifdef _WIN32
  std::string native = name;
  std::replace(native.begin(), native.end(), '/', '\\');
  return path_ + "\\" + native;
#else
  return path_ + "/" + name;
#endif
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> v;
  for (const auto& e : fs::directory_iterator(PathOf(path_)))
    v.push_back(Utf8Of(e.path().filename()));
  std::sort(v.begin(), v.end());
  return v;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
  auto b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

#ifndef _WIN32
uint32_t FileMode(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
  return st.st_mode & 07777;
}
#endif

uint64_t FileSizeOf(const std::string& path) {
  return fs::file_size(PathOf(path));
}

void MakeHidden(const std::string& path) {
#ifdef _WIN32
  const std::wstring wide = PathOf(path).wstring();
  DWORD a = GetFileAttributesW(wide.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(wide.c_str(), a | FILE_ATTRIBUTE_HIDDEN))
    throw std::runtime_error("cannot hide " + path);
#else
  (void)path;
#endif
}

}  // namespace velt::test
