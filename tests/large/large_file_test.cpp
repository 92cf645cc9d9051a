// A file larger than 4 GiB goes through encryption and decryption whole, in bounded memory.
// It runs in a child process so that the child's peak resident memory is the pipeline's own.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "engine/engine.h"
#include "tests/support/temp_dir.h"

namespace velt::engine {
namespace {

constexpr uint64_t kSize = (uint64_t(4) << 30) + 12345;

std::string Sha256Of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
  std::vector<char> buf(1 << 20);
  while (in) {
    in.read(buf.data(), std::streamsize(buf.size()));
    EVP_DigestUpdate(ctx, buf.data(), size_t(in.gcount()));
  }
  unsigned char md[32];
  unsigned len = 0;
  EVP_DigestFinal_ex(ctx, md, &len);
  EVP_MD_CTX_free(ctx);
  char hex[65];
  for (int i = 0; i < 32; ++i) std::snprintf(hex + 2 * i, 3, "%02x", md[i]);
  return hex;
}

// Runs one engine call in a child; returns its peak resident memory in KiB, or -1 on failure.
long InChild(const std::function<bool()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  int status = 0;
  struct rusage ru {};
  ::wait4(pid, &status, 0, &ru);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ru.ru_maxrss;
}

TEST(LargeFile, MoreThanFourGibibytesRoundTripInBoundedMemory) {
  test::TempDir dir;  // on the disk: the files are several GiB
  std::string p = dir / "big.bin";
  {
    // Sparse, with data at the start, across the 4 GiB line and at the end.
    std::fstream f(p, std::ios::out | std::ios::binary);
    std::string mark = "start of a file larger than four gibibytes";
    f.write(mark.data(), std::streamsize(mark.size()));
    for (uint64_t at : {(uint64_t(1) << 32) - 7, kSize - 100}) {
      f.seekp(std::streamoff(at));
      for (int i = 0; i < 100; ++i) f.put(char('A' + i % 26));
    }
    f.seekp(std::streamoff(kSize - 1));
    f.put('Z');
  }
  const std::string digest = Sha256Of(p);

  EngineSettings s;
  s.cipherIndex = 16;
  s.compress = false;
  s.secureDelete = false;
  NullProgressSink quiet;
  long encryptKiB = InChild([&] { return EncryptOneFile(p, "large", s, quiet) >= 0; });
  ASSERT_GT(encryptKiB, 0);
  ASSERT_EQ(test::FileSizeOf(p + ".VELT"), kSize + 36);
  long decryptKiB = InChild([&] {
    return DecryptOneFile(p + ".VELT", "large", true, s, {}, quiet).outcome ==
           DecryptOutcome::Decrypted;
  });
  ASSERT_GT(decryptKiB, 0);
  EXPECT_EQ(Sha256Of(p), digest);
  std::printf("peak resident memory: encryption %ld KiB, decryption %ld KiB\n", encryptKiB,
              decryptKiB);
  EXPECT_LT(encryptKiB, 16 * 1024);
  EXPECT_LT(decryptKiB, 16 * 1024);
}

}  // namespace
}  // namespace velt::engine
