// velt-cli: the headless front end. Everything but main() lives here so that tests can run the
// tool in-process with streams, environment and terminal of their own.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/password.h"
#include "cli/stop_request.h"

namespace velt::cli {

struct CliEnvironment {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  std::function<std::optional<std::string>(const std::string& name)> getenv;
  Terminal& terminal;
  bool errIsTerminal = false;  // progress is drawn only on a terminal
  // Test seam: called with each finished, not yet renamed, encrypted file before --verify
  // reads it back.
  std::function<void(const std::string& outputPath)> beforeVerify;
  // Set by the stop signals (see CatchStopSignals); none: the run cannot be stopped.
  StopRequest* stop = nullptr;
};

// Exit status: 0 every file succeeded (skips included), 1 a file failed or was refused,
// 2 a usage error or a password that cannot be had, 128 + the signal's number when stopped.
int RunCli(const std::vector<std::string>& args, CliEnvironment& env);

}  // namespace velt::cli
