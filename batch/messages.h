// Texts the batch layer shows, exactly as users know them (the spelling included).
#pragma once

namespace velt::batch::messages {

// The list job's closing message.
inline constexpr const char* kCompleted = "Completed ";
inline constexpr const char* kCompletedOpen = "Completed (";
inline constexpr const char* kOf = " of ";
inline constexpr const char* kFiles = " Files";
inline constexpr const char* kEncryptedIn = " Files encrypted in ";
inline constexpr const char* kDecryptedIn = " Files decrypted in ";
inline constexpr const char* kSecs = " secs";
inline constexpr const char* kSkippedEncrypted = " Files Skipped due to allready being encrypted)";
inline constexpr const char* kSkippedDecrypted =
    " Files Skipped due to incorrect password according to VELT Header)";
inline constexpr const char* kStoppedAt = "Process stopped by user at ";
inline constexpr const char* kNotEncrypted = " Files could not be encrypted (see the details)";
inline constexpr const char* kNotDecrypted = " Files could not be decrypted (see the details)";
inline constexpr const char* kUnexpected = "unexpected error";

// A stored setting that holds the wrong kind of data: the text around its name.
inline constexpr const char* kSettingPrefix = "The setting \"";
inline constexpr const char* kNotText = "\" is not a string.";
inline constexpr const char* kNotNumber = "\" is not a 32-bit integer.";

// The password strength line: "Strength: <word> (<n> bits)", the word by score 0 to 4.
inline constexpr const char* kStrengthFormat = "Strength: %s (%.0f bits)";
inline constexpr const char* kStrengthWords[] = {"very weak", "weak", "fair", "good", "strong"};

inline constexpr const char* kEmptySearchFolder = "TFileSearch: the folder to search is empty";

}  // namespace velt::batch::messages
