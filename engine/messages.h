// Texts the engine shows, exactly as users know them (the spelling included).
#pragma once

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

inline constexpr const char* kInvalidZStreamOperation = "Invalid ZStream operation!";

}  // namespace velt::engine::messages
