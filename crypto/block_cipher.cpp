#include "crypto/block_cipher.h"

#include <vector>

#include "crypto/base64.h"
#include "crypto/errors.h"
#include "crypto/messages.h"

namespace velt::crypto {

void TCrypt_blockcipher::ThrowNotKeyed() const {
  throw ECrypt_blockcipher(messages::kCipherNotInitialized);
}

void TCrypt_blockcipher::EncryptBytes(const uint8_t* in, uint8_t* out, size_t n) {
  switch (CipherMode) {
    case cmCBC:
      CbcEncrypt(in, out, n);
      break;
    case cmCFB8bit:
      Cfb8Encrypt(in, out, n);
      break;
    case cmCFBblock:
      CfbBlockEncrypt(in, out, n);
      break;
    case cmOFB:
      OfbEncrypt(in, out, n);
      break;
    case cmCTR:
      CtrEncrypt(in, out, n);
      break;
  }
}

void TCrypt_blockcipher::DecryptBytes(const uint8_t* in, uint8_t* out, size_t n) {
  switch (CipherMode) {
    case cmCBC:
      CbcDecrypt(in, out, n);
      break;
    case cmCFB8bit:
      Cfb8Decrypt(in, out, n);
      break;
    case cmCFBblock:
      CfbBlockDecrypt(in, out, n);
      break;
    case cmOFB:
      OfbDecrypt(in, out, n);
      break;
    case cmCTR:
      CtrDecrypt(in, out, n);
      break;
  }
}

std::string TCrypt_blockcipher::EncryptText(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  Cfb8Encrypt(bytes.data(), bytes.data(), bytes.size());
  return Base64Encode(bytes.data(), bytes.size());
}

std::string TCrypt_blockcipher::DecryptText(std::string_view base64) {
  std::vector<uint8_t> bytes = Base64Decode(base64);
  Cfb8Decrypt(bytes.data(), bytes.data(), bytes.size());
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace velt::crypto
