// Faults injected for real into velt-cli at each stage of encryption and decryption, while
// ptrace holds it just before the system call that starts the stage: a full disk (a file size
// limit set on the running process), permission denied (the folder or file made read-only for
// that one call, velt-cli running as an unprivileged user), the file locked by another VELT
// process, and the stage's file removed or replaced underneath. Afterwards the user's data must
// be intact, nothing of ours left, and a failure's message must name the file and the cause.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <tuple>

#include "engine/engine.h"
#include "engine/temp_file.h"
#include "platform/file.h"
#include "tests/crash/cli_runner.h"
#include "tests/crash/user_files.h"
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
  for (auto [at, length] = FindTempSuffix(d); at != std::string::npos;
       std::tie(at, length) = FindTempSuffix(d))
    d.replace(at, length, ".tmpN");
  return d;
}

class FaultMatrix : public ::testing::Test {
 protected:
  static int FailuresSoFar() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
  }
  void SetUp() override {
    if (!TracingSupported()) GTEST_SKIP() << "needs ptrace on Linux x86-64";
  }
  static void TearDownTestSuite() {
    if (injected == 0) return;
    std::cout << "[ figures  ] fault matrix: " << survived << " of " << injected
              << " faults injected were survived (" << refused << " refused with a message, "
              << completed << " completed correctly)\n";
  }

  // As root, velt-cli runs as nobody, so the files must be nobody's.
  void GiveAway() {
    if (::geteuid() != 0) return;
    for (const auto& e : fs::directory_iterator(cli.work()))
      ::lchown(e.path().c_str(), 65534, 65534);
  }
  void Clear() { cli.Clear(); }
  // `content` encrypted by velt-cli as doc.bin.VELT in a cleared folder; returns its bytes.
  std::vector<uint8_t> EncryptedBy(const std::vector<uint8_t>& content, bool compress) {
    Clear();
    const std::string doc = cli / "doc.bin";
    WriteFile(doc, content);
    EXPECT_EQ(
        cli.Run({"encrypt", compress ? "--compress" : "--no-compress", "--no-secure-delete", doc}),
        0);
    return ReadFile(doc + ".VELT");
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
    for (size_t i = 0; i < where.index; ++i)
      occurrence += Normal(dryEvents[i], cli.work()) == expected;
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
          struct stat st {};
          ::stat(target.c_str(), &st);
          rlim_t limit = stage == Stage::Overwrite ? rlim_t(st.st_size / 2) : rlim_t(st.st_size);
          struct rlimit rl {
            limit, limit
          };
          if (::prlimit(pid, RLIMIT_FSIZE, &rl, nullptr) != 0) ADD_FAILURE() << "prlimit failed";
          break;
        }
        case Fault::PermissionDenied: {
          struct stat st {};
          ::stat(target.c_str(), &st);
          ::chmod(target.c_str(), fs::is_directory(target) ? 0555 : 0);
          undo = [target, mode = st.st_mode & 07777] { ::chmod(target.c_str(), mode); };
          break;
        }
        case Fault::Locked:
          break;
        case Fault::Removed:
          ::unlink(target.c_str());
          break;
        case Fault::Replaced:
          WriteFile(intruderPath, intruder);
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
    const int failures = FailuresSoFar();
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
    if (FailuresSoFar() == failures) ++survived;
    std::cout << "[ matrix   ] " << cell << " -> " << outcome << "\n";
  }

  static inline int injected = 0, survived = 0, refused = 0, completed = 0;
  CliRun cli;
  engine::DecryptionOptions noMeta;
};

