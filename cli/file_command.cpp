#include "cli/file_command.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>

#include "batch/password_strength.h"
#include "cli/file_gathering.h"
#include "cli/job_runner.h"
#include "cli/progress_display.h"
#include "cli/stop_request.h"
#include "cli/terminal_text.h"
#include "engine/engine.h"
#include "engine/parallel_deflate.h"
#include "platform/file_system.h"
#include "platform/processors.h"

namespace velt::cli {

namespace {

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", s);
  return buf;
}

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Why the file's result may not take its name; "" when it may. The engine refuses the same on
// the locked file; asking first gives the reason in the tool's own terms.
std::string ExistingResultProblem(const std::string& path, const std::string& result,
                                  bool overwrite, bool encrypting) {
  if (result == path || !platform::Exists(result)) return {};
  // A file of the user's own under the encrypted name is never replaced: saying --overwrite
  // would point at a way that does not exist.
  if (encrypting && !engine::HasMetaInfo(result))
    return result +
           " exists and carries no VELT meta information, so it is not an older encrypted file: "
           "it is never replaced; rename or move it first (nothing was changed)";
  if (!overwrite)
    return result + " exists already: use --overwrite to replace it (nothing was changed)";
  return {};
}

struct Tally {
  size_t done = 0, skipped = 0, failed = 0, stopped = 0, notStarted = 0, kept = 0;
};

Tally Count(const std::vector<FileResult>& results, size_t refused) {
  Tally t;
  t.failed = refused;
  for (const auto& r : results) {
    t.done += r.outcome == Outcome::Done;
    t.skipped += r.outcome == Outcome::Skipped;
    t.failed += r.outcome == Outcome::Failed;
    t.stopped += r.outcome == Outcome::Stopped;
    t.notStarted += r.outcome == Outcome::NotStarted;
    t.kept += r.keptEncrypted;
  }
  return t;
}

}  // namespace

