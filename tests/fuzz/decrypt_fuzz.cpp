// DecryptOneFile over arbitrary encrypted files in a folder of their own. The first four bytes
// of the input choose how the file is made:
//   flags bit 0   the caller's hasMetaInfo is the opposite of what HasMetaInfo says
//         bit 1   a well-formed record is appended (engines and values from bytes 1 to 3)
//         bit 2   ... saying the payload is compressed (bit 3: an unknown compression value)
//         bit 4   the rest is a payload, encrypted here under the same password, so that the
//                 decrypted bytes (and zlib's input) are the fuzzer's own
//         bit 5   the caller's extension is "ABC" instead of "VELT"
//         bit 6   files without meta information are deleted after decryption
//         bit 7   secure deletion
// Whatever happens: an error or a wrong password leaves the folder exactly as it was; a
// success leaves the result and nothing of ours; an uncompressed payload decrypts to itself
// and a compressed one to what zlib makes of it.
#include <zlib.h>

#include "crypto/cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "crypto/stream.h"
#include "engine/engine.h"
#include "engine/meta_info.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/memory_stream.h"

using namespace velt;

namespace {

constexpr const char* kPassword = "pw";

std::vector<uint8_t> Encrypt(const std::vector<uint8_t>& payload, int cipher, int hash) {
  auto c = crypto::CreateCipher(cipher);
  c->InitWithPassword(kPassword, *crypto::FindHash(hash)->cls);
  velt::test::TMemoryStream in(payload), out;
  c->EncryptStream(in, out, payload.size());
  return out.Bytes();
}

// What zlib makes of a payload: the plain bytes up to the end of the stream, whether the end
// was reached, and whether zlib found the data damaged.
struct Inflated {
  std::vector<uint8_t> bytes;
  bool ended = false, damaged = false;
};
Inflated Inflate(const std::vector<uint8_t>& payload) {
  Inflated r;
  z_stream z{};
  inflateInit(&z);
  z.next_in = const_cast<Bytef*>(payload.data());
  z.avail_in = uInt(payload.size());
  uint8_t buf[16384];
  for (;;) {
    z.next_out = buf;
    z.avail_out = sizeof buf;
    int rc = inflate(&z, Z_NO_FLUSH);
    r.bytes.insert(r.bytes.end(), buf, buf + (sizeof buf - z.avail_out));
    if (rc == Z_STREAM_END) r.ended = true;
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_STREAM_ERROR || rc == Z_MEM_ERROR)
      r.damaged = true;
    if (rc != Z_OK) break;
    if (z.avail_in == 0 && z.avail_out != 0) break;
  }
  inflateEnd(&z);
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t flags = data[0];
  const int cipher = data[1] % 21, hash = data[2] % 11;  // 19, 20 and 10 name nothing
  const int32_t check = int8_t(data[3]) % 11;
  std::vector<uint8_t> payload(data + 4, data + size);
  const bool harnessEncrypted = (flags & 16) && cipher < 19 && hash < 10;
  std::vector<uint8_t> file = harnessEncrypted ? Encrypt(payload, cipher, hash) : payload;
  const int32_t compression = (flags & 8) ? 5 : (flags & 4) ? 0 : -1;
  if (flags & 2) {
    engine::MetaInfo m;
    m.cipherIndex = cipher;
    m.hashIndex = hash;
    m.compression = compression;
    m.checkValue = check;
    auto r = m.Serialize();
    file.insert(file.end(), r.begin(), r.end());
  }

  const std::string& folder = fuzz::ScratchFolder();
  fuzz::EmptyFolder(folder);
  const std::string path = folder + "/doc.VELT";
  fuzz::WriteBytes(path, file.data(), file.size());

  engine::EngineSettings settings;
  settings.extension = (flags & 32) ? "ABC" : "VELT";
  settings.secureDelete = flags & 128;
  engine::DecryptionOptions options;
  options.cipherIndex = cipher;
  options.hashIndex = hash;
  options.deleteOriginal = flags & 64;
  const bool hasMeta = engine::HasMetaInfo(path) != bool(flags & 1);
  engine::NullProgressSink sink;

  auto outcome = engine::DecryptOutcome::WrongPassword;
  try {
    outcome = engine::DecryptOneFile(path, kPassword, hasMeta, settings, options, sink).outcome;
  } catch (const engine::EngineError& e) {
    fuzz::Require(std::string(e.what()).find("doc.VELT") != std::string::npos,
                  std::string("the message does not name the file: ") + e.what());
  }
  const auto names = fuzz::Names(folder);
  if (outcome != engine::DecryptOutcome::Decrypted) {
    fuzz::Require(names == std::vector<std::string>{"doc.VELT"},
                  "a failed decryption changed the folder");
    fuzz::Require(fuzz::ReadBytes(path) == file, "a failed decryption changed the file");
    return 0;
  }
  // Kept: a file without meta information unless its deletion was chosen, and one whose
  // record says the payload is not compressed (only the weak check value vouched for it).
  const bool uncheckedPayload =
      hasMeta && file.size() >= size_t(engine::MetaInfo::kRecordLength) &&
      engine::MetaInfo::Parse(file.data() + file.size() - engine::MetaInfo::kRecordLength)
              .compression == -1;
  const bool keptAsOrig = hasMeta ? uncheckedPayload : !options.deleteOriginal;
  fuzz::Require(names == (keptAsOrig ? std::vector<std::string>{"doc", "doc.VELT(orig)"}
                                     : std::vector<std::string>{"doc"}),
                "a successful decryption left the wrong names");
  if (keptAsOrig) fuzz::Require(fuzz::ReadBytes(path + "(orig)") == file, "(orig) changed");
  const auto plain = fuzz::ReadBytes(folder + "/doc");
  const uint64_t body = file.size() - (hasMeta ? engine::MetaInfo::kRecordLength : 0);
  // A record that the fuzzer's bytes happen to end with says nothing more that can be checked.
  if (hasMeta && !(flags & 2)) return 0;
  if (!hasMeta || compression == -1) {
    fuzz::Require(plain.size() == body, "the plaintext is not as long as the body");
    if (harnessEncrypted && hasMeta) fuzz::Require(plain == payload, "wrong plaintext");
  } else {
    fuzz::Require(compression == 0, "an unknown compression value was accepted");
    if (harnessEncrypted) {
      Inflated z = Inflate(payload);
      fuzz::Require(z.ended && !z.damaged, "a damaged or unfinished zlib stream was accepted");
      fuzz::Require(plain == z.bytes, "the decompressed plaintext differs from zlib's");
    }
  }
  if (hasMeta)
    fuzz::Require(engine::CheckValueOf(plain.data(), plain.size()) == check,
                  "a plaintext with another check value was accepted");
  return 0;
}
