// Shared helpers of the engine tests: settings, files in a fresh folder, and the checks that
// a folder holds exactly the expected names.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/inflater.h"
#include "tests/support/random_bytes.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace velt::test {

inline engine::EngineSettings QuickSettings() {
  engine::EngineSettings s;
  s.secureDelete = false;  // the overwrite is tested on its own; it only slows the others
  return s;
}

// Runs `body` once with each inflate back end of the build chosen, then restores the default.
template <class Body>
void ForEachInflateBackend(Body body) {
  const engine::InflateBackend saved = engine::CurrentInflateBackend();
  for (engine::InflateBackend backend : engine::AvailableInflateBackends()) {
    SCOPED_TRACE(engine::InflateBackendName(backend));
    engine::SetInflateBackend(backend);
    body();
  }
  engine::SetInflateBackend(saved);
}

class EngineTest : public ::testing::Test {
 protected:
  // Writes `content` to dir/name and returns the path.
  std::string make(const std::string& name, const std::vector<uint8_t>& content) {
    std::string p = dir / name;
    WriteFile(p, content);
    return p;
  }
  std::string make(const std::string& name, size_t size) { return make(name, rng.Bytes(size)); }
  void ExpectNames(const std::vector<std::string>& expected) {
    auto sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(dir.Names(), sorted);
  }

  TempDir dir;
  Rng rng;
  RecordingSink sink;
  engine::DecryptionOptions noMeta;
};

}  // namespace velt::test
