// Peer throughput for the comparison script: CBC encryption and decryption of a 64 MiB buffer
// in 8192-byte calls with Crypto++, for the ciphers that OpenSSL does not carry.
// Prints one line per cipher: "<label> <encrypt MB/s> <decrypt MB/s>". Test-only: never linked
// into velt or velt-cli.
#include <cryptopp/cast.h>
#include <cryptopp/mars.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc5.h>
#include <cryptopp/rc6.h>
#include <cryptopp/serpent.h>
#include <cryptopp/twofish.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr size_t kBytes = 64u << 20;
constexpr size_t kChunk = 8192;

template <class Mode>
double megabytesPerSecond(size_t keyBytes, size_t blockBytes, const CryptoPP::NameValuePairs& p) {
  std::vector<uint8_t> key(keyBytes, 0x42), iv(blockBytes, 0x24), buf(kBytes, 0x5a);
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    Mode m;
    m.SetKey(key.data(), key.size(), CryptoPP::CombinedNameValuePairs(
                                         p, CryptoPP::MakeParameters(CryptoPP::Name::IV(),
                                                                     CryptoPP::ConstByteArrayParameter(iv))));
    auto t0 = std::chrono::steady_clock::now();
    for (size_t off = 0; off < kBytes; off += kChunk) m.ProcessData(&buf[off], &buf[off], kChunk);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::max(best, kBytes / 1e6 / s);
  }
  return best;
}

template <class Alg>
void row(const char* label, size_t keyBytes, const CryptoPP::NameValuePairs& p,
         const std::vector<std::string>& wanted) {
  if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), label) == wanted.end()) return;
  double e = megabytesPerSecond<typename CryptoPP::CBC_Mode<Alg>::Encryption>(
      keyBytes, Alg::BLOCKSIZE, p);
  double d = megabytesPerSecond<typename CryptoPP::CBC_Mode<Alg>::Decryption>(
      keyBytes, Alg::BLOCKSIZE, p);
  std::printf("%s %.1f %.1f\n", label, e, d);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> wanted(argv + 1, argv + argc);
  const auto& none = CryptoPP::g_nullNameValuePairs;
  row<CryptoPP::Twofish>("TwoFish", 16, none, wanted);
  row<CryptoPP::CAST256>("Cast 256", 16, none, wanted);
  // MARS: the encryption rounds are the same in every version of its key schedule.
  row<CryptoPP::MARS>("MARS", 16, none, wanted);
  row<CryptoPP::RC5>("RC5", 16, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 12, false), wanted);
  row<CryptoPP::RC6>("RC6", 16, none, wanted);
  row<CryptoPP::Serpent>("Serpent", 16, none, wanted);
  return 0;
}
