#include "cli/password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace velt::cli {

std::string FirstLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool ControllingTerminal::Available() {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::optional<std::string> ControllingTerminal::ReadHidden(const std::string& prompt) {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  (void)!::write(fd, prompt.data(), prompt.size());
  struct termios saved {};
  bool restore = ::tcgetattr(fd, &saved) == 0;
  if (restore) {
    struct termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  std::string line;
  bool ended = false;
  for (;;) {
    char c;
    ssize_t n = ::read(fd, &c, 1);
    if (n <= 0) {
      ended = line.empty();
      break;
    }
    if (c == '\n') break;
    line.push_back(c);
  }
  if (restore) ::tcsetattr(fd, TCSAFLUSH, &saved);
  ::close(fd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (ended) return std::nullopt;
  return line;
}

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
  if (confirm) {
    auto second = terminal.ReadHidden("Password again: ");
    if (!second || *second != *first) {
      problem = "the two passwords do not match";
      return std::nullopt;
    }
  }
  return first;
}

}  // namespace velt::cli
