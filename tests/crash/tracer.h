// Runs a program under ptrace and reports every system call that changes a watched folder
// (creating, writing, renaming, deleting, changing the mode or flushing a file in it) before the
// call runs, so that a test can kill the program at that exact point or inject a fault there.
// Nothing in the program itself is changed. Linux on x86-64 only (see Supported).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velt::test {

struct FsEvent {
  enum Kind { Create, Open, Write, Rename, Unlink, Chmod, Sync, Truncate, ReadAt };
  Kind kind;
  std::string path;     // the file (Rename: the old name; Sync of a folder: the folder)
  std::string target;   // Rename: the new name
  uint64_t bytes = 0;   // Write and ReadAt: the count asked for
  uint64_t offset = 0;  // ReadAt: where
  size_t index = 0;     // position among all events of the run

  // Whether the call can change what is on disk (Open and ReadAt cannot).
  bool Changes() const { return kind != Open && kind != ReadAt; }
  std::string Describe() const;
};

struct TraceOptions {
  std::vector<std::string> argv;         // the program and its arguments
  std::vector<std::string> environment;  // "NAME=value" added to ours
  std::string folder;                    // events outside it are not reported
  bool unprivileged = false;             // as root: run the program as nobody
  // Before the call of each event runs; returning true kills the program with SIGKILL there,
  // so the call never happens.
  std::function<bool(const FsEvent&, pid_t)> before;
  // After the call of an event has run, with its result (-errno on failure).
  std::function<void(const FsEvent&, long result)> after;
};

struct TraceResult {
  bool killed = false;  // by us, at an event
  int exitCode = -1;    // when it exited by itself
  std::string out, err;
  std::vector<FsEvent> events;  // every event seen, the one killed at included
};

bool TracingSupported();
TraceResult RunTraced(const TraceOptions& options);

}  // namespace velt::test
