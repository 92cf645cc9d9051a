#include "tests/crash/user_files.h"

#include <sys/stat.h>

#include <exception>

#include "engine/engine.h"
#include "tests/crash/cli_runner.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace velt::test {

namespace fs = std::filesystem;

std::vector<uint8_t> Content(size_t size, uint64_t seed) {
  Rng rng(seed);
  std::vector<uint8_t> v = rng.Bytes(size);
  for (size_t i = 0; i < size; i += 2) v[i] = uint8_t("the quick brown fox "[i % 20]);
  return v;
}

bool Holds(const std::string& path, const std::vector<uint8_t>& bytes) {
  return fs::is_regular_file(path) && ReadFile(path) == bytes;
}

bool DecryptsTo(const std::string& encrypted, const std::vector<uint8_t>& content,
                const engine::DecryptionOptions& noMeta) {
  if (!fs::is_regular_file(encrypted)) return false;
  TempDir check(TempDir::Where::Memory);
  const std::string copy = check / "copy.VELT";
  WriteFile(copy, ReadFile(encrypted));
  engine::EngineSettings s;
  s.secureDelete = false;
  engine::NullProgressSink quiet;
  try {
    if (engine::DecryptOneFile(copy, kPassword, engine::HasMetaInfo(copy), s, noMeta, quiet)
            .outcome == engine::DecryptOutcome::WrongPassword)
      return false;
  } catch (const std::exception&) {
    return false;
  }
  return Holds(check / "copy", content);
}

FolderState FolderState::Of(const std::string& folder) {
  FolderState state;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    struct stat st {};
    if (::lstat(e.path().c_str(), &st) != 0) continue;
    Entry entry;
    entry.folder = S_ISDIR(st.st_mode);
    entry.mode = st.st_mode & 07777;
    if (!entry.folder) {
      entry.bytes = ReadFile(e.path().string());
      entry.modified = fs::last_write_time(e.path());
    }
    state.files_[fs::relative(e.path(), folder).string()] = std::move(entry);
  }
  return state;
}

void FolderState::LayOut(const std::string& folder) const {
  for (const auto& e : fs::directory_iterator(folder)) fs::remove_all(e.path());
  // A map orders a folder before what is in it.
  for (const auto& [name, entry] : files_) {
    const std::string path = folder + "/" + name;
    if (entry.folder) {
      fs::create_directory(path);
    } else {
      WriteFile(path, entry.bytes);
      fs::last_write_time(path, entry.modified);
    }
  }
  // Modes last: a read-only folder must first be filled.
  for (auto it = files_.rbegin(); it != files_.rend(); ++it)
    ::chmod((folder + "/" + it->first).c_str(), it->second.mode);
}

std::vector<std::string> FolderState::Differences(const FolderState& other) const {
  std::vector<std::string> d;
  for (const auto& [name, entry] : files_) {
    auto it = other.files_.find(name);
    if (it == other.files_.end() || !(it->second == entry)) d.push_back(name);
  }
  for (const auto& [name, entry] : other.files_)
    if (!files_.count(name)) d.push_back(name);
  return d;
}

}  // namespace velt::test
