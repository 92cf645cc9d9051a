// Faults injected for real into velt-cli at each stage of encryption and decryption, while
// ptrace holds it just before the system call that starts the stage: a full disk (a file size
// limit set on the running process), permission denied (the folder or file made read-only for
// that one call, velt-cli running as an unprivileged user), the file locked by another VELT
// process, and the stage's file removed or replaced underneath. Afterwards the user's data must
// be intact, nothing of ours left, and a failure's message must name the file and the cause.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <tuple>
#include <climits>

#include "engine/engine.h"
#include "platform/file.h"
#include "tests/crash/cli_runner.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

namespace fs = std::filesystem;

enum class Stage { WorkingCopy, CipherOutput, Trailer, Overwrite, Rename };
enum class Fault { DiskFull, PermissionDenied, Locked, Removed, Replaced };

const char* Name(Stage s) {
  static const char* n[] = {"working copy", "cipher output", "trailer", "overwrite", "rename"};
  return n[int(s)];
}
const char* Name(Fault f) {
  static const char* n[] = {"disk full", "permission denied", "locked by another VELT process",
                            "removed underneath", "replaced underneath"};
  return n[int(f)];
}
// What a failure's message must say.
const char* Cause(Fault f) {
  static const char* n[] = {"File too large", "Permission denied", "in use by another VELT process",
                            "removed\" or \"No such file", "replaced"};
  return n[int(f)];
}
bool Says(const std::string& message, Fault f) {
  if (f == Fault::Removed)
    return message.find("removed") != std::string::npos ||
           message.find("No such file") != std::string::npos;
  return message.find(Cause(f)) != std::string::npos;
}

// An event as it may be compared between runs: temporary numbers and write sizes (which
// depend on how the threads of a run meet) left out.
std::string Normal(const FsEvent& e, const std::string& folder) {
  FsEvent f = e;
  if (f.kind == FsEvent::Write) f.bytes = 0;
  std::string d = f.Describe();
  for (size_t at; (at = d.find(folder + "/")) != std::string::npos;) d.erase(at, folder.size() + 1);
  for (auto [at, length] = FindTempSuffix(d); at != std::string::npos; std::tie(at, length) = FindTempSuffix(d))
    d.replace(at, length, ".tmpN");
  return d;
}

bool Holds(const std::string& path, const std::vector<uint8_t>& bytes) {
  return fs::is_regular_file(path) && readFile(path) == bytes;
}

class FaultMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TracingSupported()) GTEST_SKIP() << "needs ptrace on Linux x86-64";
  }
  static void TearDownTestSuite() {
    std::cout << "[ figures  ] fault matrix: " << survived << " of " << injected
              << " faults injected were survived (" << refused << " refused with a message, "
              << completed << " completed correctly)\n";
  }

  // As root, velt-cli runs as nobody, so the files must be nobody's.
  void GiveAway() {
    if (::geteuid() != 0) return;
    for (const auto& e : fs::directory_iterator(cli.work())) ::lchown(e.path().c_str(), 65534, 65534);
  }
  void Clear() {
    ::chmod(cli.work().c_str(), 0777);
    for (const auto& e : fs::directory_iterator(cli.work())) fs::remove(e.path());
  }

  // Index of the event in `events` that starts `stage` for `fault`; nullopt where the fault
  // has nothing to act on at that stage.
  using Locate = std::function<std::optional<size_t>(const std::vector<FsEvent>&, Stage, Fault)>;

  struct Operation {
    std::vector<std::string> args;
    std::string source;  // the user's file the operation starts from
    std::function<void()> prepare;
    Locate locate;
    // The file a fault acts on, given the event it is injected at.
    std::function<std::string(const FsEvent&, Stage, Fault)> target;
    // True when the user's data is intact (with what the fault itself did to it).
    std::function<bool(Fault, const std::string& target)> intact;
    // True when the operation's result is complete.
    std::function<bool()> complete;
  };

  void RunMatrix(const std::string& label, const Operation& op) {
    Clear();
    op.prepare();
    GiveAway();
    TraceOptions dryOptions = cli.Traced(op.args);
    dryOptions.unprivileged = true;
    TraceResult dry = RunTraced(dryOptions);
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    ASSERT_TRUE(op.complete()) << label;

    for (Stage stage : {Stage::WorkingCopy, Stage::CipherOutput, Stage::Trailer, Stage::Overwrite,
                        Stage::Rename}) {
      for (Fault fault : {Fault::DiskFull, Fault::PermissionDenied, Fault::Locked, Fault::Removed,
                          Fault::Replaced}) {
        auto at = op.locate(dry.events, stage, fault);
        if (!at) continue;
        const std::string cell = label + ", " + Name(stage) + ", " + Name(fault);
        SCOPED_TRACE(cell);
        RunCell(cell, op, dry.events, dry.events[*at], stage, fault);
      }
    }
  }

  void RunCell(const std::string& cell, const Operation& op, const std::vector<FsEvent>& dryEvents,
               const FsEvent& where, Stage stage, Fault fault) {
    Clear();
    op.prepare();
    GiveAway();
    // The n-th event like it: how many writes come first depends on how the threads meet.
    const std::string expected = Normal(where, cli.work());
    size_t occurrence = 0;
    for (size_t i = 0; i < where.index; ++i) occurrence += Normal(dryEvents[i], cli.work()) == expected;
    size_t seenLikeIt = 0;
    TraceOptions o = cli.Traced(op.args);
    // Permissions bind only an unprivileged user; a size limit can be set on a running process
    // only by its own user (here without the capability to do it for others).
    o.unprivileged = fault != Fault::DiskFull;
    std::optional<platform::File> lock;
    std::string target, intruderPath = cli / "intruder";
    const std::vector<uint8_t> intruder(777, 'i');
    bool done = false, matched = false;
    size_t injectedAt = SIZE_MAX;
    std::function<void()> undo;
    o.before = [&](const FsEvent& e, pid_t pid) {
      if (fault == Fault::Locked && !lock) {
        // Another VELT process has held the file since before this one started.
        lock = platform::File::Open(op.target(where, stage, fault), platform::OpenMode::Read);
      }
      if (done || Normal(e, cli.work()) != expected || seenLikeIt++ != occurrence) return false;
      done = matched = true;
      injectedAt = e.index;
      target = op.target(e, stage, fault);
      switch (fault) {
        case Fault::DiskFull: {
          struct stat st{};
          ::stat(target.c_str(), &st);
          rlim_t limit = stage == Stage::Overwrite ? rlim_t(st.st_size / 2) : rlim_t(st.st_size);
          struct rlimit rl{limit, limit};
          if (::prlimit(pid, RLIMIT_FSIZE, &rl, nullptr) != 0) ADD_FAILURE() << "prlimit failed";
          break;
        }
        case Fault::PermissionDenied: {
          struct stat st{};
          ::stat(target.c_str(), &st);
          ::chmod(target.c_str(), fs::is_directory(target) ? 0555 : 0);
          undo = [target, mode = st.st_mode & 07777] { ::chmod(target.c_str(), mode); };
          break;
        }
        case Fault::Locked: break;
        case Fault::Removed: ::unlink(target.c_str()); break;
        case Fault::Replaced:
          writeFile(intruderPath, intruder);
          if (::geteuid() == 0) ::chown(intruderPath.c_str(), 65534, 65534);
          ::rename(intruderPath.c_str(), target.c_str());
          break;
      }
      return false;
    };
    o.after = [&](const FsEvent& e, long) {
      if (e.index == injectedAt && undo) {
        undo();
        undo = nullptr;
      }
    };
    TraceResult r = RunTraced(o);
    if (undo) undo();
    lock.reset();
    ::chmod(cli.work().c_str(), 0777);

    ASSERT_TRUE(done && matched) << "the run took another course than the dry run at " << expected;
    ++injected;
    const int failures = ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    EXPECT_TRUE(op.intact(fault, target)) << "the user's data is not intact";
    if (fault == Fault::Replaced && target == op.source) {
      EXPECT_TRUE(Holds(target, intruder)) << "the file that replaced " << target << " was touched";
    }
    EXPECT_EQ(cli.Temporaries(), std::set<std::string>{}) << "temporary files left";
    std::string outcome;
    if (r.exitCode == 0) {
      EXPECT_TRUE(op.complete()) << "success claimed, result incomplete";
      ++completed;
      outcome = "completed";
    } else {
      EXPECT_EQ(r.exitCode, 1) << r.err;
      EXPECT_NE(r.err.find("doc.bin"), std::string::npos) << "the message names no file: " << r.err;
      EXPECT_TRUE(Says(r.err, fault))
          << "the message does not say " << Cause(fault) << ": " << r.err;
      ++refused;
      std::string line = r.err.substr(0, r.err.find('\n'));
      outcome = "refused: " + line;
      for (size_t at; (at = outcome.find(cli.work() + "/")) != std::string::npos;)
        outcome.erase(at, cli.work().size() + 1);
    }
    if (::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() == failures)
      ++survived;
    std::cout << "[ matrix   ] " << cell << " -> " << outcome << "\n";
  }

  static inline int injected = 0, survived = 0, refused = 0, completed = 0;
  CliRun cli;
  engine::DecryptionOptions noMeta;
};

