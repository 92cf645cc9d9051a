// Throughput of every registered cipher's stream operations (CBC, 8192-byte chunks, a 64 MiB
// memory stream) and of every hash. Names are "encrypt/<label>", "decrypt/<label>",
// "hash/<label>" so that scripts can pick them out with --benchmark_filter.
#include <benchmark/benchmark.h>

#include <vector>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"

namespace {

using namespace velt::crypto;

constexpr size_t kStreamBytes = 64u << 20;

void streamBench(benchmark::State& state, const CipherEntry* e, bool encrypt) {
  std::vector<uint8_t> data(kStreamBytes, 0x5a);
  TMemoryStream src(data), dst;
  dst.Bytes().reserve(kStreamBytes);
  for (auto _ : state) {
    auto c = e->cls->create();
    c->InitWithPassword("benchmark", *findHash(0)->cls);
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

void hashBench(benchmark::State& state, const HashEntry* e) {
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

int registerAll() {
  for (const auto& e : cipherCatalogue()) {
    if (!e.cls) continue;
    benchmark::RegisterBenchmark((std::string("encrypt/") + e.label).c_str(), streamBench, &e, true)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5);
    benchmark::RegisterBenchmark((std::string("decrypt/") + e.label).c_str(), streamBench, &e,
                                 false)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5);
  }
  for (const auto& e : hashCatalogue()) {
    if (!e.cls) continue;
    benchmark::RegisterBenchmark((std::string("hash/") + e.label).c_str(), hashBench, &e)
        ->MinTime(0.3);
  }
  return 0;
}

const int registered = registerAll();

}  // namespace

BENCHMARK_MAIN();
