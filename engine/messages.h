// Texts the engine shows, exactly as users know them (the spelling included).
#pragma once

#include <cstdint>
#include <string>

namespace velt::engine::messages {

inline constexpr const char* kCompressing = "Compressing";
inline constexpr const char* kCreatingTemp = "Creating Temp file";
inline constexpr const char* kDeletingOriginalSecurely = "Deleting Orignal File (Securely)";
inline constexpr const char* kDeletingOriginal = "Deleting Orignal File";
inline constexpr const char* kEncrypting = "Encrypting";
inline constexpr const char* kDeletingTempSecurely = "Deleting Temporary File (Securely)";
inline constexpr const char* kDeletingTemp = "Deleting Temporary File";
inline constexpr const char* kEncryptionComplete = "Encryption Complete";
inline constexpr const char* kDecrypting = "Decrypting";
inline constexpr const char* kDecompressing = "Decompressing";
inline constexpr const char* kDecryptionComplete = "Decryption Complete";

// Why a file was not (fully) processed: the cause that follows "FILE: ".
inline constexpr const char* kAlreadyEncrypted =
    "already encrypted (it carries VELT meta information)";
inline constexpr const char* kStopped = "stopped before it was done; the file is unchanged";
inline constexpr const char* kSymbolicLink =
    "it is a symbolic link; VELT works on the files themselves, not links";
inline constexpr const char* kNoSuchFile = "the file does not exist";
inline constexpr const char* kNotRegularFile = "it is not a regular file";
inline constexpr const char* kKeepsBeingReplaced =
    "the file keeps being replaced while it is opened; try again later";
inline constexpr const char* kNonFileInTheWay = "cannot be replaced: it is not a regular file";
inline constexpr const char* kNoMemory = "not enough memory";
inline constexpr const char* kCompressedDataEndsEarly =
    "the compressed data ends early: the file is damaged or truncated";
inline constexpr const char* kReplacedWhileEncrypting =
    "the file was replaced while it was being encrypted";

inline std::string CannotEncrypt(const std::string& problem) {
  return "cannot encrypt: " + problem;
}
inline std::string CannotDecrypt(const std::string& problem) {
  return "cannot decrypt: " + problem;
}
inline std::string NoSuchCipher(int index) {
  return "the cipher index " + std::to_string(index) + " names no cipher";
}
inline std::string NoSuchHash(int index) {
  return "the hash index " + std::to_string(index) + " names no hash";
}
inline std::string InvalidExtensionSetting(const std::string& extension) {
  return "the file extension setting \"" + extension + "\" is not valid";
}

// What is wrong with settings or meta information.
inline std::string UnknownCompressionEngine(int engine) {
  return "the compression engine " + std::to_string(engine) + " is unknown";
}
inline std::string UnknownCompressionSetting(int speed) {
  return "the compression setting " + std::to_string(speed) + " is unknown";
}
inline constexpr const char* kEmptyExtension = "the file extension is empty";
inline std::string ForbiddenInExtension(const std::string& extension) {
  return "the file extension \"" + extension + "\" holds a character a file name cannot";
}
inline constexpr const char* kTooShortForMetaInfo =
    "the file is too short to hold VELT meta information";
inline constexpr const char* kMetaInfoUnreadable = "the meta information could not be read";
inline std::string MetaInfoDamaged(const std::string& detail) {
  return "the meta information is damaged (" + detail + ")";
}

// A file already under the result's name.
inline std::string DecryptedExists(const std::string& name) {
  return "cannot decrypt it to " + name + ": " + name + " already exists (--overwrite replaces it)";
}
inline std::string NonFileUnderResultName(const std::string& name) {
  return "cannot encrypt it to " + name + ": a folder or other non-file of that name exists";
}
inline std::string PlainFileUnderResultName(const std::string& name) {
  return "cannot encrypt it to " + name + ": " + name +
         " exists and is not a VELT file (it has no meta information); rename or move it first";
}
inline std::string EncryptedExists(const std::string& name) {
  return "cannot encrypt it to " + name + ": " + name +
         " already exists (an encrypted file; --overwrite replaces it)";
}
inline std::string NotTheFileWritten(const std::string& name) {
  return name + " is not the file VELT wrote: another program replaced or removed it";
}

// The source changed during the run; `doing` is "encrypted" or "decrypted".
inline std::string SourceReplaced(bool stillThere, const char* doing) {
  return std::string("the file was ") + (stillThere ? "replaced" : "removed") +
         " while it was being " + doing + "; it is kept as it is";
}
inline std::string SourceChanged(const char* doing) {
  return std::string("the file changed while it was being ") + doing +
         "; it is kept as it is now and the result was discarded";
}
inline std::string SourceChangedAfterResult(const char* doing, const std::string& resultName) {
  return std::string("the file changed while it was being ") + doing +
         "; it is kept as it is now, and " + resultName +
         " holds its content from before the change";
}

// The result is in place but the source could not be retired; `done` is e.g.
// "encrypted to NAME".
inline std::string SourceReplacedMeanwhile(const std::string& done) {
  return done + ", but the file was replaced meanwhile and is kept";
}
inline std::string OriginalNotDeleted(const std::string& done, const std::string& aside,
                                      const std::string& why) {
  return done + ", but the original could not be deleted (it is " + aside + "): " + why;
}
inline std::string OverwriteFailed(const std::string& done, const std::string& why) {
  return done + " and the original deleted, but overwriting it failed: " + why;
}
inline std::string EncryptedNotDeleted(const std::string& name, const std::string& why) {
  return "decrypted to " + name + ", but the encrypted file could not be deleted: " + why;
}
inline std::string OriginalNotDeletedAfterEncryption(const std::string& name,
                                                     const std::string& why) {
  return "encrypted to " + name + ", but the original could not be deleted: " + why;
}
inline std::string OldContentNotOverwritten(const std::string& name, const std::string& why) {
  return "encrypted to " + name + ", but overwriting the original's old content failed: " + why;
}

// What --verify found; `encrypted` is the encrypted file's name.
inline std::string VerificationFailed(const std::string& encrypted) {
  return "verification failed: " + encrypted;
}
inline constexpr const char* kUnexpectedMetaInfo = " does not carry the expected meta information";
inline constexpr const char* kNotTheOriginal = " does not decrypt to the original";

// Notes on a file that was processed.
inline std::string KeptUnchecked(const std::string& path, const std::string& keptName) {
  return path + ": kept as " + keptName +
         ": its content is not compressed, so the password could be checked only weakly; "
         "delete it once the decrypted file is right";
}
inline std::string KeptWithoutMetaInfo(const std::string& path, const std::string& keptName) {
  return path + ": kept as " + keptName +
         ": it has no meta information, so the password could not be checked";
}
inline std::string OtherLinksNote(const std::string& path, uint32_t otherLinks) {
  return path + ": not overwritten, only deleted: " + std::to_string(otherLinks) +
         (otherLinks == 1 ? " other name links to the same file and still holds"
                          : " other names link to the same file and still hold") +
         " its content";
}

}  // namespace velt::engine::messages
