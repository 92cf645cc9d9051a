// Texts of the cipher and hash layer, exactly as users see them.
#pragma once

#include <string>

namespace velt::crypto::messages {

inline constexpr const char* kInvalidKeySize = "Invalid key size";
inline constexpr const char* kDigestAllocation =
    "Unable to allocate sufficient memory for hash digest";

// Keying from a password: what failed besides memory and the key size.
inline constexpr const char* kNoHashObject = "Hash class does not create a hash object";
inline std::string UnusableDigestSize(int bits) {
  return "A hash digest of " + std::to_string(bits) + " bits cannot be used as a key";
}
inline std::string DigestSizeMismatch(int objectBits, int classBits) {
  return "Hash object digest of " + std::to_string(objectBits) + " bits differs from its class's " +
         std::to_string(classBits) + " bits";
}
inline std::string PasswordHashingFailed(const std::string& cause) {
  return "Hashing the password failed: " + cause;
}
inline std::string KeyingFailed(const std::string& cause) {
  return "Keying the cipher failed: " + cause;
}
inline constexpr const char* kCipherNotInitialized = "Cipher not initialized";
inline constexpr const char* kHashNotInitialized = "Hash not initialized";

}  // namespace velt::crypto::messages
