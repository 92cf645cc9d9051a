// The smallest front end over the engine, for the pipeline benchmark: one file, settings from
// the command line, the password from VELT_BENCH_PASSWORD.
//   velt_engine_driver encrypt FILE CIPHER HASH COMPRESS(0|1) [SECURE(0|1) [DELETE(0|1)]]
//   velt_engine_driver decrypt FILE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/engine.h"

int main(int argc, char** argv) {
  using namespace velt::engine;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s encrypt|decrypt FILE [CIPHER HASH COMPRESS [SECURE]]\n", argv[0]);
    return 2;
  }
  const char* pw = std::getenv("VELT_BENCH_PASSWORD");
  std::string password = pw ? pw : "benchmark";
  std::string mode = argv[1], path = argv[2];
  EngineSettings s;
  s.secureDelete = argc > 6 && std::atoi(argv[6]) != 0;
  s.deleteOriginal = argc <= 7 || std::atoi(argv[7]) != 0;
  if (argc > 5) {
    s.cipherIndex = std::atoi(argv[3]);
    s.hashIndex = std::atoi(argv[4]);
    s.compress = std::atoi(argv[5]) != 0;
  }
  NullProgressSink quiet;
  try {
    int64_t ms = mode == "encrypt" ? EncryptOneFile(path, password, s, quiet)
                                   : DecryptOneFile(path, password, HasMetaInfo(path), s, {}, quiet);
    if (ms < 0) {
      std::fprintf(stderr, "wrong password\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
