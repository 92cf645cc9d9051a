#include "tests/support/openssl_providers.h"

#include <openssl/provider.h>

namespace velt::test {

namespace {
struct Providers {
  OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER* standard = OSSL_PROVIDER_load(nullptr, "default");
  ~Providers() {
    if (standard) OSSL_PROVIDER_unload(standard);
    if (legacy) OSSL_PROVIDER_unload(legacy);
  }
};
}  // namespace

void LoadOpensslLegacyProviders() {
  static const Providers providers;
}

}  // namespace velt::test
