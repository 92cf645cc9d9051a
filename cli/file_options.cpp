#include "cli/file_options.h"

#include "batch/settings_store.h"
#include "cli/engine_names.h"

namespace velt::cli {

void AddFileOptions(CLI::App& cmd, FileOptions& o, bool encrypting) {
  cmd.add_option("PATH", o.paths, "Files, and folders with -r")->required();
  cmd.add_option("-c,--cipher", o.cipher, "Cipher: index (0-18) or label, e.g. RIJNDAEL");
  cmd.add_option("-H,--hash", o.hash, "Hash: index (0-9) or label, e.g. \"SHA 256\"");
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
  auto del = cmd.add_flag(
      "--delete-original", o.deleteOriginal,
      encrypting ? "Delete the original after encryption"
                 : "Delete the encrypted file after decryption even when the password could not "
                   "be checked reliably (no compression) or at all (no meta information) "
                   "(default: keep such files as NAME(orig))");
  cmd.add_flag("--keep-original", o.keepOriginal,
               encrypting ? "Keep the original beside the encrypted file"
                          : "Keep encrypted files whose password could not be checked reliably "
                            "as NAME(orig)")
      ->excludes(del);
  auto sec = cmd.add_flag("--secure-delete", o.secureDelete,
                          "Overwrite originals and temporary files before deleting them");
  cmd.add_flag("--no-secure-delete", o.noSecureDelete, "Delete without overwriting")->excludes(sec);
  cmd.add_option("--extension", o.extension, "File extension of encrypted files (default: VELT)");
  if (encrypting) {
    auto comp = cmd.add_flag("--compress", o.compress, "Compress with zlib before encrypting");
    cmd.add_flag("--no-compress", o.noCompress, "Do not compress")->excludes(comp);
    cmd.add_option("--level", o.level, "Compression: default, fastest or best")
        ->check(CLI::IsMember({"default", "fastest", "best"}, CLI::ignore_case));
    cmd.add_flag("--no-extension", o.noExtension,
                 "Encrypt files under their own names (the original is replaced)");
    auto meta = cmd.add_flag("--meta", o.meta, "Write meta information (the saved setting else)");
    cmd.add_flag("--no-meta", o.noMeta,
                 "Write no meta information (only with --no-compress; decryption then needs "
                 "the engines and cannot check the password)")
        ->excludes(meta);
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
  if (!o.cipher.empty()) {
    auto c = ParseCipher(o.cipher);
    if (!c) throw UsageError("unknown cipher \"" + o.cipher + "\" (see velt-cli list)");
    s.cipherIndex = *c;
  }
  if (!o.hash.empty()) {
    auto h = ParseHash(o.hash);
    if (!h) throw UsageError("unknown hash \"" + o.hash + "\" (see velt-cli list)");
    s.hashIndex = *h;
  }
  // As in the options dialog: switching compression on or off checks the meta box.
  const bool compress = o.compress || (!o.noCompress && s.compress);
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
  if (encrypting && o.deleteOriginal) s.deleteOriginal = true;
  if (encrypting && o.keepOriginal) s.deleteOriginal = false;
  if (o.secureDelete) s.secureDelete = true;
  if (o.noSecureDelete) s.secureDelete = false;
  if (o.meta) s.addMetaInfo = true;
  if (o.noMeta) {
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
