// Where velt-cli takes the password from: a file (or standard input), an environment variable,
// or a prompt on the terminal without echo. Never from the command line itself.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <stdexcept>
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

// The first line of the text, its line ending ("\n" or "\r\n") removed; nullopt when the text
// is empty or cannot be read.
std::optional<std::string> FirstLine(std::istream& in);

// Asks once, or twice when `confirm` (encryption); on a mismatch or end of input returns
// nullopt with the reason in `problem`.
std::optional<std::string> PromptPassword(Terminal& terminal, bool confirm, std::string& problem);

// A password that cannot be had: the source cannot be read, or encryption was given an empty
// password. Nothing has been touched yet.
struct PasswordProblem : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct PasswordSource {
  std::string file;      // -p: a file, or "-" for `in`
  std::string variable;  // --password-env
};

// The password from the file, the variable or else the terminal. Decryption takes an empty
// password (an old file may have been made with one); encryption refuses it.
std::string ReadPassword(
    const PasswordSource& source, bool encrypting, std::istream& in,
    const std::function<std::optional<std::string>(const std::string&)>& getenv,
    Terminal& terminal);

}  // namespace velt::cli
