#include "cli/password.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "cli/file_gathering.h"
#include "cli/stop_request.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/text.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#endif

namespace velt::cli {

std::optional<std::string> FirstLine(std::istream& in) {
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

#ifdef _WIN32

namespace {
// The console itself, whatever standard input and output were redirected to.
struct Console {
  HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ~Console() {
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  }
  bool Usable() {
    DWORD mode;
    return in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode);
  }
  void Write(const std::wstring& text) {
    DWORD n;
    WriteConsoleW(out, text.data(), DWORD(text.size()), &n, nullptr);
  }
};
}  // namespace

bool ControllingTerminal::Available() {
  return Console().Usable();
}

std::optional<std::string> ControllingTerminal::ReadHidden(const std::string& prompt) {
  Console console;
  if (!console.Usable()) return std::nullopt;
  console.Write(platform::win32::Wide(prompt));
  DWORD saved = 0;
  GetConsoleMode(console.in, &saved);
  SetConsoleMode(console.in,
                 (saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~DWORD(ENABLE_ECHO_INPUT));
  std::wstring line;
  bool ended = false;
  for (;;) {
    wchar_t c;
    DWORD n = 0;
    if (!ReadConsoleW(console.in, &c, 1, &n, nullptr) || n == 0) {
      // Ctrl+C ends the read with nothing; the half-typed line is no password.
      ended = line.empty() || GetLastError() == ERROR_OPERATION_ABORTED;
      break;
    }
    if (c == L'\n') break;
    line.push_back(c);
  }
  SetConsoleMode(console.in, saved);
  console.Write(L"\r\n");  // the Enter that was not echoed
  if (!line.empty() && line.back() == L'\r') line.pop_back();
  // Ctrl+Z on a line of its own is the console's end of input.
  if (line == L"\x1a") ended = true;
  if (ended) return std::nullopt;
  return platform::win32::Narrow(line);
}

#else

bool ControllingTerminal::Available() {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::optional<std::string> ControllingTerminal::ReadHidden(const std::string& prompt) {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
  struct termios saved {};
  bool restore = ::tcgetattr(fd, &saved) == 0;
  if (restore) {
    struct termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  (void)!::write(fd, prompt.data(), prompt.size());
  // A stop signal that comes before the wait begins must end it too: the signals stay blocked
  // while the flag is looked at and are let in only inside ppoll, atomically. The timeout
  // covers a signal taken by another thread.
  sigset_t stops, before;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, s);
  pthread_sigmask(SIG_BLOCK, &stops, &before);
  std::string line;
  bool ended = false;
  for (;;) {
    if (StopSignalled()) {
      ended = true;  // the half-typed line is no password
      break;
    }
    pollfd waiting{fd, POLLIN, 0};
    const timespec tick{0, 200 * 1000 * 1000};
    const int ready = ::ppoll(&waiting, 1, &tick, &before);
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    char c;
    const ssize_t n = ready < 0 ? -1 : ::read(fd, &c, 1);
    if (n <= 0) {
      ended = line.empty();
      break;
    }
    if (c == '\n') break;
    line.push_back(c);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (restore) ::tcsetattr(fd, TCSAFLUSH, &saved);
  ::close(fd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (ended) return std::nullopt;
  return line;
}

#endif

std::optional<std::string> PromptPassword(Terminal& terminal, bool confirm, std::string& problem) {
  if (!terminal.Available()) {
    problem = "no terminal to ask for the password on: use --password-file or --password-env";
    return std::nullopt;
  }
  auto first = terminal.ReadHidden("Password: ");
  if (!first) {
    problem = "no password was given";
    return std::nullopt;
  }
  // Encryption refuses an empty password anyway: no need to ask for it again.
  if (confirm && !first->empty()) {
    auto second = terminal.ReadHidden("Password again: ");
    if (!second || *second != *first) {
      problem = "the two passwords do not match";
      return std::nullopt;
    }
  }
  return first;
}

namespace {

std::string FromFile(const std::string& file, std::istream& in, bool encrypting) {
  if (file == "-") {
    auto line = FirstLine(in);
    if (!line) throw PasswordProblem("no password on standard input (it is empty or closed)");
    if (encrypting && line->empty())
      throw PasswordProblem(
          "the first line of standard input is empty: encryption needs a password");
    return *line;
  }
  std::error_code ec;
  const auto status = std::filesystem::status(PathOf(file), ec);
  if (status.type() == std::filesystem::file_type::not_found)
    throw PasswordProblem("cannot read the password file " + file + ": no such file");
  if (status.type() == std::filesystem::file_type::directory)
    throw PasswordProblem("cannot read the password file " + file + ": it is a folder");
  std::ifstream f(PathOf(file), std::ios::binary);
  if (!f) throw PasswordProblem("cannot read the password file " + file);
  auto line = FirstLine(f);
  if (f.bad()) throw PasswordProblem("cannot read the password file " + file);
  if (encrypting && (!line || line->empty()))
    throw PasswordProblem("the first line of the password file " + file +
                          " is empty: encryption needs a password");
  return line.value_or("");
}

}  // namespace

std::string ReadPassword(
    const PasswordSource& source, bool encrypting, std::istream& in,
    const std::function<std::optional<std::string>(const std::string&)>& getenv,
    Terminal& terminal) {
  if (!source.file.empty()) return FromFile(source.file, in, encrypting);
  if (!source.variable.empty()) {
    auto v = getenv(source.variable);
    if (!v) throw PasswordProblem("the environment variable " + source.variable + " is not set");
    if (encrypting && v->empty())
      throw PasswordProblem("the environment variable " + source.variable +
                            " is empty: encryption needs a password");
    return *v;
  }
  std::string problem;
  auto p = PromptPassword(terminal, encrypting, problem);
  if (!p) throw PasswordProblem(problem);
  if (encrypting && p->empty())
    throw PasswordProblem("no password was typed: encryption needs a password");
  return *p;
}

}  // namespace velt::cli
