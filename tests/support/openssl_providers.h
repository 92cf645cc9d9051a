// OpenSSL's legacy algorithms (Blowfish, CAST, RC2, RC4, MD4, RIPEMD-160...) live in its
// legacy provider. Call this before fetching one; the providers are unloaded at exit so the
// sanitizer build's leak checker stays quiet.
#pragma once

namespace velt::test {

void LoadOpensslLegacyProviders();

}  // namespace velt::test
