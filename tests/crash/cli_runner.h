// velt-cli as the crash and fault tests run it: a work folder that only the file under test
// lives in, a settings store beside it, the password from the environment, and the checks of
// what may be left in the folder afterwards.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/crash/tracer.h"
#include "tests/support/temp_dir.h"

namespace velt::test {

inline constexpr const char* kPassword = "crash-test password";

class CliRun {
 public:
  explicit CliRun(TempDir::Where where = TempDir::Where::Disk);
  const std::string& work() const { return work_; }
  std::string operator/(const std::string& name) const { return work_ + "/" + name; }

  // velt-cli with these arguments, untraced; returns its exit status.
  int Run(const std::vector<std::string>& args, std::string* err = nullptr,
          std::string* out = nullptr) const;
  TraceOptions Traced(const std::vector<std::string>& args) const;
  // Removes everything in the work folder.
  void Clear() const;

  // Files under the work folder (subfolders included) that follow VELT's temporary naming, as
  // full paths.
  std::set<std::string> Temporaries() const;
  // What `velt-cli info` lists as stale temporary files of the work folder.
  std::set<std::string> ReportedTemporaries() const;
  // Names in the work folder that are neither in `expected` nor temporaries.
  std::vector<std::string> Strangers(const std::set<std::string>& expected) const;

 private:
  TempDir root_;
  std::string work_, registry_;
};

// Where `text` holds ".tmp" followed by at least `minDigits` digits: the position of the dot and
// the length of that piece; npos when it holds none.
std::pair<size_t, size_t> FindTempSuffix(const std::string& text, size_t minDigits = 1);

}  // namespace velt::test
