#include "tests/crash/cli_runner.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "engine/temp_file.h"

namespace velt::test {

namespace {
std::vector<std::string> TempDirNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
}  // namespace

std::pair<size_t, size_t> FindTempSuffix(const std::string& text, size_t minDigits) {
  for (size_t at = text.find(".tmp"); at != std::string::npos; at = text.find(".tmp", at + 1)) {
    size_t end = at + 4;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end - at - 4 >= minDigits) return {at, end - at};
  }
  return {std::string::npos, 0};
}

CliRun::CliRun(TempDir::Where where) : root_(where) {
  work_ = root_ / "work";
  registry_ = root_ / "registry.reg";
  ::mkdir(work_.c_str(), 0777);
  // Wide open, so that a test may run velt-cli as another user in it.
  ::chmod(root_.path().c_str(), 0777);
  ::chmod(work_.c_str(), 0777);
}

TraceOptions CliRun::Traced(const std::vector<std::string>& args) const {
  TraceOptions o;
  o.argv = {VELT_CLI_PATH};
  o.argv.insert(o.argv.end(), args.begin(), args.end());
  o.argv.insert(o.argv.end(), {"--password-env", "VELT_TEST_PASSWORD", "-j", "1"});
  o.environment = {"VELT_REGISTRY=" + registry_, std::string("VELT_TEST_PASSWORD=") + kPassword};
  // The leak checker of a sanitizer build traces the program itself, which a traced program
  // cannot allow.
  const char* asan = std::getenv("ASAN_OPTIONS");
  o.environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":detect_leaks=0");
  o.folder = work_;
  return o;
}

int CliRun::Run(const std::vector<std::string>& args, std::string* err, std::string* out) const {
  TraceOptions o = Traced(args);
  std::string command;
  for (const auto& e : o.environment) command += "'" + e + "' ";
  command = "env " + command;
  for (const auto& a : o.argv) command += "'" + a + "' ";
  command += "2>'" + root_.path() + "/err' >'" + root_.path() + "/out'";
  int status = std::system(command.c_str());
  if (err) *err = ReadText(root_ / "err");
  if (out) *out = ReadText(root_ / "out");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void CliRun::Clear() const {
  ::chmod(work_.c_str(), 0777);
  for (const auto& e : std::filesystem::directory_iterator(work_)) {
    // Read-only folders a test made must open again before they can be emptied.
    if (e.is_directory() && !e.is_symlink()) ::chmod(e.path().c_str(), 0777);
    std::filesystem::remove_all(e.path());
  }
}

std::set<std::string> CliRun::Temporaries() const {
  std::set<std::string> t;
  for (const auto& e : std::filesystem::recursive_directory_iterator(work_))
    if (engine::IsTemporaryName(e.path().filename().string())) t.insert(e.path().string());
  return t;
}

std::set<std::string> CliRun::ReportedTemporaries() const {
  const std::string out = root_ / "info";
  std::string command = "env 'VELT_REGISTRY=" + registry_ + "' '" VELT_CLI_PATH "' info '" + work_ +
                        "' >'" + out + "' 2>&1";
  (void)!std::system(command.c_str());
  // Each leftover is a line of two blanks and its absolute path; what it holds is explained on
  // lines after four blanks (or after the name on its own line).
  std::set<std::string> listed;
  std::istringstream lines(ReadText(out));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  /", 0) != 0) continue;
    std::string path = line.substr(2);
    auto [at, length] = FindTempSuffix(path, 14);
    if (at != std::string::npos) {
      size_t end = at + length;
      if (path.compare(end, 2, "en") == 0 || path.compare(end, 2, "dc") == 0) end += 2;
      path.resize(end);
    }
    listed.insert(path);
  }
  return listed;
}

std::vector<std::string> CliRun::Strangers(const std::set<std::string>& expected) const {
  std::vector<std::string> s;
  for (const auto& n : TempDirNames(work_))
    if (!expected.count(n) && !engine::IsTemporaryName(n)) s.push_back(n);
  return s;
}

}  // namespace velt::test