bool IsTemp(const std::string& path, const char* tag) {
  auto [at, length] = FindTempSuffix(path);
  return at != std::string::npos && path.substr(at + length) == tag;
}

// First (or last) event of `kind` on a file matching `match`, from `from` on.
std::optional<size_t> Find(const std::vector<FsEvent>& ev, FsEvent::Kind kind,
                           const std::function<bool(const FsEvent&)>& match, bool last = false,
                           size_t from = 0) {
  std::optional<size_t> found;
  for (size_t i = from; i < ev.size(); ++i)
    if (ev[i].kind == kind && match(ev[i])) {
      found = i;
      if (!last) break;
    }
  return found;
}

bool DecryptsTo(const std::string& encrypted, const std::vector<uint8_t>& content) {
  if (!fs::is_regular_file(encrypted)) return false;
  TempDir check(TempDir::Where::Memory);
  const std::string copy = check / "copy.VELT";
  writeFile(copy, readFile(encrypted));
  engine::EngineSettings s;
  s.secureDelete = false;
  engine::NullProgressSink quiet;
  engine::DecryptionOptions none;
  try {
    if (engine::DecryptOneFile(copy, kPassword, true, s, none, quiet) < 0) return false;
  } catch (const std::exception&) {
    return false;
  }
  return Holds(check / "copy", content);
}

TEST_F(FaultMatrix, Encryption) {
  Rng rng(7);
  auto content = rng.bytes(1200000);
  for (size_t i = 0; i < content.size(); i += 3) content[i] = 'a';
  const auto older = rng.bytes(5000);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  for (bool compress : {true, false}) {
    Operation op;
    op.args = {"encrypt", compress ? "--compress" : "--no-compress", "--delete-original",
               "--secure-delete", doc};
    // An older encrypted file is there to be replaced, so that it can be locked.
    op.prepare = [&] {
      writeFile(doc, content);
      writeFile(enc, older);
    };
    op.locate = [&](const std::vector<FsEvent>& ev, Stage stage, Fault fault) -> std::optional<size_t> {
      auto working = [](const FsEvent& e) { return IsTemp(e.path, ""); };
      auto output = [](const FsEvent& e) { return IsTemp(e.path, "en"); };
      auto original = [&](const FsEvent& e) { return e.path == doc; };
      auto rename = Find(ev, FsEvent::Rename, [&](const FsEvent& e) { return e.target == enc; });
      switch (stage) {
        case Stage::WorkingCopy:
          if (fault == Fault::Locked) return 0;
          if (fault == Fault::PermissionDenied) return Find(ev, FsEvent::Create, working);
          return Find(ev, FsEvent::Write, working);
        case Stage::CipherOutput:
          if (fault == Fault::Locked) return std::nullopt;
          if (fault == Fault::PermissionDenied) return Find(ev, FsEvent::Create, output);
          return Find(ev, FsEvent::Write, output);
        case Stage::Trailer:
          // The record goes out with the last write of the output.
          if (fault == Fault::Locked || fault == Fault::PermissionDenied) return std::nullopt;
          return Find(ev, FsEvent::Write, output, true);
        case Stage::Overwrite:
          if (fault == Fault::Locked) return std::nullopt;
          // The original is opened for the overwrite before the rename, written after it.
          if (fault == Fault::PermissionDenied)
            return rename ? Find(ev, FsEvent::Open, original, true, 0) : std::nullopt;
          return rename ? Find(ev, FsEvent::Write, original, false, *rename) : std::nullopt;
        case Stage::Rename:
          if (fault == Fault::DiskFull) return std::nullopt;
          return fault == Fault::Locked ? std::optional<size_t>(0) : rename;
      }
      return std::nullopt;
    };
    op.source = doc;
    op.target = [&](const FsEvent& e, Stage stage, Fault fault) -> std::string {
      if (fault == Fault::Locked) return stage == Stage::Rename ? enc : doc;
      if (fault == Fault::PermissionDenied)
        return e.kind == FsEvent::Open ? e.path : cli.work();
      // While the working copy is made, the original is what goes away.
      if (stage == Stage::WorkingCopy && fault != Fault::DiskFull) return doc;
      return e.path;  // the output or the original, as the stage has it
    };
    op.intact = [&](Fault fault, const std::string& target) {
      if (Holds(doc, content) || DecryptsTo(enc, content)) return true;
      // The test itself took the original away; the older encrypted file must still be there.
      return target == doc && (fault == Fault::Removed || fault == Fault::Replaced) &&
             Holds(enc, older);
    };
    op.complete = [&] { return !fs::exists(doc) && DecryptsTo(enc, content); };
    RunMatrix(std::string("encryption, ") + (compress ? "compressed" : "not compressed"), op);
  }
}

