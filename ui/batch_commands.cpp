#include "ui/batch_commands.h"

#include <QDir>
#include <filesystem>

#include "batch/messages.h"
#include "batch/path_list.h"
#include "engine/meta_info.h"
#include "engine/temp_file.h"
#include "platform/file_system.h"
#include "ui/decryption_options_dialog.h"
#include "ui/drag_dialog.h"
#include "ui/folder_pickers.h"
#include "ui/messages.h"
#include "ui/options_dialog.h"
#include "ui/password_prompt.h"
#include "ui/search_dialog.h"
#include "ui/seconds_text.h"
#include "ui/shell_decrypt_dialog.h"
#include "ui/shell_encrypt_dialog.h"

namespace velt::ui {

using batch::ListJobKind;

// The job a list worker runs, handed over before its start; the worker keeps it alive.
struct BatchCommands::Running {
  std::shared_ptr<const batch::ListJob> job;
  batch::ListJobResult result;
};

namespace {

// Files without meta information named in the details of "0 Files found"; the rest are counted.
constexpr size_t kNamedWithoutMeta = 20;

// A list command owns FileList from its first question until its job has started.
class CommandScope {
 public:
  explicit CommandScope(JobState& job) : job_(job) { job_.CommandActive = true; }
  ~CommandScope() { job_.CommandActive = false; }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

 private:
  JobState& job_;
};

std::string CurrentFolder() {
  std::error_code ec;
  const auto folder = std::filesystem::current_path(ec);
  return ec ? std::string() : folder.string();
}

std::string ErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return messages::kUnknownError;
  }
}

namespace fs = std::filesystem;

// A whole file system, or the user's home folder: most of what the user has.
enum class Wide { No, Root, Home };

