#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/cli_app.h"
#include "platform/registry.h"

int main(int argc, char** argv) {
  // An installed velt-cli reads the settings store of its own prefix.
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) velt::platform::UseRegistryBesideProgram(self.parent_path().string());
  // A file size limit then makes writes fail with a clear error instead of killing us.
  ::signal(SIGXFSZ, SIG_IGN);
  velt::cli::ControllingTerminal terminal;
  velt::cli::CliEnvironment env{std::cin, std::cout, std::cerr,
                                [](const std::string& name) -> std::optional<std::string> {
                                  const char* v = std::getenv(name.c_str());
                                  return v ? std::optional<std::string>(v) : std::nullopt;
                                },
                                terminal, ::isatty(2) != 0, {}};
  return velt::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
