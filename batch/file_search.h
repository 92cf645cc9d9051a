// TFileSearch walks a folder (and optionally every folder below it) depth first and reports
// each file whose name matches a mask: all files of a folder before any of its subfolders.
// Symbolic links to folders are never followed, and links are not reported as files.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace velt::batch {

// Set by the search dialog when it closes; read by every search between entries.
extern std::atomic<bool> SearchCancelled;

class TFileSearch;
using TOnActionEvent =
    std::function<void(TFileSearch& sender, const std::string& path, const std::string& fileName)>;

class TFileSearch {
 public:
  // Raised for each matching regular file: path is the folder with a trailing separator.
  TOnActionEvent OnPerformeFileAction;
  // Raised for each direct subfolder of the root just before it is walked.
  TOnActionEvent OnPerformeDirAction;
  // Raised once at the end of a top-level search, also after a cancellation.
  TOnActionEvent OnPerformeFinished;

  // Attribute mask that finds every file (read-only, hidden, system and archive ones too).
  static constexpr uint32_t kAnyFile = 63;

  void Search(const std::string& path, const std::string& mask, uint32_t attributes,
              bool recursive);

  void OpenSearch(const std::string& path, const std::string& mask, uint32_t attributes);
  bool NextEntry(platform::DirEntry& entry);
  void CloseSearch();
  bool Searching() const { return searching_; }

 private:
  bool searching_ = false;
  bool firstEntry_ = true;
  std::string mask_, path_;
  uint32_t attributes_ = 0;
  std::vector<platform::DirEntry> listing_;
  size_t next_ = 0;
};

// The messages of the component's own two failures.
inline constexpr const char* kAlreadySearching =
    "TFileSearch: Already searching. Use CloseSearch to terminate previous search.";
inline constexpr const char* kNotSearching =
    "TFileSearch: Not searching. Use CloseSearch only after OpenSearch.";

class ESearchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velt::batch