Wide WideFolder(const std::string& folder) {
  std::error_code ec;
  fs::path path = fs::weakly_canonical(fs::path(folder), ec);
  if (ec) path = fs::path(folder);
  if (path.has_root_path() && path.relative_path().empty()) return Wide::Root;
  const fs::path home = QDir::homePath().toStdString();
  if (fs::equivalent(path, home, ec)) return Wide::Home;
  return Wide::No;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

BatchCommands::BatchCommands(const Services& services, Windows& windows, JobState& job)
    : services_(services), windows_(windows), job_(job), running_(std::make_shared<Running>()) {
  TForm1& f = *windows_.Form1;
  connect(this, &BatchCommands::EndProgram, &f, &QWidget::close);
  connect(&f, &TForm1::EncryptDirectoryChosen, this, &BatchCommands::EncryptDirectory);
  connect(&f, &TForm1::DecryptDirectoryChosen, this, &BatchCommands::DecryptDirectory);
  connect(&f, &TForm1::CommandLineEntered, this, &BatchCommands::CommandLine);
  connect(&f, &TForm1::FilesDropped, this, &BatchCommands::FilesDropped);

  for (batch::TWorkThread* worker : {&f.renc1, &f.rdec1}) {
    worker->OnStart = [this](batch::TWorkThread&, batch::TWorkExecuteThread&, void*&) {
      JobStarted();
    };
    worker->OnExecute = [running = running_](batch::TWorkThread&, batch::TWorkExecuteThread&,
                                             void*&) {
      const auto job = running->job;
      running->result = batch::RunListJob(*job);
    };
  }
  f.renc1.OnTerminate = [this](batch::TWorkThread&, batch::TWorkExecuteThread& thread, void*&) {
    JobEnded(ListJobKind::Encrypt, thread);
  };
  f.rdec1.OnTerminate = [this](batch::TWorkThread&, batch::TWorkExecuteThread& thread, void*&) {
    JobEnded(ListJobKind::Decrypt, thread);
  };

  auto entered = [this](batch::TFileSearch&, const std::string& path, const std::string&) {
    DirectoryEntered(path);
  };
  f.ff1.OnPerformeDirAction = f.ff2.OnPerformeDirAction = f.genff.OnPerformeDirAction = entered;
  f.ff1.OnPerformeFileAction = [this](batch::TFileSearch&, const std::string& path,
                                      const std::string& name) {
    Take(path + name);
    Input();
  };
  f.ff2.OnPerformeFileAction = [this](batch::TFileSearch&, const std::string& path,
                                      const std::string& name) {
    TakeForDecryption(path + name, windows_.dencdir->OnlyWithMeta());
  };
  f.genff.OnPerformeFileAction = [this](batch::TFileSearch&, const std::string& path,
                                        const std::string& name) {
    if (job_.JobKind == ListJobKind::Encrypt) {
      Take(path + name);
      Input();
    } else if (job_.JobKind == ListJobKind::Decrypt) {
      TakeForDecryption(path + name, windows_.Drag->OnlyWithMeta());
    }
  };
}

BatchCommands::~BatchCommands() {
  TForm1& f = *windows_.Form1;
  // A run still going reports to the main window only, which outlives this; its execute
  // handler holds its own job.
  for (batch::TWorkThread* worker : {&f.renc1, &f.rdec1})
    worker->OnStart = worker->OnTerminate = nullptr;
  for (batch::TFileSearch* search : {&f.ff1, &f.ff2, &f.genff})
    search->OnPerformeFileAction = search->OnPerformeDirAction = nullptr;
  job_.StopRequested = true;
}

bool BatchCommands::Refused() {
  if (job_.Ending) return true;  // the program is about to quit
  if (!windows_.Form1->Busy() && !job_.CommandActive) return false;
  services_.prompts.ShowMessage(platform::MessageKind::Information, messages::kBusyRefused);
  return true;
}

void BatchCommands::Input() {
  services_.window.ProcessPendingInput();
}

void BatchCommands::NewList() {
  job_.FileList.clear();
  job_.Leftovers.clear();
  job_.WithoutMeta.clear();
}

bool BatchCommands::LeftOut(const std::string& path) {
  if (!engine::IsTemporaryName(platform::NameOf(path))) return false;
  job_.Leftovers.push_back(path);
  return true;
}

void BatchCommands::Take(const std::string& path) {
  if (!LeftOut(path)) AddFound(path);
}

void BatchCommands::AddFound(const std::string& path) {
  ++job_.FoundCount;
  windows_.search->ShowCount(job_.FoundCount);
  job_.FileList.push_back(path);
}

void BatchCommands::DirectoryEntered(const std::string& path) {
  windows_.search->ShowFolder(path);
  Input();
}

void BatchCommands::TakeForDecryption(const std::string& path, bool onlyWithMeta) {
  if (!LeftOut(path)) {
    if (!onlyWithMeta || engine::HasMetaInfo(path))
      AddFound(path);
    else
      job_.WithoutMeta.push_back(path);
  }
  Input();
}

void BatchCommands::OpenSearch(bool clearFolder) {
  if (clearFolder) windows_.search->ShowFolder("");
  windows_.search->Open();
}

bool BatchCommands::RunSearch(batch::TFileSearch& search, const std::string& root,
                              const std::string& mask, bool recursive) {
  try {
    search.Search(root, mask, batch::TFileSearch::kAnyFile, recursive);
    return true;
  } catch (const std::exception& e) {
    windows_.search->Close();
    ShowError(e.what());
    return false;
  }
}

bool BatchCommands::FinishSearch() {
  if (batch::SearchCancelled) return false;
  windows_.search->Close();
  if (job_.FileList.empty()) {
    // Why nothing was found: files without meta information first, with the way to take them.
    std::vector<std::string> lines;
    const size_t shown = std::min(job_.WithoutMeta.size(), kNamedWithoutMeta);
    for (size_t i = 0; i < shown; ++i)
      lines.push_back(job_.WithoutMeta[i] + messages::kWithoutMetaDetail);
    if (job_.WithoutMeta.size() > shown)
      lines.push_back(messages::kAndMore + std::to_string(job_.WithoutMeta.size() - shown));
    if (!job_.WithoutMeta.empty()) lines.push_back(messages::kWithoutMetaHow);
    const std::string leftovers = EndDetails(ListJobKind::Encrypt, {}, {}, job_.Leftovers);
    if (!leftovers.empty()) lines.push_back(leftovers);
    services_.prompts.ShowMessage(platform::MessageKind::Error, messages::kNoFilesFound,
                                  Lines(lines));
    return false;
  }
  return true;
}

bool BatchCommands::WideRootConfirmed(ListJobKind kind, const std::vector<std::string>& roots) {
  for (const std::string& root : roots) {
    const Wide wide = platform::IsDirectory(root) ? WideFolder(root) : Wide::No;
    if (wide == Wide::No) continue;
    // Once, naming the first such folder: the count is the whole job's.
    const std::string text =
        std::to_string(job_.FileList.size()) + messages::kWideFound + root +
        (wide == Wide::Root ? messages::kWideRoot : messages::kWideHome) +
        (kind == ListJobKind::Encrypt ? messages::kWideEncrypt : messages::kWideDecrypt);
    return services_.prompts.Confirm(platform::MessageKind::Warning, text);
  }
  return true;
}

bool BatchCommands::AskPassword(ListJobKind kind, const char* caption, std::string& password) {
  return ui::AskPassword(services_.prompts,
                         kind == ListJobKind::Encrypt ? PasswordUse::Encrypt : PasswordUse::Decrypt,
                         caption, password);
}

void BatchCommands::EncryptDirectory() {
  if (Refused()) return;
  CommandScope scope(job_);
  Trencdir& picker = *windows_.rencdir;
  if (!picker.Execute()) return;
  OpenSearch(false);
  NewList();
  const std::string root = picker.SelectedPath();
  if (!RunSearch(windows_.Form1->ff1, root, "*.*", picker.Recursive())) return;
  if (!FinishSearch() || !WideRootConfirmed(ListJobKind::Encrypt, {root})) return;
  std::string password;
  if (!AskPassword(ListJobKind::Encrypt, messages::kEncryptionPassword, password)) return;
  StartJob(ListJobKind::Encrypt, password, windows_.Form3->Options());
}

void BatchCommands::DecryptDirectory() {
  if (Refused()) return;
  CommandScope scope(job_);
  Tdencdir& picker = *windows_.dencdir;
  const std::string extension = windows_.veltoptions->Settings().extension;
  picker.SetExtension(extension);
  if (!picker.Execute()) return;
  OpenSearch(false);
  NewList();
  const std::string mask = picker.OnlyWithExtension() ? "*." + extension : "*.*";
  const std::string root = picker.SelectedPath();
  if (!RunSearch(windows_.Form1->ff2, root, mask, picker.Recursive())) return;
  if (!FinishSearch() || !WideRootConfirmed(ListJobKind::Decrypt, {root})) return;
  TForm3& options = *windows_.Form3;
  if (picker.OnlyWithMeta()) {
    // The directory command's box carries the encryption title, as users know it.
    std::string password;
    if (!AskPassword(ListJobKind::Decrypt, messages::kEncryptionPassword, password)) return;
    StartJob(ListJobKind::Decrypt, password, options.Options());
  } else {
    // The choices of its last showing stay; they apply to every file without meta information.
    options.SetDontAsk(true);
    if (!options.Execute()) return;
    StartJob(ListJobKind::Decrypt, options.Options().password, options.Options());
  }
}

void BatchCommands::CommandLine() {
  const std::vector<std::string>& args = job_.Arguments;
  if (!StartedFromShell()) return;
  CommandScope scope(job_);
  const std::string folder = CurrentFolder();
  std::vector<std::string> items;
  for (const std::string& item : batch::SplitPathList(args.size() > 1 ? args[1] : ""))
    items.push_back(batch::ListItemPath(item, folder));
  if (args[0] == "-e")
    CommandLineEncrypt(items);
  else
    CommandLineDecrypt(items);
}

bool BatchCommands::CollectForEncryption(const std::vector<std::string>& items, bool recursive) {
  for (const std::string& item : items) {
    if (batch::SearchCancelled) break;
    if (platform::IsDirectory(item)) {
      windows_.search->ShowFolder(item);
      if (!RunSearch(windows_.Form1->genff, item, "*.*", recursive)) return false;
    } else {
      // Taken as given, existing or not: the job reports what it cannot encrypt.
      Take(item);
      Input();
    }
  }
  return true;
}

bool BatchCommands::CollectForDecryption(const std::vector<std::string>& items) {
  const TDrag& drag = *windows_.Drag;
  const std::string extension = windows_.veltoptions->Settings().extension;
  for (const std::string& item : items) {
    if (batch::SearchCancelled) break;
    if (platform::IsDirectory(item)) {
      windows_.search->ShowFolder(item);
      const std::string mask = drag.OnlyWithExtension() ? "*." + extension : "*.*";
      if (!RunSearch(windows_.Form1->genff, item, mask, drag.DecryptRecursive())) return false;
    } else if (platform::IsRegularFile(item)) {
      // Exactly this file: its name as a search mask would also take same-named files that
      // differ in letter case, or names that its wildcard characters match.
      TakeForDecryption(item, drag.OnlyWithMeta());
    }
  }
  return true;
}

void BatchCommands::CommandLineEncrypt(const std::vector<std::string>& items) {
  Tshellenc& dialog = *windows_.shellenc;
  dialog.SetSettings(windows_.veltoptions->Settings());
  // Leaving the dialog without OK is a Cancel: the command ends, nothing is taken over.
  if (!dialog.Execute()) return;
  NewList();
  OpenSearch(true);
  job_.JobKind = ListJobKind::Encrypt;
  windows_.Drag->SetEncryptRecursive(dialog.Recursive());
  const bool collected = CollectForEncryption(items, dialog.Recursive());
  // The choices are live for this run, never saved.
  windows_.veltoptions->SetSettings(dialog.Settings());
  if (!collected || !FinishSearch() || !WideRootConfirmed(ListJobKind::Encrypt, items)) return;
  std::string password;
  if (!AskPassword(ListJobKind::Encrypt, messages::kEncryptionPassword, password)) return;
  StartJob(ListJobKind::Encrypt, password, windows_.Form3->Options());
}

void BatchCommands::CommandLineDecrypt(const std::vector<std::string>& items) {
  Tshelldec& dialog = *windows_.shelldec;
  const engine::EngineSettings settings = windows_.veltoptions->Settings();
  if (!dialog.Execute(settings.cipherIndex, settings.hashIndex, settings.extension)) return;
  NewList();
  TForm3& options = *windows_.Form3;
  const Tshelldec::Choices chosen = dialog.Chosen();
  options.SetDeleteOriginal(chosen.deleteOriginal);
  options.SetEngines(chosen.cipherIndex, chosen.hashIndex);
  windows_.Drag->SetDecryption(chosen.recursive, chosen.onlyWithMeta, chosen.onlyWithExtension);
  job_.JobKind = ListJobKind::Decrypt;
  OpenSearch(true);
  if (!CollectForDecryption(items) || !FinishSearch() ||
      !WideRootConfirmed(ListJobKind::Decrypt, items))
    return;
  std::string password;
  if (!AskPassword(ListJobKind::Decrypt, messages::kDecryptionPassword, password)) return;
  StartJob(ListJobKind::Decrypt, password, options.Options());
}

void BatchCommands::FilesDropped(const std::vector<std::string>& paths) {
  if (Refused()) return;
  CommandScope scope(job_);
  TDrag& drag = *windows_.Drag;
  job_.JobKind = drag.Execute(windows_.veltoptions->Settings().extension);
  if (job_.JobKind == ListJobKind::Encrypt) {
    NewList();
    OpenSearch(true);
    if (!CollectForEncryption(paths, drag.EncryptRecursive()) || !FinishSearch() ||
        !WideRootConfirmed(ListJobKind::Encrypt, paths))
      return;
    std::string password;
    if (!AskPassword(ListJobKind::Encrypt, messages::kEncryptionPassword, password)) return;
    StartJob(ListJobKind::Encrypt, password, windows_.Form3->Options());
  } else if (job_.JobKind == ListJobKind::Decrypt) {
    NewList();
    OpenSearch(true);
    if (!CollectForDecryption(paths) || !FinishSearch() ||
        !WideRootConfirmed(ListJobKind::Decrypt, paths))
      return;
    TForm3& options = *windows_.Form3;
    if (drag.OnlyWithMeta()) {
      std::string password;
      if (!AskPassword(ListJobKind::Decrypt, messages::kDecryptionPassword, password)) return;
      StartJob(ListJobKind::Decrypt, password, options.Options());
    } else {
      options.SetDontAsk(true);
      if (!options.Execute()) return;
      StartJob(ListJobKind::Decrypt, options.Options().password, options.Options());
    }
  }
}

void BatchCommands::StartJob(ListJobKind kind, const std::string& password,
                             const engine::DecryptionOptions& decryption) {
  // Once the session is ending, an answer that arrives late starts nothing.
  if (job_.Ending) return;
  if (kind == ListJobKind::Encrypt && password.empty()) {
    ShowError(messages::kEmptyPasswordRefused);
    return;
  }
  TForm1& f = *windows_.Form1;
  job_.JobPassword = password;
  job_.JobElapsedMs = 0;
  auto job = std::make_shared<batch::ListJob>();
  job->kind = kind;
  job->files = job_.FileList;
  job->password = password;
  // What the worker reads: copies taken here on the window thread.
  job->settings = windows_.veltoptions->Settings();
  job->decryption = decryption;
  job->progress = &f.Progress();
  job->totals = &f.Progress();
  job->stopRequested = &job_.StopRequested;
  job->cancel = &job_.Cancel;
  job->beforeFile = [&progress = f.Progress(), files = job_.FileList,
                     hook = BeforeEachFile](size_t i) {
    progress.ShowPath(files[i]);
    if (hook) hook(i);
  };
  running_->job = std::move(job);
  (kind == ListJobKind::Encrypt ? f.renc1 : f.rdec1).Start();
}

void BatchCommands::JobStarted() {
  job_.StopRequested = false;
  job_.JobSkipped = 0;
  windows_.Form1->ShowListPanel();
}

void BatchCommands::JobEnded(ListJobKind kind, batch::TWorkExecuteThread& thread) {
  TForm1& f = *windows_.Form1;
  const batch::ListJobResult result = std::move(running_->result);
  running_->result = {};
  running_->job.reset();
  job_.JobElapsedMs = result.elapsedMs;
  job_.JobSkipped = result.skipped;
  std::vector<batch::FileFailure> failures = result.failures;
  if (thread.Error()) failures.push_back({std::string(), ErrorText(thread.Error())});
  const std::vector<std::string> leftovers = std::move(job_.Leftovers);
  const size_t count = job_.FileList.size();
  NewList();
  // The session is ending: nobody is left to read a box, and the program quits.
  if (job_.Ending) {
    f.HideListPanel();
    return;
  }

  const std::string seconds = SecondsText(job_.JobElapsedMs).toStdString();
  const bool encrypting = kind == ListJobKind::Encrypt;
  const size_t skipped = result.skippedFiles.size();
  std::string text;
  if (job_.StopRequested) {
    // The totals show the files whose turn has ended, not the one that was running at Stop.
    f.ShowTotals(batch::TotalPercent(result.handled, count),
                 batch::RunningTotalText(kind, result.handled, count));
    text = batch::StoppedMessage(kind, seconds, failures.size());
    const size_t done = result.handled - std::min(result.handled, skipped + failures.size());
    text += '\n' + std::to_string(done) +
            (encrypting ? messages::kStoppedEncrypted : messages::kStoppedDecrypted) +
            std::to_string(count - result.handled) + messages::kNotStarted;
    if (skipped > 0)
      text +=
          "\n(" + std::to_string(skipped) +
          (encrypting ? batch::messages::kSkippedEncrypted : batch::messages::kSkippedDecrypted);
  } else {
    f.ShowFinalTotals(batch::FinalTotalText(kind, count));
    // Counted are the files done: the skipped ones have their own count after it.
    text = batch::StatisticsMessage(kind, count - std::min(count, skipped), seconds,
                                    job_.JobSkipped, failures.size());
  }
  auto line = [&text](size_t count, const char* what) {
    if (count == 0) return;
    text += '\n';
    text += std::to_string(count);
    text += what;
  };
  line(size_t(result.keptEncrypted), messages::kKeptOrig);
  line(leftovers.size(), messages::kLeftOut);
  const std::string details = EndDetails(kind, failures, result, leftovers);
  services_.prompts.ShowMessage(
      failures.empty() ? platform::MessageKind::Information : platform::MessageKind::Warning, text,
      details);
  f.HideListPanel();
  if (StartedFromShell()) emit EndProgram();
}

std::string BatchCommands::EndDetails(ListJobKind kind,
                                      const std::vector<batch::FileFailure>& failures,
                                      const batch::ListJobResult& result,
                                      const std::vector<std::string>& leftovers) const {
  std::vector<std::string> lines;
  if (!failures.empty()) lines.push_back(batch::FailureDetails(failures));
  for (const std::string& path : result.skippedFiles)
    lines.push_back(path + (kind == ListJobKind::Encrypt ? messages::kSkippedEncryptedDetail
                                                         : messages::kSkippedDecryptedDetail));
  lines.insert(lines.end(), result.notes.begin(), result.notes.end());
  for (const std::string& path : leftovers) lines.push_back(path + messages::kLeftOutDetail);
  return Lines(lines);
}

bool BatchCommands::StartedFromShell() const {
  const auto& args = job_.Arguments;
  return !args.empty() && (args[0] == "-e" || args[0] == "-d");
}

void BatchCommands::ShowError(const std::string& text) {
  services_.prompts.ShowMessage(platform::MessageKind::Error, text);
}

}  // namespace velt::ui
