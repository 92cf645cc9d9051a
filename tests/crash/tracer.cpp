#include "tests/crash/tracer.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <thread>

namespace velt::test {

#if defined(__x86_64__) && defined(__linux__)

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadLink(const std::string& link) {
  char buf[PATH_MAX];
  ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
  return n < 0 ? std::string() : std::string(buf, size_t(n));
}

std::string FdPath(pid_t tid, long fd) {
  std::string p = ReadLink("/proc/" + std::to_string(tid) + "/fd/" + std::to_string(fd));
  const std::string deleted = " (deleted)";
  if (p.size() > deleted.size() && p.ends_with(deleted)) p.resize(p.size() - deleted.size());
  return p;
}

std::string PeekString(pid_t tid, unsigned long address) {
  std::string s;
  for (size_t i = 0; i < PATH_MAX; i += sizeof(long)) {
    errno = 0;
    long word = ::ptrace(PTRACE_PEEKDATA, tid, address + i, nullptr);
    if (errno != 0) break;
    const char* c = reinterpret_cast<const char*>(&word);
    for (size_t k = 0; k < sizeof(long); ++k) {
      if (c[k] == '\0') return s;
      s += c[k];
    }
  }
  return s;
}

// A path argument made absolute the way the kernel resolves it.
std::string PathArg(pid_t tid, long dirfd, unsigned long address) {
  std::string p = PeekString(tid, address);
  if (!p.empty() && p[0] == '/') return p;
  std::string base =
      dirfd == AT_FDCWD ? ReadLink("/proc/" + std::to_string(tid) + "/cwd") : FdPath(tid, dirfd);
  return base + "/" + p;
}

bool Inside(const std::string& path, const std::string& folder) {
  return path == folder ||
         (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
          path[folder.size()] == '/');
}

std::optional<FsEvent> Decode(pid_t tid, const user_regs_struct& r) {
  const long nr = long(r.orig_rax);
  const long a0 = long(r.rdi), a1 = long(r.rsi), a2 = long(r.rdx), a3 = long(r.r10);
  FsEvent e{};
  switch (nr) {
    case SYS_open:
    case SYS_openat:
    case SYS_creat: {
      long dirfd = nr == SYS_openat ? a0 : AT_FDCWD;
      unsigned long path = nr == SYS_openat ? a1 : a0;
      long flags = nr == SYS_openat ? a2 : nr == SYS_open ? a1 : O_CREAT | O_TRUNC;
      e.kind = (flags & (O_CREAT | O_TRUNC)) ? FsEvent::Create : FsEvent::Open;
      e.path = PathArg(tid, dirfd, path);
      return e;
    }
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
      e.kind = FsEvent::Write;
      e.path = FdPath(tid, a0);
      e.bytes = (nr == SYS_write || nr == SYS_pwrite64) ? uint64_t(a2) : 0;
      return e;
    case SYS_copy_file_range:
      e.kind = FsEvent::Write;
      e.path = FdPath(tid, a2);
      e.bytes = uint64_t(long(r.r8));
      return e;
    case SYS_sendfile:
      e.kind = FsEvent::Write;
      e.path = FdPath(tid, a0);
      e.bytes = uint64_t(a3);
      return e;
    case SYS_pread64:
      e.kind = FsEvent::ReadAt;
      e.path = FdPath(tid, a0);
      e.bytes = uint64_t(a2);
      e.offset = uint64_t(a3);
      return e;
    case SYS_rename:
    case SYS_link:
      e.kind = FsEvent::Rename;
      e.path = PathArg(tid, AT_FDCWD, a0);
      e.target = PathArg(tid, AT_FDCWD, a1);
      return e;
    case SYS_renameat:
    case SYS_renameat2:
    case SYS_linkat:
      e.kind = FsEvent::Rename;
      e.path = PathArg(tid, a0, a1);
      e.target = PathArg(tid, a2, a3);
      return e;
    case SYS_unlink:
    case SYS_unlinkat:
      e.kind = FsEvent::Unlink;
      e.path = nr == SYS_unlink ? PathArg(tid, AT_FDCWD, a0) : PathArg(tid, a0, a1);
      return e;
    case SYS_chmod:
    case SYS_fchmodat:
      e.kind = FsEvent::Chmod;
      e.path = nr == SYS_chmod ? PathArg(tid, AT_FDCWD, a0) : PathArg(tid, a0, a1);
      return e;
    case SYS_fchmod:
      e.kind = FsEvent::Chmod;
      e.path = FdPath(tid, a0);
      return e;
    case SYS_fsync:
    case SYS_fdatasync:
      e.kind = FsEvent::Sync;
      e.path = FdPath(tid, a0);
      return e;
    case SYS_ftruncate:
      e.kind = FsEvent::Truncate;
      e.path = FdPath(tid, a0);
      e.bytes = uint64_t(a1);
      return e;
    case SYS_truncate:
      e.kind = FsEvent::Truncate;
      e.path = PathArg(tid, AT_FDCWD, a0);
      e.bytes = uint64_t(a1);
      return e;
  }
  return std::nullopt;
}

[[noreturn]] void Child(const TraceOptions& o, int outFd, int errFd) {
  ::dup2(outFd, 1);
  ::dup2(errFd, 2);
  ::close(0);
  ::open("/dev/null", O_RDONLY);
  for (const auto& kv : o.environment) ::putenv(const_cast<char*>(kv.c_str()));
  if (o.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
      _exit(126);
  }
  if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(125);
  ::raise(SIGSTOP);
  std::vector<char*> argv;
  for (const auto& a : o.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

bool TracingSupported() {
  return true;
}

TraceResult RunTraced(const TraceOptions& o) {
  // Pipes rather than files: a file size limit set on the program must not cost its messages.
  int outPipe[2], errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot capture the output");
  const int outFd = outPipe[1], errFd = errPipe[1];
  // Copies for the child, whose environment strings must outlive the fork's address space copy.
  TraceOptions childOptions = o;
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) Child(childOptions, outFd, errFd);
  ::close(outFd);
  ::close(errFd);
  TraceResult result;
  auto drain = [](int fd, std::string& into) {
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) into.append(buf, size_t(n));
    ::close(fd);
  };
  std::thread outReader(drain, outPipe[0], std::ref(result.out));
  std::thread errReader(drain, errPipe[0], std::ref(result.err));
  auto finish = [&]() -> TraceResult {
    outReader.join();
    errReader.join();
    return std::move(result);
  };

  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finish();
  }
  ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
           PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACECLONE | PTRACE_O_TRACEFORK | PTRACE_O_TRACEVFORK |
               PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL);
  ::ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);

  std::map<pid_t, bool> inCall;                  // per thread: between entry and exit
  std::map<pid_t, std::optional<FsEvent>> open;  // per thread: the event of its current call
  bool execDone = false;
  for (;;) {
    pid_t tid = ::waitpid(-1, &status, __WALL);
    if (tid < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      inCall.erase(tid);
      open.erase(tid);
      if (tid == pid) {
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        break;
      }
      continue;
    }
    if (!WIFSTOPPED(status)) continue;
    const int sig = WSTOPSIG(status);
    int deliver = 0;
    if (sig == (SIGTRAP | 0x80)) {
      bool entering = !inCall[tid];
      inCall[tid] = entering;
      user_regs_struct regs{};
      ::ptrace(PTRACE_GETREGS, tid, nullptr, &regs);
      if (entering && execDone && !result.killed) {
        auto e = Decode(tid, regs);
        if (e && (Inside(e->path, o.folder) ||
                  (e->kind == FsEvent::Rename && Inside(e->target, o.folder)))) {
          e->index = result.events.size();
          result.events.push_back(*e);
          if (o.before && o.before(*e, pid)) {
            result.killed = true;
            ::kill(pid, SIGKILL);
            continue;  // the call never runs
          }
          open[tid] = *e;
        }
      } else if (!entering) {
        if (auto& e = open[tid]) {
          if (o.after) o.after(*e, long(regs.rax));
          e.reset();
        }
      }
    } else if (status >> 16 != 0) {
      if (status >> 16 == PTRACE_EVENT_EXEC) execDone = true;
    } else if (sig == SIGSTOP) {
      // New threads start stopped; that stop is ptrace's, not the program's.
    } else {
      deliver = sig;
    }
    if (!result.killed)
      ::ptrace(PTRACE_SYSCALL, tid, nullptr, reinterpret_cast<void*>(long(deliver)));
  }
  return finish();
}

#else

bool TracingSupported() {
  return false;
}
TraceResult RunTraced(const TraceOptions&) {
  throw std::runtime_error("tracing needs Linux on x86-64");
}

#endif

std::string FsEvent::Describe() const {
  static const char* names[] = {"create", "open", "write",    "rename", "unlink",
                                "chmod",  "sync", "truncate", "read"};
  std::string s = std::string(names[kind]) + " " + path;
  if (kind == Rename) s += " -> " + target;
  if (kind == Write || kind == ReadAt) s += " (" + std::to_string(bytes) + " bytes)";
  return s;
}

}  // namespace velt::test
