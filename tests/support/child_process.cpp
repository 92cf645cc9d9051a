#include "tests/support/child_process.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <stdexcept>

namespace velt::test {

namespace {
constexpr uid_t kNobody = 65534;

void ChownTree(const std::string& root) {
  namespace fs = std::filesystem;
  ::lchown(root.c_str(), kNobody, kNobody);
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec))
    ::lchown(it->path().c_str(), kNobody, kNobody);
}
}  // namespace

ChildResult RunInChild(const std::function<int()>& body, const ChildOptions& options) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::close(fds[0]);
    int code;
    try {
      if (options.fileSizeLimit >= 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl {
          rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)
        };
        ::setrlimit(RLIMIT_FSIZE, &rl);
      }
      if (options.unprivileged && ::geteuid() == 0) {
        if (!options.ownedPath.empty()) ChownTree(options.ownedPath);
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) _exit(98);
      }
      code = body();
    } catch (const std::exception& e) {
      std::string m = e.what();
      (void)!::write(fds[1], m.data(), m.size());
      code = 99;
    } catch (...) {
      code = 99;
    }
    ::close(fds[1]);
    _exit(code);
  }
  ::close(fds[1]);
  ChildResult r;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) r.message.append(buf, size_t(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (options.unprivileged && ::geteuid() == 0 && !options.ownedPath.empty()) {
    // Give the tree back so the test can inspect and remove it.
    namespace fs = std::filesystem;
    ::lchown(options.ownedPath.c_str(), 0, 0);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(options.ownedPath, ec);
         !ec && it != fs::end(it); it.increment(ec))
      ::lchown(it->path().c_str(), 0, 0);
  }
  return r;
}

}  // namespace velt::test
