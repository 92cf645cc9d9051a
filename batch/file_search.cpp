#include "batch/file_search.h"

#include "batch/messages.h"

namespace velt::batch {

std::atomic<bool> SearchCancelled{false};

namespace {
bool EndsWithSeparator(const std::string& p) {
  if (p.empty()) return false;
#ifdef _WIN32
  return p.back() == '\\' || p.back() == '/';
#else
  return p.back() == '/';
#endif
}
}  // namespace

void TFileSearch::OpenSearch(const std::string& path, const std::string& mask,
                             uint32_t attributes) {
  if (searching_) throw ESearchError(kAlreadySearching);
  if (path.empty()) throw ESearchError(messages::kEmptySearchFolder);
  path_ = EndsWithSeparator(path) ? path : path + platform::kPathSeparator;
  mask_ = mask;
  attributes_ = attributes;
  searching_ = true;
  firstEntry_ = true;
}

bool TFileSearch::NextEntry(platform::DirEntry& entry) {
  if (firstEntry_) {
    firstEntry_ = false;
    listing_.clear();
    next_ = 0;
    try {
      listing_ = platform::ListDirectory(path_, mask_, attributes_);
    } catch (const std::exception&) {
      // A folder that cannot be listed simply has no entries.
    }
  }
  if (next_ >= listing_.size()) return false;
  entry = listing_[next_++];
  return true;
}

void TFileSearch::CloseSearch() {
  if (!searching_) throw ESearchError(kNotSearching);
  listing_.clear();
  searching_ = false;
  firstEntry_ = true;
}

void TFileSearch::Search(const std::string& path, const std::string& mask, uint32_t attributes,
                         bool recursive) {
  OpenSearch(path, mask, attributes);
  const std::string root = path_;
  platform::DirEntry e;
  try {
    while (NextEntry(e) && !SearchCancelled) {
      if (!OnPerformeFileAction) continue;
      if (e.isSymbolicLink || (e.attributes & platform::kDirectory)) continue;
      if (platform::IsRegularFile(root + e.name)) OnPerformeFileAction(*this, root, e.name);
    }
  } catch (...) {
    // A handler's error must not leave the listing open for the next search.
    CloseSearch();
    throw;
  }
  CloseSearch();

  if (recursive) {
    std::vector<std::string> folders;
    OpenSearch(root, "*.*", platform::kDirectory);
    while (NextEntry(e) && !SearchCancelled)
      if (e.name != "." && e.name != ".." && (e.attributes & platform::kDirectory) &&
          !e.isSymbolicLink)
        folders.push_back(e.name);
    CloseSearch();

    TFileSearch sub;
    sub.OnPerformeFileAction = OnPerformeFileAction;
    for (const auto& name : folders) {
      try {
        if (OnPerformeDirAction) OnPerformeDirAction(*this, root + name, "");
        if (SearchCancelled) break;
        sub.Search(root + name, mask, attributes, true);
      } catch (...) {
        // A folder that fails is skipped; the walk goes on with the next one.
      }
    }
  }
  if (OnPerformeFinished) OnPerformeFinished(*this, "", "");
}

}  // namespace velt::batch
