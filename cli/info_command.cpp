#include "cli/info_command.h"

#include <filesystem>

#include "batch/file_search.h"
#include "batch/settings_store.h"
#include "cli/file_gathering.h"
#include "cli/leftover.h"
#include "cli/terminal_text.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/meta_info.h"
#include "engine/temp_file.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::cli {

namespace {

namespace fs = std::filesystem;

// What a path that is neither a regular file nor a folder is; "" for those two.
std::string KindOf(const std::string& path) {
  std::error_code ec;
  const auto status = fs::symlink_status(PathOf(path), ec);
  switch (status.type()) {
    case fs::file_type::symlink: {
      auto target = fs::read_symlink(PathOf(path), ec);
      return "a symbolic link to " +
             (ec ? std::string("a target that cannot be read") : Utf8Of(target)) +
             " (VELT does not follow links)";
    }
    case fs::file_type::fifo:
      return "a named pipe (FIFO), not a file VELT works on";
    case fs::file_type::socket:
      return "a socket, not a file VELT works on";
    case fs::file_type::block:
      return "a block device, not a file VELT works on";
    case fs::file_type::character:
      return "a character device, not a file VELT works on";
    case fs::file_type::regular:
    case fs::file_type::directory:
      return "";
    default:
      return "not a file VELT works on";
  }
}

void ShowFolder(const std::string& given, const std::string& path, const std::string& extension,
                std::ostream& out) {
  std::vector<std::string> stale;
  batch::TFileSearch search;
  search.OnPerformeFileAction = [&](batch::TFileSearch&, const std::string& folder,
                                    const std::string& name) {
    if (engine::IsTemporaryName(name)) stale.push_back(folder + name);
  };
  search.Search(path, "*.tmp*", batch::TFileSearch::kAnyFile, true);
  out << TerminalText(given) << ": folder, " << stale.size() << " stale temporary file"
      << (stale.size() == 1 ? "" : "s") << " of VELT's naming\n";
  // The path alone on its line after two blanks; what it is after four.
  for (const auto& s : stale) {
    out << "  " << TerminalText(s) << "\n";
    for (const auto& line : ExplainLeftover(s, extension))
      out << "    " << TerminalText(line) << "\n";
  }
}

// 1 for a damaged record.
int ShowMetaInfo(const std::string& path, std::ostream& out) {
  if (!engine::HasMetaInfo(path)) {
    out << "  meta information: none (decrypting it needs the cipher and hash, and no "
           "password check is possible)\n";
    return 0;
  }
  auto f = platform::File::Open(path, platform::OpenMode::Read, platform::Locking::None);
  std::string problem;
  auto m = engine::ReadMetaInfo(f, problem);
  if (!m) {
    out << "  meta information: present but " << problem << "\n";
    return 1;
  }
  out << "  meta information: yes\n"
      << "  cipher: " << crypto::FindCipher(m->cipherIndex)->label << " (" << m->cipherIndex
      << ")\n"
      << "  hash: " << crypto::FindHash(m->hashIndex)->label << " (" << m->hashIndex << ")\n"
      << "  compressed: " << (m->compression == 0 ? "yes (zlib)" : "no") << "\n"
      << "  check value: " << m->checkValue << "\n"
      << "  body: " << f.Size() - engine::MetaInfo::kRecordLength << " bytes\n";
  return 0;
}

}  // namespace

int RunInfo(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err) {
  const std::string extension = batch::LoadSettings().settings.extension;
  int status = 0;
  for (const auto& given : paths) {
    const std::string path = AbsolutePath(given);
    const std::string shown = TerminalText(given);
    if (!platform::Exists(path)) {
      err << "velt-cli: " << shown << ": no such file or folder\n";
      status = 1;
      continue;
    }
    if (std::string kind = KindOf(path); !kind.empty()) {
      out << shown << ": " << TerminalText(kind) << "\n";
      continue;
    }
    if (platform::IsDirectory(path)) {
      ShowFolder(given, path, extension, out);
      continue;
    }
    if (engine::IsTemporaryName(platform::NameOf(path))) {
      out << shown << ": a leftover of an interrupted VELT run\n";
      for (const auto& line : ExplainLeftover(path, extension))
        out << "  " << TerminalText(line) << "\n";
      continue;
    }
    out << shown << "\n";
    try {
      status |= ShowMetaInfo(path, out);
    } catch (const std::exception& e) {
      err << "velt-cli: " << shown << ": " << TerminalText(e.what()) << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace velt::cli
