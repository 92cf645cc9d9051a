#include "engine/inflater.h"

#include <atomic>

namespace velt::engine {

namespace {
#ifdef VELT_HAVE_ISAL
constexpr InflateBackend kFastest = InflateBackend::Isal;
#else
constexpr InflateBackend kFastest = InflateBackend::Zlib;
#endif
std::atomic<InflateBackend> chosen{kFastest};
}  // namespace

std::vector<InflateBackend> AvailableInflateBackends() {
#ifdef VELT_HAVE_ISAL
  return {InflateBackend::Zlib, InflateBackend::Isal};
#else
  return {InflateBackend::Zlib};
#endif
}

void SetInflateBackend(InflateBackend backend) {
  chosen = backend;
}

InflateBackend CurrentInflateBackend() {
  return chosen.load();
}

const char* InflateBackendName(InflateBackend backend) {
  return backend == InflateBackend::Isal ? "ISA-L" : "zlib";
}

std::unique_ptr<TInflater> MakeInflater() {
  return MakeInflater(CurrentInflateBackend());
}

std::unique_ptr<TInflater> MakeInflater(InflateBackend backend) {
#ifdef VELT_HAVE_ISAL
  if (backend == InflateBackend::Isal) return MakeIsalInflater();
#else
  (void)backend;
#endif
  return MakeZlibInflater();
}

}  // namespace velt::engine
