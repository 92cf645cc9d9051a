#include "tests/fuzz/fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velt::fuzz {

namespace {
std::string MakeScratch() {
  // tmpfs keeps the many small writes of a fuzz run off the disk.
  std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string templ = base + "/velt-fuzz-XXXXXX";
  if (!::mkdtemp(templ.data())) Broken("cannot make a scratch folder under " + base);
  static std::string removeAtExit;
  removeAtExit = templ;
  std::atexit([] {
    EmptyFolder(removeAtExit);
    ::rmdir(removeAtExit.c_str());
  });
  return templ;
}
}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = MakeScratch();
  return folder;
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Broken("cannot write " + path + ": " + std::strerror(errno));
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) Broken("cannot write " + path + ": " + std::strerror(errno));
    done += size_t(n);
  }
  ::close(fd);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> out;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Broken("cannot read " + path + ": " + std::strerror(errno));
  uint8_t buf[65536];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) out.insert(out.end(), buf, buf + n);
  ::close(fd);
  return out;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        names.emplace_back(e->d_name);
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void EmptyFolder(const std::string& folder) {
  for (const auto& n : Names(folder)) ::unlink((folder + "/" + n).c_str());
}

void Broken(const std::string& what) {
  std::fprintf(stderr, "\nPROPERTY BROKEN: %s\n", what.c_str());
  std::abort();
}

}  // namespace velt::fuzz
