// Runs a piece of a test in a forked child, so that faults can be produced for real: a file
// size limit (RLIMIT_FSIZE, with SIGXFSZ ignored so writes fail with EFBIG), or the rights of
// an unprivileged user when the tests run as root.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velt::test {

struct ChildOptions {
  int64_t fileSizeLimit = -1;  // bytes; -1 for none
  bool unprivileged = false;   // as root: chown `ownedPath` to nobody and become nobody
  std::string ownedPath;
};

struct ChildResult {
  int exitCode = -1;    // what the function returned, or 99 after an exception
  std::string message;  // the exception's text, if any
};

ChildResult RunInChild(const std::function<int()>& body, const ChildOptions& options = {});

}  // namespace velt::test
