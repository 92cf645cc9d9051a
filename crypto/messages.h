// Texts of the cipher and hash layer, exactly as users see them.
#pragma once

namespace velt::crypto::messages {

inline constexpr const char* kInvalidKeySize = "Invalid key size";
inline constexpr const char* kDigestAllocation =
    "Unable to allocate sufficient memory for hash digest";
inline constexpr const char* kCipherNotInitialized = "Cipher not initialized";
inline constexpr const char* kHashNotInitialized = "Hash not initialized";

}  // namespace velt::crypto::messages
