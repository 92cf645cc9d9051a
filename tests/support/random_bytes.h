// Reproducible random data for property and differential tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace velt::test {

class Rng {
 public:
  explicit Rng(uint64_t seed = 0x5EED) : gen_(seed) {}
  std::vector<uint8_t> Bytes(size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(gen_());
    return v;
  }
  size_t Below(size_t n) { return n ? size_t(gen_() % n) : 0; }
  std::mt19937_64& Engine() { return gen_; }

 private:
  std::mt19937_64 gen_;
};

}  // namespace velt::test
