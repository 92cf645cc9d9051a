#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/cli_app.h"
#include "platform/registry.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/win32/text.h"
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// The arguments and the environment as UTF-8, which main's own arguments are not on Windows
// (they come in the local code page).
std::vector<std::string> Arguments() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(velt::platform::win32::Narrow(argv[i], wcslen(argv[i])));
  LocalFree(argv);
  return args;
}

std::optional<std::string> Environment(const std::string& name) {
  const wchar_t* v = _wgetenv(velt::platform::win32::Wide(name).c_str());
  return v ? std::optional<std::string>(velt::platform::win32::Narrow(v, wcslen(v))) : std::nullopt;
}

bool ErrorIsTerminal() {
  if (!_isatty(_fileno(stderr))) return false;
  // UTF-8 text, and the escape sequences the progress display draws with.
  SetConsoleOutputCP(CP_UTF8);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode;
  return GetConsoleMode(err, &mode) &&
         SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
#else
std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<std::string> Environment(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::optional<std::string>(v) : std::nullopt;
}
#endif

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
  const bool errIsTerminal = ErrorIsTerminal();
  std::vector<std::string> args = Arguments();
#else
  // An installed velt-cli reads the settings store of its own prefix.
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) velt::platform::UseRegistryBesideProgram(self.parent_path().string());
  // A file size limit then makes writes fail with a clear error instead of killing us.
  ::signal(SIGXFSZ, SIG_IGN);
  const bool errIsTerminal = ::isatty(2) != 0;
  std::vector<std::string> args = Arguments(argc, argv);
#endif
  static velt::cli::StopRequest stop;
  velt::cli::CatchStopSignals(stop);
  velt::cli::ControllingTerminal terminal;
  velt::cli::CliEnvironment env{std::cin, std::cout,     std::cerr, Environment,
                                terminal, errIsTerminal, {},        &stop};
  const int status = velt::cli::RunCli(args, env);
  std::cout.flush();
  stop.finished = true;
  return status;
}