int RunFileCommand(const FileOptions& o, CliEnvironment& env, bool encrypting) {
  StopRequest ownStop;
  StopRequest& stop = env.stop ? *env.stop : ownStop;
  const engine::EngineSettings settings = SettingsFor(o, encrypting);
  engine::DecryptionOptions decryption;
  if (!encrypting) {
    if (o.all && (!o.cipher || !o.hash))
      throw UsageError("--all needs -c and -H for the files without meta information");
    decryption.cipherIndex = settings.cipherIndex;
    decryption.hashIndex = settings.hashIndex;
    decryption.deleteOriginal = o.deleteOriginal > 0;
  }
  const char* verb = encrypting ? "encrypted" : "decrypted";
  std::string mask = encrypting || o.anyExtension ? "*.*" : "*." + settings.extension;
  Gathered g = GatherFiles(o.paths, o.recursive, mask);
  for (auto& [path, why] : g.refused)
    env.err << "velt-cli: " << TerminalText(path + ": " + why) << "\n";
  for (auto& path : g.leftovers)
    env.err << "velt-cli: " << TerminalText(path)
            << ": left out: a leftover of an interrupted VELT run (see velt-cli info)\n";
  if (g.files.empty()) {
    if (!o.quiet) env.out << "No files to " << (encrypting ? "encrypt" : "decrypt") << ".\n";
    return g.refused.empty() ? 0 : 1;
  }
  const std::string password =
      ReadPassword({o.passwordFile, o.passwordEnv}, encrypting, env.in, env.getenv, env.terminal);
  if (encrypting) {
    auto strength = batch::EstimatePasswordStrength(password);
    if (strength.available && strength.weak)
      env.err << "velt-cli: warning: " << batch::kWeakPasswordWarning << " (" << strength.text
              << ")\n";
  }

  uint64_t total = 0;
  for (auto& f : g.files) {
    try {
      total += platform::FileSize(f);
    } catch (...) {
    }
  }
  unsigned cores = platform::UsableProcessors();
  unsigned jobs = o.jobs ? o.jobs : cores;
  // Files side by side share the processors with the compression threads of each file.
  unsigned parallelFiles = unsigned(std::min<size_t>(jobs, g.files.size()));
  engine::SetCompressionThreads(std::max(1u, cores / std::max(1u, parallelFiles)));
  std::unique_ptr<ProgressDisplay> display;
  if (env.errIsTerminal && !o.quiet)
    display = std::make_unique<ProgressDisplay>(
        env.err, g.files.size(), total, jobs,
        encrypting ? EncryptionStages(settings) : DecryptionStages());
  std::mutex printing;
  auto say = [&](const std::string& text) {
    const std::string line = "velt-cli: " + TerminalText(text);
    if (display) {
      display->Message(line);
    } else {
      std::lock_guard<std::mutex> lock(printing);
      env.err << line << "\n";
    }
  };

  FileTask task = [&](const std::string& path, engine::ProgressSink& sink) -> FileResult {
    // Gone since the search (another run took it, say): not a file without meta information.
    if (!platform::Exists(path))
      return {Outcome::Failed, "no such file (gone since the search)", {}, false};
    const bool meta = engine::HasMetaInfo(path);
    engine::FileReport report;
    try {
      if (encrypting) {
        if (meta) return {Outcome::Skipped, "already encrypted", {}, false};
        const std::string result = settings.addExtension ? path + "." + settings.extension : path;
        if (auto problem = ExistingResultProblem(path, result, o.overwrite, true); !problem.empty())
          return {Outcome::Failed, problem, {}, false};
        engine::EncryptOptions options;
        options.verify = o.verify;
        options.beforeVerify = env.beforeVerify;
        options.replaceEncrypted = o.overwrite;
        options.cancel = &stop.requested;
        options.report = &report;
        engine::EncryptOneFile(path, password, settings, sink, options);
        return {Outcome::Done, {}, report.notes, false};
      }
      if (!meta && !o.all)
        return {Outcome::Skipped, "no VELT meta information (use --all with -c and -H)", {}, false};
      const std::string result = engine::DecryptedName(path, settings.extension);
      if (auto problem = ExistingResultProblem(path, result, o.overwrite, false); !problem.empty())
        return {Outcome::Failed, problem, {}, false};
      engine::DecryptOptions options;
      options.replaceExisting = o.overwrite;
      options.keepUnchecked = o.deleteOriginal <= 0;
      options.cancel = &stop.requested;
      options.report = &report;
      switch (engine::DecryptOneFile(path, password, meta, settings, decryption, sink, options)
                  .outcome) {
        case engine::DecryptOutcome::WrongPassword:
          return {Outcome::Failed,
                  "the password is incorrect or the file is damaged (the file is left as it was)",
                  report.notes, false};
        case engine::DecryptOutcome::Decrypted:
          break;
      }
      // The engine's notes say which file was kept and why.
      return {Outcome::Done, {}, report.notes, report.keptEncrypted};
    } catch (const engine::AlreadyEncryptedError&) {
      return {Outcome::Skipped, "already encrypted", report.notes, false};
    } catch (const engine::CancelledError& e) {
      return {Outcome::Stopped, e.Cause(), report.notes, false};
    } catch (const engine::EngineError& e) {
      return {Outcome::Failed, e.Cause(), report.notes, false};
    }
  };
  auto reportFile = [&](const std::string& path, const FileResult& r) {
    for (const auto& note : r.notes) say(note);
    if (r.outcome == Outcome::Done || (r.outcome == Outcome::Skipped && o.quiet)) return;
    say(path + ": " + (r.outcome == Outcome::Skipped ? "skipped, " : "") + r.message);
  };
  auto start = std::chrono::steady_clock::now();
  std::vector<FileResult> results;
  {
    SecondRequestNotice notice(stop, say);
    results = RunAll(g.files, jobs, task, display.get(), reportFile, &stop.requested);
  }
  if (display) display->Stop();
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const Tally t = Count(results, g.refused.size());
  if (stop.requested) {
    env.err << "Interrupted: " << plural(t.done, "file") << " " << verb << ", " << t.stopped
            << " stopped and left as it was, " << t.notStarted << " not started";
    if (t.skipped) env.err << ", " << t.skipped << " skipped";
    if (t.failed) env.err << ", " << t.failed << " failed";
    env.err << "\n";
    return stop.ExitStatus();
  }
  if (!o.quiet) {
    env.out << plural(t.done, "file") << " " << verb << " in " << seconds(secs) << " secs";
    if (t.kept) env.out << ", " << t.kept << " kept encrypted as NAME(orig) as well";
    if (t.skipped)
      env.out << ", " << t.skipped
              << " skipped: " << (encrypting ? "already encrypted" : "no VELT meta information");
    if (!g.leftovers.empty()) env.out << ", " << g.leftovers.size() << " leftovers left out";
    if (t.failed) env.out << ", " << t.failed << " failed";
    env.out << "\n";
  }
  return t.failed ? 1 : 0;
}

}  // namespace velt::cli
