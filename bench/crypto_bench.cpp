// Throughput of every registered cipher's stream operations (CBC, 8192-byte chunks, a 64 MiB
// memory stream) and of every hash. Names are "encrypt/<label>", "decrypt/<label>",
// "hash/<label>" so that scripts can pick them out with --benchmark_filter; "encrypt256/..."
// is the same with a 256-bit key, and "inplace-encrypt/...", "inplace-encrypt256/..." the
// cipher alone on one buffer that stays in cache.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "tests/support/memory_stream.h"

namespace {

using namespace velt::crypto;
using velt::test::TMemoryStream;

constexpr size_t kStreamBytes = 64u << 20;

// keyBits 0 keys from the password through MD5 (a 128-bit key, the common case); otherwise a
// fixed key of that many bits, for comparing with peers measured at that key size.
std::unique_ptr<TCrypt_cipher> KeyedCipher(const CipherEntry* e, unsigned keyBits) {
  auto c = e->cls->create();
  if (keyBits) {
    std::vector<uint8_t> key(keyBits / 8, 0x42);
    c->InitWithKey(key.data(), keyBits, nullptr);
  } else {
    c->InitWithPassword("benchmark", *FindHash(0)->cls);
  }
  return c;
}

void StreamBench(benchmark::State& state, const CipherEntry* e, bool encrypt, unsigned keyBits) {
  std::vector<uint8_t> data(kStreamBytes, 0x5a);
  TMemoryStream src(data), dst;
  dst.Bytes().reserve(kStreamBytes);
  for (auto _ : state) {
    auto c = KeyedCipher(e, keyBits);
    src.Seek(0);
    dst.Seek(0);
    if (encrypt)
      c->EncryptStream(src, dst, kStreamBytes);
    else
      c->DecryptStream(src, dst, kStreamBytes);
    benchmark::DoNotOptimize(dst.Bytes().data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kStreamBytes));
}

// One chunk-sized buffer processed in place over and over, as `openssl speed -bytes 8192`
// measures: the cipher without the stream's copies to and from memory.
void InplaceBench(benchmark::State& state, const CipherEntry* e, bool encrypt, unsigned keyBits) {
  std::vector<uint8_t> buf(TCrypt_cipher::kChunkSize, 0x5a);
  auto c = KeyedCipher(e, keyBits);
  for (auto _ : state) {
    if (encrypt)
      c->EncryptBytes(buf.data(), buf.data(), buf.size());
    else
      c->DecryptBytes(buf.data(), buf.data(), buf.size());
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void HashBench(benchmark::State& state, const HashEntry* e) {
  std::vector<uint8_t> data(1 << 20, 0x5a), digest(size_t(e->cls->hashSize / 8));
  auto h = e->cls->create();
  for (auto _ : state) {
    h->StartHash();
    h->AddBytes(data.data(), data.size());
    h->FinishHash(digest.data());
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

int RegisterAll() {
  for (const auto& e : CipherCatalogue()) {
    if (!e.cls) continue;
    for (unsigned bits : {0u, 256u}) {
      if (bits > unsigned(e.cls->maxKeySize)) continue;
      std::string suffix = bits ? std::to_string(bits) : std::string();
      suffix.append("/").append(e.label);
      for (bool encrypt : {true, false}) {
        std::string name = (encrypt ? "encrypt" : "decrypt") + suffix;
        benchmark::RegisterBenchmark(name.c_str(), StreamBench, &e, encrypt, bits)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
        benchmark::RegisterBenchmark(("inplace-" + name).c_str(), InplaceBench, &e, encrypt, bits)
            ->MinTime(0.3);
      }
    }
  }
  for (const auto& e : HashCatalogue()) {
    if (!e.cls) continue;
    benchmark::RegisterBenchmark((std::string("hash/") + e.label).c_str(), HashBench, &e)
        ->MinTime(0.3);
  }
  return 0;
}

const int registered = RegisterAll();

}  // namespace

BENCHMARK_MAIN();
