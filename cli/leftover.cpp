#include "cli/leftover.h"

#include <vector>

#include "engine/engine.h"
#include "engine/meta_info.h"
#include "engine/secure_delete.h"
#include "engine/temp_file.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::cli {

namespace {

// Whether every fill block of the file is one byte repeated: what a secure overwrite leaves.
bool OnlyFillBytes(const std::string& path) {
  try {
    auto f = platform::File::Open(path, platform::OpenMode::Read, platform::Locking::None);
    std::vector<uint8_t> block(engine::kFillBlock);
    for (uint64_t at = 0;;) {
      const size_t n = f.ReadAt(at, block.data(), block.size());
      if (n == 0) return true;
      for (size_t i = 1; i < n; ++i)
        if (block[i] != block[0]) return false;
      at += n;
    }
  } catch (const std::exception&) {
    return false;
  }
}

// Every temporary file is held locked by the run that made it, for as long as it runs.
bool InUse(const std::string& path) {
  try {
    platform::File::Open(path, platform::OpenMode::Read, platform::Locking::Exclusive);
    return false;
  } catch (const platform::PlatformError& e) {
    return platform::IsInUse(e);
  } catch (const std::exception&) {
    return false;
  }
}

uint64_t SizeOf(const std::string& path) {
  try {
    return platform::FileSize(path);
  } catch (const std::exception&) {
    return 0;
  }
}

struct Leftover {
  std::string folder, name, base, extension;
  std::string Path(const std::string& n) const { return folder + n; }
  bool Exists(const std::string& n) const { return platform::Exists(Path(n)); }
  // The encrypted files the base may have: with the extension, with VELT, or the base itself
  // when it was encrypted under its own name (or is the file being decrypted).
  std::vector<std::string> EncryptedNames() const {
    std::vector<std::string> names = {base + "." + extension};
    if (extension != "VELT") names.push_back(base + ".VELT");
    names.push_back(base);
    return names;
  }
};

void ExplainEncryptedOutput(const Leftover& l, std::vector<std::string>& out) {
  out.push_back("encrypted output that had not yet been given its name");
  if (l.Exists(l.base)) {
    out.push_back(l.base + " is still there: safe to delete");
    return;
  }
  for (const auto& n : l.EncryptedNames())
    if (n != l.base && l.Exists(n) && engine::HasMetaInfo(l.Path(n))) {
      out.push_back("the encrypted file " + n + " is complete: safe to delete");
      return;
    }
  out.push_back("neither " + l.base +
                " nor its encrypted file exists: this may be the only copy "
                "of its content; do not delete it, rename it to " +
                l.base + "." + l.extension + " and decrypt it");
}

void ExplainDecryptedOutput(const Leftover& l, std::vector<std::string>& out) {
  out.push_back("decrypted plaintext that had not yet been given its name: delete it securely");
  const std::string decrypted =
      platform::NameOf(engine::DecryptedName(l.Path(l.base), l.extension));
  if (l.Exists(l.base)) {
    out.push_back("the encrypted file " + l.base + " is still there: safe to delete");
  } else if (decrypted != l.base && l.Exists(decrypted)) {
    out.push_back("the decrypted file " + decrypted + " exists: safe to delete");
  } else {
    out.push_back("neither " + l.base + " nor " + decrypted +
                  " exists: this may be the only copy "
                  "of its content; do not delete it, rename it to " +
                  decrypted);
  }
}

void ExplainWorkingCopy(const Leftover& l, std::vector<std::string>& out) {
  const std::string path = l.Path(l.name);
  if (SizeOf(path) == 0) {
    out.push_back("empty: safe to delete");
    return;
  }
  if (OnlyFillBytes(path)) {
    out.push_back("holds only fill bytes of a secure overwrite: safe to delete");
    return;
  }
  out.push_back(
      "a working copy or an original moved aside before its deletion: it may hold "
      "plaintext (compressed, if compression was on)");
  out.push_back(l.base + (l.Exists(l.base) ? " exists" : " does not exist"));
  std::string complete, bare;
  for (const auto& n : l.EncryptedNames()) {
    if (!l.Exists(n)) continue;
    const bool meta = engine::HasMetaInfo(l.Path(n));
    if (n != l.base)
      out.push_back(n + " exists, " + (meta ? "with" : "without") + " VELT meta information");
    if (meta && complete.empty()) complete = n;
    if (!meta && n != l.base && bare.empty()) bare = n;
  }
  if (!complete.empty()) {
    out.push_back("the encrypted file " + complete + " exists: safe to delete, securely");
  } else if (!bare.empty()) {
    out.push_back("whether " + bare +
                  " is complete cannot be told without meta information: keep "
                  "this file until " +
                  bare + " has been decrypted, then delete it securely");
  } else if (l.Exists(l.base)) {
    out.push_back("no encrypted file of " + l.base + " exists: keep this file until " + l.base +
                  " has been checked, then delete it securely");
  } else {
    out.push_back("no encrypted file of " + l.base +
                  " exists: this may be the only copy of its "
                  "content; do not delete it");
  }
}

}  // namespace

std::vector<std::string> ExplainLeftover(const std::string& path, const std::string& extension) {
  Leftover l;
  l.folder = platform::FolderOf(path);
  l.name = platform::NameOf(path);
  l.base = engine::TemporaryBase(l.name);
  l.extension = extension;
  std::vector<std::string> out;
  if (InUse(path)) {
    out.push_back("in use by a VELT run that is still at work: not a leftover; leave it");
    return out;
  }
  const std::string tag = engine::TemporaryTag(l.name);
  if (tag == "en")
    ExplainEncryptedOutput(l, out);
  else if (tag == "dc")
    ExplainDecryptedOutput(l, out);
  else
    ExplainWorkingCopy(l, out);
  return out;
}

}  // namespace velt::cli