TEST_F(FaultMatrix, Decryption) {
  Rng rng(8);
  auto content = rng.bytes(1200000);
  for (size_t i = 0; i < content.size(); i += 3) content[i] = 'a';
  const auto older = rng.bytes(5000);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  for (bool compress : {true, false}) {
    Clear();
    writeFile(doc, content);
    ASSERT_EQ(cli.Run({"encrypt", compress ? "--compress" : "--no-compress", "--no-secure-delete", doc}), 0);
    const auto encrypted = readFile(enc);
    Operation op;
    op.args = {"decrypt", "--secure-delete", enc};
    // An older plaintext is there to be replaced, so that it can be locked.
    op.prepare = [&] {
      writeFile(enc, encrypted);
      writeFile(doc, older);
    };
    op.locate = [&](const std::vector<FsEvent>& ev, Stage stage, Fault fault) -> std::optional<size_t> {
      auto plain = [](const FsEvent& e) { return IsTemp(e.path, "") || IsTemp(e.path, "dc"); };
      auto writes = [&] {
        std::vector<size_t> w;
        for (size_t i = 0; i < ev.size(); ++i)
          if (ev[i].kind == FsEvent::Write && plain(ev[i])) w.push_back(i);
        return w;
      };
      switch (stage) {
        case Stage::WorkingCopy:
          if (fault == Fault::Locked) return 0;
          if (fault == Fault::PermissionDenied) return Find(ev, FsEvent::Create, plain);
          return Find(ev, FsEvent::Write, plain);
        case Stage::CipherOutput: {
          if (fault == Fault::Locked || fault == Fault::PermissionDenied) return std::nullopt;
          auto w = writes();
          return w.size() > 1 ? std::optional<size_t>(w[w.size() / 2]) : std::nullopt;
        }
        case Stage::Trailer:
          if (fault != Fault::Removed && fault != Fault::Replaced) return std::nullopt;
          return Find(ev, FsEvent::ReadAt, [&](const FsEvent& e) { return e.path == enc && e.bytes == 36; });
        case Stage::Overwrite:
          // The older plaintext is held while the decrypted file takes its name.
          if (fault == Fault::DiskFull) return std::nullopt;
          if (fault == Fault::Locked) return 0;
          return Find(ev, FsEvent::Open, [&](const FsEvent& e) { return e.path == doc; });
        case Stage::Rename:
          if (fault == Fault::DiskFull || fault == Fault::Locked) return std::nullopt;
          return Find(ev, FsEvent::Rename, [&](const FsEvent& e) { return e.target == doc; });
      }
      return std::nullopt;
    };
    op.source = enc;
    op.target = [&](const FsEvent& e, Stage stage, Fault fault) -> std::string {
      if (fault == Fault::Locked) return stage == Stage::Overwrite ? doc : enc;
      if (fault == Fault::PermissionDenied)
        return e.kind == FsEvent::Open ? e.path : cli.work();
      // While the plaintext file is begun, the encrypted file is what goes away.
      if (stage == Stage::WorkingCopy && fault != Fault::DiskFull) return enc;
      return e.path;
    };
    op.intact = [&](Fault fault, const std::string& target) {
      if (Holds(enc, encrypted) || Holds(doc, content)) return true;
      return target == enc && (fault == Fault::Removed || fault == Fault::Replaced);
    };
    op.complete = [&] { return !fs::exists(enc) && Holds(doc, content); };
    RunMatrix(std::string("decryption, ") + (compress ? "compressed" : "not compressed"), op);
  }
}

}  // namespace
}  // namespace velt::test
