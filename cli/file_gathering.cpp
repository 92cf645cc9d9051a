#include "cli/file_gathering.h"

#include <filesystem>
#include <set>

#include "batch/file_search.h"
#include "engine/temp_file.h"
#include "platform/file_system.h"

namespace velt::cli {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(PathOf(path), ec);
  if (ec) return path;
  std::string s = Utf8Of(p.lexically_normal());
  // "dir/" loses its separator; a root ("/", "C:\") keeps it.
  if (s.size() > 1 && s.back() == char(std::filesystem::path::preferred_separator) &&
      s[s.size() - 2] != ':')
    s.pop_back();
  return s;
}

Gathered GatherFiles(const std::vector<std::string>& paths, bool recursive,
                     const std::string& mask) {
  Gathered g;
  std::set<std::string> seen;
  auto add = [&](const std::string& file) {
    if (!seen.insert(file).second) return;
    if (engine::IsTemporaryName(platform::NameOf(file)))
      g.leftovers.push_back(file);
    else
      g.files.push_back(file);
  };
  for (const auto& given : paths) {
    std::string path = AbsolutePath(given);
    if (!platform::Exists(path)) {
      g.refused.emplace_back(given, "no such file or folder");
    } else if (platform::IsDirectory(path) && !platform::IsSymbolicLink(path)) {
      if (!recursive) {
        g.refused.emplace_back(given, "is a folder: use -r to take the files in it");
        continue;
      }
      batch::TFileSearch search;
      search.OnPerformeFileAction = [&](batch::TFileSearch&, const std::string& folder,
                                        const std::string& name) { add(folder + name); };
      search.Search(path, mask, batch::TFileSearch::kAnyFile, true);
    } else {
      // Files, and links, which the engine refuses with a message of its own.
      add(path);
    }
  }
  return g;
}

}  // namespace velt::cli
