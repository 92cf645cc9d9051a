// Where velt-cli takes the password from: a file (or standard input), an environment variable,
// or a prompt on the terminal without echo. Never from the command line itself.
#pragma once

#include <istream>
#include <optional>
#include <string>

namespace velt::cli {

// The terminal the prompt talks to; tests put a scripted one in its place.
class Terminal {
 public:
  virtual ~Terminal() = default;
  virtual bool Available() = 0;
  // Shows the prompt and reads one line without echoing it; nullopt at end of input.
  virtual std::optional<std::string> ReadHidden(const std::string& prompt) = 0;
};

// The controlling terminal (/dev/tty; the console, CONIN$, on Windows), with echo switched off
// while a password is typed.
class ControllingTerminal final : public Terminal {
 public:
  bool Available() override;
  std::optional<std::string> ReadHidden(const std::string& prompt) override;
};

// The first line of the text, its line ending ("\n" or "\r\n") removed.
std::string FirstLine(std::istream& in);

// Asks once, or twice when `confirm` (encryption); on a mismatch or end of input returns
// nullopt with the reason in `problem`.
std::optional<std::string> PromptPassword(Terminal& terminal, bool confirm, std::string& problem);

}  // namespace velt::cli
