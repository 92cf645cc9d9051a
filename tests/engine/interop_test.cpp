// Files of the format made and read by independent tools: OpenSSL's command line for the cipher
// and Python's zlib for the compression. Key = SHA-256 of the password, initial vector =
// AES(key, 0), CBC without padding, and a partial final block XORed with AES(key, last block).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "crypto/bytes.h"
#include "crypto/hex.h"
#include "engine/engine.h"
#include "tests/support/random_bytes.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace velt::engine {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

void run(const std::string& cmd) {
  int rc = std::system(cmd.c_str());
  ASSERT_EQ(rc, 0) << cmd;
}

class Interop : public ::testing::Test {
 protected:
  std::string key;  // hex
  std::string KeyFor(const std::string& password) {
    WriteFile(dir / "pw", password);
    run("openssl dgst -sha256 -binary " + dir / "pw" + " > " + dir / "key");
    return crypto::ToHex(ReadFile(dir / "key"));
  }
  // One AES-256 block through OpenSSL's ECB.
  std::vector<uint8_t> ecb(const std::vector<uint8_t>& block) {
    WriteFile(dir / "blk", block);
    run("openssl enc -aes-256-ecb -nopad -K " + key + " -in " + dir / "blk" + " -out " +
        dir / "blk.out");
    return ReadFile(dir / "blk.out");
  }
  // CBC over whole blocks with OpenSSL, the tail by the partial-block rule.
  std::vector<uint8_t> cbc(const std::vector<uint8_t>& in, bool encrypt) {
    auto iv = ecb(std::vector<uint8_t>(16, 0));
    size_t full = in.size() / 16 * 16;
    WriteFile(dir / "cbc.in", std::vector<uint8_t>(in.begin(), in.begin() + long(full)));
    run(std::string("openssl enc ") + (encrypt ? "-e" : "-d") + " -aes-256-cbc -nopad -K " + key +
        " -iv " + crypto::ToHex(iv) + " -in " + dir / "cbc.in" + " -out " + dir / "cbc.out");
    auto out = ReadFile(dir / "cbc.out");
    if (size_t n = in.size() - full) {
      const auto& cipherText = encrypt ? out : in;
      std::vector<uint8_t> last = full ? std::vector<uint8_t>(cipherText.begin() + long(full) - 16,
                                                              cipherText.begin() + long(full))
                                       : iv;
      auto pad = ecb(last);
      for (size_t i = 0; i < n; ++i) out.push_back(in[full + i] ^ pad[i]);
    }
    return out;
  }
  TempDir dir;
  test::Rng rng;
  test::RecordingSink sink;
};

TEST_F(Interop, OurFilesDecryptWithOpensslAndPythonZlib) {
  for (size_t size : {size_t(5), size_t(100000 + 7)}) {
    SCOPED_TRACE(size);
    auto content = rng.Bytes(size);
    for (size_t i = 0; i < size; i += 3) content[i] = 'x';
    WriteFile(dir / "doc", content);
    EngineSettings s;
    s.cipherIndex = 16;  // RIJNDAEL
    s.hashIndex = 6;     // SHA 256
    s.secureDelete = false;
    EncryptOneFile(dir / "doc", "open sesame", s, sink);
    auto enc = ReadFile(dir / "doc.VELT");
    key = KeyFor("open sesame");
    auto body = std::vector<uint8_t>(enc.begin(), enc.end() - 36);
    WriteFile(dir / "z", cbc(body, false));
    run("python3 -c \"import sys, zlib; open(sys.argv[2], "
        "'wb').write(zlib.decompress(open(sys.argv[1], 'rb').read()))\" " +
        dir / "z" + " " + dir / "plain");
    EXPECT_EQ(ReadFile(dir / "plain"), content);
    std::remove((dir / "doc.VELT").c_str());
  }
}

TEST_F(Interop, FilesBuiltByOpensslAndPythonZlibDecryptHere) {
  auto content = rng.Bytes(70001);
  for (size_t i = 0; i < content.size(); i += 2) content[i] = 'y';
  WriteFile(dir / "orig", content);
  run("python3 -c \"import sys, zlib; open(sys.argv[2], "
      "'wb').write(zlib.compress(open(sys.argv[1], 'rb').read(), 9))\" " +
      dir / "orig" + " " + dir / "z");
  key = KeyFor("from elsewhere");
  auto body = cbc(ReadFile(dir / "z"), true);
  // The record, written out by hand: cipher 16, hash 6, compressed, the check value.
  int64_t sum = int64_t(int32_t(crypto::LoadLe32(&content[0]))) +
                int32_t(crypto::LoadLe32(&content[4])) + int32_t(crypto::LoadLe32(&content[8]));
  std::vector<uint8_t> rec(36, 0);
  rec[0] = 4;
  rec[1] = 'V';
  rec[2] = 'E';
  rec[3] = 'L';
  rec[4] = 'T';
  rec[5] = rec[6] = 1;
  crypto::StoreLe32(&rec[8], 12);
  crypto::StoreLe32(&rec[12], 6);
  crypto::StoreLe32(&rec[16], 16);
  crypto::StoreLe32(&rec[20], 0);
  crypto::StoreLe32(&rec[28], uint32_t(int32_t(sum % 11)));
  crypto::StoreLe32(&rec[32], 36);
  body.insert(body.end(), rec.begin(), rec.end());
  WriteFile(dir / "made.VELT", body);
  EngineSettings s;
  s.secureDelete = false;
  EXPECT_EQ(DecryptOneFile(dir / "made.VELT", "from elsewhere", true, s, {}, sink).outcome,
            DecryptOutcome::Decrypted);
  EXPECT_EQ(ReadFile(dir / "made"), content);
}

}  // namespace
}  // namespace velt::engine
