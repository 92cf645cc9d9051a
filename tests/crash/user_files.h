// The user's files as the crash and fault tests judge them: whether a file holds exactly the
// user's bytes, whether an encrypted file is complete (a copy of it decrypts to them in one
// pass), and a folder's whole state, taken to lay it out again for another run.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/settings.h"

namespace velt::test {

// Half text, half noise: compression has work to do and the body spans many writes.
std::vector<uint8_t> Content(size_t size, uint64_t seed);

bool Holds(const std::string& path, const std::vector<uint8_t>& bytes);

// Whether a copy of `encrypted`, decrypted once with the tests' password, gives `content`.
// Files without meta information are decrypted with the engines of `noMeta`.
bool DecryptsTo(const std::string& encrypted, const std::vector<uint8_t>& content,
                const engine::DecryptionOptions& noMeta = {});

// Every file and folder under a folder, with its bytes, permission bits and modification time.
class FolderState {
 public:
  static FolderState Of(const std::string& folder);
  // Empties `folder` and lays this state out in it.
  void LayOut(const std::string& folder) const;
  bool operator==(const FolderState& other) const { return files_ == other.files_; }
  // Relative paths of the files whose bytes or mode differ from `other`'s, or that only one
  // state has.
  std::vector<std::string> Differences(const FolderState& other) const;

 private:
  struct Entry {
    bool folder = false;
    std::vector<uint8_t> bytes;
    mode_t mode = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const Entry& o) const {
      return folder == o.folder && bytes == o.bytes && mode == o.mode;
    }
  };
  std::map<std::string, Entry> files_;
};

}  // namespace velt::test
