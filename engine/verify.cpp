#include "engine/verify.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "engine/errors.h"
#include "engine/file_stream.h"
#include "engine/messages.h"
#include "engine/meta_info.h"
#include "engine/pipeline_support.h"
#include "engine/zstream.h"

namespace velt::engine {

namespace {

// Accepts plaintext and compares it with the original as it arrives.
class ComparingStream final : public crypto::TSink {
 public:
  explicit ComparingStream(platform::File& original) : original_(original), expected_(1 << 16) {}
  void Write(const void* data, size_t n) override {
    auto* p = static_cast<const uint8_t*>(data);
    while (n > 0 && same_) {
      size_t k = std::min(n, expected_.size());
      if (original_.ReadAt(offset_, expected_.data(), k) != k ||
          std::memcmp(expected_.data(), p, k) != 0)
        same_ = false;
      offset_ += k;
      p += k;
      n -= k;
    }
  }
  bool Matches() { return same_ && offset_ == original_.Size(); }

 private:
  platform::File& original_;
  std::vector<uint8_t> expected_;
  uint64_t offset_ = 0;
  bool same_ = true;
};

}  // namespace

void VerifyEncrypted(const std::string& encryptedPath, platform::File& original,
                     const std::string& password, const EngineSettings& settings) {
  const std::string what = messages::VerificationFailed(encryptedPath);
  platform::File enc =
      platform::File::Open(encryptedPath, platform::OpenMode::Read, platform::Locking::None);
  uint64_t body = enc.Size();
  if (settings.addMetaInfo) {
    std::string problem;
    auto meta = ReadMetaInfo(enc, problem);
    if (!meta) throw EngineError(original.Path(), what + ": " + problem);
    if (meta->checkValue != ComputeCheckValue(original) ||
        meta->cipherIndex != settings.cipherIndex || meta->hashIndex != settings.hashIndex)
      throw EngineError(original.Path(), what + messages::kUnexpectedMetaInfo);
    body -= MetaInfo::kRecordLength;
  }
  NullProgressSink quiet;
  auto cipher = detail::MakeKeyedCipher(settings.cipherIndex, settings.hashIndex, password, quiet);
  FileStream in(enc);
  ComparingStream compare(original);
  bool complete = true;
  if (settings.compress) {
    try {
      TZInflatingWriter inflater(compare);
      cipher->DecryptStream(in, inflater, body);
      complete = inflater.Ended();
    } catch (const EZDecompressionError&) {
      complete = false;
    }
  } else {
    cipher->DecryptStream(in, compare, body);
  }
  cipher->Burn();
  if (!complete || !compare.Matches())
    throw EngineError(original.Path(), what + messages::kNotTheOriginal);
}

}  // namespace velt::engine
