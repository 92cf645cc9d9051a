// Peer throughput for the comparison script: CBC encryption and decryption with Crypto++, for
// the ciphers that OpenSSL does not carry, measured the way `openssl speed -bytes 8192` does:
// one 8192-byte buffer processed in place again and again, CPU time of this process.
// Prints one line per cipher: "<label> <encrypt MB/s> <decrypt MB/s>". Test-only: never linked
// into velt or velt-cli.
#include <cryptopp/cast.h>
#include <cryptopp/idea.h>
#include <cryptopp/mars.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc5.h>
#include <cryptopp/rc6.h>
#include <cryptopp/serpent.h>
#include <cryptopp/twofish.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr size_t kChunk = 8192;

double CpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

template <class Mode>
double MegabytesPerSecond(size_t keyBytes, size_t blockBytes, const CryptoPP::NameValuePairs& p) {
  std::vector<uint8_t> key(keyBytes, 0x42), iv(blockBytes, 0x24), buf(kChunk, 0x5a);
  Mode m;
  m.SetKey(key.data(), key.size(),
           CryptoPP::CombinedNameValuePairs(
               p, CryptoPP::MakeParameters(CryptoPP::Name::IV(),
                                           CryptoPP::ConstByteArrayParameter(iv))));
  // About a second of CPU time, checked every 256 calls.
  double start = CpuSeconds(), now = start;
  size_t calls = 0;
  while (now - start < 1.0) {
    for (int i = 0; i < 256; ++i) m.ProcessData(buf.data(), buf.data(), kChunk);
    calls += 256;
    now = CpuSeconds();
  }
  return double(calls * kChunk) / 1e6 / (now - start);
}

template <class Alg>
void Row(const char* label, size_t keyBytes, const CryptoPP::NameValuePairs& p,
         const std::vector<std::string>& wanted) {
  if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), label) == wanted.end()) return;
  double e =
      MegabytesPerSecond<typename CryptoPP::CBC_Mode<Alg>::Encryption>(keyBytes, Alg::BLOCKSIZE, p);
  double d =
      MegabytesPerSecond<typename CryptoPP::CBC_Mode<Alg>::Decryption>(keyBytes, Alg::BLOCKSIZE, p);
  std::printf("%s %.1f %.1f\n", label, e, d);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> wanted(argv + 1, argv + argc);
  const auto& none = CryptoPP::g_nullNameValuePairs;
  Row<CryptoPP::Twofish>("TwoFish", 16, none, wanted);
  Row<CryptoPP::IDEA>("IDEA", 16, none, wanted);  // Debian's OpenSSL is built without IDEA
  Row<CryptoPP::CAST256>("Cast 256", 16, none, wanted);
  // MARS: the encryption rounds are the same in every version of its key schedule.
  Row<CryptoPP::MARS>("MARS", 16, none, wanted);
  Row<CryptoPP::RC5>("RC5", 16, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 12, false),
                     wanted);
  Row<CryptoPP::RC6>("RC6", 16, none, wanted);
  Row<CryptoPP::Serpent>("Serpent", 16, none, wanted);
  return 0;
}
