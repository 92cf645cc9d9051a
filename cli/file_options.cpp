#include "cli/file_options.h"

#include "batch/settings_store.h"
#include "cli/engine_names.h"

namespace velt::cli {

namespace {
// One choice and its opposite; giving both (or one twice) is a usage error.
CLI::Option* AddFlagPair(CLI::App& cmd, const std::string& names, int& choice,
                         const std::string& description) {
  return cmd.add_flag(names, choice, description)
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}
}  // namespace

void AddFileOptions(CLI::App& cmd, FileOptions& o, bool encrypting) {
  cmd.add_option("PATH", o.paths, "Files, and folders with -r")->required();
  cmd.add_option("-c,--cipher", o.cipher, "Cipher: index (0-18) or label, e.g. RIJNDAEL")
      ->transform(CipherChoice())
      ->option_text("TEXT");
  cmd.add_option("-H,--hash", o.hash, "Hash: index (0-9) or label, e.g. \"SHA 256\"")
      ->transform(HashChoice())
      ->option_text("TEXT");
  cmd.add_flag("-r,--recursive", o.recursive, "Take the files of folders and their subfolders");
  cmd.add_option("-p,--password-file", o.passwordFile,
                 "Read the password from the first line of FILE (- for standard input)");
  cmd.add_option("--password-env", o.passwordEnv,
                 "Read the password from environment variable VAR");
  cmd.add_option("-j,--jobs", o.jobs, "Files processed at a time (default: one per processor)");
  cmd.add_flag("-q,--quiet", o.quiet, "No progress report and no summary");
  cmd.add_flag("--overwrite", o.overwrite,
               encrypting ? "Replace an older encrypted file under the new file's name (never a "
                            "file without VELT meta information)"
                          : "Replace an existing file under the decrypted file's name");
  AddFlagPair(cmd, "--delete-original,!--keep-original", o.deleteOriginal,
              encrypting ? "Delete the original after encryption, or keep it beside the "
                           "encrypted file"
                         : "Delete the encrypted file after decryption even when the password "
                           "could not be checked reliably (no compression) or at all (no meta "
                           "information), or keep such files as NAME(orig) (the default)");
  AddFlagPair(cmd, "--secure-delete,!--no-secure-delete", o.secureDelete,
              "Overwrite originals and temporary files before deleting them, or delete without "
              "overwriting");
  cmd.add_option("--extension", o.extension, "File extension of encrypted files (default: VELT)");
  if (encrypting) {
    AddFlagPair(cmd, "--compress,!--no-compress", o.compress,
                "Compress with zlib before encrypting, or do not compress");
    cmd.add_option("--level", o.level, "Compression: default, fastest or best")
        ->check(CLI::IsMember({"default", "fastest", "best"}, CLI::ignore_case));
    cmd.add_flag("--no-extension", o.noExtension,
                 "Encrypt files under their own names (the original is replaced)");
    AddFlagPair(cmd, "--meta,!--no-meta", o.meta,
                "Write meta information, or write none (only with --no-compress; decryption "
                "then needs the engines and cannot check the password); the saved setting else");
    cmd.add_flag("--verify", o.verify,
                 "Read each encrypted file back and compare it with the original before the "
                 "original is deleted");
  } else {
    cmd.add_flag("--all", o.all, "Also decrypt files without meta information (needs -c and -H)");
    cmd.add_flag("--any-extension", o.anyExtension,
                 "Search folders for every file, not only those with the extension");
  }
}

engine::EngineSettings SettingsFor(const FileOptions& o, bool encrypting) {
  engine::EngineSettings s = batch::LoadSettings().settings;
  if (o.cipher) s.cipherIndex = *o.cipher;
  if (o.hash) s.hashIndex = *o.hash;
  // As in the options dialog: switching compression on or off checks the meta box.
  const bool compress = o.compress > 0 || (o.compress == 0 && s.compress);
  if (compress != s.compress) s.addMetaInfo = true;
  s.compress = compress;
  if (o.level == "default") s.compressionSpeed = engine::kSpeedDefault;
  if (o.level == "fastest") s.compressionSpeed = engine::kSpeedFastest;
  if (o.level == "best") s.compressionSpeed = engine::kSpeedBest;
  if (!o.extension.empty()) {
    if (engine::CheckExtension(o.extension) != engine::ExtensionCheck::Valid)
      throw UsageError("the extension \"" + o.extension +
                       "\" may not contain / \\ : * ? > < \" | or blanks");
    s.extension = o.extension;
  }
  if (o.noExtension) s.addExtension = false;
  if (encrypting && o.deleteOriginal != 0) s.deleteOriginal = o.deleteOriginal > 0;
  if (o.secureDelete != 0) s.secureDelete = o.secureDelete > 0;
  if (o.meta > 0) s.addMetaInfo = true;
  if (o.meta < 0) {
    if (s.compress) throw UsageError("--no-meta is allowed only with --no-compress");
    s.addMetaInfo = false;
  }
  // The desktop would write such files, but decryption takes a file without meta information
  // as uncompressed and would hand back the compressed bytes.
  if (encrypting && s.compress && !s.addMetaInfo)
    throw UsageError(
        "the saved settings compress files but add no meta information, which would make files "
        "that decrypt to compressed data: give --meta or --no-compress");
  return s;
}

}  // namespace velt::cli
