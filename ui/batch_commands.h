// The commands that work on lists of files: the two directory commands, the -e/-d command
// line and dropped files. Each asks its options, builds the file list with a search while the
// search dialog shows the count, asks one password and starts renc1 or rdec1; their start and
// end notifications live here too.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/file_search.h"
#include "batch/list_job.h"
#include "batch/work_thread.h"
#include "ui/job_state.h"
#include "ui/main_window.h"
#include "ui/services.h"

namespace velt::ui {

class BatchCommands final : public QObject {
  Q_OBJECT

 public:
  // Binds itself to the main window's entry points and components; every window of
  // `windows` must exist.
  BatchCommands(const Services& services, Windows& windows, JobState& job);
  ~BatchCommands() override;
  BatchCommands(const BatchCommands&) = delete;
  BatchCommands& operator=(const BatchCommands&) = delete;

  void EncryptDirectory();
  void DecryptDirectory();
  // -e or -d as the first argument of the process; anything else is a normal start.
  void CommandLine();
  void FilesDropped(const std::vector<std::string>& paths);

  // Called by the list job on its worker thread before each file, after its totals were shown.
  std::function<void(size_t index)> BeforeEachFile;

 signals:
  // A process started with -e or -d has ended its job. The main window closes on it; the last
  // one open by then, its closing ends the program's event loop.
  void EndProgram();

 private:
  struct Running;

  bool Refused();
  void Input();
  // A new, empty FileList (and list of leftovers) for a search.
  void NewList();
  // Files named as VELT's temporary files are set aside as leftovers (true).
  bool LeftOut(const std::string& path);
  void Take(const std::string& path);
  void AddFound(const std::string& path);
  void DirectoryEntered(const std::string& path);
  void TakeForDecryption(const std::string& path, bool onlyWithMeta);
  void OpenSearch(bool clearFolder);
  bool RunSearch(batch::TFileSearch& search, const std::string& root, const std::string& mask,
                 bool recursive);
  bool FinishSearch();
  bool CollectForEncryption(const std::vector<std::string>& items, bool recursive);
  bool CollectForDecryption(const std::vector<std::string>& items);
  void CommandLineEncrypt(const std::vector<std::string>& items);
  void CommandLineDecrypt(const std::vector<std::string>& items);
  // A job over a whole file system or home folder is asked about once more; false for No.
  bool WideRootConfirmed(batch::ListJobKind kind, const std::vector<std::string>& roots);
  bool AskPassword(batch::ListJobKind kind, const char* caption, std::string& password);
  void StartJob(batch::ListJobKind kind, const std::string& password,
                const engine::DecryptionOptions& decryption);
  void JobStarted();
  void JobEnded(batch::ListJobKind kind, batch::TWorkExecuteThread& thread);
  // The details of the end message: failures, skipped files, the engine's notes, the leftovers.
  std::string EndDetails(batch::ListJobKind kind, const std::vector<batch::FileFailure>& failures,
                         const batch::ListJobResult& result,
                         const std::vector<std::string>& leftovers) const;
  bool StartedFromShell() const;
  void ShowError(const std::string& text);

  Services services_;
  Windows& windows_;
  JobState& job_;
  std::shared_ptr<Running> running_;
};

}  // namespace velt::ui
