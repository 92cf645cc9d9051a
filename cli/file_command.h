// velt-cli encrypt and decrypt: the files gathered from the paths, one password, every file
// through the engine, one line per file that needs one and a summary.
#pragma once

#include "cli/cli_app.h"
#include "cli/file_options.h"

namespace velt::cli {

// Exit status as RunCli's; 128 + the signal's number when the user stopped the run. Throws
// UsageError and PasswordProblem before any file is touched.
int RunFileCommand(const FileOptions& o, CliEnvironment& env, bool encrypting);

}  // namespace velt::cli