bool IsTemp(const std::string& path, const char* tag) {
  return engine::IsTemporaryName(path) && engine::TemporaryTag(path) == tag;
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

TEST_F(FaultMatrix, Encryption) {
  Rng rng(7);
  auto content = rng.Bytes(1200000);
  for (size_t i = 0; i < content.size(); i += 3) content[i] = 'a';
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  // A real encrypted file of other content: one without meta information is never replaced.
  WriteFile(doc, rng.Bytes(5000));
  ASSERT_EQ(cli.Run({"encrypt", "--no-secure-delete", "--delete-original", doc}), 0);
  const auto older = ReadFile(enc);
  for (bool compress : {true, false}) {
    Operation op;
    op.args = {"encrypt",           compress ? "--compress" : "--no-compress",
               "--delete-original", "--secure-delete",
               "--overwrite",       doc};
    // An older encrypted file is there to be replaced, so that it can be locked.
    op.prepare = [&] {
      WriteFile(doc, content);
      WriteFile(enc, older);
    };
    op.locate = [&](const std::vector<FsEvent>& ev, Stage stage,
                    Fault fault) -> std::optional<size_t> {
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
          // The original is opened for the overwrite before the rename; once the encrypted
          // file has its name, the original leaves its own (the last rename away from it is
          // the one that worked) and is written under the temporary name.
          if (fault == Fault::PermissionDenied)
            return rename ? Find(ev, FsEvent::Open, original, true, 0) : std::nullopt;
          if (!rename) return std::nullopt;
          if (auto aside = Find(ev, FsEvent::Rename, original, true, *rename)) {
            const std::string moved = ev[*aside].target;
            return Find(
                ev, FsEvent::Write, [&](const FsEvent& e) { return e.path == moved; }, false,
                *aside);
          }
          return Find(ev, FsEvent::Write, original, false, *rename);
        case Stage::Rename:
          if (fault == Fault::DiskFull) return std::nullopt;
          return fault == Fault::Locked ? std::optional<size_t>(0) : rename;
      }
      return std::nullopt;
    };
    op.source = doc;
    op.target = [&](const FsEvent& e, Stage stage, Fault fault) -> std::string {
      if (fault == Fault::Locked) return stage == Stage::Rename ? enc : doc;
      if (fault == Fault::PermissionDenied) return e.kind == FsEvent::Open ? e.path : cli.work();
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
  auto content = rng.Bytes(1200000);
  for (size_t i = 0; i < content.size(); i += 3) content[i] = 'a';
  const auto older = rng.Bytes(5000);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  for (bool compress : {true, false}) {
    const auto encrypted = EncryptedBy(content, compress);
    Operation op;
    op.args = {"decrypt", "--secure-delete", "--overwrite", enc};
    // An older plaintext is there to be replaced, so that it can be locked.
    op.prepare = [&] {
      WriteFile(enc, encrypted);
      WriteFile(doc, older);
    };
    op.locate = [&](const std::vector<FsEvent>& ev, Stage stage,
                    Fault fault) -> std::optional<size_t> {
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
          return Find(ev, FsEvent::ReadAt,
                      [&](const FsEvent& e) { return e.path == enc && e.bytes == 36; });
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
      if (fault == Fault::PermissionDenied) return e.kind == FsEvent::Open ? e.path : cli.work();
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

// Moments of a run that a test acts at, while ptrace holds the program just before the call.
enum class Moment { WorkingCopy, MidCipher, Rename, Overwrite, FirstRename, FirstUnlink };

const char* Name(Moment m) {
  static const char* n[] = {"at the working copy",     "mid-cipher",
                            "at the rename",           "at the overwrite",
                            "before its first rename", "before its first deletion"};
  return n[int(m)];
}

// Recognises the first event of a run at a moment, event by event as the run goes.
class MomentWatch {
 public:
  MomentWatch(Moment moment, std::string source, std::string result, bool encrypting)
      : moment_(moment),
        source_(std::move(source)),
        result_(std::move(result)),
        encrypting_(encrypting) {}

  bool operator()(const FsEvent& e) {
    if (hit_ || !e.Changes()) return false;
    const bool output =
        e.kind == FsEvent::Write &&
        (encrypting_ ? IsTemp(e.path, "en") : IsTemp(e.path, "") || IsTemp(e.path, "dc"));
    switch (moment_) {
      case Moment::WorkingCopy:
        hit_ = !committed_ && e.kind == FsEvent::Write && IsTemp(e.path, "");
        break;
      case Moment::MidCipher:
        hit_ = output && ++outputWrites_ == 2;
        break;
      case Moment::Rename:
        hit_ = e.kind == FsEvent::Rename && e.target == result_;
        break;
      // The original is overwritten under its own name or moved aside first.
      case Moment::Overwrite:
        hit_ =
            committed_ && e.kind == FsEvent::Write && (e.path == source_ || e.path == movedAside_);
        break;
      case Moment::FirstRename:
        hit_ = e.kind == FsEvent::Rename;
        break;
      case Moment::FirstUnlink:
        hit_ = e.kind == FsEvent::Unlink;
        break;
    }
    if (e.kind == FsEvent::Rename && e.path == source_) movedAside_ = e.target;
    if (e.kind == FsEvent::Rename && e.target == result_) committed_ = true;
    return hit_;
  }
  bool Hit() const { return hit_; }

 private:
  Moment moment_;
  std::string source_, result_, movedAside_;
  bool encrypting_, hit_ = false, committed_ = false;
  int outputWrites_ = 0;
};

// SIGINT or SIGTERM sent to velt-cli at moments of a run: before its result takes its name the
// run stops with the user's file as it was (read-only ones stay read-only), once it has, the
// file is finished; either way nothing of ours is left, the summary is printed and the exit
// status tells the signal.
TEST_F(FaultMatrix, Signals) {
  const auto content = Content(1200000, 9);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  std::map<bool, std::vector<uint8_t>> encrypted;
  for (bool compress : {true, false}) encrypted[compress] = EncryptedBy(content, compress);
  int runs = 0, survived = 0, stopped = 0, finished = 0;
  for (bool encrypting : {true, false}) {
    for (bool compress : {true, false}) {
      std::vector<Moment> moments = {Moment::MidCipher, Moment::Rename};
      if (encrypting)
        moments = {Moment::WorkingCopy, Moment::MidCipher, Moment::Rename, Moment::Overwrite};
      for (Moment moment : moments) {
        for (int sig : {SIGINT, SIGTERM}) {
          const bool readOnly = sig == SIGTERM;
          const std::string source = encrypting ? doc : enc, result = encrypting ? enc : doc;
          const std::vector<uint8_t>& before = encrypting ? content : encrypted[compress];
          const std::string row = std::string(encrypting ? "encryption" : "decryption") +
                                  (compress ? ", compressed, " : ", not compressed, ") +
                                  strsignal(sig) + " " + Name(moment) +
                                  (readOnly ? ", read-only" : "");
          SCOPED_TRACE(row);
          const int failures = FailuresSoFar();
          Clear();
          WriteFile(source, before);
          ::chmod(source.c_str(), readOnly ? 0444 : 0644);
          const uint32_t mode = FileMode(source);
          std::vector<std::string> args = {encrypting ? "encrypt" : "decrypt", "--secure-delete"};
          if (encrypting)
            args.insert(args.end(),
                        {compress ? "--compress" : "--no-compress", "--delete-original"});
          args.push_back(source);
          TraceOptions o = cli.Traced(args);
          MomentWatch watch(moment, source, result, encrypting);
          o.before = [&](const FsEvent& e, pid_t pid) {
            if (watch(e)) ::kill(pid, sig);
            return false;
          };
          TraceResult r = RunTraced(o);
          ASSERT_TRUE(watch.Hit()) << "the run has no such moment";
          ++runs;
          EXPECT_EQ(r.exitCode, 128 + sig) << r.err;
          const bool committed = moment == Moment::Rename || moment == Moment::Overwrite;
          // The summary counts the file as done only when it is.
          const std::string summary = std::string(committed ? "1 file " : "0 files ") +
                                      (encrypting ? "encrypted" : "decrypted");
          EXPECT_NE((r.out + r.err).find(summary), std::string::npos)
              << "no summary saying \"" << summary << "\": " << r.out << r.err;
          EXPECT_EQ(cli.Temporaries(), std::set<std::string>{}) << "temporary files left";
          if (committed) {
            ++finished;
            EXPECT_FALSE(fs::exists(source)) << "the run did not finish the file it had committed";
            EXPECT_TRUE(encrypting ? DecryptsTo(enc, content) : Holds(doc, content))
                << "the result is not complete";
            if (fs::exists(result)) {
              EXPECT_EQ(FileMode(result), mode) << "the result has not the original's mode";
            }
          } else {
            ++stopped;
            EXPECT_TRUE(Holds(source, before)) << "the user's file is not as it was";
            if (fs::exists(source)) {
              EXPECT_EQ(FileMode(source), mode) << "its mode changed";
            }
            EXPECT_FALSE(fs::exists(result)) << "a result was left after the stop";
          }
          const bool ok = FailuresSoFar() == failures;
          survived += ok;
          std::cout << "[ signals  ] " << row << " -> exit " << r.exitCode << (ok ? "" : ", FAILED")
                    << "\n";
        }
      }
    }
  }
  std::cout << "[ figures  ] signals: " << survived << " of " << runs << " runs survived ("
            << stopped << " stopped with the file as it was, " << finished << " finished first)\n";
}

// The file being worked on grows while velt-cli is held at its first cipher-output write: the
// file is kept with every byte, the result is discarded and the message says why.
TEST_F(FaultMatrix, SourceChangedDuringRun) {
  const auto content = Content(1200000, 10);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  const std::string appended = "written by someone else meanwhile\n";
  int runs = 0, survived = 0;
  for (bool encrypting : {true, false}) {
    for (bool compress : {true, false}) {
      const std::string row = std::string(encrypting ? "encryption" : "decryption") +
                              (compress ? ", compressed" : ", not compressed");
      SCOPED_TRACE(row);
      const int failures = FailuresSoFar();
      Clear();
      WriteFile(doc, content);
      if (!encrypting) {
        ASSERT_EQ(cli.Run({"encrypt", compress ? "--compress" : "--no-compress",
                           "--no-secure-delete", doc}),
                  0);
      }
      const std::string source = encrypting ? doc : enc, result = encrypting ? enc : doc;
      std::vector<uint8_t> grown = ReadFile(source);
      grown.insert(grown.end(), appended.begin(), appended.end());
      std::vector<std::string> args = {encrypting ? "encrypt" : "decrypt", "--no-secure-delete"};
      if (encrypting)
        args.insert(args.end(), {compress ? "--compress" : "--no-compress", "--delete-original"});
      args.push_back(source);
      TraceOptions o = cli.Traced(args);
      bool written = false;
      o.before = [&](const FsEvent& e, pid_t) {
        const bool output =
            e.kind == FsEvent::Write &&
            (encrypting ? IsTemp(e.path, "en") : IsTemp(e.path, "") || IsTemp(e.path, "dc"));
        if (written || !output) return false;
        written = true;
        std::ofstream(source, std::ios::binary | std::ios::app) << appended;
        return false;
      };
      TraceResult r = RunTraced(o);
      ASSERT_TRUE(written) << "the run wrote no cipher output";
      ++runs;
      EXPECT_EQ(r.exitCode, 1) << r.err;
      EXPECT_NE(r.err.find("doc.bin"), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(std::string("changed while it was being ") +
                           (encrypting ? "encrypted" : "decrypted")),
                std::string::npos)
          << r.err;
      EXPECT_TRUE(Holds(source, grown)) << "the changed file lost bytes";
      EXPECT_FALSE(fs::exists(result))
          << "a result of the file as it was before the change is left";
      EXPECT_EQ(cli.Temporaries(), std::set<std::string>{}) << "temporary files left";
      survived += FailuresSoFar() == failures;
    }
  }
  std::cout << "[ figures  ] changed during the run: " << survived << " of " << runs
            << " runs survived\n";
}

// Two velt-cli processes on one tree: A is held just before a rename or a deletion while B runs
// from start to end, then A goes on. Afterwards every file's content is there exactly once, as
// itself or encrypted once: none lost, none encrypted twice, nothing of ours left.
TEST_F(FaultMatrix, TwoProcessesOnOneTree) {
  const std::vector<std::string> names = {"one.txt", "sub/two.txt", "sub/three.txt",
                                          "sub/deeper/four.txt"};
  std::vector<std::vector<uint8_t>> contents;
  for (size_t i = 0; i < names.size(); ++i) contents.push_back(Content(300000 + 1000 * i, 20 + i));
  enum class Tree { Plain, Encrypted, Mixed };
  // The encrypted form of each file, made once.
  std::vector<std::vector<uint8_t>> encrypted;
  Clear();
  for (size_t i = 0; i < names.size(); ++i) {
    fs::create_directories(fs::path(cli / names[i]).parent_path());
    WriteFile(cli / names[i], contents[i]);
  }
  ASSERT_EQ(cli.Run({"encrypt", "-r", "--no-secure-delete", "--delete-original", cli.work()}), 0);
  for (const auto& n : names) encrypted.push_back(ReadFile(cli / n + ".VELT"));
  auto lay = [&](Tree tree) {
    Clear();
    for (size_t i = 0; i < names.size(); ++i) {
      fs::create_directories(fs::path(cli / names[i]).parent_path());
      const bool enc = tree == Tree::Encrypted || (tree == Tree::Mixed && i % 2 == 1);
      WriteFile(cli / names[i] + (enc ? ".VELT" : ""), enc ? encrypted[i] : contents[i]);
    }
  };
  const std::vector<std::string> encryptInPlace = {"encrypt", "-r", "--no-extension", cli.work()};
  const std::vector<std::string> encryptTree = {"encrypt", "-r", cli.work()};
  const std::vector<std::string> decryptTree = {"decrypt", "-r", cli.work()};
  struct Row {
    const char* name;
    Tree tree;
    std::vector<std::string> a, b;
  };
  int runs = 0, survived = 0;
  for (const Row& row : std::vector<Row>{
           {"two encryptions under the files' own names", Tree::Plain, encryptInPlace,
            encryptInPlace},
           {"two decryptions", Tree::Encrypted, decryptTree, decryptTree},
           {"encryption, decryption meanwhile", Tree::Mixed, encryptTree, decryptTree},
           {"decryption, encryption meanwhile", Tree::Mixed, decryptTree, encryptTree}}) {
    for (Moment moment : {Moment::FirstRename, Moment::FirstUnlink}) {
      const std::string label = std::string(row.name) + ", A held " + Name(moment);
      SCOPED_TRACE(label);
      const int failures = FailuresSoFar();
      lay(row.tree);
      TraceOptions o = cli.Traced(row.a);
      MomentWatch watch(moment, "", "", true);
      int bStatus = -1;
      std::string bErr;
      o.before = [&](const FsEvent& e, pid_t) {
        if (watch(e)) bStatus = cli.Run(row.b, &bErr);
        return false;
      };
      TraceResult r = RunTraced(o);
      ASSERT_TRUE(watch.Hit()) << "A never reached that moment";
      ++runs;
      EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << "A: exit " << r.exitCode << ": " << r.err;
      EXPECT_TRUE(bStatus == 0 || bStatus == 1) << "B: exit " << bStatus << ": " << bErr;
      std::set<std::string> expected;
      for (size_t i = 0; i < names.size(); ++i) {
        const std::string plain = cli / names[i], encryptedName = plain + ".VELT";
        expected.insert(plain);
        expected.insert(encryptedName);
        int copies = 0;
        for (const auto& n : {plain, encryptedName}) {
          if (!fs::exists(n)) continue;
          ++copies;
          EXPECT_TRUE(Holds(n, contents[i]) || DecryptsTo(n, contents[i]))
              << n << " holds neither its content nor its content encrypted once";
        }
        EXPECT_EQ(copies, 1) << names[i] << ": the content is there " << copies << " times";
      }
      for (const auto& e : fs::recursive_directory_iterator(cli.work())) {
        if (!e.is_regular_file()) continue;
        EXPECT_TRUE(expected.count(e.path().string())) << "left: " << e.path();
      }
      survived += FailuresSoFar() == failures;
      // What each said first, without the folder.
      auto first = [&](const std::string& err) {
        std::string line = err.substr(0, err.find('\n'));
        for (size_t at; (at = line.find(cli.work() + "/")) != std::string::npos;)
          line.erase(at, cli.work().size() + 1);
        return line.empty() ? std::string() : " (" + line + ")";
      };
      std::cout << "[ two runs ] " << label << " -> A exit " << r.exitCode << first(r.err)
                << ", B exit " << bStatus << first(bErr) << "\n";
    }
  }
  std::cout << "[ figures  ] two processes on one tree: " << survived << " of " << runs
            << " runs survived\n";
}

}  // namespace
}  // namespace velt::test
